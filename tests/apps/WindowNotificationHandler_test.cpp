#include "state/AppState.h"
#include "state/Globals.h"
#include "state/Queues.h"
#include "state/UserDefaults.h"
#include "apps/Activation.h"
#include "apps/ActiveApp.h"
#include "apps/DockEdge.h"
#include "apps/DockVisibility.h"
#include "apps/ScreenCalibration.h"
#include "apps/WindowActivationRecord.h"
#include "apps/WindowClickTracking.h"
#include "apps/WindowNotificationHandler.h"
#include "apps/Windows.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <thread>

using orbitshelf::test::ManualQueue;
using platform::AXElement;
using platform::fake::FakeAction;

// Sizes come from other programs: one that is not a number matches no edge.
TEST(DockEdgeRule, ANotANumberSizeNeverMatches)
{
    for (const char* position : { "bottom", "left", "right" })
        EXPECT_FALSE(dockEdgeResize(
            QString::fromLatin1(position), true, { qQNaN(), qQNaN() }, QRectF(0, 0, 1440, 1000), 1380, 950))
            << position;
}

namespace {

const QString kMain = QStringLiteral("Optional(MAIN)");
const QString kSide = QStringLiteral("Optional(SIDE)");

class WindowNotificationHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        useFreshSettings(QStringLiteral("defaults"));
        Queues::useForTesting(queue, queue);
        platform::install(platform::fake::services(&fake));
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
    }

    void useFreshSettings(const QString& name)
    {
        UserDefaults::useFile(dir.filePath(name + QStringLiteral(".conf")));
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
        Queues::useForTesting(nullptr, nullptr);
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

    quint32 fullScreenWindow(const QString& title)
    {
        const quint32 w = fake.addWindow(kPid, title, QRect(0, 0, 1920, 1080));
        fake.updateWindow(w, [](platform::ServerWindow& s) { s.fullScreen = true; });
        return w;
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

TEST_F(WindowNotificationHandlerTest, RenameOfAKnownWindowIsWrittenInPlaceOthersRefreshTheModel)
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

    const quint32 unknown = fake.addWindow(kPid, QStringLiteral("notes.txt"));
    notify(unknown, "AXTitleChanged");
    ASSERT_EQ(refreshes, std::vector<std::optional<int32_t>> { std::nullopt }) << "a window the model lacks";
    refreshes.clear();

    handleWindowNotification(AXElement::windowElement(kPid, w), QStringLiteral("AXTitleChanged"));
    EXPECT_EQ(window->title, QStringLiteral("draft 1")) << "written on the main thread only";
    queue->runReady();
    EXPECT_EQ(window->title, QStringLiteral("draft 2"));
    EXPECT_EQ(published, 1);
    // Toolkits write the same name twice (both title properties): the
    // second notice changes nothing and draws nothing.
    notify(w, "AXTitleChanged");
    EXPECT_EQ(published, 1);
    EXPECT_TRUE(refreshes.empty()) << "a rename reads no other window";

    // A window that lost its title leaves the bar: that takes a refresh,
    // unless it is the window clicked last.
    fake.setTitle(w, QString());
    notify(w, "AXTitleChanged");
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(window->title, QStringLiteral("draft 2"));
    lastClickedWindowNumber = int32_t(w);
    notify(w, "AXTitleChanged");
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(window->title, QString());
    QObject::disconnect(connection);
}

TEST_F(WindowNotificationHandlerTest, ResizedWindowsAreKeptClearOfTheBarOnTheirOwnScreen)
{
    // The main screen's bar: 1000 high from its settings, 50 thick, at the
    // bottom unless a row says otherwise. The side screen has no settings.
    AppState& state = AppState::shared();
    const auto sideBar = [this, &state](const char* position) {
        return [this, &state, position] {
            screens[0] = HandlerScreen { kMain, QRectF(0, 0, 1440, 1000), QRectF(0, 0, 1440, 1000) };
            state.settings.setDockBackgroundHeight(60);
            state.settings.setSpaceWidth({ { kMain, QStringLiteral("1440") } });
            state.settings.setMainDockPosition(QString::fromLatin1(position));
        };
    };
    struct Row {
        const char* name;
        std::optional<QString> title;
        QRect frame;
        std::optional<QRect> expected; // nothing: the window is left as it was
        std::function<void()> setUp = {};
        const char* notification = "AXWindowResized";
    };
    const auto sideScreenBar = [&state](const char* position) {
        return [&state, position] {
            state.settings.setSpaceDockPosition({ { kSide, QString::fromLatin1(position) } });
        };
    };
    const auto autoHide = [&state] {
        state.settings.setAutoHideSpaceDock({ { kMain, QStringLiteral("true") } });
    };
    const auto diagonal = [&state] { state.settings.setMainDockPosition(QStringLiteral("diagonal")); };
    const Row rows[] = {
        { "GrownUnderTheBottomBarIsShrunkInPlace", "tall", { 10, 20, 800, 950 }, QRect(10, 20, 800, 946) },
        { "JustClearOfTheBarIsLeftAlone", "fits", { 10, 20, 800, 949 }, {} },
        { "MovedIsNeverChanged", "big", { 0, 0, 800, 1000 }, {}, {}, "AXWindowMoved" },
        { "WithoutTitleIsIgnored", std::nullopt, { 0, 0, 800, 1000 }, {} },
        { "AnEmptyTitleCounts", QString(), { 0, 0, 800, 1000 }, QRect(0, 0, 800, 946) },
        // The mouse rests on the main screen: the window's own screen decides.
        { "OnTheSideScreenItsBarDecides", "side", { 2000, 10, 600, 880 }, QRect(2000, 10, 600, 846) },
        { "BarAtTheTopNeedsNoRoom", "side", { 2000, 10, 600, 880 }, {}, sideScreenBar("top") },
        { "AutoHidingBarNeedsNoRoom", "tall", { 0, 0, 800, 1040 }, {}, autoHide },
        { "OffEveryScreenIsLeftAlone", "lost", { 9000, 9000, 800, 2000 }, {} },
        { "RightBarMovesItToTheVisibleFramesLeft", "wide", { 200, 100, 1400, 700 }, QRect(0, 0, 1377, 700),
            sideBar("right") },
        { "LeftBarMovesItBesideTheBar", "wide", { 200, 100, 1380, 700 }, QRect(60, 0, 1380, 700),
            sideBar("left") },
        { "NarrowWindowBesideASideBarIsLeftAlone", "wide", { 200, 100, 1379, 700 }, {}, sideBar("left") },
        { "UnknownPositionNeedsNoRoom", "tall", { 0, 0, 800, 1000 }, {}, diagonal },
        // The side screen, 1440 wide, has no width of its own: 1390 beside a bar.
        { "LeftBarOnAnotherScreenKeepsAMargin", "side", { 2000, 10, 1400, 600 }, QRect(1970, 0, 1386, 600),
            sideScreenBar("left") },
        { "RightBarOnAnotherScreenStartsAtItsOrigin", "side", { 2000, 10, 1400, 600 },
            QRect(1920, 0, 1387, 600), sideScreenBar("right") },
    };
    const QList<HandlerScreen> twoScreens = screens;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        useFreshSettings(QString::fromLatin1(row.name));
        screens = twoScreens;
        fake.clearActions();
        if (row.setUp)
            row.setUp();
        const quint32 w = fake.addWindow(kPid, row.title, row.frame);
        notify(w, row.notification);
        EXPECT_EQ(fake.windowState(w)->frame, row.expected.value_or(row.frame));
        EXPECT_EQ(writes().empty(), !row.expected);
        EXPECT_TRUE(toasts.empty());
    }
}

