#include "tests/switcher/SwitcherFixture.h"

#include "apps/WindowActivationRecord.h"
#include "switcher/FloatDock.h"

#include <QGuiApplication>
#include <QScreen>

using namespace orbitshelf::test;
using Kind = platform::fake::FakeAction::Kind;

TEST_F(SwitcherTest, CloseWithoutAWindowStillResetsAndTellsTheContent)
{
    switcherCycle().modifierChanged(58, true);
    switcherPopupShown = true;
    closeSwitcherPopup();
    EXPECT_EQ(switcherModifierState(), -1);
    EXPECT_FALSE(switcherPopupShown);
    EXPECT_FALSE(floatPanel());
    EXPECT_EQ(events, QStringList { "onDestroy 1" });
}

TEST_F(SwitcherTest, TheWindowIsMadeOnceAndToldWhenItIsReused)
{
    showSwitcherPopup();
    QPointer<CustomWindow> first = floatPanel();
    ASSERT_TRUE(first);
    EXPECT_TRUE(events.isEmpty()) << "a new window sends no onInit";
    EXPECT_TRUE(EventManager::shared().events.value(QStringLiteral("option")).size() == 1)
        << "the content set itself up as the only handler";
    EXPECT_EQ(first->windowTitle(), QStringLiteral("orbitShelf switcher"));
    // The panel's size, not the screen's: without a compositor the rest of
    // the window would cover the desktop in black.
    EXPECT_EQ(first->geometry(),
        switcherPanelFrame(
            QGuiApplication::primaryScreen()->availableGeometry(), floatDock().width, floatDock().height));
    EXPECT_LT(floatDock().height, QGuiApplication::primaryScreen()->availableGeometry().height() * 0.9);
    EXPECT_FALSE(first->mask().isEmpty()) << "shaped to the rounded panel";
    EXPECT_TRUE(switcherPopupShown);

    closeSwitcherPopup();
    EXPECT_FALSE(first->isVisible());
    showSwitcherPopup();
    EXPECT_EQ(floatPanel(), first);
    EXPECT_TRUE(first->isVisible());
    closeSwitcherPopup();
}

TEST(SwitcherFrame, ThePanelCentredOnTheScreen)
{
    EXPECT_EQ(switcherPanelFrame(QRect(0, 0, 1920, 1080), 1728, 470), QRect(96, 305, 1728, 470));
    EXPECT_EQ(switcherPanelFrame(QRect(1400, 0, 1000, 500), 900, 450), QRect(1450, 25, 900, 450));
}

TEST_F(SwitcherTest, KeyMonitorsTurnKeysIntoSwitcherEvents)
{
    startHotKeys(HotKeyModifier::Option);
    holdModifier();
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherCycle().open());
    // Listens beside the grid, which set itself up as the only handler.
    QStringList sent;
    for (const char* name : { "onkeyDown", "option" })
        EventManager::shared().subscribe(QString::fromLatin1(name),
            [&sent](const Event& e) { sent << e.name + QLatin1Char(' ') + e.data.toString(); });
    enum Kind { down, up, modifier };
    const struct {
        Kind kind;
        quint16 code;
        const char* event; // empty: nothing is sent
    } rows[] = {
        { up, 48, "onkeyDown 48" },
        { down, 48, "" },
        { up, 125, "onkeyDown 125" },
        { modifier, 54, "" },
        { modifier, 56, "" },
        // Either Alt key ends a cycle opened with Alt, whichever hand let go.
        { modifier, 61, "option 61" },
    };
    for (const auto& row : rows) {
        sent.clear();
        if (row.kind == down)
            hotKeys.keyDown(row.code);
        else if (row.kind == up)
            hotKeys.keyUp(row.code);
        else
            hotKeys.modifierKey(row.code);
        EXPECT_EQ(sent.join(QLatin1Char(',')), QString::fromLatin1(row.event)) << row.code;
    }
    EXPECT_FALSE(switcherCycle().open());
    EXPECT_EQ(switcherModifierState(), -1);
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
    sent.clear();
    hotKeys.keyUp(48);
    EXPECT_TRUE(sent.isEmpty());

    // The left Control key commits too (here, with no window to go to, it
    // also ends the cycle).
    holdModifier();
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherCycle().open());
    for (const char* name : { "onkeyDown", "option" })
        EventManager::shared().subscribe(QString::fromLatin1(name),
            [&sent](const Event& e) { sent << e.name + QLatin1Char(' ') + e.data.toString(); });
    hotKeys.modifierKey(59);
    EXPECT_EQ(sent, QStringList { "option 59" });
    for (const char* name : { "onkeyDown", "option" })
        EventManager::shared().events.insert(QString::fromLatin1(name), {});
}

