// The X11 keyboard layer against a real server: key grabs whatever the lock
// keys, combinations another program holds, the switcher's active grab and
// the desktop-wide modifier monitor.
#include "platform/KeyCodes.h"
#include "platform/x11/X11HotKeys.h"
#include "tests/support/X11TestTools.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

#include <optional>

#include <gtest/gtest.h>

using namespace orbitshelf::test;
namespace kp = platform::keycode;

TEST(X11HotKeys, AGrabHoldsWithEveryLockStateAndARepeatGivesTheSameReference)
{
    auto hotKeys = platform::x11::createX11HotKeys();
    ASSERT_TRUE(hotKeys);
    std::vector<quint16> pressed;
    QObject::connect(hotKeys.get(), &platform::HotKeys::hotKeyPressed,
        [&](quint16 keyCode, quint32) { pressed.push_back(keyCode); });

    const auto k = hotKeys->registerHotKey(kp::k, platform::carbon::option);
    ASSERT_TRUE(k);
    EXPECT_EQ(hotKeys->registerHotKey(kp::k, platform::carbon::option), k);
    const auto j = hotKeys->registerHotKey(kp::j, platform::carbon::option | platform::carbon::shift);
    ASSERT_TRUE(j);
    EXPECT_NE(j, k);

    const std::vector<QStringList> lockStates { {}, { "Num_Lock" }, { "Caps_Lock" },
        { "Num_Lock", "Caps_Lock" } };
    for (const QStringList& locks : lockStates) {
        for (const QString& lock : locks)
            xdotool({ "key", lock });
        pressed.clear();
        xdotool({ "key", "alt+k" });
        xdotool({ "key", "alt+shift+j" });
        EXPECT_TRUE(waitUntil([&] { return pressed.size() == 2; }))
            << locks.join(QLatin1Char('+')).toStdString();
        EXPECT_EQ(pressed, std::vector<quint16>({ kp::k, kp::j }))
            << locks.join(QLatin1Char('+')).toStdString();
        for (const QString& lock : locks)
            xdotool({ "key", lock });
    }

    hotKeys->unregisterHotKey(*k);
    pressed.clear();
    xdotool({ "key", "alt+k" });
    xdotool({ "key", "alt+shift+j" });
    ASSERT_TRUE(waitUntil([&] { return !pressed.empty(); }));
    EXPECT_EQ(pressed, std::vector<quint16> { kp::j }) << "a released key still fired";
    hotKeys->unregisterHotKey(*j);
}

TEST(X11HotKeys, WhatAnotherClientHoldsIsRefused)
{
    auto first = platform::x11::createX11HotKeys();
    auto second = platform::x11::createX11HotKeys();
    ASSERT_TRUE(first && second);
    const auto k = first->registerHotKey(kp::k, platform::carbon::command);
    ASSERT_TRUE(k);
    EXPECT_FALSE(second->registerHotKey(kp::k, platform::carbon::command));
    first->unregisterHotKey(*k);
    // The release travels on the other connection; the server may see it
    // after the second client's next request.
    EXPECT_TRUE(
        waitUntil([&] { return second->registerHotKey(kp::k, platform::carbon::command).has_value(); }));

    ASSERT_TRUE(first->grabKeyboard());
    EXPECT_FALSE(second->grabKeyboard());
    EXPECT_FALSE(second->keyboardGrabbed());
    first->ungrabKeyboard();
    EXPECT_TRUE(waitUntil([&] { return second->grabKeyboard(); }));
    second->ungrabKeyboard();
}

