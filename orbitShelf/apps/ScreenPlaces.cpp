#include "apps/ScreenPlaces.h"

#include "platform/Services.h"

#include <QGuiApplication>
#include <QScreen>

QRect screenGeometry(const QScreen* screen)
{
    if (!screen)
        return {};
    if (const std::shared_ptr<platform::ScreenIdentity> source = platform::screenIdentity()) {
        if (const std::optional<QRect> place = source->place(screen->name()); place && !place->isEmpty())
            return *place;
    }
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
