#include "platform/Platform.h"

#include <QtGlobal>

#include <atomic>

namespace platform {
namespace {
std::atomic<Platform*> g_current{nullptr};
}

Platform& current()
{
    Platform* p = g_current.load();
    if (!p)
        qFatal("platform::current() used before a platform was installed with platform::setCurrent()");
    return *p;
}

bool hasCurrent() { return g_current.load() != nullptr; }

void setCurrent(Platform* platform) { g_current.store(platform); }

} // namespace platform
