#pragma once

#include <QStringList>

#include <QMap>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

// Every file the program writes for itself (application icons, clipboard
// images, dock icons) lies directly in one folder: the XDG data directory
// followed by the program's identifier.

// The folder, created with every missing parent on first use; absent, with
// "An error occured" logged, when it cannot be created.
std::optional<QString> appSupportFolderPath();

// The file URL of `fileName` inside the support folder (the file itself is
// neither created nor examined); absent when the folder cannot be created.
// The name is made safe first (see safeSupportFileName), so a writer can
// never reach outside the folder.
std::optional<QUrl> appSupportDirectory(const QString& fileName);

// `name` as one plain file name: "/" and ".." become "_", control characters
// are dropped, and an empty result becomes "_".
QString safeSupportFileName(const QString& name);

// The stored form of a file's location: the file URL's fully encoded text
// without "file://", so a space is kept as "%20".
QString storedPathOf(const QUrl& fileUrl);

// The local path a stored location names: every percent escape decoded (not
// only "%20"), and a leading "file://" tolerated.
QString localPathFromStored(const QString& stored);

// The keys a window can be bound to: "1" to "9", "0", "a" to "z" but "h"
// and "p", then "disable".
QStringList hotKeyChoices();
