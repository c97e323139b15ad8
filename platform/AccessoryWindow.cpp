#include "platform/AccessoryWindow.h"

namespace platform {

namespace {
    AccessoryMarker& marker()
    {
        static AccessoryMarker m;
        return m;
    }
} // namespace

void setAccessoryMarker(AccessoryMarker m)
{
    marker() = std::move(m);
}

void markAccessoryWindow(QWindow* window)
{
    if (window && marker())
        marker()(window);
}

} // namespace platform
