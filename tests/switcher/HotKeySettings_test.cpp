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
        // W waits for a window bound to it.
        { FixedHotKey::HideWindow, "control", nullptr },
    };
    for (const auto& c : cases) {
        // H is the clipboard tool's: installed here with its keys off, so
        // that only the row's choice registers.
        if (c.key == FixedHotKey::Autohide) {
            AppState::shared().settings.setShortcutOptionForOpenAutohide(QStringLiteral("alpha"));
            AppState::shared().settings.setShortcutOptionForPasteboardWindow(QStringLiteral("alpha"));
            registerToolHotKeys();
        }
        // Never registered before: the choice still takes effect.
        EXPECT_TRUE(applyHotKeyOption(c.key, QString::fromLatin1(c.option)));
        EXPECT_EQ(registered(), c.registration ? QStringList { c.registration } : QStringList()) << c.option;
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
    EXPECT_EQ(hotKeyChoicesFor(FixedHotKey::Autohide).first().label, QStringLiteral("Alt + Shift + H"));
    EXPECT_EQ(hotKeyChoicesFor(FixedHotKey::Tab)[2].option, QStringLiteral("shift"));
}

TEST_F(HotKeySettingsTest, PagesAndMenusSayWhatIsHeld)
{
    // A new install: no clipboard tool, so H and P wait for it; the
    // switcher's Tab is refused by another program.
    hotKeys.taken.insert({ 48, 0x800 });
    hotKeys.taken.insert({ 53, 0x800 }); // Escape: no row moves it
    startHotKeys(HotKeyModifier::Option);
    EXPECT_TRUE(hotKeyRefused(FixedHotKey::Tab));
    EXPECT_FALSE(hotKeyRefused(FixedHotKey::Pasteboard));
    EXPECT_TRUE(hotKeyWaitsForClipboardTool(FixedHotKey::Autohide));
    HotKeyMenuTexts texts = hotKeyMenuTexts();
    EXPECT_EQ(texts.shortcuts.value(0), QStringLiteral("Alt + Tab   (Fast Tab) (taken by another program)"));
    EXPECT_EQ(
        texts.shortcuts.value(2), QStringLiteral("Alt + Shift + H   (Show/Hide) (with the clipboard tool)"));
    EXPECT_EQ(texts.autoHide, QStringLiteral("Alt + Shift + H (with the clipboard tool)"));
    EXPECT_EQ(
        takenKeysToMove(), QStringList { "Alt + Tab (Settings > Shortcut > Open the window switcher)" });

    // With the tool: P is Option + Shift + P, as registered and as labelled.
    startHotKeys(HotKeyModifier::Option, HotKeyModifier::Shift);
    texts = hotKeyMenuTexts();
    EXPECT_EQ(texts.shortcuts.value(3), QStringLiteral("Alt + Shift + P   (Clipboard)"));
    EXPECT_EQ(hotKeyChoicesFor(FixedHotKey::Pasteboard).first().label, QStringLiteral("Alt + Shift + P"));
    ASSERT_TRUE(applyHotKeyOption(FixedHotKey::Pasteboard, QStringLiteral("option")));
    EXPECT_EQ(registered().filter(QStringLiteral("35/")), QStringList { "35/0xa00" })
        << "choosing the row keeps the key it names";
    EXPECT_FALSE(hotKeyWaitsForClipboardTool(FixedHotKey::Autohide));
    EXPECT_EQ(hotKeyMenuTexts().shortcuts.value(2), QStringLiteral("Alt + Shift + H   (Show/Hide)"));
}

TEST_F(HotKeySettingsTest, AClipboardToolKeyChosenBeforeTheInstallIsOnlyStored)
{
    startHotKeys(HotKeyModifier::Option);
    for (const FixedHotKey key : { FixedHotKey::Pasteboard, FixedHotKey::Autohide }) {
        EXPECT_TRUE(applyHotKeyOption(key, QStringLiteral("cmd")));
        EXPECT_EQ(storedHotKeyOption(key), QStringLiteral("cmd"));
        EXPECT_TRUE(hotKeyWaitsForClipboardTool(key));
        EXPECT_FALSE(hotKeyRefused(key));
    }
    EXPECT_EQ(registered(), QStringList({ "48/0x800", "53/0x800" })) << "Ctrl + P stays the programs'";
    EXPECT_EQ(hotKeyMenuTexts().shortcuts.value(3),
        QStringLiteral("Ctrl + P   (Clipboard) (with the clipboard tool)"));

    // The install brings the keys as chosen; removing the tool gives them
    // back and a choice made then is only stored again.
    registerToolHotKeys();
    EXPECT_EQ(registered().mid(2), QStringList({ "4/0x300", "35/0x100" }));
    EXPECT_FALSE(hotKeyWaitsForClipboardTool(FixedHotKey::Pasteboard));
    releaseToolHotKeys();
    EXPECT_TRUE(applyHotKeyOption(FixedHotKey::Pasteboard, QStringLiteral("control")));
    EXPECT_EQ(registered(), QStringList({ "48/0x800", "53/0x800" }));
    EXPECT_TRUE(hotKeyWaitsForClipboardTool(FixedHotKey::Pasteboard));
}
