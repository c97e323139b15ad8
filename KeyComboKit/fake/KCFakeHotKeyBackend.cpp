#include "KeyComboKit/fake/KCFakeHotKeyBackend.h"

qint32 KCFakeHotKeyBackend::registerHotKey(
    const KCShortcut& shortcut, quint32 signature, quint32 id, quintptr* ref)
{
    const quint32 code = shortcut.carbonKeyCode();
    const quint32 modifiers = shortcut.carbonModifierFlags();
    for (const auto& [heldCode, heldModifiers, status] : std::as_const(m_held))
        if (heldCode == code && heldModifiers == modifiers)
            return status;
    *ref = m_nextRef++;
    m_registered.insert(*ref, { code, modifiers, signature, id });
    return 0;
}

qint32 KCFakeHotKeyBackend::unregisterHotKey(quintptr ref)
{
    return m_registered.remove(ref) ? 0 : -9876;
}

qint32 KCFakeHotKeyBackend::installEventHandler(KCGlobalShortcutMonitor* monitor)
{
    m_handler = monitor;
    return 0;
}

qint32 KCFakeHotKeyBackend::removeEventHandler(KCGlobalShortcutMonitor* monitor)
{
    if (m_handler == monitor)
        m_handler = nullptr;
    return 0;
}

void KCFakeHotKeyBackend::holdElsewhere(quint32 carbonKeyCode, quint32 carbonModifiers, qint32 status)
{
    m_held.append({ carbonKeyCode, carbonModifiers, status });
}

qint32 KCFakeHotKeyBackend::press(const KCShortcut& shortcut, quint32 kind)
{
    if (!m_handler)
        return kcEventNotHandled;
    for (const HotKey& key : std::as_const(m_registered))
        if (key.keyCode == shortcut.carbonKeyCode() && key.modifiers == shortcut.carbonModifierFlags()) {
            KCHotKeyEvent event;
            event.kind = kind;
            event.signature = key.signature;
            event.id = key.id;
            return m_handler->dispatchHotKeyEvent(&event);
        }
    return kcEventNotHandled;
}

QList<KCFakeHotKeyBackend::HotKey> KCFakeHotKeyBackend::registered() const
{
    return m_registered.values();
}
