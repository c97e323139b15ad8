#pragma once

#include "platform/ClickMonitor.h"

namespace platform::fake {

// A click monitor that reports exactly the clicks a test scripts.
class FakeClickMonitor final : public ClickMonitor {
    Q_OBJECT
public:
    bool start() override
    {
        m_running = true;
        return true;
    }
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }

    // Reports a release over `window` (only while running, like the real one),
    // at the desktop's time `serverTime` (0: unknown).
    void click(quint32 window, QPoint rootPosition = {}, quint32 serverTime = 0)
    {
        if (m_running)
            emit primaryButtonReleased(PointerClick { window, rootPosition, serverTime });
    }

    void rightClick(quint32 window, QPoint rootPosition = {})
    {
        if (m_running)
            emit secondaryButtonReleased(PointerClick { window, rootPosition });
    }

    void keyPress(const QString& characters, quint64 modifierFlags, quint16 keyCode = 0xFFFF)
    {
        if (m_running)
            emit keyPressed(KeyPress { characters, modifierFlags, keyCode });
    }

private:
    bool m_running = false;
};

} // namespace platform::fake
