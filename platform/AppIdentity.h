#pragma once

// Which installed application a running process is. X11 knows a window's
// WM_CLASS and the process's command line; the rest of the system knows
// applications by bundle identifier (here: desktop-file id) and bundle URL
// (here: the desktop file's path).

#include "platform/DesktopEntry.h"

#include <QIcon>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

struct AppIdentityQuery final {
    QString wmInstance; // first part of WM_CLASS
    QString wmClass; // second part of WM_CLASS
    QStringList argv; // the process's command line, may be empty
};

enum class IdentityMatch {
    StartupWMClass,
    DesktopFileName,
    Name,
    Executable,
    ReverseDns,
};

struct ResolvedIdentity final {
    DesktopEntry entry;
    IdentityMatch matchedBy;
};

// Resolves a process to an application entry (Type=Application only), trying
// in order: StartupWMClass against either WM_CLASS part; the desktop-file
// name (id without ".desktop", case-insensitive); Name=; the executable's
// basename (argv[0] against Exec's program, a leading `env VAR=…` skipped);
// and last a reverse-DNS id whose final component equals a WM_CLASS part,
// taken only when exactly one entry fits. Within a step the first entry in
// index order wins. Pure: no file or process access.
std::optional<ResolvedIdentity> resolveAppIdentity(
    const AppIdentityQuery& query, const DesktopEntryIndex& index);

// The program Exec starts, as a basename: "env A=1 /usr/bin/foo --x" → "foo".
QString execProgramName(const QString& exec);

// The command line of a running process from /proc/<pid>/cmdline; empty when
// the process is gone or unreadable.
QStringList processCommandLine(qint64 pid);

// The icon of an entry: the Icon= name through the current icon theme, else
// the file iconFilePath() finds (absolute paths included); a null icon when
// neither gives one (the caller then uses the window's own icon).
QIcon entryIcon(const DesktopEntry& entry);

// The same for an icon name alone.
QIcon iconNamed(const QString& icon);

} // namespace platform
