#include "tests/switcher/SwitcherFixture.h"

#include "apps/WindowActivationRecord.h"
#include "dock/DockModifierKeys.h"

#include <QGuiApplication>
#include <QScreen>

using namespace orbitshelf::test;

TEST_F(SwitcherTest, CloseWithoutAWindowStillResetsAndTellsTheContent)
{
    switcherModifierState = 1;
    switcherPopupShown = true;
    closeSwitcherPopup();
    EXPECT_EQ(switcherModifierState, -1);
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
    EXPECT_EQ(first->geometry(), switcherFrame(QGuiApplication::primaryScreen()->geometry()));
    EXPECT_TRUE(switcherPopupShown);

    closeSwitcherPopup();
    EXPECT_FALSE(first->isVisible());
    showSwitcherPopup();
    EXPECT_EQ(floatPanel(), first);
    EXPECT_TRUE(first->isVisible());
    closeSwitcherPopup();
}

TEST(SwitcherFrame, NineTenthsOfTheScreenCentredOnIt)
{
    EXPECT_EQ(switcherFrame(QRect(0, 0, 1920, 1080)), QRect(96, 54, 1728, 972));
    EXPECT_EQ(switcherFrame(QRect(1400, 0, 1000, 500)), QRect(1450, 25, 900, 450));
}

TEST_F(SwitcherTest, KeyMonitorsTurnKeysIntoSwitcherEvents)
{
    ASSERT_TRUE(installSwitcherKeyMonitors());
    enum Kind { down, up, modifier };
    const struct {
        Kind kind;
        quint16 code;
        const char* event; // empty: nothing is sent
    } rows[] = {
        { up, 48, "onkeyDown 48" },
        { down, 48, "" },
        { up, 125, "onkeyDown 125" },
        { modifier, 55, "option 55" },
        { modifier, 58, "option 58" },
        { modifier, 59, "option 59" },
        { modifier, 54, "" },
        { modifier, 61, "" },
        { modifier, 56, "" },
    };
    for (const auto& row : rows) {
        events.clear();
        if (row.kind == down)
            hotKeys.keyDown(row.code);
        else if (row.kind == up)
            hotKeys.keyUp(row.code);
        else
            hotKeys.modifierKey(row.code);
        EXPECT_EQ(events.join(QLatin1Char(',')), QString::fromLatin1(row.event)) << row.code;
    }

    switcherModifierState = 1;
    removeSwitcherKeyMonitors();
    EXPECT_EQ(switcherModifierState, 0);
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
    events.clear();
    hotKeys.keyUp(48);
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(SwitcherTest, ACycleClosesOnTheModifierAndGivesTabBack)
{
    startHotKeys(HotKeyModifier::Option);
    switcherModifierState = 1;
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
    EXPECT_EQ(switcherModifierState, -1);

    // Escape closes it as well.
    switcherModifierState = 1;
    hotKeys.press(48);
    queue->advance(0.02);
    ASSERT_TRUE(switcherPopupShown);
    hotKeys.keyDown(53);
    EXPECT_FALSE(switcherPopupShown);
    EXPECT_FALSE(hotKeys.keyboardGrabbed());
}

TEST_F(SwitcherTest, RecordingTheSameWindowTwiceKeepsOneEntry)
{
    recordWindowActivation(7, QDateTime::currentDateTime());
    recordWindowActivation(7, QDateTime::currentDateTime());
    EXPECT_EQ(clickOrder(), std::vector<int32_t> { 7 });
}

TEST(DockModifierChange, APressOnlyHoldsAndAReleaseOnlyLetsGo)
{
    const struct {
        int keyCode;
        bool pressed;
        const char* configured;
        int before;
        int after;
        bool optionLater;
    } rows[] = {
        { 58, true, "option", -1, 1, false },
        { 58, true, "option", 0, 1, false },
        { 58, true, "option", 1, 1, false }, // a missed release does not invert
        { 58, false, "option", 1, 0, true },
        { 58, false, "option", 0, 0, false },
        { 58, false, "option", -1, -1, false }, // a missed press does not invert
        { 55, true, "option", 0, 0, false },
        { 55, true, "cmd", 0, 1, false },
        { 61, true, "option", 0, 0, false },
    };
    for (const auto& row : rows) {
        const auto outcome = dockModifierChangeOutcome(
            row.keyCode, row.pressed, QString::fromLatin1(row.configured), row.before);
        EXPECT_EQ(outcome.switcherModifierState, row.after) << row.keyCode << row.pressed << row.before;
        EXPECT_EQ(outcome.emitOptionLater, row.optionLater) << row.keyCode << row.pressed << row.before;
    }
}
