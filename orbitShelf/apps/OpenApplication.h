#pragma once

// Bringing an application forward by bundle identifier (desktop-file id):
// a running instance is activated, otherwise the application is started.

#include "platform/Workspace.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Activates the running application with this identifier, else starts it
// through the installed launcher (platform::appLauncher()). False (logged)
// for an empty or unknown identifier or a start that failed.
bool openApplication(const QString& bundleIdentifier);

// Opens a file or folder with its default application.
bool openURL(const QUrl& url);

// The running process to activate for an identifier: the first live one in
// the workspace's order; nothing when none runs.
std::optional<qint32> runningProcessFor(
    const QString& bundleIdentifier, const QList<platform::RunningApplication>& running);
