#pragma once

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "tests/support/TempStores.h"

#include <gtest/gtest.h>

#include <optional>

// A fresh state over user defaults of its own, made before the state reads
// them.
class StateTest : public ::testing::Test {
protected:
    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
};

// A running application of `windows` titled windows numbered pid * 10 + i,
// in bar order `order` when one is given.
inline std::shared_ptr<ActiveApp> addRunningApp(
    AppState& state, int32_t pid, int windows, std::optional<int> order = std::nullopt)
{
    auto app = std::make_shared<ActiveApp>();
    app->appId = pid;
    app->windows = std::vector<std::shared_ptr<Windows>>();
    for (int i = 0; i < windows; ++i) {
        auto window = std::make_shared<Windows>();
        window->appId = pid;
        window->num = uint32_t(pid * 10 + i);
        window->title = QStringLiteral("window %1").arg(i);
        app->windows->push_back(window);
    }
    state.allApps.insert(pid, app);
    if (order)
        state.appOrders.insert(pid, *order);
    return app;
}
