#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The launcher tile opens the desktop's application launcher. There is no
// one launcher on every Linux desktop, so the tile tries a short list of
// common ones that can be started from the command line, in order, and uses
// the first found on PATH. (A shell's own overview, e.g. GNOME's, cannot be
// opened from outside and is not in the list.)

struct LauncherCommand {
    QString program;
    QStringList arguments;

    friend bool operator==(const LauncherCommand&, const LauncherCommand&) = default;
};

// The launchers tried, in order.
const std::vector<LauncherCommand>& knownLaunchers();

// The first known launcher whose program `findExecutable` finds (it returns
// the full path, or an empty text when the program is not installed); the
// command then names the program by that full path.
std::optional<LauncherCommand> findLauncher(const std::function<QString(const QString&)>& findExecutable);

// What the user is told when no launcher is installed.
QString noLauncherMessage();
QString noLauncherDetail();

// Opens the launcher found on PATH, detached. When none is found or it does
// not start, says so in an alert and returns false.
bool launchLaunchpad();
