#include "platform/HotKeys.h"

namespace platform {

namespace {
    HotKeys*& installed()
    {
        static HotKeys* current = nullptr;
        return current;
    }
} // namespace

HotKeys* hotKeys()
{
    return installed();
}

void setHotKeys(HotKeys* hotKeys)
{
    installed() = hotKeys;
}

} // namespace platform
