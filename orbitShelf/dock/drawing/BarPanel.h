#pragma once

#include <QColor>
#include <QMap>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

class QPainter;

// The translucent panel behind the bar: its rules, and its painting.

// The dock colour text as one base-16 number (no "#"), at 15 % opacity; an
// empty or non-hexadecimal text gives the amber F5BC53.
QColor dockTint(const QString& dockColor);

struct BarPanel {
    QRectF rect;
    double cornerRadius = 8;
};

// A bottom bar's panel, centred on the bar's own rectangle: as long as the
// screen is wide with fullScreenDock, else as long as the bar; as thick as
// dockBackgroundHeight.
BarPanel horizontalBarPanel(
    const QRectF& barRect, double screenWidth, bool fullScreenDock, double barWidth, double thickness);

// A side bar's panel inside the area offered to it: touching the area's
// left or right edge for a bar of that side, as long as spaceDockHeight (the
// whole offered height without an entry), centred vertically and lifted by 18.
BarPanel verticalBarPanel(
    const QRectF& area, const QString& position, double thickness, std::optional<double> length);

// Paints a panel: the backdrop, the tint and a soft shadow.
void paintBarPanel(QPainter& painter, const BarPanel& panel, const QString& dockColor);
