#include "apps/ScreenPlaces.h"

#include "platform/fake/FakeScreenIdentity.h"
#include "platform/fake/FakeServices.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

// Qt's available part follows a screen that kept its size to its new place;
// of a screen that changed its size, what of it lies on the new place.
TEST(ScreenPlaces, TheAvailablePartFollowsTheScreensPlace)
{
    const QRect qtPlace(1400, 0, 1920, 1080), qtAvailable(1400, 0, 1920, 998);
    EXPECT_EQ(availableOnPlace(qtPlace, qtPlace, qtAvailable), qtAvailable);
    EXPECT_EQ(availableOnPlace(QRect(1280, 0, 1920, 1080), qtPlace, qtAvailable), QRect(1280, 0, 1920, 998));
    EXPECT_EQ(availableOnPlace(QRect(1400, 0, 1680, 1050), qtPlace, qtAvailable), QRect(1400, 0, 1680, 998));
    EXPECT_EQ(availableOnPlace(QRect(0, 0, 1280, 1024), qtPlace, qtAvailable), QRect(0, 0, 1280, 1024))
        << "nothing of the old available part on the new place";
}

// The server's place of a screen wins over Qt's; Qt's stands where the
// server tells nothing.
TEST(ScreenPlaces, TheServersPlaceWinsOverQts)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    auto fake = std::make_shared<platform::fake::FakeScreenIdentity>();
    platform::Services services = platform::fake::services();
    services.screenIdentity = fake;
    platform::install(std::move(services));
    EXPECT_EQ(screenGeometry(screen), screen->geometry());
    EXPECT_EQ(screenAvailableGeometry(screen), screen->availableGeometry());
    EXPECT_EQ(screenAtPoint(screen->geometry().center()), screen);

    const QRect moved = screen->geometry().translated(5000, 0);
    fake->places.insert(screen->name(), moved);
    EXPECT_EQ(screenGeometry(screen), moved);
    EXPECT_EQ(primaryScreenGeometry(), moved);
    EXPECT_EQ(screensVirtualGeometry(), moved);
    EXPECT_EQ(screenAtPoint(moved.center()), screen);
    EXPECT_EQ(screenAtPoint(screen->geometry().center()), nullptr) << "where Qt still has it";
    platform::uninstall();
}
