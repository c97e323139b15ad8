#include "app/AppState.h"
#include "app/ShellGlobals.h"
#include "app/ShellQueues.h"
#include "app/UserDefaults.h"
#include "apps/ActiveApp.h"
#include "apps/DockEdge.h"
#include "apps/WindowClickTracking.h"
#include "apps/WindowNotificationHandler.h"
#include "apps/Windows.h"
#include "apps/DockVisibility.h"
#include "apps/ScreenCalibration.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <thread>

using orbitshelf::test::ManualQueue;
using platform::AXElement;
using platform::fake::FakeAction;

// --- the dock-edge rule -------------------------------------------------

namespace {

struct EdgeCase {
    const char* name;
    const char* position;
    bool mainScreen;
    QSizeF window;
    QRectF visible;
    double usableWidth;
    double usableHeight;
    std::optional<WindowResize> expected;
};

const QRectF kVisible(0, 0, 1440, 1000);
const QRectF kShifted(1920, 30, 1440, 870); // a second screen below a top panel

const EdgeCase edgeCases[] = {
    { "BottomReachingTheBarShrinksByMargin", "bottom", true, { 800, 950 }, kVisible, 1380, 950,
        WindowResize { { 800, 946 }, std::nullopt } },
    { "BottomJustClearIsLeftAlone", "bottom", true, { 800, 949 }, kVisible, 1380, 950, std::nullopt },
    { "RightOnMainScreen", "right", true, { 1400, 700 }, kVisible, 1380, 950,
        WindowResize { { 1377, 700 }, QPointF(0, 0) } },
    { "LeftOnMainScreenTakesFullWidth", "left", true, { 1380, 700 }, kVisible, 1380, 950,
        WindowResize { { 1380, 700 }, QPointF(60, 0) } },
    { "LeftOnOtherScreenKeepsMargin", "left", false, { 1380, 700 }, kShifted, 1380, 810,
        WindowResize { { 1376, 700 }, QPointF(1980, 30) } },
    { "RightOnOtherScreenStartsAtItsOrigin", "right", false, { 1400, 700 }, kShifted, 1380, 810,
        WindowResize { { 1377, 700 }, QPointF(1920, 30) } },
    { "NarrowWindowBesideSideBar", "left", true, { 1379, 700 }, kVisible, 1380, 950, std::nullopt },
    { "TopNeedsNoRoom", "top", true, { 1440, 1000 }, kVisible, 1380, 950, std::nullopt },
    { "UnknownPositionNeedsNoRoom", "diagonal", false, { 1440, 1000 }, kVisible, 1380, 950, std::nullopt },
    { "NotANumberNeverMatches", "bottom", true, { 800, qQNaN() }, kVisible, 1380, 950, std::nullopt },
};

class DockEdgeRule : public ::testing::TestWithParam<EdgeCase> { };

} // namespace

TEST_P(DockEdgeRule, KeepsWindowsClearOfTheBar)
{
    const EdgeCase& c = GetParam();
    const auto got = dockEdgeResize(
        QString::fromLatin1(c.position), c.mainScreen, c.window, c.visible, c.usableWidth, c.usableHeight);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
        EXPECT_EQ(got->size, c.expected->size);
        EXPECT_EQ(got->position, c.expected->position);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DockEdgeRule, ::testing::ValuesIn(edgeCases),
    [](const auto& info) { return std::string(info.param.name); });

// --- the handler against the scripted desktop ----------------------------

