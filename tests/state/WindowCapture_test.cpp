#include "state/WindowCapture.h"

#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <gtest/gtest.h>

TEST(CaptureWindowImage, TakesTheWindowServersPictureAndNothingForHiddenWindows)
{
    EXPECT_FALSE(captureWindowImage(true, 0x400001)); // no platform installed yet
    platform::fake::FakePlatform fake;
    platform::install(platform::fake::services(&fake));
    const quint32 shown = fake.addWindow(100, QStringLiteral("shown"), QRect(0, 0, 40, 30));
    const quint32 hidden = fake.addWindow(100, QStringLiteral("hidden"), QRect(0, 0, 40, 30));
    fake.updateWindow(hidden, [](platform::ServerWindow& w) { w.minimized = true; });
    const auto image = captureWindowImage(true, shown);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(40, 30));
    EXPECT_FALSE(captureWindowImage(false, hidden));
    EXPECT_FALSE(captureWindowImage(false, 0xdead));
    platform::uninstall();
}
