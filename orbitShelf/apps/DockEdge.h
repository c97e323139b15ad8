#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

// How a resized window is kept clear of the dock bar on its screen. Plain
// math in the Accessibility coordinates (origin at the primary screen's top
// left, y downwards).

struct WindowResize {
    QSizeF size;
    std::optional<QPointF> position; // absent: the window stays where it is
};

// `position` is the bar's edge ("left", "right", "bottom"; anything else
// needs no room). `usableWidth` and `usableHeight` are the screen's room
// beside and above the bar (calibrated size minus the bar's thickness). The
// main dock's screen and the others differ in their margins. Absent when the
// window already fits.
std::optional<WindowResize> dockEdgeResize(const QString& position, bool mainDockScreen, QSizeF window,
    const QRectF& visibleFrame, double usableWidth, double usableHeight);
