#include "apps/ScreenPlaces.h"

#include "apps/DockEdgeReserve.h"
#include "platform/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>

#include <optional>

namespace {

std::optional<platform::ScaledScreen> scaledScreen(const QScreen* screen)
{
    if (!screen)
        return std::nullopt;
    for (const platform::ScaledScreen& scaled : platform::scaledScreens())
        if (scaled.name == screen->name())
            return scaled;
    return std::nullopt;
}

} // namespace

QRect screenGeometry(const QScreen* screen)
{
    if (!screen)
        return {};
    if (const std::optional<platform::ScaledScreen> scaled = scaledScreen(screen))
        return platform::qtGeometry(*scaled);
    return screen->geometry();
}

QRect screenPlace(const QScreen* screen)
{
    if (!screen)
        return {};
    if (const std::optional<platform::ScaledScreen> scaled = scaledScreen(screen))
        return scaled->place;
    return screen->geometry();
}

QRect availableOnPlace(const QRect& geometry, const QRect& qtGeometry, const QRect& qtAvailable)
{
    if (geometry == qtGeometry)
        return qtAvailable;
    if (geometry.size() == qtGeometry.size() && qtGeometry.contains(qtAvailable))
        return qtAvailable.translated(geometry.topLeft() - qtGeometry.topLeft());
    const QRect inside = qtAvailable.intersected(geometry);
    return inside.isEmpty() ? geometry : inside;
}

QRect screenAvailableGeometry(const QScreen* screen)
{
    if (!screen)
        return {};
    const QRect geometry = screenGeometry(screen);
    // The window manager's one work area cannot tell several screens' free
    // parts (xfwm4's is the primary screen's alone), and Qt's record of a
    // screen's part is the whole screen at start, the work area's cut after
    // a change of that screen. The whole screen then, as at start: other
    // panels are cut by their own reserves (visibleArea).
    if (QGuiApplication::screens().size() > 1)
        return geometry;
    return availableOnPlace(geometry, screen->geometry(), screen->availableGeometry());
}

QRect screensVirtualGeometry()
{
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all |= screenGeometry(screen);
    return all;
}

QRect serverRootGeometry()
{
    QRect all;
    for (const QRect& place : serverScreenPlaces())
        all |= place;
    return all;
}

std::vector<QRect> serverScreenPlaces()
{
    std::vector<QRect> places;
    for (const QScreen* screen : QGuiApplication::screens())
        places.push_back(screenPlace(screen));
    return places;
}

QRect primaryScreenGeometry()
{
    return screenGeometry(QGuiApplication::primaryScreen());
}

QScreen* screenAtPoint(const QPoint& point)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screenGeometry(screen).contains(point))
            return screen;
    }
    return nullptr;
}

namespace {

// The screen's available part in the server's pixels.
QRect serverAvailable(const QScreen* screen)
{
    const QRect available = screenAvailableGeometry(screen);
    if (available == screenGeometry(screen))
        return screenPlace(screen);
    return platform::serverFromQt(QRectF(available)) & screenPlace(screen);
}

} // namespace

QRect screenFreeArea(
    const QScreen* screen, const QString& screenKey, const std::vector<platform::ReservedEdge>& others)
{
    if (!screen)
        return {};
    const QRect place = screenPlace(screen);
    const QRect free = visibleArea(screenKey, serverAvailable(screen), place, serverRootGeometry(), others);
    if (free == place)
        return screenGeometry(screen);
    return platform::qtFromServer(free) & screenGeometry(screen);
}

void recordScreenMarginsBeforeOwnReserve(
    const QScreen* screen, const QString& screenKey, const std::vector<platform::ReservedEdge>& others)
{
    if (!screen)
        return;
    recordMarginsBeforeOwnReserve(
        screenKey, serverAvailable(screen), screenPlace(screen), serverRootGeometry(), others);
}
