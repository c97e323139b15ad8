#include "platform/ScreenScale.h"

#include "platform/Platform.h"
#include "platform/Services.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMutex>
#include <QScreen>
#include <QSizeF>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

QRect qtGeometry(const ScaledScreen& screen)
{
    if (screen.scale <= 0 || qFuzzyCompare(screen.scale, 1.0))
        return screen.place;
    return QRect(screen.place.topLeft(), (QSizeF(screen.place.size()) / screen.scale).toSize());
}

namespace {

    QRectF rectOf(const ScaledScreen& screen, bool inQt)
    {
        return QRectF(inQt ? qtGeometry(screen) : screen.place);
    }

    double distance(QPointF point, const QRectF& rect)
    {
        const double dx = std::max({ rect.left() - point.x(), 0.0, point.x() - rect.right() });
        const double dy = std::max({ rect.top() - point.y(), 0.0, point.y() - rect.bottom() });
        return std::hypot(dx, dy);
    }

    double scaleOf(const ScaledScreen& screen)
    {
        return screen.scale > 0 ? screen.scale : 1.0;
    }

    // About the screen's top-left, which both kinds of pixels share.
    QPointF toServer(QPointF point, const ScaledScreen& screen)
    {
        const QPointF origin(screen.place.topLeft());
        return (point - origin) * scaleOf(screen) + origin;
    }

    QPointF toQt(QPointF point, const ScaledScreen& screen)
    {
        const QPointF origin(screen.place.topLeft());
        return (point - origin) / scaleOf(screen) + origin;
    }

} // namespace

const ScaledScreen* screenOfPoint(QPointF point, bool inQt, const std::vector<ScaledScreen>& screens)
{
    const ScaledScreen* nearest = nullptr;
    double best = std::numeric_limits<double>::max();
    for (const ScaledScreen& screen : screens) {
        // Half-open, as pixels are: a point on the right or bottom edge
        // belongs to the screen beyond it.
        const QRectF rect = rectOf(screen, inQt);
        if (point.x() >= rect.left() && point.x() < rect.left() + rect.width() && point.y() >= rect.top()
            && point.y() < rect.top() + rect.height())
            return &screen;
        const double d = distance(point, rect);
        if (d < best) {
            best = d;
            nearest = &screen;
        }
    }
    return nearest;
}

QPointF serverFromQt(QPointF point, const std::vector<ScaledScreen>& screens)
{
    const ScaledScreen* screen = screenOfPoint(point, true, screens);
    return screen ? toServer(point, *screen) : point;
}

QPointF qtFromServer(QPointF point, const std::vector<ScaledScreen>& screens)
{
    const ScaledScreen* screen = screenOfPoint(point, false, screens);
    return screen ? toQt(point, *screen) : point;
}

QPoint qtPixelOnScreen(QPoint server, const std::vector<ScaledScreen>& screens)
{
    const ScaledScreen* screen = screenOfPoint(QPointF(server), false, screens);
    if (!screen)
        return server;
    const QPointF qt = toQt(QPointF(server), *screen);
    const QRect area = qtGeometry(*screen);
    // A point off every screen is taken to the nearest one's edge.
    const auto held = [](double value, int first, int last) {
        return std::clamp(int(std::floor(value)), first, std::max(first, last));
    };
    return QPoint(held(qt.x(), area.left(), area.right()), held(qt.y(), area.top(), area.bottom()));
}

namespace {

    // Both corners rounded: rectangles that meet in one kind of pixels meet
    // in the other too. A rectangle that ends at its screen's right or
    // bottom edge ends at that edge in the other kind as well: the screen's
    // size in Qt's pixels is rounded, and at 3 a rounding can leave the
    // server's last column or row out (a strip along that edge must hold
    // it, or the pointer resting there finds nothing).
    QRect convertedRect(const QRectF& rect, const ScaledScreen& screen, bool toServerPixels)
    {
        const auto convert = toServerPixels ? toServer : toQt;
        QPoint a = convert(rect.topLeft(), screen).toPoint();
        QPoint b = convert(rect.bottomRight(), screen).toPoint();
        const QRectF from(toServerPixels ? qtGeometry(screen) : screen.place);
        const QRect to = toServerPixels ? screen.place : qtGeometry(screen);
        if (std::abs(rect.x() + rect.width() - (from.x() + from.width())) < 0.5)
            b.setX(to.x() + to.width());
        if (std::abs(rect.y() + rect.height() - (from.y() + from.height())) < 0.5)
            b.setY(to.y() + to.height());
        return QRect(a, QSize(b.x() - a.x(), b.y() - a.y()));
    }

} // namespace

