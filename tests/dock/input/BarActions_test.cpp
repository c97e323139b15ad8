// Clicks on the bar's buttons, pinned launches and the delayed hide.
#include "dock/input/BarActions.h"

#include "tests/dock/DockTestSupport.h"
#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

namespace {

using orbitshelf::test::ManualQueue;
const QString kActionsScreen = QStringLiteral("Optional(S)");

class BarActionsTest : public StateTest {
protected:
    void SetUp() override
    {
        services.activateWindow = [this](Windows& w) { activated.push_back(w.num.value_or(0)); };
        services.openApplication = [this](const QString& id) {
            opened << id;
            return openSucceeds;
        };
        services.refreshRunningApps = [this] { ++refreshes; };
        services.startCommand = [this](const QStringList& argv) {
            log << "start " + argv.join(' ');
            return openSucceeds;
        };
        services.alert = [this](const QString& message, const QString&) { log << "alert " + message; };
        services.unpinApp = [this](const QString& name) { log << "unpin " + name; };
        services.scheduleDockReload = [this] { log << "reload"; };
        services.fileManagerId = [] { return std::optional<QString>("org.example.Files.desktop"); };
    }

    std::shared_ptr<ActiveApp> pinned(const QString& id, const QString& name)
    {
        auto app = std::make_shared<ActiveApp>();
        app->bundleIdentifier = id;
        app->appBundleName = name;
        state.pinnedAnNotRunning.append(app);
        return app;
    }

    BarActionServices services;
    ManualQueue queue;
    std::vector<uint32_t> activated;
    QStringList opened;
    QStringList log;
    int refreshes = 0;
    bool openSucceeds = true;
};

TEST_F(BarActionsTest, WindowClickActivatesUnlessTheFileManagerIsReplaced)
{
    Windows files;
    files.num = 7;
    files.bundleIdentifier = "org.example.Files";
    Windows other;
    other.num = 8;
    other.appBundleName = "xterm";

    windowButtonClicked(state, files, services);
    windowButtonClicked(state, other, services);
    EXPECT_EQ(activated, (std::vector<uint32_t> { 7, 8 }));
    EXPECT_FALSE(state.popups[Tool::FastFinder]);

    state.settings.setReplaceFinder(true);
    windowButtonClicked(state, files, services);
    EXPECT_TRUE(state.popups[Tool::FastFinder]);
    EXPECT_EQ(activated.size(), 2u) << "the folder browser opens instead; nothing is activated";

    Windows finder;
    finder.num = 9;
    finder.appBundleName = "Finder";
    state.popups[Tool::FastFinder] = false;
    windowButtonClicked(state, finder, services);
    EXPECT_TRUE(state.popups[Tool::FastFinder]);
    windowButtonClicked(state, other, services);
    EXPECT_EQ(activated.back(), 8u);
}

TEST_F(BarActionsTest, PinnedButtonGoesOnlyWhenTheApplicationRunsAndStaysWhenItsLaunchFails)
{
    PinnedLaunches launches(state, services, queue);
    auto notes = pinned("org.example.Notes.desktop", "notes");
    pinned("org.example.Mail.desktop", "mail");

    launches.openPinnedApp(*notes);
    EXPECT_EQ(opened, QStringList { "org.example.Notes.desktop" });
    EXPECT_TRUE(state.openFromPinbar);
    queue.advance(0.05);
    EXPECT_EQ(refreshes, 1);
    // Not running yet (slow start): a timer would have dropped the button here.
    queue.advance(1.0);
    EXPECT_EQ(state.pinnedAnNotRunning.size(), 2);

    addRunningApp(state, 4242, 0)->bundleIdentifier = "org.example.Notes.desktop";
    EXPECT_TRUE(launches.settle());
    ASSERT_EQ(state.pinnedAnNotRunning.size(), 1);
    EXPECT_EQ(state.pinnedAnNotRunning.front()->appBundleName, "mail");
    EXPECT_EQ(launches.pendingCount(), 0);
    EXPECT_FALSE(launches.settle()) << "nothing left to do";

    openSucceeds = false;
    state.openFromPinbar = false;
    launches.openPinnedApp(*state.pinnedAnNotRunning.front());
    queue.advance(5);
    EXPECT_EQ(state.pinnedAnNotRunning.size(), 1) << "a failed launch keeps the button";
    EXPECT_FALSE(state.openFromPinbar);
    EXPECT_EQ(launches.pendingCount(), 0);
}

TEST_F(BarActionsTest, APinnedProgramWithoutEntryStartsFromItsCommandOrSaysWhyNot)
{
    PinnedLaunches launches(state, services, queue);
    auto clock = pinned("", "xclock");
    clock->appName = "XClock";
    clock->launchCommand = QStringList { "/usr/bin/xclock", "-digital" };
    launches.openPinnedApp(*clock);
    EXPECT_EQ(log, QStringList { "start /usr/bin/xclock -digital" }) << "run as recorded, no shell";
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(state.openFromPinbar);

    log.clear();
    clock->launchCommand.reset();
    launches.openPinnedApp(*clock);
    EXPECT_EQ(log, QStringList { "alert XClock could not be started." });

    log.clear();
    openSucceeds = false;
    launches.openPinnedApp(*pinned("org.example.Notes.desktop", "notes"));
    EXPECT_EQ(log, QStringList { "alert notes could not be started." }) << "a failed start is said, too";
}

TEST_F(BarActionsTest, RemoveReloadsOnlyAfterTheUnpin)
{
    PinnedLaunches launches(state, services, queue);
    auto notes = pinned("org.example.Notes.desktop", "notes");
    launches.removePinnedApp(*notes);
    EXPECT_EQ(log, (QStringList { "unpin notes", "reload" }));
}

TEST_F(BarActionsTest, LeavingAnAutoHiddenBarHidesItUnlessThePointerComesBack)
{
    state.settings.setAutoHideSpaceDock({ { kActionsScreen, "true" } });
    state.showSpaceDock[kActionsScreen] = true;
    BarHoverHide hide(state, kActionsScreen, queue);

    hide.hovering(false);
    queue.advance(0.2);
    hide.hovering(true); // back within 0.3 s
    queue.advance(1.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);

    hide.hovering(false);
    queue.advance(0.29);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);
    queue.advance(0.02);
    EXPECT_FALSE(state.showSpaceDock[kActionsScreen]);
}

