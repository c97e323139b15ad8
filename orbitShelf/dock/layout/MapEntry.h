#pragma once

#include <QString>

#include <optional>

// A per-screen map's entry for `key`, absent when the map has none: the bar
// tells a missing entry from a stored 0 or empty text.
template <typename Map>
auto mapEntry(const Map& map, const QString& key) -> std::optional<typename Map::mapped_type>
{
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return std::nullopt;
    return *it;
}
