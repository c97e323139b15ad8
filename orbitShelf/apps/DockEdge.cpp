#include "apps/DockEdge.h"

std::optional<WindowResize> dockEdgeResize(const QString& position, bool mainDockScreen, QSizeF window,
    const QRectF& visibleFrame, double usableWidth, double usableHeight)
{
    const double width = window.width();
    const double height = window.height();
    const QPointF origin = visibleFrame.topLeft();
    // Written as >= so that a NaN size never matches.
    if (position == QLatin1String("left")) {
        if (!(width >= usableWidth))
            return std::nullopt;
        // Beside a bar on the left: the window starts where the bar ends.
        const double x = origin.x() + visibleFrame.width() - usableWidth;
        const double newWidth = mainDockScreen ? usableWidth : usableWidth - 4;
        return WindowResize { QSizeF(newWidth, height), QPointF(x, origin.y()) };
    }
    if (position == QLatin1String("right")) {
        if (!(width >= usableWidth))
            return std::nullopt;
        return WindowResize { QSizeF(usableWidth - 3, height), origin };
    }
    if (position == QLatin1String("bottom")) {
        if (!(height >= usableHeight))
            return std::nullopt;
        return WindowResize { QSizeF(width, usableHeight - 4), std::nullopt };
    }
    return std::nullopt;
}
