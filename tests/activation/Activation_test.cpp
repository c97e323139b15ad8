#include "tests/activation/ActivationFixture.h"

#include "state/EventManager.h"
#include "apps/Activation.h"
#include "apps/DockVisibility.h"
#include "apps/ScreenIdentifier.h"
#include "apps/WindowActions.h"
#include "switcher/SwitcherCycle.h"
#include "switcher/SwitcherPopup.h"
#include "tests/support/ChangeCounter.h"

#include <QDeadlineTimer>
#include <QGuiApplication>

using namespace orbitshelf::test;
using Kind = platform::fake::FakeAction::Kind;

TEST_F(ActivationTest, RepeatClickWithTheFlagMinimisesAndTheNextClickOrOneWithoutItActivatesAgain)
{
    auto app = addApp(100, "Editor", { "one", "two" });
    Windows& window = *(*app->windows)[0];
    const quint32 id = *window.num;

    activateWindow(window, kClickSourceDock, true);
    EXPECT_EQ(fake.windowServer().activeWindow(), id);
    EXPECT_EQ(clickOrder(), std::vector<int32_t> { int32_t(id) });
    EXPECT_EQ(window.opened, true);

    fake.clearActions();
    activateWindow(window, kClickSourceDock, true);
    EXPECT_TRUE(fake.windowState(id)->minimized);
    EXPECT_EQ(window.opened, false);
    EXPECT_TRUE(actionsOf(Kind::activate).empty()) << "a minimising click activates nothing";
    EXPECT_EQ(clickOrder(), std::vector<int32_t> { int32_t(id) }) << "the history is unchanged";

    // The window is minimised now: the next click must show it again.
    fake.clearActions();
    activateWindow(window, kClickSourceDock, true);
    EXPECT_FALSE(fake.windowState(id)->minimized);
    EXPECT_EQ(fake.windowServer().activeWindow(), id);
    EXPECT_EQ(window.opened, true);
    const auto actions = fake.actions();
    ASSERT_GE(actions.size(), 2u);
    EXPECT_EQ(actions[0].kind, Kind::unminimize) << "shown before it is activated";
    EXPECT_EQ(actions[1].kind, Kind::activate);

    // Without the flag a repeat click activates again.
    fake.clearActions();
    activateWindow(window, kClickSourceDock, false);
    EXPECT_TRUE(actionsOf(Kind::minimize).empty());
    EXPECT_EQ(actionsOf(Kind::activate).size(), 1u);
}

TEST_F(ActivationTest, ARepeatClickFollowsTheWindowsStateWhenSomethingElseChangedIt)
{
    auto app = addApp(100, "Editor", { "one" });
    Windows& window = *(*app->windows)[0];
    const quint32 id = *window.num;
    activateWindow(window, kClickSourceDock, true);
    activateWindow(window, kClickSourceDock, true);
    ASSERT_TRUE(fake.windowState(id)->minimized);

    // Restored by another program: the next click minimises it again.
    fake.windowServer().unminimize(id);
    fake.windowServer().activate(id);
    fake.clearActions();
    activateWindow(window, kClickSourceDock, true);
    EXPECT_TRUE(fake.windowState(id)->minimized);
    EXPECT_TRUE(actionsOf(Kind::activate).empty());

    // Shown by the bar, then minimised by the window manager: the next click
    // shows it, rather than minimising a minimised window.
    activateWindow(window, kClickSourceDock, true);
    ASSERT_FALSE(fake.windowState(id)->minimized);
    fake.windowServer().minimize(id);
    fake.clearActions();
    activateWindow(window, kClickSourceDock, true);
    EXPECT_FALSE(fake.windowState(id)->minimized);
    EXPECT_EQ(actionsOf(Kind::activate).size(), 1u);
}

TEST_F(ActivationTest, ActivationMarksExactlyTheClickedWindowOpenedAndFocused)
{
    auto app = addApp(100, "Editor", { "a", "b", "c" });
    auto& windows = *app->windows;
    activateWindow(*windows[1], kClickSourceDock, std::nullopt);

    EXPECT_EQ(windows[0]->opened, false);
    EXPECT_EQ(windows[1]->opened, true);
    EXPECT_EQ(windows[2]->opened, false);
    const auto& focused = AppState::shared().focusedWindow;
    EXPECT_TRUE(focused.value(*windows[1]->num));
    EXPECT_FALSE(focused.value(*windows[0]->num, true));
    EXPECT_FALSE(focused.value(*windows[2]->num, true));
}

