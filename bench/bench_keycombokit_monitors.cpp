// The shortcut kit's system-wide monitors on an X server (DISPLAY; run it
// under xvfb-run): from an XTest press of Ctrl+Alt+K to the call of its
// action through the hot-key monitor, 1000 presses; and the listen-only
// monitor's own cost per key event with 100 shortcuts registered.
#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/x11/KCAXGlobalShortcutMonitor.h"
#include "KeyComboKit/x11/KCX11HotKeyBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * values.size()))];
}

void fakeKey(xcb_connection_t* c, uint8_t type, xcb_keycode_t keycode)
{
    xcb_test_fake_input(c, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X server: run it under xvfb-run\n");
        return 1;
    }
    // Every handled event of the listen-only monitor writes a line.
    QLoggingCategory::setFilterRules(QStringLiteral("keycombokit=false"));

    KCX11HotKeyBackend backend;
    KCGlobalShortcutMonitor monitor(&backend);
    int calls = 0;
    const auto shortcut = KCShortcut::shortcutWithCode(40, kc::command | kc::option);
    monitor.addAction(
        KCShortcutAction::withShortcut(shortcut, [&](KCShortcutAction*) { return ++calls, true; }),
        KCKeyEventTypeDown);
    if (monitor.registeredHotKeyCount() != 1) {
        std::fprintf(stderr, "Ctrl+Alt+K could not be grabbed\n");
        return 1;
    }
    xcb_connection_t* typist = xcb_connect(nullptr, nullptr);
    const xcb_keycode_t k = xcb_keycode_t(*KCXKeycodeForKeyCode(40));
    const xcb_keycode_t control = 37, alt = 64;
    std::vector<double> pressMs;
    for (int i = 0; i < 1000; ++i) {
        const int before = calls;
        fakeKey(typist, XCB_KEY_PRESS, control);
        fakeKey(typist, XCB_KEY_PRESS, alt);
        xcb_flush(typist);
        free(xcb_get_input_focus_reply(typist, xcb_get_input_focus(typist), nullptr));
        QElapsedTimer t;
        t.start();
        fakeKey(typist, XCB_KEY_PRESS, k);
        xcb_flush(typist);
        while (calls == before && t.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        pressMs.push_back(t.nsecsElapsed() / 1e6);
        for (xcb_keycode_t key : { k, alt, control })
            fakeKey(typist, XCB_KEY_RELEASE, key);
        xcb_flush(typist);
        free(xcb_get_input_focus_reply(typist, xcb_get_input_focus(typist), nullptr));
    }
    xcb_disconnect(typist);
    std::printf("hot key press to action (1000 presses, %d calls): median %.3f ms, p99 %.3f ms (target "
                "median < 5 ms)\n",
        calls, percentile(pressMs, 0.5), percentile(pressMs, 0.99));

    auto listener = KCAXGlobalShortcutMonitor::create();
    if (!listener) {
        std::fprintf(stderr, "no XInput 2 on the display\n");
        return 1;
    }
    for (int i = 0; i < 100; ++i)
        listener->addAction(
            KCShortcutAction::withShortcut(
                KCShortcut::shortcutWithCode(quint16(i % 50), i < 50 ? kc::command : kc::command | kc::shift),
                [](KCShortcutAction*) { return true; }),
            KCKeyEventTypeDown);
    constexpr int events = 200000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < events; ++i) {
        KCKeyEvent event;
        event.type = i % 2 ? KCKeyEvent::keyUp : KCKeyEvent::keyDown;
        event.keyCode = quint16(i % 60);
        event.modifierFlags = i % 3 ? kc::command : 0;
        listener->handleEvent(event);
    }
    std::printf("listen-only monitor, 100 shortcuts: %.3f us per event (target < 20 us)\n",
        t.nsecsElapsed() / 1e3 / events);
    return 0;
}
