#pragma once

#include "shell/FeatureWiring.h"

#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "apps/ActiveApp.h"
#include "apps/AppsSource.h"
#include "apps/WindowClickTracking.h"
#include "apps/Windows.h"
#include "platform/Platform.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "tests/apps/ScriptedAppsSource.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace orbitshelf::test {

// The app state, the click history and the desktop as a fresh process would
// find them: a scripted desktop, an empty model, settings in a temporary file.
class ActivationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::useFile(m_dir.filePath("defaults.conf"));
        platform::install(platform::fake::services(&fake));
        setAppsSource(&source);
        // The switcher and the clipboard panel hear of activations and clicks
        // through the shell's wiring, as in the running program.
        wireFeatures();
        AppState& state = AppState::shared();
        state.allApps.clear();
        state.appOrders.clear();
        state.focusedWindow.clear();
        state.previousAppWindow = 0;
        state.pinnedAnNotRunning.clear();
        state.openFromPinbar = false;
        state.popups = {};
        resetWindowClickTracking();
    }

    void TearDown() override
    {
        AppState::shared().allApps.clear();
        AppState::shared().appOrders.clear();
        setAppsSource(nullptr);
        platform::uninstall();
        UserDefaults::useFile(QString());
    }

    // A running application with one desktop window per title, known to the
    // model as the refresh would leave it.
    std::shared_ptr<ActiveApp> addApp(int32_t pid, const QString& name, const std::vector<QString>& titles)
    {
        platform::RunningApplication running;
        running.processIdentifier = pid;
        running.localizedName = name;
        running.bundleIdentifier = "org.example." + name;
        fake.addApp(running);
        auto app = std::make_shared<ActiveApp>();
        app->appId = pid;
        app->appName = name;
        app->appBundleName = name;
        app->bundleIdentifier = "org.example." + name;
        app->windows = std::vector<std::shared_ptr<Windows>> {};
        int offset = 0;
        for (const QString& title : titles) {
            auto window = std::make_shared<Windows>();
            window->num = fake.addWindow(pid, title, QRect(100 + offset, 200 + offset, 400, 300));
            window->appId = pid;
            window->title = title;
            window->appName = name;
            window->bundleIdentifier = app->bundleIdentifier;
            app->windows->push_back(window);
            offset += 50;
        }
        AppState::shared().allApps.insert(pid, app);
        AppState::shared().appOrders.insert(pid, 10 + 5 * int(AppState::shared().appOrders.size()));
        return app;
    }

    std::vector<platform::fake::FakeAction> actionsOf(platform::fake::FakeAction::Kind kind) const
    {
        std::vector<platform::fake::FakeAction> matching;
        for (const auto& a : fake.actions())
            if (a.kind == kind)
                matching.push_back(a);
        return matching;
    }

    std::vector<int32_t> clickOrder() const
    {
        std::vector<int32_t> numbers;
        for (const auto& entry : windowClickOrder())
            numbers.push_back(entry.windowNum);
        return numbers;
    }

    QTemporaryDir m_dir;
    platform::fake::FakePlatform fake;
    ScriptedAppsSource source;
};

} // namespace orbitshelf::test
