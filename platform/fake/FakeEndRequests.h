#pragma once

#include "platform/EndRequests.h"

#include <utility>

namespace platform::fake {

// The desktop's requests to end the process, as a test makes them.
class FakeEndRequests final : public EndRequests {
public:
    void watch(Handler handler) override { m_handler = std::move(handler); }

    bool watched() const { return static_cast<bool>(m_handler); }
    // Tells the watcher, as a signal or the display's end would; false when
    // nobody listens.
    bool request(EndRequest request, const QString& what = QStringLiteral("asked by the test"))
    {
        if (!m_handler)
            return false;
        m_handler(request, what);
        return true;
    }

private:
    Handler m_handler;
};

} // namespace platform::fake
