#pragma once

// The system-wide monitor: every shortcut with an enabled action becomes a
// hot key of the hot-key backend (X key grabs in x11/, a scripted one in
// fake/), whose press and release events come back through handleEvent.
// pause() takes every hot key away from the system until the matching
// resume(), so another program (or the recorder) can have the keys.
#include "KeyComboKit/KCShortcutMonitor.h"

// A hot key event as the backend hands it over.
struct KCHotKeyEvent {
    static constexpr quint32 keyboardClass = 0x6B657962; // 'keyb'
    static constexpr quint32 pressedKind = 5;
    static constexpr quint32 releasedKind = 6;
    quint32 eventClass = keyboardClass;
    quint32 kind = pressedKind;
    // Non-zero when the id could not be read.
    qint32 readStatus = 0;
    quint32 signature = 0;
    quint32 id = 0;
};

inline constexpr quint32 kcHotKeySignature = 0x4B434B43; // 'KCKC'
inline constexpr qint32 kcEventNotHandled = -9874;

class KCGlobalShortcutMonitor;

// Registers hot keys with the system. Statuses are 0 for success, else the
// system's error (10 is X's BadAccess: another client holds the key).
class KCHotKeyBackend {
public:
    virtual ~KCHotKeyBackend();
    virtual qint32 registerHotKey(const KCShortcut& shortcut, quint32 signature, quint32 id, quintptr* ref)
        = 0;
    virtual qint32 unregisterHotKey(quintptr ref) = 0;
    // Events of registered keys go to monitor->dispatchHotKeyEvent while a
    // handler is installed.
    virtual qint32 installEventHandler(KCGlobalShortcutMonitor* monitor) = 0;
    virtual qint32 removeEventHandler(KCGlobalShortcutMonitor* monitor) = 0;
};

// The backend new monitors use; the application installs one (the X11 one
// normally). Without a backend every registration fails. The shared monitor
// moves to a backend installed after its first use, hot keys and all; a
// backend is replaced before it is destroyed.
void KCSetHotKeyBackend(KCHotKeyBackend* backend);
KCHotKeyBackend* KCCurrentHotKeyBackend();

class KCGlobalShortcutMonitor : public KCShortcutMonitor {
    Q_OBJECT
public:
    explicit KCGlobalShortcutMonitor(KCHotKeyBackend* backend = KCCurrentHotKeyBackend());
    ~KCGlobalShortcutMonitor() override;

    // Made on first use; it follows KCSetHotKeyBackend.
    static KCGlobalShortcutMonitor& sharedMonitor();

    // Takes the hot keys and the event handler from the present backend
    // and gives them to this one.
    void setBackend(KCHotKeyBackend* backend);
    KCHotKeyBackend* backend() const;

    void pause();
    void resume();
    bool isPaused() const;
    int registeredHotKeyCount() const;
    bool hasEventHandler() const;

    // 0 when an action handled the event, kcEventNotHandled otherwise.
    qint32 handleEvent(const KCHotKeyEvent& event);
    // The backend's entry: checks the event's class first.
    qint32 dispatchHotKeyEvent(const KCHotKeyEvent* event);

protected:
    void didAddShortcut(const KCShortcutRef& shortcut) override;
    void willRemoveShortcut(const KCShortcutRef& shortcut) override;
    virtual void didAddEventHandler();
    virtual void didRemoveEventHandler();

private:
    void registerHotKeyIfNeeded(const KCShortcutRef& shortcut);
    void unregisterHotKeyIfNeeded(const KCShortcutRef& shortcut);
    void installEventHandlerIfNeeded();
    void removeEventHandlerIfNeeded();

    KCHotKeyBackend* m_backend;
    QHash<quint32, KCShortcutRef> m_hotKeyIdToShortcut;
    KCShortcutMap<quintptr> m_shortcutToHotKeyRef;
    KCShortcutMap<quint32> m_shortcutToHotKeyId;
    bool m_eventHandler = false;
    qint64 m_disableCounter = 0;
};
