#pragma once

// Starting applications and opening files or folders with their default
// handler. Programs start detached and never through a shell: a name or Exec
// line from a desktop file is data, not a command line to interpret.

#include "platform/DesktopEntry.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace platform {

class AppLauncher {
public:
    virtual ~AppLauncher() = default;

    // Starts the application whose desktop-file id is `bundleIdentifier`.
    // False (and a log line) for an empty or unknown id, a malformed Exec, or
    // a program that could not be started.
    virtual bool openApplication(const QString& bundleIdentifier) = 0;

    // Opens a file or folder URL with the desktop's default handler.
    virtual bool openUrl(const QUrl& url) = 0;
};

struct LaunchCommand final {
    QString program;
    QStringList arguments;
    QString workingDirectory;

    bool operator==(const LaunchCommand&) const = default;
};

// The command that starts `entry` with `urls` (field codes expanded, or
// removed when there are none). Terminal=true entries run inside
// x-terminal-emulator. Nothing when the entry is no application or its Exec
// is unusable (error says why).
std::optional<LaunchCommand> launchCommandFor(
    const DesktopEntry& entry, const QList<QUrl>& urls = {}, QString* error = nullptr);

// Starts a command detached; returns the pid or nothing.
using DetachedStarter = std::function<std::optional<qint64>(const LaunchCommand&)>;
std::optional<qint64> startDetachedProcess(const LaunchCommand& command);

// The real launcher over a desktop entry index. The index is fetched through
// `indexSource` on each call, so the owner can rescan it when applications
// are installed.
class DesktopAppLauncher final : public AppLauncher {
public:
    using IndexSource = std::function<std::shared_ptr<const DesktopEntryIndex>()>;

    explicit DesktopAppLauncher(IndexSource indexSource, DetachedStarter starter = &startDetachedProcess);

    bool openApplication(const QString& bundleIdentifier) override;
    bool openUrl(const QUrl& url) override;

private:
    IndexSource m_indexSource;
    DetachedStarter m_starter;
};

// mimeapps.list files in lookup order: $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS,
// then applications/ of each XDG data dir.
QStringList mimeappsListPaths();

// The application that handles `mimeType`: the first installed entry of the
// [Default Applications] line of the first mimeapps.list that names one,
// else the first entry in index order that lists the type in MimeType=.
std::optional<DesktopEntry> defaultApplicationFor(const QString& mimeType, const DesktopEntryIndex& index,
    const QStringList& mimeappsFiles = mimeappsListPaths());

// The file manager: the handler of "inode/directory".
std::optional<DesktopEntry> fileManagerEntry(
    const DesktopEntryIndex& index, const QStringList& mimeappsFiles = mimeappsListPaths());

} // namespace platform
