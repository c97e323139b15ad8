// The permission prompts of the window buttons' hover.
#include "dock/preview/WindowHoverHandler.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <gtest/gtest.h>

namespace {

struct Gates {
    bool trusted = true;
    bool captureAllowed = true;
    int trustAsks = 0;
    int settingsOpened = 0;
    int captureRequests = 0;

    HoverPermissionServices services()
    {
        HoverPermissionServices s;
        s.isProcessTrusted = [this](bool prompt) {
            EXPECT_TRUE(prompt);
            ++trustAsks;
            return trusted;
        };
        s.openAccessibilitySettings = [this] { ++settingsOpened; };
        s.preflightScreenCapture = [this] { return captureAllowed; };
        s.requestScreenCapture = [this] { ++captureRequests; };
        return s;
    }
};

TEST(HoverPermissionPrompts, UntrustedOpensTheSettingsOnceARun)
{
    Gates gates;
    gates.trusted = false;
    HoverPermissionPrompts prompts(gates.services());
    for (int i = 0; i < 5; ++i)
        prompts.hoverChanged(false);
    EXPECT_EQ(gates.settingsOpened, 1) << "entering and leaving buttons must not reopen the page";
    EXPECT_EQ(gates.trustAsks, 2);
    EXPECT_EQ(gates.captureRequests, 0) << "capture is asked for only once trusted";
}

TEST(HoverPermissionPrompts, CaptureRequestedOnceOnlyWithPreviewsOn)
{
    Gates gates;
    gates.captureAllowed = false;
    HoverPermissionPrompts withPreviews(gates.services());
    withPreviews.hoverChanged(false);
    withPreviews.hoverChanged(false);
    EXPECT_EQ(gates.captureRequests, 1);
    EXPECT_EQ(gates.settingsOpened, 0);

    Gates off;
    off.captureAllowed = false;
    HoverPermissionPrompts previewsOff(off.services());
    previewsOff.hoverChanged(true);
    EXPECT_EQ(off.captureRequests, 0);
}

TEST(HoverPermissionPrompts, StandardServicesAskThePlatform)
{
    platform::fake::FakePlatform fake;
    platform::install(platform::fake::services(&fake));
    const HoverPermissionServices services = standardHoverPermissionServices();
    EXPECT_TRUE(services.isProcessTrusted(true));
    EXPECT_TRUE(services.preflightScreenCapture()) << "X11 has no capture permission to ask for";
    fake.setTrusted(false);
    EXPECT_FALSE(services.isProcessTrusted(true));
    platform::uninstall();
}

} // namespace
