#include "app/ShellStandIn.h"

#include "app/Logging.h"

#include <vector>

int addGlobalFlagsChangedMonitor(FlagsChangedHandler handler)
{
    static std::vector<FlagsChangedHandler> handlers;
    handlers.push_back(std::move(handler));
    qCInfo(lcApp)
        << "addGlobalFlagsChangedMonitor: no global key monitor exists yet; modifier changes are not seen";
    return int(handlers.size());
}
