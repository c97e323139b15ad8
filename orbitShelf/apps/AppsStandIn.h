#pragma once

// The event thread has landed; this header stays only for the launch
// routine's include until the integrator drops it.
#include "apps/AXEventThread.h"

#include <cstdint>
#include <optional>

// Stand-ins for the application model's refresh and its restart cache until
// they land (same signatures): the refresh logs once and publishes nothing,
// the save stores nothing.
bool refreshRunningApps(std::optional<int32_t> excludedWindowNumber = std::nullopt, bool forcePublish = false);
void saveAppOrdersCache();
