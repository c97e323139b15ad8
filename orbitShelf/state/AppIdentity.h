#pragma once

#include <QString>

// Names under which the process keeps its files. The settings file is
// $XDG_CONFIG_HOME/<organisation>/<application>.conf; everything else lies in
// the application support folder, $XDG_DATA_HOME/<identifier>.
inline constexpr const char* kOrganisationName = "orbitShelf";
inline constexpr const char* kApplicationName = "orbitShelf";
inline constexpr const char* kAppIdentifier = "io.orbitshelf.OrbitShelf";

// $XDG_DATA_HOME (or ~/.local/share) followed by the identifier. Not created.
QString applicationSupportFolder();
