#include "apps/WindowInfo.h"

#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(WindowInfoList, CarriesRealBoundsAndOnScreenStateFrontToBack)
{
    fake::FakePlatform fake;
    platform::install(platform::fake::services(&fake));
    fake.setOwnPid(1);
    fake.setPrimaryScreen(QRect(100, 0, 1000, 800)); // a screen left of the primary
    RunningApplication app;
    app.processIdentifier = 50;
    app.localizedName = QStringLiteral("Term");
    app.windowClass = QStringLiteral("Term");
    fake.addApp(app);
    const quint32 shown = fake.addWindow(50, QStringLiteral("shown"), QRect(150, 20, 300, 200));
    const quint32 hidden = fake.addWindow(50, std::nullopt, QRect(400, 300, 100, 100));
    fake.updateWindow(hidden, [](ServerWindow& w) { w.minimized = true; });
    fake.addWindow(1, QStringLiteral("ours"));

    const std::vector<WindowInfo> list = getWindowInfoList();
    ASSERT_EQ(list.size(), 2u) << "our own window is not listed";
    EXPECT_EQ(list[0].windowNumber, qint64(hidden)) << "front first";
    EXPECT_EQ(list[0].name, std::nullopt) << "no title is no name";
    EXPECT_FALSE(list[0].isOnscreen);
    EXPECT_EQ(list[1].windowNumber, qint64(shown));
    EXPECT_EQ(list[1].name, QStringLiteral("shown"));
    EXPECT_EQ(list[1].ownerName, QStringLiteral("Term"));
    EXPECT_EQ(list[1].ownerProcessID, 50);
    EXPECT_TRUE(list[1].isOnscreen);
    EXPECT_EQ(list[1].bounds, QRectF(50, 20, 300, 200)) << "relative to the primary screen's top-left";
    platform::uninstall();
}