TEST_F(WindowNotificationHandlerTest, FullScreenOffersTheToastAndIsNotResized)
{
    AppState::shared().settings.setEnableAutoHideWhenFullScreen(false);
    const quint32 w = fullScreenWindow(QStringLiteral("film"));
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
    const quint32 w = fullScreenWindow(QStringLiteral("film"));

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
    EXPECT_FALSE(fullScreenAutoHideFlags().dockScreenFlags.contains(kMain))
        << "no entry before, so none remembered";
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
    const quint32 a = fullScreenWindow(QStringLiteral("a"));
    const quint32 b = fullScreenWindow(QStringLiteral("b"));
    notify(a, "AXWindowResized");
    notify(b, "AXWindowResized");
    EXPECT_EQ(fullScreenAutoHideFlags().dockScreenFlags.value(kMain), QStringLiteral("false"));
    EXPECT_TRUE(fullScreenAutoHideFlags().dockHiddenFlags.value(a));
    EXPECT_FALSE(fullScreenAutoHideFlags().dockHiddenFlags.contains(b));
}

TEST_F(WindowNotificationHandlerTest, NewWindowsRefreshOnceAndTheFocusFollowsTheDesktop)
{
    // Each observed window of the application hears of a new sibling.
    for (quint32 observer : { 0x100u, 0x101u, 0x102u })
        handleWindowNotification(AXElement::windowElement(kPid, observer), QStringLiteral("AXWindowCreated"));
    queue->runReady();
    EXPECT_EQ(refreshes, std::vector<std::optional<int32_t>> { std::nullopt }) << "one refresh for the burst";

    std::vector<std::shared_ptr<Windows>> windows;
    for (quint32 number : { 0x100u, 0x101u }) {
        auto window = std::make_shared<Windows>();
        window->num = number;
        window->appId = kPid;
        windows.push_back(window);
    }
    auto app = std::make_shared<ActiveApp>();
    app->appId = kPid;
    app->windows = windows;
    AppState& state = AppState::shared();
    state.allApps.insert(kPid, app);
    state.appOrders.insert(kPid, 1);

    resetWindowClickTracking();
    // Focus moved by the window manager, not by the bar.
    notify(0x101, "AXFocusedWindowChanged");
    EXPECT_TRUE(state.focusedWindow.value(0x101, false));
    EXPECT_FALSE(state.focusedWindow.value(0x100, true));
    notify(0x100, "AXFocusedWindowChanged");
    EXPECT_TRUE(state.focusedWindow.value(0x100, false));
    EXPECT_FALSE(state.focusedWindow.value(0x101, true));
    // A window the model does not hold leaves the marker where it is; one
    // of our own windows is no current window at all.
    handleWindowNotification(AXElement::windowElement(qint32(QCoreApplication::applicationPid()), 0x998),
        QStringLiteral("AXFocusedWindowChanged"));
    queue->runReady();
    EXPECT_EQ(windowClickOrder().back().windowNum, 0x100);
    notify(0x999, "AXFocusedWindowChanged");
    EXPECT_TRUE(state.focusedWindow.value(0x100, false));
    // The recent order (the switcher's, Alt+Escape's) follows it as well.
    std::vector<int32_t> order;
    for (const auto& entry : windowClickOrder())
        order.push_back(entry.windowNum);
    EXPECT_EQ(order, (std::vector<int32_t> { 0x101, 0x100, 0x999 }));

    // A new window has the focus before the model has read it: it is the
    // current window at once, and the bar marks it once a refresh brings it in.
    notify(0x102, "AXFocusedWindowChanged");
    EXPECT_EQ(windowClickOrder().back().windowNum, 0x102);
    EXPECT_FALSE(state.focusedWindow.value(0x102, false));
    auto fresh = std::make_shared<Windows>();
    fresh->num = 0x102u;
    fresh->appId = kPid;
    app->windows->push_back(fresh);
    emit state.changed();
    EXPECT_EQ(windowClickOrder().back().windowNum, 0x102);
    EXPECT_TRUE(state.focusedWindow.value(0x102, false));

    // A switch to an empty desktop: no window has the focus and none stays
    // marked; the recent order keeps the last window used. A window that
    // no longer wears the mark changes nothing by losing the focus.
    notify(0x100, platform::ax::focusLost);
    EXPECT_TRUE(state.focusedWindow.value(0x102, false));
    notify(0x102, platform::ax::focusLost);
    EXPECT_FALSE(state.focusedWindow.value(0x102, false));
    EXPECT_EQ(windowClickOrder().back().windowNum, 0x102);
    resetWindowClickTracking();
    state.focusedWindow.clear();
    state.appOrders.clear();
}