TEST_F(SwitcherTest, ACycleClosesOnTheModifierAndGivesTabBack)
{
    startHotKeys(HotKeyModifier::Option);
    switcherCycle().modifierChanged(58, true);
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherPopupShown);
    events.clear();

    hotKeys.keyDown(48);
    hotKeys.keyUp(48);
    hotKeys.modifierKey(58);
    // With no window to bring forward the release still ends the cycle.
    EXPECT_FALSE(switcherPopupShown);
    EXPECT_FALSE(floatPanel()->isVisible());
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
    EXPECT_TRUE(registered().contains(QStringLiteral("48/0x800")));
    EXPECT_EQ(switcherModifierState(), -1);

    // Escape closes it as well.
    switcherCycle().modifierChanged(58, true);
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherPopupShown);
    hotKeys.keyDown(53);
    EXPECT_FALSE(switcherPopupShown);
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
}

TEST_F(SwitcherTest, ReleasingTheModifierOnTheWindowInFrontEndsTheCycle)
{
    auto app = addApp(100, QStringLiteral("term"), { QStringLiteral("A"), QStringLiteral("B") });
    const auto a = (*app->windows)[0], b = (*app->windows)[1];
    recordWindowActivation(int32_t(*a->num), QDateTime::currentDateTimeUtc());
    recordWindowActivation(int32_t(*b->num), QDateTime::currentDateTimeUtc());
    startHotKeys(HotKeyModifier::Option);
    switcherCycle().modifierChanged(58, true);
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherPopupShown);
    // Tab twice: to A and round again to B, the window in front.
    hotKeys.keyUp(48);
    hotKeys.keyUp(48);
    const auto activationsBefore = actionsOf(Kind::activate).size();
    hotKeys.modifierKey(61); // the right Option key
    EXPECT_FALSE(switcherPopupShown) << "no other modifier change comes while the keyboard is grabbed";
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
    EXPECT_EQ(actionsOf(Kind::activate).size(), activationsBefore) << "B stays in front";
}

TEST_F(SwitcherTest, TheQuickSwitchPassesOverClosedWindows)
{
    auto app = addApp(100, QStringLiteral("term"), { QStringLiteral("A"), QStringLiteral("B") });
    const int32_t a = int32_t(*(*app->windows)[0]->num), b = int32_t(*(*app->windows)[1]->num);
    recordWindowActivation(a, QDateTime::currentDateTimeUtc());
    recordWindowActivation(4242, QDateTime::currentDateTimeUtc()); // closed since
    recordWindowActivation(b, QDateTime::currentDateTimeUtc());
    activatePreviousAppWindow();
    EXPECT_EQ(clickOrder().back(), a);
}

TEST_F(SwitcherTest, RecordingTheSameWindowTwiceKeepsOneEntry)
{
    recordWindowActivation(7, QDateTime::currentDateTime());
    recordWindowActivation(7, QDateTime::currentDateTime());
    EXPECT_EQ(clickOrder(), std::vector<int32_t> { 7 });
}

TEST(SwitcherCommitKeys, BothKeysOfTheSwitchersModifier)
{
    const struct {
        quint16 keyCode;
        const char* option;
        bool commits;
    } rows[] = {
        { 58, "option", true },
        { 61, "option", true },
        { 56, "option", false },
        { 60, "option", false },
        { 56, "shift", true },
        { 60, "shift", true },
        { 54, "cmd", true },
        { 62, "control", true },
        { 62, "option", false },
        { 61, "zz", true },
        { 61, "alpha", false },
        // The left Command, Option and Control keys always commit.
        { 55, "shift", true },
        { 59, "shift", true },
    };
    for (const auto& row : rows)
        EXPECT_EQ(isSwitcherCommitKey(row.keyCode, QString::fromLatin1(row.option)), row.commits)
            << row.keyCode << " " << row.option;
}

TEST_F(SwitcherTest, ASecondTabWithinTheFirstsTwentyMillisecondsIsOneMoreStep)
{
    auto app = addApp(
        100, QStringLiteral("term"), { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C") });
    for (const auto& window : *app->windows)
        recordWindowActivation(int32_t(*window->num), QDateTime::currentDateTimeUtc());
    startHotKeys(HotKeyModifier::Option);
    switcherCycle().modifierChanged(58, true);
    hotKeys.press(48);
    queue->advance(0.01);
    hotKeys.press(48);
    queue->advance(0.01);
    ASSERT_TRUE(switcherPopupShown);
    queue->advance(0.01);
    // C is in front; the second press moved on to B (the first one's
    // release, typed before the grab, is the X11 layer's to report).
    ASSERT_TRUE(floatDock().currentWindow);
    EXPECT_EQ(floatDock().currentWindow->num, (*app->windows)[1]->num);
    EXPECT_EQ(floatPanel()->isVisible(), true);
    closeSwitcherPopup();
}
