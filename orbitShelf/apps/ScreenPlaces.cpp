#include "apps/ScreenPlaces.h"

#include "apps/DockEdgeReserve.h"
#include "apps/ScreenIdentifier.h"
#include "platform/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

using Screens = std::vector<platform::ScaledScreen>;

// Each answer reads the screens' table once: it is read afresh on every
// call (the server's places can change at any time).
const platform::ScaledScreen* scaledScreen(const QScreen* screen, const Screens& screens)
{
    for (const platform::ScaledScreen& scaled : screens)
        if (scaled.name == screen->name())
            return &scaled;
    return nullptr;
}

QRect geometryIn(const QScreen* screen, const Screens& screens)
{
    if (!screen)
        return {};
    const platform::ScaledScreen* scaled = scaledScreen(screen, screens);
    return scaled ? platform::qtGeometry(*scaled) : screen->geometry();
}

QRect placeIn(const QScreen* screen, const Screens& screens)
{
    if (!screen)
        return {};
    const platform::ScaledScreen* scaled = scaledScreen(screen, screens);
    return scaled ? scaled->place : screen->geometry();
}

} // namespace

QRect screenGeometry(const QScreen* screen)
{
    return geometryIn(screen, platform::scaledScreens());
}

QRect screenPlace(const QScreen* screen)
{
    return placeIn(screen, platform::scaledScreens());
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

namespace {

QRect availableIn(const QScreen* screen, const Screens& screens)
{
    if (!screen)
        return {};
    const QRect geometry = geometryIn(screen, screens);
    // The window manager's one work area cannot tell several screens' free
    // parts (xfwm4's is the primary screen's alone), and Qt's record of a
    // screen's part is the whole screen at start, the work area's cut after
    // a change of that screen. The whole screen then, as at start: other
    // panels are cut by their own reserves (visibleArea).
    if (QGuiApplication::screens().size() > 1)
        return geometry;
    return availableOnPlace(geometry, screen->geometry(), screen->availableGeometry());
}

} // namespace

QRect screenAvailableGeometry(const QScreen* screen)
{
    return availableIn(screen, platform::scaledScreens());
}

QRect screensVirtualGeometry()
{
    const Screens screens = platform::scaledScreens();
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all |= geometryIn(screen, screens);
    return all;
}

QRect serverRootGeometry(const Screens& screens)
{
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all |= placeIn(screen, screens);
    return all;
}

std::vector<QRect> serverScreenPlaces(const Screens& screens)
{
    std::vector<QRect> places;
    for (const QScreen* screen : QGuiApplication::screens())
        places.push_back(placeIn(screen, screens));
    return places;
}

QRect primaryScreenGeometry()
{
    return screenGeometry(QGuiApplication::primaryScreen());
}

QScreen* screenAtPoint(const QPoint& point)
{
    const Screens screens = platform::scaledScreens();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (geometryIn(screen, screens).contains(point))
            return screen;
    }
    return nullptr;
}

QScreen* screenOfPointer()
{
    const QString name = platform::pointerScreenName();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

namespace {

// The screen's available part in the server's pixels.
QRect serverAvailable(const QScreen* screen, const Screens& screens)
{
    const QRect available = availableIn(screen, screens);
    const QRect place = placeIn(screen, screens);
    if (available == geometryIn(screen, screens))
        return place;
    return platform::serverFromQt(QRectF(available), screens) & place;
}

} // namespace

QRect screenFreeArea(
    const QScreen* screen, const QString& screenKey, const std::vector<platform::ReservedEdge>& others)
{
    if (!screen)
        return {};
    const Screens screens = platform::scaledScreens();
    const QRect place = placeIn(screen, screens);
    const QRect free = visibleArea(
        screenKey, serverAvailable(screen, screens), place, serverRootGeometry(screens), others);
    const QRect geometry = geometryIn(screen, screens);
    if (free == place)
        return geometry;
    return platform::qtFromServer(free, screens) & geometry;
}

QRect screenWindowArea(const QScreen* screen)
{
    if (!screen)
        return {};
    const QString key = screenIdentifierKey(screen);
    std::vector<platform::ReservedEdge> reserves = platform::otherReservedEdges();
    // Only this screen's bar: the reserves of all bars merged per side keep
    // one bar's columns, which may be another screen's.
    const std::vector<platform::ReservedEdge>& own = ownEdgeReserves(key);
    reserves.insert(reserves.end(), own.begin(), own.end());
    return screenFreeArea(screen, key, reserves);
}

void recordScreenMarginsBeforeOwnReserve(
    const QScreen* screen, const QString& screenKey, const std::vector<platform::ReservedEdge>& others)
{
    if (!screen)
        return;
    const Screens screens = platform::scaledScreens();
    recordMarginsBeforeOwnReserve(screenKey, serverAvailable(screen, screens), placeIn(screen, screens),
        serverRootGeometry(screens), others);
}
