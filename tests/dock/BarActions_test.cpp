// Clicks on the bar's buttons, pinned launches and the delayed hide.
#include "dock/BarActions.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "tests/support/ManualQueue.h"
#include "tests/support/TempStores.h"

#include <gtest/gtest.h>

namespace {

using orbitshelf::test::ManualQueue;
const QString kScreen = QStringLiteral("Optional(S)");

class BarActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_state = std::make_unique<AppState>();
        m_services.activateWindow = [this](Windows& w) { m_activated.push_back(w.num.value_or(0)); };
        m_services.openApplication = [this](const QString& id) {
            m_opened << id;
            return m_openSucceeds;
        };
        m_services.refreshRunningApps = [this] { ++m_refreshes; };
        m_services.startCommand = [this](const QStringList& argv) {
            m_log << "start " + argv.join(' ');
            return m_openSucceeds;
        };
        m_services.alert = [this](const QString& message, const QString&) { m_log << "alert " + message; };
        m_services.unpinApp = [this](const QString& name) { m_log << "unpin " + name; };
        m_services.scheduleDockReload = [this] { m_log << "reload"; };
        m_services.fileManagerId = [] { return std::optional<QString>("org.example.Files.desktop"); };
    }

    std::shared_ptr<ActiveApp> pinned(const QString& id, const QString& name)
    {
        auto app = std::make_shared<ActiveApp>();
        app->bundleIdentifier = id;
        app->appBundleName = name;
        m_state->pinnedAnNotRunning.append(app);
        return app;
    }

    void startRunning(qint32 pid, const QString& id, const QString& name)
    {
        auto app = std::make_shared<ActiveApp>();
        app->appId = pid;
        app->bundleIdentifier = id;
        app->appBundleName = name;
        m_state->allApps.insert(pid, app);
    }

    orbitshelf::test::TempUserDefaults m_defaults;
    std::unique_ptr<AppState> m_state;
    BarActionServices m_services;
    ManualQueue m_queue;
    std::vector<uint32_t> m_activated;
    QStringList m_opened;
    QStringList m_log;
    int m_refreshes = 0;
    bool m_openSucceeds = true;
};

TEST_F(BarActionsTest, WindowClickActivatesUnlessTheFileManagerIsReplaced)
{
    Windows files;
    files.num = 7;
    files.bundleIdentifier = "org.example.Files";
    Windows other;
    other.num = 8;
    other.appBundleName = "xterm";

    windowButtonClicked(*m_state, files, m_services);
    windowButtonClicked(*m_state, other, m_services);
    EXPECT_EQ(m_activated, (std::vector<uint32_t> { 7, 8 }));
    EXPECT_FALSE(m_state->showFastFinderPopup);

    m_state->settings.setReplaceFinder(true);
    windowButtonClicked(*m_state, files, m_services);
    EXPECT_TRUE(m_state->showFastFinderPopup);
    EXPECT_EQ(m_activated.size(), 2u) << "the folder browser opens instead; nothing is activated";

    Windows finder;
    finder.num = 9;
    finder.appBundleName = "Finder";
    m_state->showFastFinderPopup = false;
    windowButtonClicked(*m_state, finder, m_services);
    EXPECT_TRUE(m_state->showFastFinderPopup);
    windowButtonClicked(*m_state, other, m_services);
    EXPECT_EQ(m_activated.back(), 8u);
}

TEST_F(BarActionsTest, PinnedButtonGoesOnlyWhenTheApplicationRuns)
{
    PinnedLaunches launches(*m_state, m_services, m_queue);
    auto notes = pinned("org.example.Notes.desktop", "notes");
    pinned("org.example.Mail.desktop", "mail");

    launches.openPinnedApp(*notes);
    EXPECT_EQ(m_opened, QStringList { "org.example.Notes.desktop" });
    EXPECT_TRUE(m_state->openFromPinbar);
    m_queue.advance(0.05);
    EXPECT_EQ(m_refreshes, 1);
    // Not running yet (slow start): a timer would have dropped the button here.
    m_queue.advance(1.0);
    EXPECT_EQ(m_state->pinnedAnNotRunning.size(), 2);

    startRunning(4242, "org.example.Notes.desktop", "notes");
    EXPECT_TRUE(launches.settle());
    ASSERT_EQ(m_state->pinnedAnNotRunning.size(), 1);
    EXPECT_EQ(m_state->pinnedAnNotRunning.front()->appBundleName, "mail");
    EXPECT_EQ(launches.pendingCount(), 0);
    EXPECT_FALSE(launches.settle()) << "nothing left to do";
}

