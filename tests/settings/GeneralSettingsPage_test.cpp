// The "General" page: what each switch stores, which ones redraw the bar, the
// deferred multiple-screens step, the capture request and "Quit Dock".
#include "settings/GeneralSettingsPage.h"

#include "state/AppState.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ManualQueue.h"
#include "tests/support/TempStores.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

struct GeneralScript {
    bool captureAllowed = true;
    bool needUpdate = false;
    QStringList calls;
};

GeneralSettingsServices generalServices(GeneralScript& script)
{
    GeneralSettingsServices s;
    s.screenCaptureAllowed = [&script] { return script.captureAllowed; };
    s.requestScreenCapture = [&script] { script.calls << "request capture"; };
    s.createDockWindows = [&script] {
        // Reads the stored setting when it runs, as the real one does.
        script.calls << (CustomSettings().supportMultiScreens() ? "create (on)" : "create (off)");
    };
    s.closeDockWindows = [&script] { script.calls << "close"; };
    s.quitPlaceholderApp = [&script] { script.calls << "quit placeholder"; };
    s.quitApplication = [&script] { script.calls << "quit"; };
    s.needUpdate = [&script] { return script.needUpdate; };
    s.siteName = QStringLiteral("example.org");
    s.siteUrl = QStringLiteral("https://example.org");
    return s;
}

class GeneralSettingsTest : public ::testing::Test {
protected:
    QVariant storedRaw(const QString& key) const
    {
        return QSettings(defaults.path(), QSettings::IniFormat).value(key);
    }

    TempUserDefaults defaults;
    AppState state;
    ManualQueue queue;
    GeneralScript script;
};

TEST_F(GeneralSettingsTest, ShowingThePageWritesAndStampsNothing)
{
    const QByteArray before = defaults.readRaw();
    state.lastUpdateTime = QDateTime::fromSecsSinceEpoch(1000);
    ChangeCounter notices(state);
    GeneralSettingsView view(state, queue, generalServices(script));
    view.show();
    EXPECT_EQ(defaults.readRaw(), before);
    EXPECT_EQ(state.lastUpdateTime, QDateTime::fromSecsSinceEpoch(1000));
    EXPECT_EQ(notices.count, 0);
    // Seeded from the settings' defaults.
    EXPECT_TRUE(view.page().value(GeneralSwitch::showBadge));
    EXPECT_FALSE(view.page().value(GeneralSwitch::hideMainButton));
    EXPECT_TRUE(view.page().value(GeneralSwitch::supportMultiScreens));
}

TEST_F(GeneralSettingsTest, EachSwitchStoresItsKeyAndStampsAsItsRowSays)
{
    struct Row {
        GeneralSwitch which;
        const char* key;
        bool stamps;
    };
    const Row rows[] = {
        { GeneralSwitch::mouseInWindow, "mouseMoveToWindowCenter", true },
        { GeneralSwitch::showBadge, "dockBadge", true },
        { GeneralSwitch::disablePreview, "disablePreview", true },
        { GeneralSwitch::enableAutoHideWhenFullScreen, "enableAutoHideWhenFullScreen", true },
        { GeneralSwitch::restartDockWhenWake, "restartDockWhenWake", false },
        { GeneralSwitch::showProcessInfo, "showProcessInfo", true },
        { GeneralSwitch::showLunchpadButton, "showLunchpadButton", true },
        { GeneralSwitch::supportMultiScreens, "everyScreen", false },
        { GeneralSwitch::hideMainButton, "hideMainButton", true },
    };
    GeneralSettingsPage page(state, queue, generalServices(script));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        const bool flipped = !page.value(row.which);
        const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1000);
        state.lastUpdateTime = stamp;
        ChangeCounter notices(state);
        page.change(row.which, flipped);
        EXPECT_EQ(storedRaw(QLatin1String(row.key)).toBool(), flipped);
        EXPECT_EQ(notices.count, row.stamps ? 1 : 0);
        EXPECT_EQ(state.lastUpdateTime != stamp, row.stamps);
    }
}

TEST_F(GeneralSettingsTest, MultipleScreensRunsEachStepLaterAndInOrder)
{
    GeneralSettingsPage page(state, queue, generalServices(script));
    page.change(GeneralSwitch::supportMultiScreens, false);
    page.change(GeneralSwitch::supportMultiScreens, true);
    page.change(GeneralSwitch::supportMultiScreens, false);
    queue.advance(0.1);
    EXPECT_TRUE(script.calls.isEmpty());
    queue.advance(0.1);
    // The middle step finds the setting off again and builds nothing.
    EXPECT_EQ(script.calls, (QStringList { "close", "create (off)", "close" }));
    EXPECT_FALSE(storedRaw("everyScreen").toBool());
}

TEST_F(GeneralSettingsTest, CaptureIsRequestedOnlyWhenPreviewsComeBackWithoutPermission)
{
    struct Case {
        bool allowed;
        bool disable;
        bool requested;
    };
    const Case cases[] = {
        { false, true, false },
        { false, false, true },
        { true, false, false },
    };
    for (const Case& c : cases) {
        script = GeneralScript();
        script.captureAllowed = c.allowed;
        GeneralSettingsPage page(state, queue, generalServices(script));
        page.change(GeneralSwitch::disablePreview, !c.disable);
        script.calls.clear();
        page.change(GeneralSwitch::disablePreview, c.disable);
        EXPECT_EQ(script.calls.contains("request capture"), c.requested) << c.allowed << c.disable;
        EXPECT_EQ(storedRaw("disablePreview").toBool(), c.disable);
    }
}

TEST_F(GeneralSettingsTest, BadgePictureFollowsTheSwitch)
{
    GeneralSettingsView view(state, queue, generalServices(script));
    auto* box = view.findChild<QCheckBox*>("dockBadge");
    auto* picture = view.findChild<QLabel*>("badgePicture");
    ASSERT_TRUE(box && picture);
    EXPECT_EQ(picture->property("pictureName").toString(), "BadgeExample");
    box->click();
    EXPECT_EQ(picture->property("pictureName").toString(), "BadgeExampleNone");
    EXPECT_FALSE(storedRaw("dockBadge").toBool());
    box->click();
    EXPECT_EQ(picture->property("pictureName").toString(), "BadgeExample");
}

TEST_F(GeneralSettingsTest, UpdateLinkOnlyWhileAnUpdateIsKnownAndASiteIsSet)
{
    EXPECT_EQ(
        GeneralSettingsView(state, queue, generalServices(script)).findChild<QLabel*>("updateLink"), nullptr);
    script.needUpdate = true;
    GeneralSettingsView view(state, queue, generalServices(script));
    auto* link = view.findChild<QLabel*>("updateLink");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains("💫 ⭐️ 🌟 Go to example.org to get the newest update."));
    GeneralSettingsServices noSite = generalServices(script);
    noSite.siteUrl.clear();
    EXPECT_EQ(GeneralSettingsView(state, queue, noSite).findChild<QLabel*>("updateLink"), nullptr);
}

TEST_F(GeneralSettingsTest, QuitDockAsksThePlaceholderThenQuits)
{
    GeneralSettingsView view(state, queue, generalServices(script));
    auto* quit = view.findChild<QPushButton*>("quitDock");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->text(), "Quit Dock");
    quit->click();
    EXPECT_EQ(script.calls, (QStringList { "quit placeholder", "quit" }));
}

} // namespace
