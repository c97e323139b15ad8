#pragma once

// Shortcuts inside the application: a window or view hands each key event to
// the monitor with the object that should receive the action. The standard
// sets build monitors with the usual text editing, menu, clipboard, window,
// document and application keys (all key-down, targets given per event).
#include "KeyComboKit/KCShortcutMonitor.h"

class QEvent;

class KCLocalShortcutMonitor : public KCShortcutMonitor {
    Q_OBJECT
public:
    // Whether an action handled the event; `target` overrides the actions'
    // own targets.
    bool handleEvent(const KCKeyEvent& event, QObject* target);
    // Key events through KCKeyEventFromQKeyEvent; anything else is refused.
    bool handleEvent(const QEvent* event, QObject* target);

    // The text key bindings: the user's entries over the system's. An entry
    // maps a key-binding string ("^f") to a selector or a list of them;
    // "noop:" or "" silences the key.
    void updateWithCocoaTextKeyBindings();

    static std::unique_ptr<KCLocalShortcutMonitor> standardShortcuts();
    static std::unique_ptr<KCLocalShortcutMonitor> mainMenuShortcuts();
    static std::unique_ptr<KCLocalShortcutMonitor> clipboardShortcuts();
    static std::unique_ptr<KCLocalShortcutMonitor> windowShortcuts();
    static std::unique_ptr<KCLocalShortcutMonitor> documentShortcuts();
    static std::unique_ptr<KCLocalShortcutMonitor> appShortcuts();

    // The user's bindings file, a JSON object; by default
    // KeyComboKit/DefaultKeyBinding.json in the XDG config folder. An empty
    // path restores the default.
    static void setUserKeyBindingsPath(const QString& path);
    static QString userKeyBindingsPath();

    // X11 has no system-wide text key bindings: always empty, with a log line.
    static QVariantMap parseSystemKeyBindings();
    static QVariantMap parseUserKeyBindings();
};
