#pragma once

// One level of a folder, read without following anything but the entry's own
// symlink (to tell folders from files) and without reading any file.

#include <QByteArray>
#include <QCollator>
#include <QLocale>
#include <QList>
#include <QString>

#include <optional>

struct FolderEntry {
    // The path as the file system spells it; file names need not be UTF-8.
    QByteArray nativePath;
    // The path decoded for display and lookups (invalid bytes replaced).
    QString path;
    // The last path component on one line: control characters, newlines
    // among them, are shown as U+FFFD.
    QString displayName;
    // A folder, or a symlink to one: a click enters it.
    bool isDir = false;
    // The freedesktop icon name of the entry's MIME type, guessed from its
    // name alone.
    QString iconName;
    // False when the decoded path does not encode back to the same bytes: it
    // would name another file (or none), so the entry cannot be opened.
    bool nameable = true;
};

struct FolderListing {
    QList<FolderEntry> entries; // folders first, by name (sortByName)
    std::optional<QString> error; // why the folder could not be read
};

// Lists `folder` one level deep, hidden entries (leading ".") left out,
// folders first, sorted by name in the user's locale. Safe on any thread.
FolderListing listFolder(const QString& folder);

// The order of names in a folder: the collation of `locale` (a
// language-neutral one under the C locale), digit runs by their value,
// letters case aside.
QCollator folderCollator(const QLocale& locale = QLocale());
// Below 0 when `a` comes first, 0 when only case or leading zeros differ.
int compareNames(const QString& a, const QString& b, const QCollator& collator);
// Folders first, then files, each in that order of their shown names.
void sortByName(QList<FolderEntry>& entries, const QLocale& locale = QLocale());

// Whether the entry gets a picture thumbnail: its extension, in any case, is
// jpg, jpeg, png, gif or bmp.
bool isImageFile(const QString& path);

// The name shown for a file-name text: control characters become U+FFFD.
QString oneLineName(const QString& name);