TEST_F(ActivationTest, ClickSourcesDecideActivationSwitcherClosingAndPointer)
{
    auto app = addApp(100, "Editor", { "a", "b" });
    Windows& window = *(*app->windows)[1]; // frame 150,250 400x300: centre 350,400
    fake.setPointerPosition(QPoint(1, 1));
    int destroyed = 0;
    EventManager::shared().events[QStringLiteral("onDestroy")] = {};
    EventManager::shared().subscribe(QStringLiteral("onDestroy"), [&](const Event&) { ++destroyed; });

    struct Row {
        const char* source;
        bool activates;
        bool closesSwitcher;
        bool movesPointer;
    } rows[] = {
        { "Dock", true, false, false },
        { "FloatDock", true, true, true },
        { "StatusDock", false, false, false },
    };
    for (const Row& row : rows) {
        fake.clearActions();
        fake.setPointerPosition(QPoint(1, 1));
        destroyed = 0;
        switcherCycle().modifierChanged(58, true);
        activateWindow(window, QString::fromLatin1(row.source), false);
        EXPECT_EQ(!actionsOf(Kind::activate).empty(), row.activates) << row.source;
        EXPECT_EQ(destroyed == 1, row.closesSwitcher) << row.source;
        EXPECT_EQ(fake.pointer().position() == QPoint(350, 400), row.movesPointer) << row.source;
        EXPECT_EQ(switcherModifierState(), -1) << row.source;
        // Every source records the click.
        EXPECT_EQ(windowClickOrder().back().windowNum, int32_t(*window.num)) << row.source;
    }

    AppState::shared().settings.setMouseMoveToWindowCenter(false);
    fake.setPointerPosition(QPoint(1, 1));
    activateWindow(window, kClickSourceSwitcher, false);
    EXPECT_EQ(fake.pointer().position(), QPoint(1, 1)) << "the setting keeps the pointer where it is";
    AppState::shared().settings.setMouseMoveToWindowCenter(true);
    fake.removeWindow(*window.num); // gone between the click and the move
    activateWindow(window, kClickSourceSwitcher, false);
    EXPECT_EQ(fake.pointer().position(), QPoint(1, 1)) << "a window whose place is unknown";
    EventManager::shared().events[QStringLiteral("onDestroy")] = {};
}

TEST_F(ActivationTest, AWindowWithoutProcessIsNeitherActivatedNorRecorded)
{
    auto app = addApp(100, "Editor", { "a" });
    Windows& window = *app->windows->front();
    window.appId = 0;
    activateWindow(window, kClickSourceDock, false);
    EXPECT_TRUE(fake.actions().empty());
    EXPECT_TRUE(windowClickOrder().empty());

    window.appId.reset();
    activateWindow(window, kClickSourceDock, false);
    EXPECT_TRUE(windowClickOrder().empty());
}

TEST_F(ActivationTest, AnApplicationShownWithoutWindowsIsOpenedThroughItsEntry)
{
    auto app = addApp(100, "Editor", {});
    auto placeholder = std::make_shared<Windows>();
    placeholder->num = 100;
    placeholder->appId = 100;
    placeholder->isPlaceholder = true;
    placeholder->bundleIdentifier = QStringLiteral("org.example.Editor");
    app->windows->push_back(placeholder);

    activateWindow(*placeholder, kClickSourceDock, true);
    EXPECT_EQ(source.opened, std::vector<QString> { "org.example.Editor" });
    EXPECT_TRUE(actionsOf(Kind::activate).empty());

    // A repeat click cannot minimise an application: nothing to act on.
    activateWindow(*placeholder, kClickSourceDock, true);
    EXPECT_TRUE(actionsOf(Kind::minimize).empty());
}

TEST_F(ActivationTest, FocusingTheFocusedWindowPublishesNothing)
{
    auto app = addApp(100, "Editor", { "a", "b" });
    const int32_t n = int32_t(*(*app->windows)[0]->num);
    ChangeCounter notices(AppState::shared());
    focusWindow(n);
    EXPECT_EQ(notices.count, 1);
    focusWindow(n);
    EXPECT_EQ(notices.count, 1);
}