namespace {

const QString kMain = QStringLiteral("Optional(MAIN)");
const QString kSide = QStringLiteral("Optional(SIDE)");

class WindowNotificationHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
        ShellQueues::useForTesting(queue, queue);
        platform::setCurrent(&fake);
        platform::RunningApplication editor;
        editor.processIdentifier = kPid;
        editor.localizedName = QStringLiteral("Editor");
        fake.addApp(editor);
        saved = windowHandlerActions();
        WindowHandlerActions& a = windowHandlerActions();
        a.refreshRunningApps = [this](std::optional<int32_t> excluded) {
            refreshes.push_back(excluded);
            return false;
        };
        a.showToast = [this](const QString& key, qint64 number) { toasts.emplace_back(key, number); };
        a.screens = [this] { return screens; };
        a.mouseLocation = [this] { return mouse; };
        mainDockScreenID() = kMain;
        fullScreenAutoHideFlags().dockHiddenFlags.clear();
        fullScreenAutoHideFlags().dockScreenFlags.clear();
        lastClickedWindowNumber = 0;
        AppState& state = AppState::shared();
        state.settings.setDockBackgroundHeight(50);
        state.appIcon.setHeight(46);
        state.settings.setSpaceHeight({ { kMain, QStringLiteral("1000") } });
    }

    void TearDown() override
    {
        windowHandlerActions() = saved;
        AppState::shared().allApps.clear();
        mainDockScreenID().clear();
        ShellQueues::useForTesting(nullptr, nullptr);
        UserDefaults::useFile(QString());
    }

    // Delivers the notification as the event thread would, then lets the
    // main thread run what it was handed.
    void notify(quint32 window, const char* name)
    {
        handleWindowNotification(AXElement::windowElement(kPid, window), QString::fromLatin1(name));
        queue->runReady();
        QCoreApplication::processEvents(); // the bar's auto-hide switch is queued there
    }

    std::vector<FakeAction> writes() const
    {
        std::vector<FakeAction> out;
        for (const FakeAction& a : fake.actions())
            if (a.kind == FakeAction::Kind::move || a.kind == FakeAction::Kind::resize)
                out.push_back(a);
        return out;
    }

    static constexpr qint32 kPid = 500;
    QTemporaryDir dir;
    std::shared_ptr<ManualQueue> queue = std::make_shared<ManualQueue>();
    platform::fake::FakePlatform fake;
    WindowHandlerActions saved;
    std::vector<std::optional<int32_t>> refreshes;
    std::vector<std::pair<QString, qint64>> toasts;
    QList<HandlerScreen> screens { { kMain, QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1040) },
        { kSide, QRectF(1920, 0, 1440, 900), QRectF(1920, 0, 1440, 900) } };
    std::optional<QPointF> mouse = QPointF(100, 100);
};

} // namespace

TEST_F(WindowNotificationHandlerTest, DestroyedWindowRefreshesWithTheLastClickedWindowEvenWhenReadsFail)
{
    lastClickedWindowNumber = 0x400098;
    for (quint32 gone : { 0x7777777u, 0x7777778u, 0x7777779u })
        handleWindowNotification(
            AXElement::windowElement(kPid, gone), QStringLiteral("AXUIElementDestroyed"));
    lastClickedWindowNumber = 0x400099;
    queue->runReady();
    ASSERT_EQ(refreshes.size(), 1u) << "one refresh covers the burst";
    EXPECT_EQ(refreshes.front(), 0x400099);
    notify(0x777777A, "AXUIElementDestroyed");
    EXPECT_EQ(refreshes.size(), 2u);
}

TEST_F(WindowNotificationHandlerTest, TitleChangeOfAWindowTheModelLacksRefreshesTheModel)
{
    const quint32 w = fake.addWindow(kPid, QStringLiteral("notes.txt"));
    lastClickedWindowNumber = int32_t(w + 1);
    notify(w, "AXTitleChanged");
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes.front(), std::nullopt);
}

TEST_F(WindowNotificationHandlerTest, RenameOfAKnownWindowIsWrittenInPlaceAndPublishedOnlyWhenItChanged)
{
    const quint32 w = fake.addWindow(kPid, QStringLiteral("draft 2"));
    auto window = std::make_shared<Windows>();
    window->num = w;
    window->title = QStringLiteral("draft 1");
    auto app = std::make_shared<ActiveApp>();
    app->windows = std::vector<std::shared_ptr<Windows>> { window };
    AppState::shared().allApps.insert(kPid, app);
    lastClickedWindowNumber = int32_t(w + 1);
    int published = 0;
    const auto connection = QObject::connect(&AppState::shared(), &AppState::titleChanged,
        [&published, w](quint32 number) { published += number == w ? 1 : 100; });

    notify(w, "AXTitleChanged");
    EXPECT_EQ(window->title, QStringLiteral("draft 2"));
    EXPECT_EQ(published, 1);
    // Toolkits write the same name twice (both title properties): the
    // second notice changes nothing and draws nothing.
    notify(w, "AXTitleChanged");
    EXPECT_EQ(published, 1);
    EXPECT_TRUE(refreshes.empty()) << "a rename reads no other window";

    // A window that lost its title leaves the bar: that takes a refresh.
    fake.setTitle(w, QString());
    notify(w, "AXTitleChanged");
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(window->title, QStringLiteral("draft 2"));
    QObject::disconnect(connection);
}

