#include "platform/KeyCodes.h"
#include "platform/x11/KeySymbols.h"

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::x11;

namespace {

struct KeyRow {
    const char* meaning;
    quint16 keyCode;
    quint32 keysym;
};

// Keysym values from the X keysym table.
const KeyRow kKeyRows[] = {
    {"letter a", keycode::a, 0x0061},
    {"letter z", keycode::z, 0x007a},
    {"digit 1", keycode::one, 0x0031},
    {"digit 0", keycode::zero, 0x0030},
    {"tab, the switcher's key", keycode::tab, 0xff09},
    {"grave, the window cycle key", keycode::grave, 0x0060},
    {"escape", keycode::escape, 0xff1b},
    {"return", keycode::returnKey, 0xff0d},
    {"delete is backspace", keycode::deleteKey, 0xff08},
    {"forward delete is Delete", keycode::forwardDelete, 0xffff},
    {"left arrow", keycode::leftArrow, 0xff51},
    {"up arrow", keycode::upArrow, 0xff52},
    {"F1", keycode::f1, 0xffbe},
    {"F12", keycode::f12, 0xffc9},
    {"Command key is Control", keycode::command, 0xffe3},
    {"Option key is Alt", keycode::option, 0xffe9},
    {"Control key is Super", keycode::control, 0xffeb},
    {"Shift key is Shift", keycode::shift, 0xffe1},
    {"space", keycode::space, 0x0020},
};

} // namespace

TEST(KeySymbols, EveryRowTranslatesBothWaysAndNothingElseDoes)
{
    for (const KeyRow& row : kKeyRows) {
        SCOPED_TRACE(row.meaning);
        EXPECT_EQ(keysymForKeyCode(row.keyCode), row.keysym);
        EXPECT_EQ(keyCodeForKeysym(row.keysym), row.keyCode);
    }
    // Upper-case letters are the same key; keys outside the table are absent.
    EXPECT_EQ(keyCodeForKeysym(0x0041 /* A */), keycode::a);
    EXPECT_EQ(keyCodeForKeysym(0x005a /* Z */), keycode::z);
    EXPECT_EQ(keyCodeForKeysym(0x1008ff13 /* a media key */), std::nullopt);
    EXPECT_EQ(keysymForKeyCode(0x0A /* a key of no ANSI layout */), std::nullopt);
}

namespace {
struct ModifierRow {
    const char* meaning;
    quint64 appKit;
    quint32 carbon;
    quint16 x;
};
const ModifierRow kModifierRows[] = {
    {"none", 0, 0, 0},
    {"Command is Control", appkit::command, carbon::command, xmod::control},
    {"Option is Alt", appkit::option, carbon::option, xmod::alt},
    {"Control is Super", appkit::control, carbon::control, xmod::super},
    {"Shift is Shift", appkit::shift, carbon::shift, xmod::shift},
    {"Caps Lock is Lock", appkit::capsLock, carbon::capsLock, xmod::lock},
    {"Option-Shift", appkit::option | appkit::shift, carbon::option | carbon::shift, xmod::alt | xmod::shift},
    {"all four", appkit::command | appkit::option | appkit::control | appkit::shift,
     carbon::command | carbon::option | carbon::control | carbon::shift,
     xmod::control | xmod::alt | xmod::super | xmod::shift},
};
} // namespace

TEST(KeySymbols, ModifiersTranslateByTheTable)
{
    for (const ModifierRow& row : kModifierRows) {
        SCOPED_TRACE(row.meaning);
        EXPECT_EQ(xModifiersFromAppKit(row.appKit), row.x);
        EXPECT_EQ(appKitFromXModifiers(row.x), row.appKit);
        EXPECT_EQ(xModifiersFromCarbon(row.carbon), row.x);
        EXPECT_EQ(carbonFromXModifiers(row.x), row.carbon);
    }
    // The function key has no X counterpart and is dropped, not mistranslated.
    EXPECT_EQ(xModifiersFromAppKit(appkit::function), 0);
}
