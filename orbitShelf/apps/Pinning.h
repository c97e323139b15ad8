#pragma once

#include "state/Persistence.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

class ActiveApp;

// Applications kept in the bar while they are not running: one PinnedApps
// record each, matched to running applications by their short name
// (appBundleName) alone, with a 128×128 PNG copy of the icon in the support
// folder. The functions without a store use the process-wide one.

// Pins the running application `pid` later on the main thread; the caller
// does not wait and learns nothing of the outcome.
void startPinApp(int32_t pid);
// Unpins every record named `bundleName`, later on the main thread.
void startUnpinApp(const QString& bundleName);

// Pins application `pid` now. Nothing is stored for a process that is not a
// known running application, for an application that is pinned already, or
// when its icon file cannot be written. Returns whether a record was added.
bool pinApp(int32_t pid, PersistenceController& store);
bool pinApp(int32_t pid);

// Removes every record whose appBundleName is `bundleName` (records without
// a name are never removed). Returns how many were removed.
int unpinApp(const QString& bundleName, PersistenceController& store);
int unpinApp(const QString& bundleName);

// Whether `app` is pinned, and the last record that pins it.
std::pair<bool, std::optional<Record>> isAppPinned(const ActiveApp* app, PersistenceController& store);
std::pair<bool, std::optional<Record>> isAppPinned(const ActiveApp* app);

// Rebuilds AppState::pinnedAnNotRunning: one application per pinned name that
// is not running, in the store's order. While a pinned application is being
// launched from the bar (openFromPinbar), only clears that flag.
void loadPinnedApps(PersistenceController& store);
void loadPinnedApps();

// The local file of a pinned application's icon: its stored appIconUrl with
// every escape decoded; empty when it has none. Readers of the icon go
// through here so that names with spaces or other escaped characters load.
QString pinnedIconPath(const ActiveApp& app);

// The picture a pinned application without an icon of its own gets.
QImage launchpadImage();
// The picture of "a program" for one that shows none of its own.
QImage genericApplicationImage();
// How to start the pinned program whose icon is stored at `iconPath`, when
// it was recorded at pin time (programs without a desktop entry).
std::optional<QStringList> readPinnedCommand(const QString& iconPath);
