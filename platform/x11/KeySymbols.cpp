#include "platform/x11/KeySymbols.h"

#include "platform/KeyCodes.h"

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

#include <array>
#include <utility>

namespace platform::x11 {
namespace {

struct KeyPair {
    quint16 keyCode;
    quint32 keysym;
};

namespace kc = platform::keycode;

// One row per key; letters use their lower-case keysym.
constexpr std::array kKeys {
    KeyPair { kc::a, XK_a },
    KeyPair { kc::b, XK_b },
    KeyPair { kc::c, XK_c },
    KeyPair { kc::d, XK_d },
    KeyPair { kc::e, XK_e },
    KeyPair { kc::f, XK_f },
    KeyPair { kc::g, XK_g },
    KeyPair { kc::h, XK_h },
    KeyPair { kc::i, XK_i },
    KeyPair { kc::j, XK_j },
    KeyPair { kc::k, XK_k },
    KeyPair { kc::l, XK_l },
    KeyPair { kc::m, XK_m },
    KeyPair { kc::n, XK_n },
    KeyPair { kc::o, XK_o },
    KeyPair { kc::p, XK_p },
    KeyPair { kc::q, XK_q },
    KeyPair { kc::r, XK_r },
    KeyPair { kc::s, XK_s },
    KeyPair { kc::t, XK_t },
    KeyPair { kc::u, XK_u },
    KeyPair { kc::v, XK_v },
    KeyPair { kc::w, XK_w },
    KeyPair { kc::x, XK_x },
    KeyPair { kc::y, XK_y },
    KeyPair { kc::z, XK_z },
    KeyPair { kc::zero, XK_0 },
    KeyPair { kc::one, XK_1 },
    KeyPair { kc::two, XK_2 },
    KeyPair { kc::three, XK_3 },
    KeyPair { kc::four, XK_4 },
    KeyPair { kc::five, XK_5 },
    KeyPair { kc::six, XK_6 },
    KeyPair { kc::seven, XK_7 },
    KeyPair { kc::eight, XK_8 },
    KeyPair { kc::nine, XK_9 },
    KeyPair { kc::equal, XK_equal },
    KeyPair { kc::minus, XK_minus },
    KeyPair { kc::rightBracket, XK_bracketright },
    KeyPair { kc::leftBracket, XK_bracketleft },
    KeyPair { kc::quote, XK_apostrophe },
    KeyPair { kc::semicolon, XK_semicolon },
    KeyPair { kc::backslash, XK_backslash },
    KeyPair { kc::comma, XK_comma },
    KeyPair { kc::slash, XK_slash },
    KeyPair { kc::period, XK_period },
    KeyPair { kc::grave, XK_grave },
    KeyPair { kc::returnKey, XK_Return },
    KeyPair { kc::tab, XK_Tab },
    KeyPair { kc::space, XK_space },
    KeyPair { kc::deleteKey, XK_BackSpace },
    KeyPair { kc::escape, XK_Escape },
    KeyPair { kc::help, XK_Insert },
    KeyPair { kc::forwardDelete, XK_Delete },
    KeyPair { kc::home, XK_Home },
    KeyPair { kc::end, XK_End },
    KeyPair { kc::pageUp, XK_Page_Up },
    KeyPair { kc::pageDown, XK_Page_Down },
    KeyPair { kc::leftArrow, XK_Left },
    KeyPair { kc::rightArrow, XK_Right },
    KeyPair { kc::downArrow, XK_Down },
    KeyPair { kc::upArrow, XK_Up },
    KeyPair { kc::f1, XK_F1 },
    KeyPair { kc::f2, XK_F2 },
    KeyPair { kc::f3, XK_F3 },
    KeyPair { kc::f4, XK_F4 },
    KeyPair { kc::f5, XK_F5 },
    KeyPair { kc::f6, XK_F6 },
    KeyPair { kc::f7, XK_F7 },
    KeyPair { kc::f8, XK_F8 },
    KeyPair { kc::f9, XK_F9 },
    KeyPair { kc::f10, XK_F10 },
    KeyPair { kc::f11, XK_F11 },
    KeyPair { kc::f12, XK_F12 },
    // The modifier keys themselves, as the switcher sees them pressed and
    // released: Command is Control, Option is Alt, Control is Super.
    KeyPair { kc::command, XK_Control_L },
    KeyPair { kc::rightCommand, XK_Control_R },
    KeyPair { kc::option, XK_Alt_L },
    KeyPair { kc::rightOption, XK_Alt_R },
    KeyPair { kc::control, XK_Super_L },
    KeyPair { kc::rightControl, XK_Super_R },
    KeyPair { kc::shift, XK_Shift_L },
    KeyPair { kc::rightShift, XK_Shift_R },
    KeyPair { kc::capsLock, XK_Caps_Lock },
};

} // namespace

std::optional<quint32> keysymForKeyCode(quint16 keyCode)
{
    for (const KeyPair& k : kKeys)
        if (k.keyCode == keyCode)
            return k.keysym;
    return std::nullopt;
}

std::optional<quint16> keyCodeForKeysym(quint32 keysym)
{
    if (keysym >= XK_A && keysym <= XK_Z)
        keysym += XK_a - XK_A;
    for (const KeyPair& k : kKeys)
        if (k.keysym == keysym)
            return k.keyCode;
    return std::nullopt;
}

quint16 xModifiersFromAppKit(quint64 flags)
{
    quint16 mask = 0;
    if (flags & appkit::command) mask |= xmod::control;
    if (flags & appkit::option) mask |= xmod::alt;
    if (flags & appkit::control) mask |= xmod::super;
    if (flags & appkit::shift) mask |= xmod::shift;
    if (flags & appkit::capsLock) mask |= xmod::lock;
    return mask;
}

quint64 appKitFromXModifiers(quint16 mask)
{
    quint64 flags = 0;
    if (mask & xmod::control) flags |= appkit::command;
    if (mask & xmod::alt) flags |= appkit::option;
    if (mask & xmod::super) flags |= appkit::control;
    if (mask & xmod::shift) flags |= appkit::shift;
    if (mask & xmod::lock) flags |= appkit::capsLock;
    return flags;
}

quint16 xModifiersFromCarbon(quint32 modifiers)
{
    quint16 mask = 0;
    if (modifiers & carbon::command) mask |= xmod::control;
    if (modifiers & carbon::option) mask |= xmod::alt;
    if (modifiers & carbon::control) mask |= xmod::super;
    if (modifiers & carbon::shift) mask |= xmod::shift;
    if (modifiers & carbon::capsLock) mask |= xmod::lock;
    return mask;
}

quint32 carbonFromXModifiers(quint16 mask)
{
    quint32 modifiers = 0;
    if (mask & xmod::control) modifiers |= carbon::command;
    if (mask & xmod::alt) modifiers |= carbon::option;
    if (mask & xmod::super) modifiers |= carbon::control;
    if (mask & xmod::shift) modifiers |= carbon::shift;
    if (mask & xmod::lock) modifiers |= carbon::capsLock;
    return modifiers;
}

} // namespace platform::x11
