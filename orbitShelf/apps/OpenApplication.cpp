#include "apps/OpenApplication.h"

#include "platform/Services.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcOpen, "orbitshelf.apps")
} // namespace

std::optional<qint32> runningProcessFor(
    const QString& bundleIdentifier, const QList<platform::RunningApplication>& running)
{
    for (const auto& app : running)
        if (!app.isTerminated && app.processIdentifier > 0 && app.bundleIdentifier == bundleIdentifier)
            return app.processIdentifier;
    return std::nullopt;
}

bool openApplication(const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty()) {
        qCWarning(lcOpen) << "openApplication without a bundle identifier";
        return false;
    }
    if (platform::hasCurrent()) {
        auto& workspace = platform::current().workspace();
        QList<platform::RunningApplication> running = workspace.runningApplications();
        // Our own process may be left out of the list; it is still "running".
        running.append(workspace.currentApplication());
        if (const auto pid = runningProcessFor(bundleIdentifier, running)) {
            platform::current().scripts().bringProcessToFront(*pid, bundleIdentifier);
            return true;
        }
    }
    // Started with no arguments: it opens as the user would open it from a menu.
    return platform::appLauncher()->openApplication(bundleIdentifier);
}

bool openURL(const QUrl& url)
{
    return platform::appLauncher()->openUrl(url);
}
