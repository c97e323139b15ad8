#include "shell/AuxWindowGeometry.h"

#include "dock/layout/PopUpPlacement.h"
#include "platform/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

std::optional<ScreenFrames> screenContaining(const QList<ScreenFrames>& screens, QPoint point)
{
    for (const ScreenFrames& s : screens)
        if (s.frame.contains(point))
            return s;
    return std::nullopt;
}

QRect centredIn(QSize size, const QRect& area)
{
    return QRect(
        QPoint(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2),
        size);
}

QMargins assumedWindowFrame(qreal scale)
{
    // xfwm4 draws 5, 29, 5, 5; openbox, icewm and fluxbox less.
    const QMargins server(6, 32, 6, 6);
    const auto inQt = [scale](int pixels) { return int(std::ceil(pixels / std::max(scale, 1.0))); };
    return QMargins(inQt(server.left()), inQt(server.top()), inQt(server.right()), inQt(server.bottom()));
}

QRect framedWindowPlace(const QRect& wanted, const QRect& free, const QMargins& frame, QSize minimum)
{
    const QRect inside = free.marginsRemoved(frame);
    if (inside.isEmpty())
        return wanted;
    // In whole pixels: Qt's QRectF edges lie one past QRect's right and
    // bottom pixels.
    const QRectF fitted = fittedInside(QRectF(wanted), QRectF(inside), QSizeF(minimum));
    return QRect(qRound(fitted.x()), qRound(fitted.y()), qRound(fitted.width()), qRound(fitted.height()));
}

QRect toastFrame(const std::optional<ScreenFrames>& screen)
{
    if (!screen)
        return QRect();
    // Rounded, not truncated: 0.7 * 1440 is 1007.99… in binary.
    const QSize size(static_cast<int>(std::lround(screen->frame.width() * 0.7)),
        static_cast<int>(std::lround(screen->frame.height() * 0.7)));
    return centredIn(size, screen->frame);
}

QRect pasteboardFrame(const std::optional<ScreenFrames>& screen, const QString& edge)
{
    // The size of the panel the bar's clipboard tile opens on that screen,
    // so that the panel looks the same however it was asked for.
    constexpr int depth = 500;
    if (!screen)
        return QRect(0, 0, depth, depth);
    const QRect& vf = screen->visibleFrame;
    if (edge == QLatin1String("left"))
        return QRect(vf.x(), vf.y(), std::min(depth, vf.width()), vf.height());
    if (edge == QLatin1String("right"))
        return QRect(
            vf.right() + 1 - std::min(depth, vf.width()), vf.y(), std::min(depth, vf.width()), vf.height());
    const int height = std::min(depth, vf.height());
    if (edge == QLatin1String("top"))
        return QRect(vf.x(), vf.y(), vf.width(), height);
    return QRect(vf.x(), vf.y() + vf.height() - height, vf.width(), height);
}

QList<ScreenFrames> currentScreenFrames()
{
    QList<ScreenFrames> frames;
    for (QScreen* s : QGuiApplication::screens())
        frames.append(ScreenFrames { s->geometry(), s->availableGeometry() });
    return frames;
}

std::optional<ScreenFrames> screenUnderMouse()
{
    return screenContaining(currentScreenFrames(), platform::pointerInQt());
}
