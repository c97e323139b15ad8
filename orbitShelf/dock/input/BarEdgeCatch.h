#pragma once

#include "dock/windows/FullScreenStepAside.h"

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace platform {
class HoverArea;
struct HoverAreaPointer;
}

// The rows (or columns) between a shown bar and its screen's edge. The bar
// stands a little off the edge, yet a user throws the pointer against the
// edge to reach it: there the pointer and its clicks are the bar's, as if
// they were on the bar right above, and nothing beneath (a hidden dock's
// reveal strip, a maximised window's frame, the desktop) sees them. The
// band draws nothing, with or without a compositor: it is an area that
// only takes the pointer, standing above the windows the window manager
// stacks, and steps aside for a full-screen window in front, as the
// auto-show strip does. Main thread.
class BarEdgeCatch final : public QObject {
    Q_OBJECT
public:
    // `bar` gets the pointer's events; `overBar` tells whether the pointer
    // stands where the bar takes it.
    BarEdgeCatch(QWidget& bar, QString screenID, std::function<bool()> overBar);
    ~BarEdgeCatch() override;

    // The band (`band`, the bar's own coordinates) below `barRect`, with
    // the bar's top-left corner at `barOrigin` (root coordinates, Qt's
    // pixels); an empty band takes nothing.
    void set(const QRectF& band, const QPoint& barOrigin, const QRectF& barRect, const QString& edge,
        bool vertical);

    // Whether the pointer stands on the band where it takes it.
    bool holdsPointer() const;

protected:
    // The bar's own leave, as the pointer crosses from the bar onto the
    // band, is no leave at all.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();
    void crossed(bool entered);
    void pointed(const platform::HoverAreaPointer& pointer);
    // The point of the bar that stands for `server` (the band's own
    // coordinates, the server's pixels), in the bar's coordinates.
    QPointF onBar(const QPoint& server) const;

    QWidget& m_bar;
    QString m_screenID;
    std::function<bool()> m_overBar;
    QRectF m_band;
    QPoint m_barOrigin;
    QRectF m_barRect;
    QString m_edge;
    bool m_vertical = false;
    QRect m_geometry; // on the server, its pixels
    bool m_taking = false; // as last given to the area
    std::unique_ptr<platform::HoverArea> m_area;
    FullScreenStepAside m_stepAside;
};