TEST_F(WindowNotificationHandlerTest, TitleChangeOfTheLastClickedWindowUpdatesTheModelAndPublishes)
{
    const quint32 w = fake.addWindow(kPid, QStringLiteral("new title"));
    auto window = std::make_shared<Windows>();
    window->num = w;
    window->title = QStringLiteral("old title");
    auto app = std::make_shared<ActiveApp>();
    app->windows = std::vector<std::shared_ptr<Windows>> { window };
    AppState::shared().allApps.insert(kPid, app);
    lastClickedWindowNumber = int32_t(w);
    const QDateTime before = AppState::shared().lastUpdateTime;

    handleWindowNotification(AXElement::windowElement(kPid, w), QStringLiteral("AXTitleChanged"));
    EXPECT_EQ(window->title, QStringLiteral("old title")) << "written on the main thread only";
    queue->runReady();
    EXPECT_EQ(window->title, QStringLiteral("new title"));
    EXPECT_NE(AppState::shared().lastUpdateTime, before);
    EXPECT_TRUE(refreshes.empty());
}

TEST_F(WindowNotificationHandlerTest, WindowWithoutTitleIsIgnoredButAnEmptyTitleCounts)
{
    const quint32 untitled = fake.addWindow(kPid, std::nullopt, QRect(0, 0, 800, 1000));
    notify(untitled, "AXTitleChanged");
    notify(untitled, "AXWindowResized");
    EXPECT_TRUE(refreshes.empty());
    EXPECT_TRUE(writes().empty());

    const quint32 empty = fake.addWindow(kPid, QString(), QRect(0, 0, 800, 1000));
    notify(empty, "AXWindowResized");
    EXPECT_EQ(writes().size(), 1u);
}

TEST_F(WindowNotificationHandlerTest, MovedWindowIsNeverChanged)
{
    const quint32 w = fake.addWindow(kPid, QStringLiteral("big"), QRect(0, 0, 800, 1000));
    notify(w, "AXWindowMoved");
    EXPECT_TRUE(writes().empty());
}

TEST_F(WindowNotificationHandlerTest, WindowGrownUnderTheBottomBarIsShrunkInPlace)
{
    const quint32 tall = fake.addWindow(kPid, QStringLiteral("tall"), QRect(10, 20, 800, 950));
    const quint32 fits = fake.addWindow(kPid, QStringLiteral("fits"), QRect(10, 20, 800, 949));
    notify(fits, "AXWindowResized");
    EXPECT_TRUE(writes().empty());
    notify(tall, "AXWindowResized");
    ASSERT_EQ(writes().size(), 1u);
    EXPECT_EQ(fake.windowState(tall)->frame, QRect(10, 20, 800, 946));
}

TEST_F(WindowNotificationHandlerTest, SideBarsMoveTheWindowBesideThemOnItsVisibleFrame)
{
    AppState& state = AppState::shared();
    screens[0] = HandlerScreen { kMain, QRectF(0, 0, 1440, 1000), QRectF(0, 0, 1440, 1000) };
    state.settings.setDockBackgroundHeight(60);
    state.settings.setSpaceWidth({ { kMain, QStringLiteral("1440") } });
    const quint32 w = fake.addWindow(kPid, QStringLiteral("wide"), QRect(200, 100, 1400, 700));

    state.settings.setMainDockPosition(QStringLiteral("right"));
    notify(w, "AXWindowResized");
    EXPECT_EQ(fake.windowState(w)->frame, QRect(0, 0, 1377, 700));

    fake.updateWindow(w, [](platform::ServerWindow& s) { s.frame = QRect(200, 100, 1380, 700); });
    state.settings.setMainDockPosition(QStringLiteral("left"));
    notify(w, "AXWindowResized");
    EXPECT_EQ(fake.windowState(w)->frame, QRect(60, 0, 1380, 700));
}

TEST_F(WindowNotificationHandlerTest, TheWindowsOwnScreenDecidesNotTheMouse)
{
    // The mouse rests on the main screen; the window sits on the side screen,
    // which has no position entry and so a bottom bar of 900 - 50.
    mouse = QPointF(100, 100);
    const quint32 w = fake.addWindow(kPid, QStringLiteral("side"), QRect(2000, 10, 600, 880));
    notify(w, "AXWindowResized");
    EXPECT_EQ(fake.windowState(w)->frame, QRect(2000, 10, 600, 846));

    AppState::shared().settings.setSpaceDockPosition({ { kSide, QStringLiteral("top") } });
    fake.clearActions();
    notify(w, "AXWindowResized");
    EXPECT_TRUE(writes().empty()) << "a bar at the top needs no room";
}