namespace {

// A window manager that takes the Win key by itself (its menu's key): a
// grab of Super_L with no other modifier, as icewm makes one.
class WinKeyTaker final {
public:
    WinKeyTaker()
        : m_c(xcb_connect(nullptr, nullptr))
    {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
        auto* map = xcb_get_keyboard_mapping_reply(m_c,
            xcb_get_keyboard_mapping(m_c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        if (!map)
            return;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        for (int k = 0; k <= setup->max_keycode - setup->min_keycode && !m_held; ++k)
            if (syms[k * map->keysyms_per_keycode] == 0xffeb /* Super_L */) {
                xcb_generic_error_t* error = xcb_request_check(m_c,
                    xcb_grab_key_checked(m_c, 1, root, 0, xcb_keycode_t(setup->min_keycode + k),
                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                m_held = !error;
                free(error);
            }
        free(map);
    }
    ~WinKeyTaker() { xcb_disconnect(m_c); }
    bool held() const { return m_held; }

private:
    xcb_connection_t* m_c;
    bool m_held = false;
};

} // namespace

TEST(X11HotKeys, AKeyWhoseModifierAnotherClientTakesByItselfIsRefused)
{
    std::optional<WinKeyTaker> taker;
    taker.emplace();
    ASSERT_TRUE(taker->held());
    auto hotKeys = platform::x11::createX11HotKeys();
    ASSERT_TRUE(hotKeys);
    // Super + Tab would be granted, and never pressed: the Win key's press
    // hands the keyboard to the other client.
    EXPECT_FALSE(hotKeys->registerHotKey(kp::tab, platform::carbon::control));
    const auto alt = hotKeys->registerHotKey(kp::tab, platform::carbon::option);
    EXPECT_TRUE(alt) << "other modifiers are not touched";
    if (alt)
        hotKeys->unregisterHotKey(*alt);

    // Without such a window manager the same key is held.
    taker.reset();
    auto afterwards = platform::x11::createX11HotKeys();
    EXPECT_TRUE(waitUntil(
        [&] { return afterwards->registerHotKey(kp::tab, platform::carbon::control).has_value(); }));
}

TEST(X11HotKeys, TheGrabbedKeyboardAndTheModifierMonitor)
{
    auto hotKeys = platform::x11::createX11HotKeys();
    ASSERT_TRUE(hotKeys);
    ASSERT_TRUE(hotKeys->startModifierMonitor());
    QStringList seen;
    QObject::connect(hotKeys.get(), &platform::HotKeys::modifierChanged,
        [&](quint16 code, bool down) { seen << QStringLiteral("monitor %1 %2").arg(code).arg(down); });
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedKeyDown,
        [&](quint16 code) { seen << QStringLiteral("down %1").arg(code); });
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedKeyUp,
        [&](quint16 code) { seen << QStringLiteral("up %1").arg(code); });
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedModifierChanged,
        [&](quint16 code) { seen << QStringLiteral("modifier %1").arg(code); });

    xdotool({ "key", "alt" });
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 2; })) << seen.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(seen, QStringList({ "monitor 58 1", "monitor 58 0" }));

    seen.clear();
    ASSERT_TRUE(hotKeys->grabKeyboard());
    xdotool({ "key", "Tab" });
    xdotool({ "key", "Control_L" });
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 4; }));
    EXPECT_EQ(seen, QStringList({ "down 48", "up 48", "modifier 55", "modifier 55" }))
        << "the monitor reports no key typed into the grab";

    hotKeys->ungrabKeyboard();
    seen.clear();
    xdotool({ "key", "Tab" });
    xdotool({ "key", "Super_L" });
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen, QStringList({ "monitor 59 1", "monitor 59 0" }));
}

TEST(X11HotKeys, KeysTypedIntoTheGrabArriveWhileARefusedKeyIsAskedForAgain)
{
    auto holder = platform::x11::createX11HotKeys();
    auto hotKeys = platform::x11::createX11HotKeys();
    ASSERT_TRUE(holder && hotKeys);
    const auto held = holder->registerHotKey(kp::k, platform::carbon::command);
    ASSERT_TRUE(held);
    QStringList seen;
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedKeyDown,
        [&](quint16 code) { seen << QStringLiteral("down %1").arg(code); });
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedKeyUp,
        [&](quint16 code) { seen << QStringLiteral("up %1").arg(code); });
    ASSERT_TRUE(hotKeys->grabKeyboard());
    QCoreApplication::processEvents(); // the drain the grab schedules

    // The key's events are on the socket when the refused registration waits
    // for the server's answer, which reads them off it.
    xdotool({ "key", "Tab" });
    EXPECT_FALSE(hotKeys->registerHotKey(kp::k, platform::carbon::command));
    EXPECT_TRUE(waitUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen, QStringList({ "down 48", "up 48" }));
    hotKeys->ungrabKeyboard();
    holder->unregisterHotKey(*held);
}