TEST_F(WindowNotificationHandlerTest, TheBarsOwnActivationStandsUntilTheWindowManagerAnswersIt)
{
    AppState& state = AppState::shared();
    auto app = std::make_shared<ActiveApp>();
    app->appId = kPid;
    app->windows.emplace();
    std::vector<std::shared_ptr<Windows>> windows;
    for (const char* title : { "C", "D" }) {
        auto window = std::make_shared<Windows>();
        window->num = fake.addWindow(kPid, QString::fromLatin1(title));
        window->appId = kPid;
        app->windows->push_back(window);
        windows.push_back(window);
    }
    state.allApps.insert(kPid, app);
    resetWindowClickTracking();
    const quint32 c = *windows[0]->num, d = *windows[1]->num;
    for (quint32 n : { c, d })
        recordWindowActivation(int32_t(n), QDateTime::currentDateTimeUtc());
    fake.setActiveWindow(d);

    // A first Alt+Tab asks for C; the window manager has not got to it, so
    // the server still has D in front when a second one catches up.
    activateWindow(*windows[0], kClickSourceSwitcher, false);
    fake.setActiveWindow(d);
    followWindowInFrontNow();
    EXPECT_EQ(windowClickOrder().back().windowNum, int32_t(c)) << "the second tap would go back to D";

    // Answered: from then on the focus is followed again, D clicked in the
    // window manager's own way included.
    notify(c, "AXFocusedWindowChanged");
    fake.setActiveWindow(d);
    followWindowInFrontNow();
    EXPECT_EQ(windowClickOrder().back().windowNum, int32_t(d));
    resetWindowClickTracking();
    state.focusedWindow.clear();
}

