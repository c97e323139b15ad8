#pragma once

#include "apps/ActiveApp.h"
#include "apps/AppOrder.h"
#include "apps/Windows.h"

#include <QList>
#include <QMap>
#include <cstdint>

#include <memory>
#include <optional>
#include <vector>

class ModelSettings;

using AppMap = QMap<int32_t, std::shared_ptr<ActiveApp>>;

// The members of the application state that the model rewrites, by
// reference. They live on the main thread; the event thread only posts work
// to it.
struct AppsModel final {
    AppMap& allApps;
    // Window numbers as they stood before the latest pass.
    QList<uint32_t>& allOldWindows;
    QMap<uint32_t, int>& windowOrders;
    AppOrders& appOrders;
    // Stands for the program itself; rebuilt by every pass.
    std::shared_ptr<ActiveApp>& placeholderApp;
};

// The same members held by value, for a model of one's own (tests,
// benchmarks).
struct AppsModelStore final {
    AppMap allApps;
    QList<uint32_t> allOldWindows;
    QMap<uint32_t, int> windowOrders;
    AppOrders appOrders;
    std::shared_ptr<ActiveApp> placeholderApp = std::make_shared<ActiveApp>();

    AppsModel view() { return { allApps, allOldWindows, windowOrders, appOrders, placeholderApp }; }
};

// Rebuilds `model.allApps` from the source. Publishes (replaces allApps and
// calls settings.publish()) only when the set of windows changed, a window
// was carried over from the window server's list, or `forcePublish` is set;
// returns whether it published. `onWindowNotification` is given to the
// subscription of every new window.
bool refreshRunningApps(const AppsModel& model, AppsSource& source, ModelSettings& settings,
    std::optional<int32_t> excludedWindowNumber, bool forcePublish,
    const WindowNotificationHandler& onWindowNotification);

// The window with number `n`, searching the applications that have an order.
// A real window wins over a placeholder whose process id happens to equal n.
std::shared_ptr<Windows> findWindowByNumber(const AppsModel& model, int32_t n);

// Position of window `n` in its application's list, or -1.
int windowIndexInApps(const AppsModel& model, int32_t n);

// Marks the application's window that has the keyboard focus, by window
// number: two windows with one title are told apart.
void focusedWindowOfApp(const AppsModel& model, AppsSource& source, int32_t pid);

// Menu-bar hosts own windows that are no application's.
bool isAppWindowOwner(const ListedWindow& window);
