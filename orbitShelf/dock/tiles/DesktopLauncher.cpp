#include "dock/tiles/DesktopLauncher.h"

#include "state/Alerts.h"
#include "dock/DockLog.h"

#include <QProcess>
#include <QStandardPaths>

const std::vector<LauncherCommand>& knownLaunchers()
{
    static const std::vector<LauncherCommand> launchers {
        { QStringLiteral("rofi"), { QStringLiteral("-show"), QStringLiteral("drun") } },
        { QStringLiteral("xfce4-appfinder"), {} },
        { QStringLiteral("albert"), { QStringLiteral("toggle") } },
        { QStringLiteral("ulauncher-toggle"), {} },
        { QStringLiteral("ulauncher"), {} },
        { QStringLiteral("krunner"), {} },
        { QStringLiteral("dmenu_run"), {} },
    };
    return launchers;
}

std::optional<LauncherCommand> findLauncher(const std::function<QString(const QString&)>& findExecutable)
{
    for (const LauncherCommand& launcher : knownLaunchers()) {
        const QString path = findExecutable(launcher.program);
        if (!path.isEmpty())
            return LauncherCommand { path, launcher.arguments };
    }
    return std::nullopt;
}

QString noLauncherMessage()
{
    return QStringLiteral("No application launcher found");
}

QString noLauncherDetail()
{
    QStringList names;
    for (const LauncherCommand& launcher : knownLaunchers())
        names << launcher.program;
    return QStringLiteral("The launcher button opens one of these programs when it is installed: %1.")
        .arg(names.join(QStringLiteral(", ")));
}

bool launchLaunchpad()
{
    const std::optional<LauncherCommand> launcher
        = findLauncher([](const QString& name) { return QStandardPaths::findExecutable(name); });
    if (!launcher) {
        qCWarning(lcDock) << "launcher button: no application launcher is installed";
        showAlert(noLauncherMessage(), noLauncherDetail());
        return false;
    }
    if (!QProcess::startDetached(launcher->program, launcher->arguments)) {
        qCWarning(lcDock) << "launcher button:" << launcher->program << "did not start";
        showAlert(QStringLiteral("The application launcher did not start"), launcher->program);
        return false;
    }
    return true;
}
