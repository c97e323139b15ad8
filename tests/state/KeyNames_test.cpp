// The one name of a key, as every page, menu, hint, badge and notice shows
// it, over every modifier a row of the Shortcut page can hold.
#include "state/KeyNames.h"
#include "platform/KeyCodes.h"

#include <gtest/gtest.h>

namespace {

namespace keycode = platform::keycode;

TEST(KeyNames, EveryFixedKeyUnderEveryModifierChoice)
{
    struct Row {
        FixedHotKey key;
        const char* option;
        const char* shown; // nullptr: no key at all
    };
    const Row rows[] = {
        { FixedHotKey::Tab, "option", "Alt + Tab" },
        { FixedHotKey::Tab, "control", "Super + Tab" },
        { FixedHotKey::Tab, "cmd", "Ctrl + Tab" },
        { FixedHotKey::Tab, "shift", "Shift + Tab" },
        { FixedHotKey::Tab, "alpha", nullptr },
        // P takes Shift where its modifier is Alt, as the clipboard tool
        // binds it.
        { FixedHotKey::Pasteboard, "option", "Alt + Shift + P" },
        { FixedHotKey::Pasteboard, "control", "Super + P" },
        { FixedHotKey::Pasteboard, "cmd", "Ctrl + P" },
        { FixedHotKey::Pasteboard, "shift", "Shift + P" },
        { FixedHotKey::Pasteboard, "alpha", nullptr },
        // H always with Shift.
        { FixedHotKey::Autohide, "option", "Alt + Shift + H" },
        { FixedHotKey::Autohide, "control", "Super + Shift + H" },
        { FixedHotKey::Autohide, "cmd", "Ctrl + Shift + H" },
        { FixedHotKey::Autohide, "shift", "Shift + H" },
        { FixedHotKey::Autohide, "alpha", nullptr },
        { FixedHotKey::HideWindow, "option", "Alt + W" },
        { FixedHotKey::HideWindow, "control", "Super + W" },
        { FixedHotKey::HideWindow, "cmd", "Ctrl + W" },
        { FixedHotKey::HideWindow, "alpha", nullptr },
        // A damaged setting registers, and names, the default.
        { FixedHotKey::Tab, "hyper", "Alt + Tab" },
        { FixedHotKey::Autohide, "", "Alt + Shift + H" },
    };
    for (const Row& row : rows) {
        const auto flags = fixedHotKeyFlags(row.key, QString::fromLatin1(row.option));
        SCOPED_TRACE(row.option);
        ASSERT_EQ(flags.has_value(), row.shown != nullptr);
        if (flags) {
            EXPECT_EQ(keyComboText(fixedHotKeyCode(row.key), *flags), QString::fromUtf8(row.shown));
        }
    }
}

TEST(KeyNames, KeysAndModifiersInLinuxNames)
{
    using namespace platform::appkit;
    EXPECT_EQ(keyComboText(keycode::grave, option), QStringLiteral("Alt + `"));
    EXPECT_EQ(keyComboText(keycode::escape, option), QStringLiteral("Alt + Escape"));
    EXPECT_EQ(keyComboText(keycode::space, control), QStringLiteral("Super + Space"));
    EXPECT_EQ(keyComboText(keycode::seven, 0), QStringLiteral("7"));
    // One order, however the flags were put together.
    EXPECT_EQ(keyComboText(keycode::h, shift | option | command | control),
        QStringLiteral("Ctrl + Super + Alt + Shift + H"));
    EXPECT_EQ(keyNameText(keycode::f5), QStringLiteral("key 96"));

    // A window's key: Alt, but W with the W row's modifier.
    EXPECT_EQ(windowHotKeyText(QStringLiteral("f"), QStringLiteral("cmd")), QStringLiteral("Alt + F"));
    EXPECT_EQ(windowHotKeyText(QStringLiteral("w"), QStringLiteral("control")), QStringLiteral("Super + W"));
    EXPECT_EQ(windowHotKeyText(QStringLiteral("w"), QStringLiteral("alpha")), QStringLiteral("Alt + W"));
    EXPECT_EQ(windowHotKeyText(QStringLiteral("?"), QStringLiteral("option")), QString());
    EXPECT_EQ(windowHotKeyFlags(QStringLiteral("w"), QStringLiteral("alpha")), std::nullopt);
}

} // namespace
