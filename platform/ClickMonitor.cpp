#include "platform/ClickMonitor.h"

namespace platform {

namespace {
ClickMonitorFactory& registeredFactory()
{
    static ClickMonitorFactory factory;
    return factory;
}
} // namespace

void setClickMonitorFactory(ClickMonitorFactory factory)
{
    registeredFactory() = std::move(factory);
}

std::unique_ptr<ClickMonitor> createClickMonitor()
{
    auto& factory = registeredFactory();
    return factory ? factory() : nullptr;
}

} // namespace platform
