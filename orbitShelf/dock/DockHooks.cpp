#include "dock/DockHooks.h"

DockHooks& dockHooks()
{
    static DockHooks hooks;
    return hooks;
}
