#pragma once

#include "state/Persistence.h"

#include <QString>

#include <cstdint>
#include <optional>

class AppState;

// Favourites added from the bar: one Favorite record per application, matched
// by its short name (appBundleName), with a 128×128 PNG copy of the icon in
// the support folder.

enum class AddFavoriteResult { Added, Duplicate, IconNotWritten, NotSaved };

// Stores application `pid` of allApps as a favourite. A process missing from
// allApps still gives a nameless record with the launcher picture as its icon
// ("app icon.png"), unless a nameless favourite exists. The icon file is
// written first and the record only inserted once it exists, so a failed
// write leaves nothing behind, not even unsaved in the store.
AddFavoriteResult addFavorite(int32_t pid, AppState& state, PersistenceController& store);

// The same later on the main thread, over the shared state and store; the
// caller does not wait.
void startAddFavorite(int32_t pid);

// The last favourite record whose appBundleName equals `bundleName` (absent
// equals only absent), in the store's order.
std::optional<Record> favoriteRecordFor(
    const std::optional<QString>& bundleName, PersistenceController& store);
