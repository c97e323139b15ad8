#pragma once

#include "apps/AppsModel.h"
#include "apps/ModelSettings.h"

#include <QList>

#include <cstdint>
#include <memory>
#include <optional>

// The application model on the shared application state. Everything here
// runs on the main thread; the window notifications that arrive on the event
// thread post their work here.

// The object that stands for this program; rebuilt by every refresh.
std::shared_ptr<ActiveApp>& placeholderApp();

// The members of AppState the model rewrites.
AppsModel appStateModel();

// Settings, stored values and the change notice of AppState, for the tag
// operations of Windows and for the refresh.
ModelSettings& appStateModelSettings();

// Rebuilds AppState.allApps from the desktop and publishes when something
// changed (see the model's refreshRunningApps). Returns whether it published.
bool refreshRunningApps(
    std::optional<int32_t> excludedWindowNumber = std::nullopt, bool forcePublish = false);

// How the model reacts to a window's notification. Runs on the source's
// delivering thread and only posts work to the main thread: a destroyed window refreshes the
// model; a changed title refreshes it and, when the title is the only
// change, still tells the views.
void handleModelWindowNotification(const AxElement& element, const QString& name);

std::shared_ptr<Windows> findWindowByNumber(int32_t n);
int windowIndexInApps(int32_t n);
void focusedWindowOfApp(int32_t pid);
void refreshFocusedWindows();

int nextAppOrder();
QList<int32_t> pidsInAppOrder();
// Drag and drop in the bar: puts `dragged` after `target`, renumbers and publishes.
void moveAppOrder(int32_t dragged, int32_t target);
// The same, putting `dragged` before `target`.
void moveAppOrderBefore(int32_t dragged, int32_t target);

// The restart handshake: save before relaunching, restore in the first
// refresh afterwards.
void saveAppOrdersCache();
void restoreAppOrdersFromCache();
