#pragma once

// The listen-only system-wide monitor: it reads the raw key events of every
// keyboard (XInput 2, on the kit's own connection) and runs the matching
// actions, modifier-only shortcuts included. X lets no client filter other
// clients' key events, so the events always reach the focused window too.
// The raw events are selected only while a shortcut is registered.
#include "KeyComboKit/KCShortcutMonitor.h"

#include <memory>

class KCAXGlobalShortcutMonitor final : public KCShortcutMonitor {
    Q_OBJECT
public:
    enum TapOptions { tapDefault = 0, tapListenOnly = 1 };

    // Null, after a "#Critical" line, for tapDefault (X cannot filter) or
    // when the display or its XInput 2 cannot be reached. DISPLAY when
    // `display` is empty.
    static std::unique_ptr<KCAXGlobalShortcutMonitor> create(
        int tapOptions = tapListenOnly, const QString& display = QString());
    ~KCAXGlobalShortcutMonitor() override;

    // Whether an action handled the event. `keyCode` of a modifier change
    // names the modifier key; the shortcut of such an event has none.
    bool handleEvent(const KCKeyEvent& event);
    bool isTapEnabled() const;
    // Reads what the server has sent; the notifier calls it.
    void readEvents();

protected:
    void didAddShortcut(const KCShortcutRef& shortcut) override;
    void didRemoveShortcut(const KCShortcutRef& shortcut) override;

private:
    KCAXGlobalShortcutMonitor();
    void setTapEnabled(bool enabled);

    struct Private;
    std::unique_ptr<Private> d;
};
