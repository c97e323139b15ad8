#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The user-defaults store: one QSettings file in Qt's native Linux format,
// one key per value. Every stored member (the lists of CustomSettings.h)
// reads and writes through here. Reads are kept twice: the store keeps what
// it read until its next write, and each accessor keeps its value until
// generation() changes; any write, removal or change of file ends both, so
// copies of a settings record always agree.
//
// Every reader and writer runs on the main thread, the window notification
// handler included (the window observers deliver there). Access is still
// serialised by a lock, and generation() is atomic, so that a read from
// another thread stays safe.
namespace UserDefaults {

// The stored value, or an invalid QVariant when the key holds nothing.
QVariant value(const QString& key);
// Stores and flushes at once, so a crash right after loses nothing.
void setValue(const QString& key, const QVariant& value);
void remove(const QString& key);

// Path of the settings file in use.
QString fileName();

// Changes with every write, removal and change of file: a value read while
// it stays the same is still the stored one. Any thread.
quint64 generation();

// When the settings file of this run could not be read whole, it was copied
// beside itself ("<file>.damaged-<UTC date and time>") before anything was
// written: the copy's path. Nothing when the file was read whole or absent.
std::optional<QString> keptCopyOfUnreadableFile();
// Whether the file at `path` holds what the reader cannot take as settings:
// a line that is no key, section or comment, a NUL byte, or no UTF-8.
bool hasUnreadableLines(const QString& path);

// Points the store at another file (tests); an empty path returns to the
// user's own file under XDG_CONFIG_HOME.
void useFile(const QString& path);

// Typed reads: a value that is absent, or that cannot be read as the type
// (a hand-edited file), gives the default. Texts like "yes" or "12abc" are
// not silently coerced.
bool readBool(const QString& key, bool fallback);
int readInt(const QString& key, int fallback);
qint64 readInt64(const QString& key, qint64 fallback);
double readReal(const QString& key, double fallback);
QString readText(const QString& key, const QString& fallback);

} // namespace UserDefaults
