#include "platform/AppIdentity.h"

#include "platform/IconLookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

    bool sameText(const QString& a, const QString& b)
    {
        return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
    }

    bool matchesEitherPart(const QString& value, const AppIdentityQuery& q)
    {
        return sameText(value, q.wmInstance) || sameText(value, q.wmClass);
    }

    QString basename(const QString& path)
    {
        const auto slash = path.lastIndexOf(u'/');
        return slash >= 0 ? path.mid(slash + 1) : path;
    }

    template <typename Pred> const DesktopEntry* firstApp(const DesktopEntryIndex& index, Pred pred)
    {
        for (const DesktopEntry& e : index.entries())
            if (e.isApplication() && pred(e))
                return &e;
        return nullptr;
    }

} // namespace

QString execProgramName(const QString& exec)
{
    const auto args = splitExec(exec);
    if (!args || args->isEmpty())
        return {};
    qsizetype i = 0;
    if (basename(args->at(0)) == QLatin1String("env")) {
        ++i;
        // Skip env's own options and VAR=value assignments; -u takes a name.
        while (i < args->size() && (args->at(i).startsWith(u'-') || args->at(i).contains(u'='))) {
            const bool takesName
                = args->at(i) == QLatin1String("-u") || args->at(i) == QLatin1String("--unset");
            i += takesName ? 2 : 1;
        }
    }
    return i < args->size() ? basename(args->at(i)) : QString();
}

std::optional<ResolvedIdentity> resolveAppIdentity(const AppIdentityQuery& q, const DesktopEntryIndex& index)
{
    if (q.wmInstance.isEmpty() && q.wmClass.isEmpty() && q.argv.isEmpty())
        return std::nullopt;
    auto found = [](const DesktopEntry* e, IdentityMatch how) -> std::optional<ResolvedIdentity> {
        if (!e)
            return std::nullopt;
        return ResolvedIdentity { *e, how };
    };

    // StartupWMClass is the entry's own statement of which windows are its
    // own, so it is trusted first.
    if (auto r = found(
            firstApp(index, [&](const DesktopEntry& e) { return matchesEitherPart(e.startupWMClass, q); }),
            IdentityMatch::StartupWMClass))
        return r;
    if (auto r
        = found(firstApp(index, [&](const DesktopEntry& e) { return matchesEitherPart(e.baseName(), q); }),
            IdentityMatch::DesktopFileName))
        return r;
    if (auto r = found(firstApp(index,
                           [&](const DesktopEntry& e) {
                               return matchesEitherPart(e.untranslatedName, q)
                                   || matchesEitherPart(e.name, q);
                           }),
            IdentityMatch::Name))
        return r;
    if (!q.argv.isEmpty()) {
        const QString program = basename(q.argv.first());
        if (auto r = found(firstApp(index,
                               [&](const DesktopEntry& e) {
                                   // Executables are case-sensitive file names.
                                   return !program.isEmpty() && execProgramName(e.exec) == program;
                               }),
                IdentityMatch::Executable))
            return r;
    }
    // A guess from "org.example.Foo" for class "foo": only when nothing else
    // would claim the same class, or two applications would be confused.
    const DesktopEntry* candidate = nullptr;
    int count = 0;
    for (const DesktopEntry& e : index.entries()) {
        if (!e.isApplication())
            continue;
        const QString base = e.baseName();
        const auto dot = base.lastIndexOf(u'.');
        if (dot < 0)
            continue;
        if (matchesEitherPart(base.mid(dot + 1), q)) {
            candidate = &e;
            ++count;
        }
    }
    if (count == 1)
        return found(candidate, IdentityMatch::ReverseDns);
    return std::nullopt;
}

QStringList processCommandLine(qint64 pid)
{
    if (pid <= 0)
        return {};
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray data = f.readAll();
    if (data.endsWith('\0'))
        data.chop(1);
    if (data.isEmpty())
        return {};
    QStringList argv;
    for (const QByteArray& part : data.split('\0'))
        argv << QString::fromLocal8Bit(part);
    return argv;
}

QIcon entryIcon(const DesktopEntry& entry)
{
    return iconNamed(entry.icon);
}

QIcon iconNamed(const QString& icon)
{
    if (icon.isEmpty())
        return {};
    if (!QDir::isAbsolutePath(icon)) {
        const QIcon themed = QIcon::fromTheme(icon);
        if (!themed.isNull())
            return themed;
    }
    // Qt knows only the session's theme; plain X11 sessions often name none.
    if (const auto path = iconFilePath(icon, DesktopEntryIndex::xdgDataDirs(), { QIcon::themeName() }))
        return QIcon(*path);
    return {};
}

} // namespace platform
