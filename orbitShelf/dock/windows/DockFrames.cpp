#include "dock/windows/DockFrames.h"

#include <algorithm>
#include <cmath>

namespace {

qint64 truncated(double value)
{
    return static_cast<qint64>(std::trunc(value));
}

// The dock window is far taller (or wider) than the bar it draws: the room
// above the bar holds previews and popovers without another window.
constexpr qint64 dockWindowDepth = 500;

} // namespace

std::optional<DockScreen> dockScreenContaining(const std::vector<DockScreen>& screens, QPointF point)
{
    for (const DockScreen& screen : screens) {
        const QRectF& f = screen.frame;
        if (point.x() >= f.left() && point.x() < f.left() + f.width() && point.y() >= f.top()
            && point.y() < f.top() + f.height())
            return screen;
    }
    return std::nullopt;
}

std::optional<DockScreen> primaryDockScreen(const std::vector<DockScreen>& screens)
{
    return dockScreenContaining(screens, QPointF(0, 0));
}

DockFrame mainDockWindowFrame(const QString& mainDockPosition, QSizeF primaryVisibleSize)
{
    const double w = primaryVisibleSize.width();
    const double h = primaryVisibleSize.height();
    if (mainDockPosition == QLatin1String("right"))
        return { truncated(w - 490), 0, dockWindowDepth, truncated(h) };
    if (mainDockPosition == QLatin1String("left"))
        return { -20, 0, dockWindowDepth, truncated(h) };
    return { 0, 0, truncated(w), dockWindowDepth };
}

DockFrame mainDockWindowFrame(const QString& mainDockPosition, QRectF primaryVisibleFrame)
{
    DockFrame frame = mainDockWindowFrame(mainDockPosition, primaryVisibleFrame.size());
    frame.x += truncated(primaryVisibleFrame.x());
    frame.y += truncated(primaryVisibleFrame.y());
    return frame;
}

DockFrame mainDockTriggerFrame(const QString& mainDockPosition, QSizeF primaryVisibleSize)
{
    const double w = primaryVisibleSize.width();
    const double h = primaryVisibleSize.height();
    if (mainDockPosition == QLatin1String("right"))
        return { truncated(w - 10), 0, 15, truncated(h) };
    if (mainDockPosition == QLatin1String("left"))
        return { 0, 0, 15, truncated(h) };
    return { -2, 0, truncated(w), 20 };
}

DockFrame mainDockTriggerFrame(const QString& mainDockPosition, QRectF primaryVisibleFrame)
{
    DockFrame frame = mainDockTriggerFrame(mainDockPosition, primaryVisibleFrame.size());
    frame.x += truncated(primaryVisibleFrame.x());
    frame.y += truncated(primaryVisibleFrame.y());
    return frame;
}

DockFrame screenDockWindowFrame(QRectF visibleFrame, const std::optional<QString>& position)
{
    const qint64 x0 = truncated(visibleFrame.x());
    const qint64 y0 = truncated(visibleFrame.y());
    const qint64 w = truncated(visibleFrame.width());
    const qint64 h = truncated(visibleFrame.height());
    if (position == QLatin1String("right"))
        return { x0 + w - 493, y0, dockWindowDepth, h };
    if (position == QLatin1String("left"))
        return { x0 - 20, y0, dockWindowDepth, h };
    return { x0, y0, w, dockWindowDepth };
}

DockFrame screenDockTriggerFrame(QRectF visibleFrame, const std::optional<QString>& position)
{
    const qint64 x0 = truncated(visibleFrame.x());
    const qint64 y0 = truncated(visibleFrame.y());
    const qint64 w = truncated(visibleFrame.width());
    const qint64 h = truncated(visibleFrame.height());
    // A side strip is as narrow as the primary screen's: a wide one would
    // swallow clicks meant for the windows along that edge. A strip with no
    // stored edge sits on its own screen, not at the primary screen's y.
    if (position == QLatin1String("right"))
        return { x0 + w - 8, y0, 15, h };
    if (position == QLatin1String("left"))
        return { x0, y0, 15, h };
    return { x0, y0, w, 10 };
}

bool isMainDockScreenOrigin(QRectF visibleFrame)
{
    return truncated(visibleFrame.x()) == 0 && truncated(visibleFrame.y()) == 0;
}

DockFrame stripPlacement(const DockFrame& strip, const QRectF& visibleFrame)
{
    const qint64 left = std::max(strip.x, truncated(visibleFrame.x()));
    const qint64 bottom = std::max(strip.y, truncated(visibleFrame.y()));
    const qint64 right = std::min(strip.x + strip.width, truncated(visibleFrame.x() + visibleFrame.width()));
    const qint64 top = std::min(strip.y + strip.height, truncated(visibleFrame.y() + visibleFrame.height()));
    if (right <= left || top <= bottom)
        return strip;
    return { left, bottom, right - left, top - bottom };
}