QRegion serverRegion(const QRegion& region, qreal ratio)
{
    QRegion scaled;
    for (const QRect& r : region) {
        const int x = int(std::floor(r.x() * ratio));
        const int y = int(std::floor(r.y() * ratio));
        const int right = int(std::ceil((r.x() + r.width()) * ratio));
        const int bottom = int(std::ceil((r.y() + r.height()) * ratio));
        scaled += QRect(x, y, std::max(0, right - x), std::max(0, bottom - y));
    }
    return scaled;
}

QRect serverFromQt(const QRectF& rect, const std::vector<ScaledScreen>& screens)
{
    const ScaledScreen* screen = screenOfPoint(rect.center(), true, screens);
    return screen ? convertedRect(rect, *screen, true) : rect.toRect();
}

QRect qtFromServer(const QRect& rect, const std::vector<ScaledScreen>& screens)
{
    const ScaledScreen* screen = screenOfPoint(QRectF(rect).center(), false, screens);
    return screen ? convertedRect(QRectF(rect), *screen, false) : rect;
}

namespace {

    struct Reading {
        QMutex mutex;
        std::vector<ScaledScreen> screens;
    };

    Reading& lastReading()
    {
        static Reading reading;
        return reading;
    }

    bool onGuiThread()
    {
        const QCoreApplication* app = QCoreApplication::instance();
        return qobject_cast<const QGuiApplication*>(app) && QThread::currentThread() == app->thread();
    }

} // namespace

std::vector<ScaledScreen> scaledScreens()
{
    Reading& reading = lastReading();
    if (!onGuiThread()) {
        QMutexLocker lock(&reading.mutex);
        return reading.screens;
    }
    std::vector<ScaledScreen> screens;
    const std::shared_ptr<ScreenIdentity> identity = screenIdentity();
    for (const QScreen* screen : QGuiApplication::screens()) {
        ScaledScreen scaled;
        scaled.name = screen->name();
        scaled.scale = screen->devicePixelRatio();
        // After a mode switch Qt can keep a screen's old place (it updates
        // its own record of the output without telling the QScreen): the
        // server's is the one that holds.
        std::optional<QRect> place = identity ? identity->place(scaled.name) : std::nullopt;
        if (!place || place->isEmpty()) {
            const QRect qt = screen->geometry();
            place = QRect(qt.topLeft(), (QSizeF(qt.size()) * scaled.scale).toSize());
        }
        scaled.place = *place;
        screens.push_back(scaled);
    }
    QMutexLocker lock(&reading.mutex);
    reading.screens = screens;
    return screens;
}

QPoint serverFromQt(QPointF point)
{
    return serverFromQt(point, scaledScreens()).toPoint();
}

QPointF qtFromServer(QPointF point)
{
    return qtFromServer(point, scaledScreens());
}

QRect serverFromQt(const QRectF& rect)
{
    return serverFromQt(rect, scaledScreens());
}

QRect qtFromServer(const QRect& rect)
{
    return qtFromServer(rect, scaledScreens());
}

QPoint pointerOnServer()
{
    if (hasCurrent())
        return current().pointer().position();
    // No desktop (tests on the offscreen platform): Qt's own idea of it.
    return serverFromQt(QPointF(QCursor::pos()));
}

QPoint pointerInQt()
{
    return qtPixelOnScreen(pointerOnServer(), scaledScreens());
}

QString pointerScreenName()
{
    const std::vector<ScaledScreen> screens = scaledScreens();
    const ScaledScreen* screen = screenOfPoint(QPointF(pointerOnServer()), false, screens);
    return screen ? screen->name : QString();
}

} // namespace platform
