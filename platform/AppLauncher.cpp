#include "platform/AppLauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QProcess>

namespace platform {

namespace {
    Q_LOGGING_CATEGORY(lcLaunch, "orbitshelf.platform")

    const QString kTerminal = QStringLiteral("x-terminal-emulator");

    QStringList defaultsFromMimeapps(const QString& file, const QString& mimeType)
    {
        const auto parsed = [&]() -> std::optional<DesktopFile> {
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly))
                return std::nullopt;
            return DesktopFile::parse(f.readAll());
        }();
        if (!parsed)
            return {};
        return parsed->stringList(QStringLiteral("Default Applications"), mimeType).value_or(QStringList());
    }
} // namespace

std::optional<LaunchCommand> launchCommandFor(
    const DesktopEntry& entry, const QList<QUrl>& urls, QString* error)
{
    if (!entry.isApplication()) {
        if (error)
            *error = QStringLiteral("%1 is not an application (Type=%2)").arg(entry.id, entry.type);
        return std::nullopt;
    }
    auto argv = expandExec(entry, urls, error);
    if (!argv)
        return std::nullopt;
    if (entry.terminal)
        *argv = QStringList { kTerminal, QStringLiteral("-e") } + *argv;
    LaunchCommand cmd;
    cmd.program = argv->takeFirst();
    cmd.arguments = *argv;
    if (!entry.workingDirectory.isEmpty() && QFileInfo(entry.workingDirectory).isDir())
        cmd.workingDirectory = entry.workingDirectory;
    return cmd;
}

std::optional<qint64> startDetachedProcess(const LaunchCommand& command)
{
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setWorkingDirectory(
        command.workingDirectory.isEmpty() ? QDir::homePath() : command.workingDirectory);
    // Standard streams go nowhere rather than into the dock's own log.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return std::nullopt;
    return pid;
}

DesktopAppLauncher::DesktopAppLauncher(IndexSource indexSource, DetachedStarter starter)
    : m_indexSource(std::move(indexSource))
    , m_starter(std::move(starter))
{
}

bool DesktopAppLauncher::openApplication(const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty()) {
        qCWarning(lcLaunch) << "cannot open an application without an identifier";
        return false;
    }
    const auto index = m_indexSource ? m_indexSource() : nullptr;
    const DesktopEntry* entry = index ? index->find(bundleIdentifier) : nullptr;
    if (!entry) {
        qCWarning(lcLaunch) << "no installed application" << bundleIdentifier;
        return false;
    }
    QString error;
    const auto cmd = launchCommandFor(*entry, {}, &error);
    if (!cmd) {
        qCWarning(lcLaunch) << "cannot open" << bundleIdentifier << ":" << error;
        return false;
    }
    const auto pid = m_starter(*cmd);
    if (!pid) {
        qCWarning(lcLaunch) << "failed to start" << cmd->program << "for" << bundleIdentifier;
        return false;
    }
    qCInfo(lcLaunch) << "started" << bundleIdentifier << "as pid" << *pid;
    return true;
}

bool DesktopAppLauncher::openUrl(const QUrl& url)
{
    if (!url.isValid() || url.isEmpty()) {
        qCWarning(lcLaunch) << "cannot open an invalid URL" << url;
        return false;
    }
    const auto index = m_indexSource ? m_indexSource() : nullptr;
    if (index) {
        // Our own lookup first: it needs no helper program and handles folders
        // the same way the file manager lookup does.
        const QMimeDatabase db;
        const QString mime = url.isLocalFile() ? db.mimeTypeForFile(url.toLocalFile()).name()
                                               : QStringLiteral("x-scheme-handler/") + url.scheme();
        if (const auto handler = defaultApplicationFor(mime, *index)) {
            if (const auto cmd = launchCommandFor(*handler, { url }); cmd && m_starter(*cmd))
                return true;
            qCWarning(lcLaunch) << "handler" << handler->id << "did not start for" << url;
        }
    }
    if (executableExists(QStringLiteral("xdg-open"))) {
        const LaunchCommand cmd { QStringLiteral("xdg-open"), { url.toString(QUrl::FullyEncoded) }, {} };
        if (m_starter(cmd))
            return true;
    }
    qCWarning(lcLaunch) << "no application opens" << url;
    return false;
}

QStringList mimeappsListPaths()
{
    QStringList paths;
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    paths << configHome + QStringLiteral("/mimeapps.list");
    QString configDirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (configDirs.isEmpty())
        configDirs = QStringLiteral("/etc/xdg");
    for (const QString& d : configDirs.split(u':', Qt::SkipEmptyParts))
        paths << d + QStringLiteral("/mimeapps.list");
    for (const QString& d : DesktopEntryIndex::xdgDataDirs())
        paths << d + QStringLiteral("/applications/mimeapps.list");
    return paths;
}

std::optional<DesktopEntry> defaultApplicationFor(
    const QString& mimeType, const DesktopEntryIndex& index, const QStringList& mimeappsFiles)
{
    for (const QString& file : mimeappsFiles) {
        for (const QString& id : defaultsFromMimeapps(file, mimeType)) {
            if (const DesktopEntry* e = index.find(id.trimmed()); e && e->isApplication())
                return *e;
        }
    }
    for (const DesktopEntry& e : index.entries())
        if (e.isApplication() && e.mimeTypes.contains(mimeType))
            return e;
    return std::nullopt;
}

std::optional<DesktopEntry> fileManagerEntry(const DesktopEntryIndex& index, const QStringList& mimeappsFiles)
{
    return defaultApplicationFor(QStringLiteral("inode/directory"), index, mimeappsFiles);
}

} // namespace platform