TEST_F(BarActionsTest, AFailedLaunchKeepsThePinnedButton)
{
    PinnedLaunches launches(*m_state, m_services, m_queue);
    auto notes = pinned("org.example.Notes.desktop", "notes");
    m_openSucceeds = false;
    launches.openPinnedApp(*notes);
    m_queue.advance(5);
    EXPECT_EQ(m_state->pinnedAnNotRunning.size(), 1);
    EXPECT_FALSE(m_state->openFromPinbar);
    EXPECT_EQ(launches.pendingCount(), 0);
}

TEST_F(BarActionsTest, APinnedProgramWithoutEntryStartsFromItsCommandOrSaysWhyNot)
{
    PinnedLaunches launches(*m_state, m_services, m_queue);
    auto clock = pinned("", "xclock");
    clock->appName = "XClock";
    clock->launchCommand = QStringList { "/usr/bin/xclock", "-digital" };
    launches.openPinnedApp(*clock);
    EXPECT_EQ(m_log, QStringList { "start /usr/bin/xclock -digital" }) << "run as recorded, no shell";
    EXPECT_TRUE(m_opened.isEmpty());
    EXPECT_TRUE(m_state->openFromPinbar);

    m_log.clear();
    clock->launchCommand.reset();
    launches.openPinnedApp(*clock);
    EXPECT_EQ(m_log, QStringList { "alert XClock could not be started." });

    m_log.clear();
    m_openSucceeds = false;
    launches.openPinnedApp(*pinned("org.example.Notes.desktop", "notes"));
    EXPECT_EQ(m_log, QStringList { "alert notes could not be started." }) << "a failed start is said, too";
}

TEST_F(BarActionsTest, RemoveReloadsOnlyAfterTheUnpin)
{
    PinnedLaunches launches(*m_state, m_services, m_queue);
    auto notes = pinned("org.example.Notes.desktop", "notes");
    launches.removePinnedApp(*notes);
    EXPECT_EQ(m_log, (QStringList { "unpin notes", "reload" }));
}

TEST_F(BarActionsTest, LeavingAnAutoHiddenBarHidesItUnlessThePointerComesBack)
{
    m_state->settings.setAutoHideSpaceDock({ { kScreen, "true" } });
    m_state->showSpaceDock[kScreen] = true;
    BarHoverHide hide(*m_state, kScreen, m_queue);

    hide.hovering(false);
    m_queue.advance(0.2);
    hide.hovering(true); // back within 0.3 s
    m_queue.advance(1.0);
    EXPECT_TRUE(m_state->showSpaceDock[kScreen]);

    hide.hovering(false);
    m_queue.advance(0.29);
    EXPECT_TRUE(m_state->showSpaceDock[kScreen]);
    m_queue.advance(0.02);
    EXPECT_FALSE(m_state->showSpaceDock[kScreen]);
}

TEST_F(BarActionsTest, LeavingABarThatIsNotAutoHiddenChangesNothing)
{
    m_state->settings.setAutoHideSpaceDock({ { kScreen, "false" } });
    m_state->showSpaceDock[kScreen] = true;
    {
        BarHoverHide hide(*m_state, kScreen, m_queue);
        hide.hovering(false);
        EXPECT_EQ(m_queue.pendingCount(), 0u);
        m_state->settings.setAutoHideSpaceDock({ { kScreen, "true" } });
        hide.hovering(false);
    } // the bar goes before its hide is due
    m_queue.advance(1.0);
    EXPECT_TRUE(m_state->showSpaceDock[kScreen]);
}

TEST(BarIconFrames, OnlyTheFirstFrameOfAnApplicationIsKept)
{
    QMap<int32_t, QRectF> frames;
    recordAppIconFrame(frames, 5, QRectF(0, 0, 10, 10));
    recordAppIconFrame(frames, 5, QRectF(50, 0, 10, 10));
    EXPECT_EQ(frames.value(5), QRectF(0, 0, 10, 10));
}

} // namespace
