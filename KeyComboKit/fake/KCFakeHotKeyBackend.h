#pragma once

// A scripted hot-key backend: it remembers what is registered, refuses the
// keys it is told another program holds, and presses keys on request.
#include "KeyComboKit/KCGlobalShortcutMonitor.h"

#include <QList>

class KCFakeHotKeyBackend final : public KCHotKeyBackend {
public:
    struct HotKey {
        quint32 keyCode;
        quint32 modifiers;
        quint32 signature;
        quint32 id;
    };

    qint32 registerHotKey(const KCShortcut& shortcut, quint32 signature, quint32 id, quintptr* ref) override;
    qint32 unregisterHotKey(quintptr ref) override;
    qint32 installEventHandler(KCGlobalShortcutMonitor* monitor) override;
    qint32 removeEventHandler(KCGlobalShortcutMonitor* monitor) override;

    // Registrations of this carbon key code and modifiers fail with `status`.
    void holdElsewhere(quint32 carbonKeyCode, quint32 carbonModifiers, qint32 status = 10);
    // The event the system would send for a registered key; kcEventNotHandled
    // when no handler is installed or the key is not registered.
    qint32 press(const KCShortcut& shortcut, quint32 kind = KCHotKeyEvent::pressedKind);

    QList<HotKey> registered() const;
    bool hasHandler() const { return m_handler; }

private:
    QHash<quintptr, HotKey> m_registered;
    QList<std::tuple<quint32, quint32, qint32>> m_held;
    quintptr m_nextRef = 1;
    KCGlobalShortcutMonitor* m_handler = nullptr;
};
