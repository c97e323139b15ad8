#pragma once

#include "platform/HotKeys.h"

#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace platform::fake {

// Hot keys as a test scripts them: combinations it marks as taken are
// refused, presses and grabbed keys are reported when the test says so.
class FakeHotKeys final : public HotKeys {
    Q_OBJECT
public:
    struct Registration {
        quint16 keyCode = 0;
        quint32 modifiers = 0;
        quint32 reference = 0;
        bool active = true;
    };

    std::optional<quint32> registerHotKey(quint16 keyCode, quint32 carbonModifiers) override;
    void unregisterHotKey(quint32 reference) override;
    bool grabKeyboard() override;
    void ungrabKeyboard() override { m_grabbed = false; }
    bool keyboardGrabbed() const override { return m_grabbed; }
    std::optional<bool> anyKeyDown(const std::vector<quint16>& keyCodes) override
    {
        if (!keysDown)
            return std::nullopt;
        for (quint16 code : keyCodes)
            if (keysDown->count(code))
                return true;
        return false;
    }
    bool startModifierMonitor() override
    {
        m_monitoring = true;
        return true;
    }

    // Every registration made, in order, released ones included.
    const std::vector<Registration>& registrations() const { return m_registrations; }
    std::vector<Registration> active() const;
    void clear() { m_registrations.clear(); }

    // Another program holds this combination / the whole keyboard.
    std::set<std::pair<quint16, quint32>> taken;
    bool keyboardHeldElsewhere = false;
    // The keys down as the desktop would say; none: it cannot say.
    std::optional<std::set<quint16>> keysDown;

    // A press of an active registration's combination.
    void press(quint16 keyCode);
    // Keys typed while the keyboard is grabbed.
    void keyDown(quint16 keyCode);
    void keyUp(quint16 keyCode);
    void modifierKey(quint16 keyCode);
    // A modifier change seen by the desktop-wide monitor, at the desktop's
    // time `serverTime` (0: unknown).
    void globalModifier(quint16 keyCode, bool pressed, quint32 serverTime = 0);

private:
    std::vector<Registration> m_registrations;
    quint32 m_next = 1;
    bool m_grabbed = false;
    bool m_monitoring = false;
};

} // namespace platform::fake