DockFrame stripReach(const DockFrame& placedStrip, const QRectF& screenFrame, const QString& position)
{
    DockFrame reach = placedStrip;
    if (position == QLatin1String("left")) {
        const qint64 screenLeft = std::min(placedStrip.x, truncated(screenFrame.x()));
        reach.width += reach.x - screenLeft;
        reach.x = screenLeft;
    } else if (position == QLatin1String("right")) {
        const qint64 screenRight = truncated(screenFrame.x() + screenFrame.width());
        reach.width = std::max(reach.width, screenRight - reach.x);
    } else {
        const qint64 screenBottom = std::min(placedStrip.y, truncated(screenFrame.y()));
        reach.height += reach.y - screenBottom;
        reach.y = screenBottom;
    }
    return reach;
}

DockFrame stripEdgeTrigger(const DockFrame& placedStrip, const QRectF& screenFrame, const QString& position)
{
    const DockFrame reach = stripReach(placedStrip, screenFrame, position);
    if (position == QLatin1String("left"))
        return { reach.x, reach.y, 1, reach.height };
    if (position == QLatin1String("right"))
        return { reach.x + reach.width - 1, reach.y, 1, reach.height };
    return { reach.x, reach.y, reach.width, 1 };
}

QRect toWindowSystemRect(const DockFrame& frame, const QRect& primaryGeometry)
{
    const qint64 primaryBottom = qint64(primaryGeometry.y()) + primaryGeometry.height();
    return QRect(int(primaryGeometry.x() + frame.x), int(primaryBottom - (frame.y + frame.height)),
        int(frame.width), int(frame.height));
}

QRectF toDockSpace(const QRectF& windowSystemRect, const QRect& primaryGeometry)
{
    const double primaryBottom = double(primaryGeometry.y()) + primaryGeometry.height();
    return QRectF(windowSystemRect.x() - primaryGeometry.x(),
        primaryBottom - (windowSystemRect.y() + windowSystemRect.height()), windowSystemRect.width(),
        windowSystemRect.height());
}

QRect stripEdgeLine(const DockFrame& strip, const QRectF& screenFrame, const QString& position)
{
    const qint64 screenLeft = truncated(screenFrame.x());
    const qint64 screenRight = truncated(screenFrame.x() + screenFrame.width());
    const qint64 screenBottom = truncated(screenFrame.y());
    DockFrame line;
    if (position == QLatin1String("left")) {
        line = { std::max(strip.x, screenLeft), strip.y, 1, strip.height };
    } else if (position == QLatin1String("right")) {
        line = { std::min(strip.x + strip.width, screenRight) - 1, strip.y, 1, strip.height };
    } else {
        line = { strip.x, std::max(strip.y, screenBottom), strip.width, 1 };
    }
    // To the window's top-left coordinates.
    return QRect(int(line.x - strip.x), int((strip.y + strip.height) - (line.y + line.height)),
        int(line.width), int(line.height));
}

QRect edgeLineOnServer(
    const QRect& line, const QString& position, const std::vector<platform::ScaledScreen>& screens)
{
    const QRect onServer = platform::serverFromQt(QRectF(line), screens);
    // Never less than a pixel deep, whatever the rounding.
    const int right = onServer.x() + std::max(onServer.width(), 1) - 1;
    const int bottom = onServer.y() + std::max(onServer.height(), 1) - 1;
    if (position == QLatin1String("left"))
        return QRect(onServer.x(), onServer.y(), 1, onServer.height());
    if (position == QLatin1String("right"))
        return QRect(right, onServer.y(), 1, onServer.height());
    return QRect(onServer.x(), bottom, onServer.width(), 1);
}

StripOnServer stripOnServer(const DockFrame& placedStrip, const QRectF& screenFrame, const QString& position,
    const QRect& primaryGeometry, const std::vector<platform::ScaledScreen>& screens)
{
    StripOnServer strip;
    strip.area = platform::serverFromQt(
        QRectF(toWindowSystemRect(stripReach(placedStrip, screenFrame, position), primaryGeometry)), screens);
    strip.edge = edgeLineOnServer(
        toWindowSystemRect(stripEdgeTrigger(placedStrip, screenFrame, position), primaryGeometry), position,
        screens)
                     .translated(-strip.area.topLeft());
    return strip;
}
