// The switcher's cycle on the scripted desktop: the modifier rule, the
// decision 20 ms after Tab, the one commit, and the keyboard asked again
// where the grab could have missed a release.
#include "tests/switcher/SwitcherFixture.h"

#include "apps/WindowActivationRecord.h"
#include "apps/WindowNotificationHandler.h"
#include "switcher/FloatDock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QWidget>

using namespace orbitshelf::test;
using Kind = platform::fake::FakeAction::Kind;

namespace {

class SwitcherCycleTest : public SwitcherTest {
protected:
    void SetUp() override
    {
        SwitcherTest::SetUp();
        app = addApp(
            100, QStringLiteral("term"), { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C") });
        // Used in the order A, B, C: C is in front.
        for (const auto& window : *app->windows)
            recordWindowActivation(int32_t(*window->num), QDateTime::currentDateTimeUtc());
        fake.setActiveWindow(number(2));
        startHotKeys(HotKeyModifier::Option);
    }
    quint32 number(int i) const { return *(*app->windows)[std::size_t(i)]->num; }
    // Alt (or `modifier`) down, Tab pressed, and its 20 ms gone by.
    void openWith(quint16 modifier = 58)
    {
        holdModifier(modifier);
        hotKeys.press(48);
        queue->advance(0.02);
    }
    std::shared_ptr<ActiveApp> app;
};

} // namespace

TEST(SwitcherModifierRule, EitherKeyOfTheChosenModifierAPressHoldsAReleaseLetsGo)
{
    const struct {
        const char* option;
        quint16 keyCode;
        bool pressed;
        int before;
        int after;
    } rows[] = {
        { "option", 58, true, -1, 1 },
        { "option", 58, true, 0, 1 },
        { "option", 58, false, 1, 0 },
        { "option", 61, true, -1, 1 }, // the right-hand Alt
        { "option", 61, false, 1, 0 },
        { "option", 58, false, -1, -1 }, // a missed press does not invert
        { "option", 55, true, -1, -1 },
        { "option", 57, true, -1, -1 }, // Caps Lock
        { "cmd", 54, true, 0, 1 },
        { "zz", 61, true, -1, 1 }, // any other text is Alt
        { "alpha", 58, true, -1, -1 },
    };
    for (const auto& row : rows) {
        AppState::shared().settings.setShortcutOptionForOpenFloatWindow(QString::fromLatin1(row.option));
        SwitcherCycle& cycle = switcherCycle();
        cycle.resetForTesting();
        const std::vector<quint16> keys = switcherModifierKeys(QString::fromLatin1(row.option));
        const quint16 own = keys.empty() ? 58 : keys.front();
        if (row.before >= 0)
            cycle.modifierChanged(own, true);
        if (row.before == 0)
            cycle.modifierChanged(own, false);
        cycle.modifierChanged(row.keyCode, row.pressed);
        EXPECT_EQ(switcherModifierState(), row.after) << row.option << " " << row.keyCode << " " << row.pressed;
    }
    AppState::shared().settings.setShortcutOptionForOpenFloatWindow(QStringLiteral("option"));
    switcherCycle().resetForTesting();
}

TEST_F(SwitcherCycleTest, RightAltAndTabOpenTheSwitcherAndItsReleaseActivatesTheSelection)
{
    openWith(61);
    ASSERT_TRUE(switcherCycle().open()) << "the right-hand Alt is the switcher's modifier too";
    hotKeys.keyUp(48); // the opening Tab's release: on to B
    hotKeys.modifierKey(61);
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
    EXPECT_EQ(clickOrder().back(), int32_t(number(1)));
    EXPECT_TRUE(registered().contains(QStringLiteral("48/0x800"))) << "Tab is ours again";
}

TEST_F(SwitcherCycleTest, TapsAFewMillisecondsApartAreEachAQuickSwitch)
{
    // Each tap lets Alt go before its Tab's 20 ms are up; the next tap holds
    // Alt again before the first one's wait is over.
    for (int tap = 0; tap < 3; ++tap) {
        holdModifier();
        hotKeys.press(48);
        releaseModifier();
        queue->advance(0.007);
    }
    queue->advance(0.02);
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
    // C, then B, C, B: three switches between the two newest windows.
    const std::vector<int32_t> order = clickOrder();
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(std::vector<int32_t>(order.end() - 3, order.end()),
        (std::vector<int32_t> { int32_t(number(1)), int32_t(number(2)), int32_t(number(1)) }));
}

TEST_F(SwitcherCycleTest, ASecondTabWithinTheWaitStepsOnce)
{
    holdModifier();
    hotKeys.press(48);
    queue->advance(0.01);
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherCycle().open());
    ASSERT_TRUE(floatDock().currentWindow);
    EXPECT_EQ(floatDock().currentWindow->num, number(1)) << "C in front, one step on to B";
    closeSwitcherPopup();
}

TEST_F(SwitcherCycleTest, OneCommitPerCycleAndALateOneNeverReachesTheNext)
{
    openWith();
    ASSERT_TRUE(switcherCycle().open());
    hotKeys.keyUp(48);
    // The bar's monitor and the grab both report the release; the grab's
    // report comes first and ends the cycle on B.
    releaseModifier();
    hotKeys.modifierKey(58);
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_EQ(clickOrder().back(), int32_t(number(1)));
    const auto activations = actionsOf(Kind::activate).size();

    // A new cycle opens before the monitor's commit is due.
    openWith();
    ASSERT_TRUE(switcherCycle().open());
    queue->advance(0.2);
    EXPECT_TRUE(switcherCycle().open()) << "the first cycle's late commit ended the second";
    EXPECT_EQ(actionsOf(Kind::activate).size(), activations);
    closeSwitcherPopup();
}

TEST_F(SwitcherCycleTest, AReleaseTheGrabMissedIsFoundOnTheKeyboard)
{
    hotKeys.keysDown = std::set<quint16> { 58 };
    openWith();
    ASSERT_TRUE(switcherCycle().open());
    hotKeys.keyUp(48);
    queue->advance(0.3);
    EXPECT_TRUE(switcherCycle().open()) << "Alt is still down";

    // The typing client let Alt go and went away; no release came.
    hotKeys.keysDown = std::set<quint16> {};
    queue->advance(0.1);
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
    EXPECT_EQ(clickOrder().back(), int32_t(number(1))) << "the selection is activated as on a release";
}

TEST_F(SwitcherCycleTest, FromOneOfOurOwnWindowsTheFirstStepIsTheNewestWindow)
{
    // Our window has the keyboard focus, and the desktop says it is in front.
    QWidget ours;
    ours.show();
    ours.activateWindow();
    QCoreApplication::processEvents();
    ASSERT_TRUE(QGuiApplication::focusWindow());
    const quint32 settings
        = fake.addWindow(qint32(QCoreApplication::applicationPid()), QStringLiteral("Settings"));
    fake.setActiveWindow(settings);
    openWith();
    ASSERT_TRUE(switcherCycle().open());
    hotKeys.keyUp(48);
    hotKeys.modifierKey(58);
    EXPECT_EQ(clickOrder().back(), int32_t(number(2))) << "C, the newest, not B after it";
    // Brought forward by the bar, not left to the window manager's choice
    // of a window once ours lets the focus go.
    const auto activations = actionsOf(Kind::activate);
    ASSERT_FALSE(activations.empty());
    EXPECT_EQ(activations.back().window, number(2));
}

TEST_F(SwitcherCycleTest, ASelectedWindowThatClosesHandsTheSelectionOn)
{
    openWith();
    ASSERT_TRUE(switcherCycle().open());
    hotKeys.keyUp(48); // on to B, the second cell
    ASSERT_EQ(floatDock().currentWindow->num, number(1));
    // B closes: the model drops it and says so.
    const quint32 b = number(1);
    fake.removeWindow(b);
    app->windows->erase(app->windows->begin() + 1);
    emit AppState::shared().changed();
    ASSERT_TRUE(floatDock().currentWindow);
    EXPECT_EQ(floatDock().currentWindow->num, number(0)) << "A, the cell after it, is selected";
    hotKeys.modifierKey(58);
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_EQ(clickOrder().back(), int32_t(number(0)));

    // Closed before the model heard of it: the commit finds out.
    openWith();
    ASSERT_TRUE(switcherCycle().open());
    hotKeys.keyUp(48);
    const auto selected = floatDock().currentWindow;
    ASSERT_TRUE(selected);
    fake.removeWindow(*selected->num);
    hotKeys.modifierKey(58);
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_NE(clickOrder().back(), int32_t(*selected->num));
}

// Clicks and keys reach the bar over two connections, and a busy main thread
// may read a click after the Alt+Tab typed after it. The desktop's times say
// which came first: only a click after Alt's press lets Alt go.
TEST_F(SwitcherCycleTest, AClickReadLateButMadeBeforeAltWasPressedLeavesTheSwitcherToOpen)
{
    const struct {
        const char* what;
        quint32 altDown;
        quint32 click;
        bool opens;
    } rows[] = {
        { "a click before Alt, read after it", 1200, 1000, true },
        { "a click while Alt is held", 1200, 1300, false },
        { "a click of unknown time", 1200, 0, false },
        { "Alt pressed after the clock wrapped", 0x10, 0xfffffff0, true },
        { "a click after the clock wrapped", 0xfffffff0, 0x10, false },
    };
    for (const auto& row : rows) {
        hotKeys.globalModifier(58, true, row.altDown);
        hotKeys.press(48);
        onWindowClicked(number(0), {}, row.click);
        queue->advance(0.02);
        EXPECT_EQ(switcherCycle().open(), row.opens) << row.what;
        closeSwitcherPopup();
        releaseModifier();
    }

    // Up already when the late click is read: it stays up for the user's
    // Tab, and a click made while it is up closes it as before.
    hotKeys.globalModifier(58, true, 5000);
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherCycle().open());
    onWindowClicked(number(0), {}, 4990);
    EXPECT_TRUE(switcherCycle().open());
    EXPECT_EQ(switcherModifierState(), 1) << "Alt is still held";
    onWindowClicked(number(0), {}, 5010);
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
}