TEST_F(BarActionsTest, ABarItsStripBroughtBackHidesWhenThePointerGoesElsewhere)
{
    state.settings.setAutoHideSpaceDock({ { kActionsScreen, "true" } });
    state.showSpaceDock[kActionsScreen] = true; // the strip brought it back
    BarHoverHide hide(state, kActionsScreen, queue);

    hide.stripLeft(true); // onto the bar: its own leave hides it later
    queue.advance(1.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);

    hide.stripLeft(false); // elsewhere: the bar is never crossed
    queue.advance(0.31);
    EXPECT_FALSE(state.showSpaceDock[kActionsScreen]);
}

TEST_F(BarActionsTest, APointerRestingNearTheBarIsLookedAtAgainUntilItGoes)
{
    state.settings.setAutoHideSpaceDock({ { kActionsScreen, "true" } });
    state.showSpaceDock[kActionsScreen] = true; // the strip brought it back
    BarHoverHide hide(state, kActionsScreen, queue);
    bool near = true; // on a panel past the strip: no leave will come
    int asked = 0;
    hide.setPointerCheck([&] {
        ++asked;
        return near;
    });

    hide.stripLeft(false);
    queue.advance(2.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);
    EXPECT_GE(asked, 5);
    near = false; // gone, and nothing told
    queue.advance(0.31);
    EXPECT_FALSE(state.showSpaceDock[kActionsScreen]);
    const int hidAfter = asked;
    queue.advance(2.0);
    EXPECT_EQ(asked, hidAfter) << "a hidden bar is not looked after";

    // Onto a bar that never hears the pointer come (its input area appeared
    // under it): looked at all the same.
    state.showSpaceDock[kActionsScreen] = true;
    near = true;
    hide.stripLeft(true);
    queue.advance(1.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);
    near = false;
    queue.advance(0.31);
    EXPECT_FALSE(state.showSpaceDock[kActionsScreen]);

    // Any enter or leave takes over from the look.
    state.showSpaceDock[kActionsScreen] = true;
    near = true;
    hide.stripLeft(false);
    queue.advance(0.31);
    hide.hovering(true);
    const int before = asked;
    queue.advance(2.0);
    EXPECT_EQ(asked, before);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);
}

TEST_F(BarActionsTest, AnOpenMenuKeepsTheBarUntilItClosesAwayFromIt)
{
    state.settings.setAutoHideSpaceDock({ { kActionsScreen, "true" } });
    state.showSpaceDock[kActionsScreen] = true;
    BarHoverHide hide(state, kActionsScreen, queue);

    hide.hovering(false); // a hide already on its way when the menu opens
    hide.hold();
    hide.hold(); // a submenu's panel, say
    hide.stripLeft(false);
    queue.advance(1.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]) << "hidden under its menu";
    hide.release(false);
    queue.advance(1.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]) << "one menu is still open";

    hide.release(true); // closed with the pointer on the bar
    queue.advance(1.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);
    hide.hold();
    hide.release(false); // closed with the pointer elsewhere
    queue.advance(0.31);
    EXPECT_FALSE(state.showSpaceDock[kActionsScreen]);

    // The menu's entry turned auto-hide on as it closed.
    state.settings.setAutoHideSpaceDock({ { kActionsScreen, "false" } });
    state.showSpaceDock[kActionsScreen] = true;
    hide.hold();
    hide.release(false);
    state.settings.setAutoHideSpaceDock({ { kActionsScreen, "true" } });
    queue.advance(0.31);
    EXPECT_FALSE(state.showSpaceDock[kActionsScreen]);
}

TEST_F(BarActionsTest, LeavingABarThatIsNotAutoHiddenChangesNothing)
{
    state.settings.setAutoHideSpaceDock({ { kActionsScreen, "false" } });
    state.showSpaceDock[kActionsScreen] = true;
    {
        BarHoverHide hide(state, kActionsScreen, queue);
        hide.hovering(false);
        EXPECT_EQ(queue.pendingCount(), 0u);
        state.settings.setAutoHideSpaceDock({ { kActionsScreen, "true" } });
        hide.hovering(false);
    } // the bar goes before its hide is due
    queue.advance(1.0);
    EXPECT_TRUE(state.showSpaceDock[kActionsScreen]);
}

} // namespace