TEST_F(WindowNotificationHandlerTest, AKeyCatchesUpWithTheFocusBeforeItsNoticeArrives)
{
    AppState& state = AppState::shared();
    auto known = std::make_shared<Windows>();
    const quint32 older = fake.addWindow(kPid, QStringLiteral("older"));
    known->num = older;
    known->appId = kPid;
    auto app = std::make_shared<ActiveApp>();
    app->appId = kPid;
    app->windows = std::vector<std::shared_ptr<Windows>> { known };
    state.allApps.insert(kPid, app);
    resetWindowClickTracking();
    recordWindowActivation(int32_t(older), QDateTime::currentDateTimeUtc());

    // Nothing new in front: nothing is read again.
    fake.setActiveWindow(older);
    followWindowInFrontNow();
    EXPECT_TRUE(refreshes.empty());

    // One of our own windows in front is no current window.
    fake.setActiveWindow(fake.addWindow(qint32(QCoreApplication::applicationPid()), QStringLiteral("ours")));
    followWindowInFrontNow();
    EXPECT_TRUE(refreshes.empty());
    EXPECT_EQ(windowClickOrder().size(), 1u);

    // A new window focused a moment ago, its notice still on the way: the
    // model reads it at once and it is the current window.
    const quint32 fresh = fake.addWindow(kPid, QStringLiteral("new"));
    fake.setActiveWindow(fresh);
    followWindowInFrontNow();
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(windowClickOrder().back().windowNum, int32_t(fresh));
    // The notice arriving afterwards changes nothing.
    notify(fresh, "AXFocusedWindowChanged");
    EXPECT_EQ(windowClickOrder().size(), 2u);
    resetWindowClickTracking();
    state.focusedWindow.clear();
}
