// The shortcut kit's system-wide monitors on a real X server: hot keys as
// key grabs, typed with xdotool (XTest), and the listen-only XInput 2
// monitor. openbox runs without key bindings here.
#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/x11/KCAXGlobalShortcutMonitor.h"
#include "KeyComboKit/x11/KCX11HotKeyBackend.h"
#include "tests/KeyComboKit/KitFixture.h"
#include "tests/e2e_platform/OtherGrabClient.h"
#include "tests/support/X11TestTools.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

using kctest::LogCapture;
using orbitshelf::test::runTool;
using orbitshelf::test::waitUntil;
using orbitshelf::test::xdotool;

namespace {

struct Counts {
    int down = 0;
    int up = 0;
};

// Key-down and key-up actions for one shortcut that count their calls.
void countOn(KCShortcutMonitor& monitor, const KCShortcutRef& shortcut, Counts& counts)
{
    monitor.addAction(KCShortcutAction::withShortcut(
                          shortcut, [&counts](KCShortcutAction*) { return ++counts.down, true; }),
        KCKeyEventTypeDown);
    monitor.addAction(
        KCShortcutAction::withShortcut(shortcut, [&counts](KCShortcutAction*) { return ++counts.up, true; }),
        KCKeyEventTypeUp);
}

} // namespace

TEST(KeyComboKitHotKeys, GrabbedKeysReachTheirActions)
{
    LogCapture log;
    KCX11HotKeyBackend backend;
    ASSERT_TRUE(backend.isValid());
    KCGlobalShortcutMonitor monitor(&backend);
    Counts k, j;
    countOn(monitor, KCShortcut::shortcutWithCode(kKeyK, commandOption), k);
    ASSERT_EQ(monitor.registeredHotKeyCount(), 1);

    xdotool({ "key", "ctrl+alt+k" });
    EXPECT_TRUE(waitUntil([&] { return k.up == 1; }));
    EXPECT_EQ(k.down, 1);
    // Held down, then let go: one press and one release.
    xdotool({ "keydown", "ctrl+alt+k" });
    EXPECT_TRUE(waitUntil([&] { return k.down == 2; }));
    xdotool({ "keyup", "k" });
    xdotool({ "keyup", "ctrl+alt" });
    EXPECT_TRUE(waitUntil([&] { return k.up == 2; }));
    EXPECT_EQ(k.down, 2);

    // Another client holds Ctrl+Alt+J: reported, and K keeps working.
    const xcb_keycode_t jKeycode = xcb_keycode_t(*KCXKeycodeForKeyCode(kKeyJ));
    const xcb_keycode_t kKeycode = xcb_keycode_t(*KCXKeycodeForKeyCode(kKeyK));
    OtherGrabClient other;
    ASSERT_TRUE(other.grab(jKeycode));
    countOn(monitor, KCShortcut::shortcutWithCode(kKeyJ, commandOption), j);
    EXPECT_EQ(log.count("#Critical Failed to register Carbon hot key: 10"), 1);
    EXPECT_EQ(monitor.registeredHotKeyCount(), 1);
    xdotool({ "key", "ctrl+alt+k" });
    EXPECT_TRUE(waitUntil([&] { return k.up == 3; }));

    // Once it lets go, pause and resume register J.
    other.ungrab(jKeycode);
    monitor.pause();
    // Paused, the keys are free for others.
    EXPECT_TRUE(other.grab(kKeycode));
    other.ungrab(kKeycode);
    monitor.resume();
    EXPECT_EQ(monitor.registeredHotKeyCount(), 2);
    xdotool({ "key", "ctrl+alt+j" });
    EXPECT_TRUE(waitUntil([&] { return j.up == 1; }));
    EXPECT_EQ(j.down, 1);
    EXPECT_EQ(k.down, 3);

    // Gone with the monitor: another client may grab K again.
    monitor.removeAllActions();
    EXPECT_TRUE(other.grab(kKeycode));
    other.ungrab(kKeycode);
}

TEST(KeyComboKitHotKeys, ListenOnlyMonitorSeesModifiers)
{
    LogCapture log;
    EXPECT_EQ(KCAXGlobalShortcutMonitor::create(KCAXGlobalShortcutMonitor::tapDefault), nullptr);
    EXPECT_EQ(
        log.count("#Critical Unable to create event tap: X11 cannot filter other clients' key events"), 1);

    auto monitor = KCAXGlobalShortcutMonitor::create();
    ASSERT_TRUE(monitor);
    EXPECT_FALSE(monitor->isTapEnabled());
    Counts command, k;
    countOn(*monitor, KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::command), command);
    countOn(*monitor, KCShortcut::shortcutWithCode(kKeyK, commandOption), k);
    EXPECT_TRUE(monitor->isTapEnabled());

    xdotool({ "keydown", "ctrl" });
    EXPECT_TRUE(waitUntil([&] { return command.down == 1; }));
    xdotool({ "keyup", "ctrl" });
    EXPECT_TRUE(waitUntil([&] { return command.up == 1; }));
    // A key's release carries the modifiers down at that moment.
    xdotool({ "keydown", "ctrl+alt+k" });
    xdotool({ "keyup", "k" });
    xdotool({ "keyup", "ctrl+alt" });
    EXPECT_TRUE(waitUntil([&] { return k.up == 1; }));
    EXPECT_EQ(k.down, 1);
    EXPECT_EQ(command.down, 2); // Control went down on the way
    EXPECT_EQ(command.up, 1); // let go with Alt still down: not Command alone
    EXPECT_GE(log.count("#Developer #Error The monitor is not configured to actively filter events"), 4);

    monitor->removeAllActions();
    EXPECT_FALSE(monitor->isTapEnabled());
}

TEST(KeyComboKitHotKeys, ListenOnlyMonitorFollowsANewModifierMap)
{
    auto monitor = KCAXGlobalShortcutMonitor::create();
    ASSERT_TRUE(monitor);
    Counts command, option;
    countOn(*monitor, KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::command), command);
    countOn(*monitor, KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::option), option);

    // The right Control key stops being one after the monitor started (a
    // user's xmodmap at login): it no longer holds Command.
    runTool(QStringLiteral("xmodmap"), { "-e", "remove Control = Control_R" });
    struct Restore {
        ~Restore() { runTool(QStringLiteral("xmodmap"), { "-e", "add Control = Control_R" }); }
    } restore;
    xdotool({ "keydown", "Control_R" });
    xdotool({ "keyup", "Control_R" });
    // Alt after it: once its release is seen, so was everything before.
    xdotool({ "key", "alt" });
    EXPECT_TRUE(waitUntil([&] { return option.up == 1; }));
    EXPECT_EQ(command.down, 0);
    monitor->removeAllActions();
}
