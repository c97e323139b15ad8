#include "tests/switcher/SwitcherFixture.h"

#include "switcher/HotKeySettings.h"

using namespace orbitshelf::test;

using HotKeySettingsTest = SwitcherTest;

TEST_F(HotKeySettingsTest, AChoiceIsStoredAndRegisteredAtOnce)
{
    startHotKeys(HotKeyModifier::Option, HotKeyModifier::Option);
    ASSERT_TRUE(registered().contains(QStringLiteral("35/0x800")));

    EXPECT_TRUE(applyHotKeyOption(FixedHotKey::Pasteboard, QStringLiteral("alpha")));
    EXPECT_EQ(AppState::shared().settings.shortcutOptionForPasteboardWindow(), QStringLiteral("alpha"));
    EXPECT_FALSE(registered().join(' ').contains(QStringLiteral("35/")));

    EXPECT_TRUE(applyHotKeyOption(FixedHotKey::Pasteboard, QStringLiteral("cmd")));
    EXPECT_TRUE(registered().contains(QStringLiteral("35/0x100")));
    EXPECT_TRUE(toolHotKeyRefs().contains(35));
    EXPECT_EQ(registered().join(' ').count(QStringLiteral("35/")), 1);
}

TEST_F(HotKeySettingsTest, EachRowUsesItsKeyAndModifierColumn)
{
    const struct {
        FixedHotKey key;
        const char* option;
        const char* registration;
    } cases[] = {
        { FixedHotKey::Autohide, "option", "4/0xa00" },
        { FixedHotKey::Autohide, "cmd", "4/0x300" },
        { FixedHotKey::Tab, "shift", "48/0x200" },
        { FixedHotKey::HideWindow, "control", "13/0x1000" },
    };
    for (const auto& c : cases) {
        // Never registered before: the choice still takes effect.
        EXPECT_TRUE(applyHotKeyOption(c.key, QString::fromLatin1(c.option)));
        EXPECT_EQ(registered(), QStringList { c.registration }) << c.option;
        resetHotKeysForTesting();
        hotKeys.clear();
    }
    EXPECT_EQ(AppState::shared().settings.shortcutOptionForOpenFloatWindow(), QStringLiteral("shift"));
    EXPECT_EQ(AppState::shared().settings.shortcutOptionForSwitchWindow(), QStringLiteral("option"));
}

TEST(HotKeySettingsChoices, EveryRowEndsWithNone)
{
    for (FixedHotKey key :
        { FixedHotKey::Tab, FixedHotKey::Pasteboard, FixedHotKey::Autohide, FixedHotKey::HideWindow }) {
        const auto choices = hotKeyChoicesFor(key);
        ASSERT_EQ(choices.size(), 4);
        EXPECT_EQ(choices.last().option, QStringLiteral("alpha"));
        EXPECT_EQ(choices.last().label, QStringLiteral("None"));
    }
    EXPECT_EQ(hotKeyChoicesFor(FixedHotKey::Autohide).first().label, QStringLiteral("Option + Shift + H"));
    EXPECT_EQ(hotKeyChoicesFor(FixedHotKey::Tab)[2].option, QStringLiteral("shift"));
}