// A busy window manager reports the quick switch's window in front only
// later: the next tap must not take the window it still shows there for the
// current one and go back where the first tap began.
TEST_F(SwitcherCycleTest, ASecondTapBeforeTheWindowManagerAnsweredTheFirstSwitchesBack)
{
    holdModifier();
    hotKeys.press(48);
    releaseModifier();
    queue->advance(0.02);
    ASSERT_EQ(clickOrder().back(), int32_t(number(1))) << "C to B";
    fake.setActiveWindow(number(2)); // C still in front at the server

    holdModifier();
    hotKeys.press(48);
    releaseModifier();
    queue->advance(0.02);
    EXPECT_EQ(clickOrder().back(), int32_t(number(2))) << "B back to C";
    const auto activations = actionsOf(Kind::activate);
    ASSERT_FALSE(activations.empty());
    EXPECT_EQ(activations.back().window, number(2));
}

// Three quick taps on a busy desktop: the window manager reports the first
// tap's window in front only after the second tap has asked for the window it
// began on. That report is older news than the second tap's activation: the
// third tap still goes from the second tap's window to the first tap's, and
// the bar marks no window the user left.
TEST_F(SwitcherCycleTest, AWindowManagersLateReportOfAnEarlierTapNeverTurnsTheNextTapBack)
{
    const auto tap = [&] {
        holdModifier();
        hotKeys.press(48);
        releaseModifier();
        queue->advance(0.02);
    };
    const auto reportInFront = [&](quint32 window) {
        fake.setActiveWindow(window);
        handleWindowNotification(platform::AXElement::windowElement(100, window),
            QString::fromLatin1(platform::ax::focusedWindowChanged));
        queue->runReady();
    };
    tap();
    ASSERT_EQ(clickOrder().back(), int32_t(number(1))) << "C to B";
    fake.setActiveWindow(number(2)); // the server still has C in front
    tap();
    ASSERT_EQ(clickOrder().back(), int32_t(number(2))) << "B back to C";

    reportInFront(number(1)); // the first tap's B, carried out before the second tap's C
    EXPECT_EQ(clickOrder().back(), int32_t(number(2))) << "the order still ends on C, asked last";
    EXPECT_FALSE(AppState::shared().focusedWindow.value(WindowNumber(number(1)), false))
        << "B, left by the second tap, is not marked";

    tap();
    EXPECT_EQ(clickOrder().back(), int32_t(number(1))) << "the third tap goes from C to B";
    const auto activations = actionsOf(Kind::activate);
    ASSERT_FALSE(activations.empty());
    EXPECT_EQ(activations.back().window, number(1));

    // The window manager carries out what was asked last; the bar follows it.
    reportInFront(number(2));
    reportInFront(number(1));
    EXPECT_EQ(clickOrder().back(), int32_t(number(1)));
    EXPECT_TRUE(AppState::shared().focusedWindow.value(WindowNumber(number(1)), false));
}

// A report of another window while an activation is unanswered is held back
// only for a moment: a window manager that never carries the activation out
// (the window refused the focus) leaves the bar following the window it has
// in front.
TEST_F(SwitcherCycleTest, AnActivationNeverCarriedOutLeavesTheOrderToTheWindowInFront)
{
    holdModifier();
    hotKeys.press(48);
    releaseModifier();
    queue->advance(0.02);
    ASSERT_EQ(clickOrder().back(), int32_t(number(1))) << "C to B";
    fake.setActiveWindow(number(0));
    handleWindowNotification(platform::AXElement::windowElement(100, number(0)),
        QString::fromLatin1(platform::ax::focusedWindowChanged));
    queue->runReady();
    EXPECT_EQ(clickOrder().back(), int32_t(number(1))) << "B was asked for and is not reported yet";

    QDeadlineTimer late(3000);
    while (clickOrder().back() != int32_t(number(0)) && !late.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        queue->runReady();
    }
    EXPECT_EQ(clickOrder().back(), int32_t(number(0))) << "A, which the window manager has in front";
    EXPECT_TRUE(AppState::shared().focusedWindow.value(WindowNumber(number(0)), false));
}