TEST_F(WindowNotificationHandlerTest, WindowOffEveryScreenChangesNothing)
{
    const quint32 w = fake.addWindow(kPid, QStringLiteral("lost"), QRect(9000, 9000, 800, 2000));
    notify(w, "AXWindowResized");
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(toasts.empty());
}

TEST_F(WindowNotificationHandlerTest, AutoHidingBarNeedsNoRoom)
{
    AppState::shared().settings.setAutoHideSpaceDock({ { kMain, QStringLiteral("true") } });
    const quint32 w = fake.addWindow(kPid, QStringLiteral("tall"), QRect(0, 0, 800, 1040));
    notify(w, "AXWindowResized");
    EXPECT_TRUE(writes().empty());
}

TEST_F(WindowNotificationHandlerTest, FullScreenOffersTheToastAndIsNotResized)
{
    AppState::shared().settings.setEnableAutoHideWhenFullScreen(false);
    const quint32 w = fake.addWindow(kPid, QStringLiteral("film"), QRect(0, 0, 1920, 1080));
    fake.updateWindow(w, [](platform::ServerWindow& s) { s.fullScreen = true; });
    notify(w, "AXWindowResized");
    ASSERT_EQ(toasts.size(), 1u);
    EXPECT_EQ(toasts.front(), std::make_pair(kMain, qint64(w)));
    EXPECT_TRUE(writes().empty());
}

TEST_F(WindowNotificationHandlerTest, FullScreenHidesTheBarAndLeavingItBringsItBack)
{
    AppState& state = AppState::shared();
    state.settings.setEnableAutoHideWhenFullScreen(true);
    fullScreenAutoHideFlags().dockScreenFlags.insert(kMain, QStringLiteral("stale"));
    const quint32 w = fake.addWindow(kPid, QStringLiteral("film"), QRect(0, 0, 1920, 1080));
    fake.updateWindow(w, [](platform::ServerWindow& s) { s.fullScreen = true; });

    // The event thread only reads: the maps and the setting change once the
    // main thread runs what it was handed.
    std::thread eventThread([&] {
        handleWindowNotification(AXElement::windowElement(kPid, w), QStringLiteral("AXWindowResized"));
    });
    eventThread.join();
    EXPECT_TRUE(fullScreenAutoHideFlags().dockHiddenFlags.isEmpty());
    EXPECT_TRUE(fullScreenAutoHideFlags().dockScreenFlags.contains(kMain));
    queue->runReady();
    QCoreApplication::processEvents();

    EXPECT_TRUE(fullScreenAutoHideFlags().dockHiddenFlags.value(w));
    EXPECT_FALSE(fullScreenAutoHideFlags().dockScreenFlags.contains(kMain)) << "no entry before, so none remembered";
    EXPECT_EQ(state.settings.autoHideSpaceDock().value(kMain), QStringLiteral("true"));
    EXPECT_FALSE(state.showSpaceDock.value(kMain, true));
    EXPECT_TRUE(toasts.empty());
    EXPECT_TRUE(writes().empty());

    fake.updateWindow(w, [](platform::ServerWindow& s) { s.fullScreen = false; });
    notify(w, "AXWindowResized");
    EXPECT_FALSE(fullScreenAutoHideFlags().dockHiddenFlags.value(w, true));
    EXPECT_EQ(state.settings.autoHideSpaceDock().value(kMain), QStringLiteral("false"));
    EXPECT_TRUE(state.showSpaceDock.value(kMain, false));
}

TEST_F(WindowNotificationHandlerTest, SecondFullScreenWindowKeepsTheFirstRememberedValue)
{
    AppState& state = AppState::shared();
    state.settings.setEnableAutoHideWhenFullScreen(true);
    state.settings.setAutoHideSpaceDock({ { kMain, QStringLiteral("false") } });
    const quint32 a = fake.addWindow(kPid, QStringLiteral("a"), QRect(0, 0, 1920, 1080));
    const quint32 b = fake.addWindow(kPid, QStringLiteral("b"), QRect(0, 0, 1920, 1080));
    for (quint32 w : { a, b })
        fake.updateWindow(w, [](platform::ServerWindow& s) { s.fullScreen = true; });
    notify(a, "AXWindowResized");
    notify(b, "AXWindowResized");
    EXPECT_EQ(fullScreenAutoHideFlags().dockScreenFlags.value(kMain), QStringLiteral("false"));
    EXPECT_TRUE(fullScreenAutoHideFlags().dockHiddenFlags.value(a));
    EXPECT_FALSE(fullScreenAutoHideFlags().dockHiddenFlags.contains(b));
}
