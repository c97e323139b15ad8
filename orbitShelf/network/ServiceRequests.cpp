#include "network/ServiceRequests.h"

#include "state/AppState.h"
#include "network/Network.h"

void trackFeature(const QString& feature)
{
    Network::shared().trackFeature(feature);
}

void pingAppActive()
{
    Network::shared().reportAppActive(deviceIdText(), applicationVersionText());
}

void checkForUpdate(AppState& state, Network& network)
{
    if (state.needUpdate || !network.isConfigured())
        return;
    // Replies arrive on the main thread, where AppState lives.
    network.checkUpdate(
        applicationVersionText(),
        [&state](const CheckUpdateCodeResponse& reply) { applyUpdateCheckResult(state, reply.update); },
        [](const QString&) {});
}

void checkForUpdate()
{
    checkForUpdate(AppState::shared(), Network::shared());
}

void applyUpdateCheckResult(AppState& state, bool update)
{
    state.needUpdate = update;
    if (update)
        state.publish();
}