TEST_F(ActivationTest, AFocusChangesFullScreenLookRunsAtItsTimeAlsoWhenAFlagIsSetMeanwhile)
{
    // Half a second after a focus change the main screen's bar is shown or
    // hidden by the full-screen flags as they stand then. A window that goes
    // full screen in that half second must still be taken into account.
    auto app = addApp(100, "Editor", { "a", "b" });
    const int32_t focused = int32_t(*(*app->windows)[0]->num);
    const int32_t fullScreen = int32_t(*(*app->windows)[1]->num);
    AppState& state = AppState::shared();
    state.settings.setEnableAutoHideWhenFullScreen(true);
    const QString screen = screenIdentifierKey(QGuiApplication::primaryScreen());
    fullScreenAutoHideFlags().dockHiddenFlags.clear();
    fullScreenAutoHideFlags().dockScreenFlags.clear();
    state.showSpaceDock.insert(screen, true);

    const QDeadlineTimer due(500);
    focusWindow(focused);
    // The other window goes full screen and hides the bar.
    fullScreenAutoHideFlags().dockHiddenFlags.insert(fullScreen, true);
    startWaitingFullScreenChecks();
    state.showSpaceDock.insert(screen, false);

    while (!due.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const QDeadlineTimer bound(2000);
    while (!state.showSpaceDock.value(screen, false) && !bound.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(state.showSpaceDock.value(screen, false))
        << "the focused window is not full screen: its look brings the bar back";
    fullScreenAutoHideFlags().dockHiddenFlags.clear();
    QCoreApplication::processEvents();
}

TEST_F(ActivationTest, PreviousWindowNeedsTwoClicks)
{
    auto app = addApp(100, "Editor", { "a", "b" });
    AppState::shared().previousAppWindow = 7;
    activateWindow(*(*app->windows)[0], kClickSourceDock, false);
    EXPECT_EQ(AppState::shared().previousAppWindow, 7u);
    activateWindow(*(*app->windows)[1], kClickSourceDock, false);
    EXPECT_EQ(AppState::shared().previousAppWindow, *(*app->windows)[0]->num);
}

TEST_F(ActivationTest, HotKeysActivateTheirWindowAndIgnoreValuesThatAreNoNumber)
{
    auto app = addApp(100, "Editor", { "a", "b" });
    auto numberless = std::make_shared<Windows>(); // would match "window 0"
    numberless->appId = 100;
    app->windows->push_back(numberless);
    const quint32 b = *(*app->windows)[1]->num;

    AppState::shared().setWindowHotkeyCache(
        { { "k", QString::number(b) }, { "x", "not a number" }, { "e", "" } });
    activateWindowForHotkey("K");
    EXPECT_EQ(fake.windowServer().activeWindow(), b);
    EXPECT_EQ(clickOrder().back(), int32_t(b));

    fake.clearActions();
    const auto before = clickOrder();
    activateWindowForHotkey("x");
    activateWindowForHotkey("e");
    activateWindowForHotkey("unbound");
    EXPECT_TRUE(fake.actions().empty());
    EXPECT_EQ(clickOrder(), before);
    EXPECT_NE(numberless->opened, std::optional<bool>(true)) << "window 0 must not be picked";
}

TEST_F(ActivationTest, MinimiseOthersActsOnWindowsSharingEveryChosenDesktop)
{
    fake.setDesktopCount(3);
    auto app = addApp(100, "Editor", { "chosen", "same", "elsewhere", "sticky" });
    auto& w = *app->windows;
    fake.updateWindow(*w[0]->num, [](platform::ServerWindow& s) { s.desktop = 1; });
    fake.updateWindow(*w[1]->num, [](platform::ServerWindow& s) { s.desktop = 1; });
    fake.updateWindow(*w[2]->num, [](platform::ServerWindow& s) { s.desktop = 2; });
    fake.updateWindow(*w[3]->num, [](platform::ServerWindow& s) { s.desktop = 0xFFFFFFFF; });

    minimizeOtherWindows(100, *w[0], { 1 });
    EXPECT_FALSE(fake.windowState(*w[0]->num)->minimized);
    EXPECT_TRUE(fake.windowState(*w[1]->num)->minimized);
    EXPECT_FALSE(fake.windowState(*w[2]->num)->minimized);
    EXPECT_TRUE(fake.windowState(*w[3]->num)->minimized);

    // No chosen desktop, or an application the model does not hold: nothing.
    fake.clearActions();
    minimizeOtherWindows(100, *w[0], {});
    minimizeOtherWindows(555, *w[0], { 2 });
    EXPECT_TRUE(actionsOf(Kind::minimize).empty());
}