TEST(X11HotKeys, KeysLetGoBeforeTheGrabComeBeforeTheKeysAfterIt)
{
    auto hotKeys = platform::x11::createX11HotKeys();
    ASSERT_TRUE(hotKeys);
    const auto tab = hotKeys->registerHotKey(kp::tab, platform::carbon::option);
    ASSERT_TRUE(tab);
    bool pressed = false;
    QObject::connect(hotKeys.get(), &platform::HotKeys::hotKeyPressed, [&] { pressed = true; });
    QStringList seen;
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedKeyUp,
        [&](quint16 code) { seen << QStringLiteral("up %1").arg(code); });
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedModifierChanged,
        [&](quint16 code) { seen << QStringLiteral("modifier %1").arg(code); });

    // Tab tapped with Alt held, the grab taken after Tab is up: Tab is
    // reported at the grab, Alt's release is read afterwards.
    xdotool({ "keydown", "alt", "key", "Tab" });
    ASSERT_TRUE(waitUntil([&] { return pressed; }));
    ASSERT_TRUE(hotKeys->grabKeyboard());
    xdotool({ "keyup", "alt" });
    // The socket read before the report's queued call runs (the event loop
    // may serve the socket first; starting the monitor reads it at once).
    hotKeys->startModifierMonitor();
    EXPECT_TRUE(waitUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen, QStringList({ "up 48", "modifier 58" }));
    hotKeys->ungrabKeyboard();
    hotKeys->unregisterHotKey(*tab);
}

// Machine-speed input lets the modifier go before the key it was pressed
// with: the key's tap still comes first, once, before or inside the grab.
TEST(X11HotKeys, AModifierLetGoWhileTheHotKeyIsHeldCountsTheKeysTapFirst)
{
    auto hotKeys = platform::x11::createX11HotKeys();
    ASSERT_TRUE(hotKeys);
    const auto tab = hotKeys->registerHotKey(kp::tab, platform::carbon::option);
    ASSERT_TRUE(tab);
    int pressed = 0;
    QObject::connect(hotKeys.get(), &platform::HotKeys::hotKeyPressed, [&] { ++pressed; });
    QStringList seen;
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedKeyUp,
        [&](quint16 code) { seen << QStringLiteral("up %1").arg(code); });
    QObject::connect(hotKeys.get(), &platform::HotKeys::grabbedModifierChanged,
        [&](quint16 code) { seen << QStringLiteral("modifier %1").arg(code); });

    for (const bool beforeTheGrab : { true, false }) {
        SCOPED_TRACE(beforeTheGrab ? "Alt let go before the grab" : "Alt let go inside the grab");
        seen.clear();
        const int pressesBefore = pressed;
        xdotool({ "keydown", "alt", "keydown", "Tab" });
        ASSERT_TRUE(waitUntil([&] { return pressed > pressesBefore; }));
        if (beforeTheGrab)
            xdotool({ "keyup", "alt" });
        ASSERT_TRUE(hotKeys->grabKeyboard());
        if (!beforeTheGrab)
            xdotool({ "keyup", "alt" });
        EXPECT_TRUE(waitUntil([&] { return seen.size() >= 2; }));
        xdotool({ "keyup", "Tab" });
        // Typed after: everything before it has been read once it arrives.
        xdotool({ "key", "Escape" });
        EXPECT_TRUE(waitUntil([&] { return seen.size() >= 3; }));
        EXPECT_EQ(seen, QStringList({ "up 48", "modifier 58", "up 53" }))
            << seen.join(QLatin1Char(',')).toStdString();
        hotKeys->ungrabKeyboard();
    }
    hotKeys->unregisterHotKey(*tab);
}
