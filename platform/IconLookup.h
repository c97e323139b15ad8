#pragma once

// Finding the file behind an icon name the way desktops do: the icon theme
// (and hicolor, the theme every application installs into), then the old
// pixmaps folders.

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// The file for `icon`: an absolute path when it exists; else, for each theme
// in `themes` and then "hicolor", the largest of <base>/<theme>/<size>/apps/
// <name>.{svg,png,xpm} under ~/.icons and <dataDir>/icons (scalable first);
// else <dataDir>/pixmaps/<name>.*. A name given with an image extension
// ("app.png", seen in the wild) is looked up without it. Nothing when no
// file is found.
std::optional<QString> iconFilePath(
    const QString& icon, const QStringList& dataDirs, const QStringList& themes);

} // namespace platform
