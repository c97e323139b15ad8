#pragma once

#include <QByteArray>
#include <QString>

// The data folder holds what the user copied and the store of it: it is
// kept out of other users' reach, the folder 0700 and every file in it 0600,
// whatever the umask says.

// Creates `folder` (and missing parents) and makes it 0700. False when it
// cannot be created.
bool makePrivateFolder(const QString& folder);

// Creates `path` empty and 0600 when it does not exist yet (a program that
// then opens it keeps the mode); an existing file is left as it is.
bool createPrivateFile(const QString& path);

// Writes `bytes` to `path` atomically (complete or not at all, an existing
// file replaced) as a 0600 file. False, with one line logged, on a failure.
bool savePrivateFile(const QByteArray& bytes, const QString& path);

// At start: makes an existing `folder` 0700 and every file directly in it
// 0600 (symlinks are not followed). Logs one line when it changed anything.
// Returns how many modes it changed.
int tightenPrivateFolder(const QString& folder);
