#include "platform/fake/FakeHotKeys.h"

namespace platform::fake {

std::optional<quint32> FakeHotKeys::registerHotKey(quint16 keyCode, quint32 carbonModifiers)
{
    if (taken.count({ keyCode, carbonModifiers }))
        return std::nullopt;
    for (const Registration& r : m_registrations)
        if (r.active && r.keyCode == keyCode && r.modifiers == carbonModifiers)
            return r.reference;
    m_registrations.push_back({ keyCode, carbonModifiers, m_next, true });
    return m_next++;
}

void FakeHotKeys::unregisterHotKey(quint32 reference)
{
    for (Registration& r : m_registrations)
        if (r.reference == reference)
            r.active = false;
}

bool FakeHotKeys::grabKeyboard()
{
    if (keyboardHeldElsewhere)
        return false;
    m_grabbed = true;
    return true;
}

std::vector<FakeHotKeys::Registration> FakeHotKeys::active() const
{
    std::vector<Registration> result;
    for (const Registration& r : m_registrations)
        if (r.active)
            result.push_back(r);
    return result;
}

void FakeHotKeys::press(quint16 keyCode)
{
    for (const Registration& r : m_registrations)
        if (r.active && r.keyCode == keyCode) {
            emit hotKeyPressed(keyCode, r.reference);
            return;
        }
}

void FakeHotKeys::keyDown(quint16 keyCode)
{
    if (m_grabbed)
        emit grabbedKeyDown(keyCode);
}

void FakeHotKeys::keyUp(quint16 keyCode)
{
    if (m_grabbed)
        emit grabbedKeyUp(keyCode);
}

void FakeHotKeys::modifierKey(quint16 keyCode)
{
    if (m_grabbed)
        emit grabbedModifierChanged(keyCode);
}

void FakeHotKeys::globalModifier(quint16 keyCode, bool pressed, quint32 serverTime)
{
    if (m_monitoring)
        emit modifierChanged(keyCode, pressed, serverTime);
}

} // namespace platform::fake
