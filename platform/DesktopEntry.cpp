#include "platform/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>
#include <QStandardPaths>

#include <algorithm>

#include <sys/stat.h>

namespace platform {

namespace {
    Q_LOGGING_CATEGORY(lcDesktop, "orbitshelf.platform")

    const QString kEntryGroup = QStringLiteral("Desktop Entry");

    // Desktop entry keys are [A-Za-z0-9-], but mimeapps.list uses the same format
    // with MIME types ("inode/directory", "image/svg+xml") as keys, so only what
    // would make the line ambiguous is refused.
    bool isValidKeyName(QStringView key)
    {
        if (key.isEmpty())
            return false;
        for (QChar c : key) {
            if (c.isSpace() || c == u'[' || c == u']' || c == u'=')
                return false;
        }
        return true;
    }

    // Splits "lang_COUNTRY.ENCODING@MODIFIER" into its parts (encoding dropped).
    struct LocaleParts {
        QString lang, country, modifier;
    };

    LocaleParts splitLocale(const QString& locale)
    {
        LocaleParts p;
        QString rest = locale;
        if (const auto at = rest.indexOf(u'@'); at >= 0) {
            p.modifier = rest.mid(at + 1);
            rest.truncate(at);
        }
        if (const auto dot = rest.indexOf(u'.'); dot >= 0)
            rest.truncate(dot);
        if (const auto us = rest.indexOf(u'_'); us >= 0) {
            p.country = rest.mid(us + 1);
            rest.truncate(us);
        }
        p.lang = rest;
        return p;
    }

    QStringList localeCandidates(const QString& locale)
    {
        const LocaleParts p = splitLocale(locale);
        if (p.lang.isEmpty() || p.lang == QLatin1String("C") || p.lang == QLatin1String("POSIX"))
            return {};
        QStringList out;
        if (!p.country.isEmpty() && !p.modifier.isEmpty())
            out << p.lang + u'_' + p.country + u'@' + p.modifier;
        if (!p.country.isEmpty())
            out << p.lang + u'_' + p.country;
        if (!p.modifier.isEmpty())
            out << p.lang + u'@' + p.modifier;
        out << p.lang;
        return out;
    }

} // namespace

// ---- key file -------------------------------------------------------------

DesktopFile DesktopFile::parse(const QByteArray& text)
{
    DesktopFile file;
    QString content = QString::fromUtf8(text);
    // Some editors write a byte-order mark; it would hide the first group header.
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    const QStringList lines = content.split(u'\n');
    Group* current = nullptr;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']') || trimmed.size() < 3) {
                file.m_warnings << QStringLiteral("line %1: malformed group header").arg(n + 1);
                current = nullptr;
                continue;
            }
            const QString name = trimmed.mid(1, trimmed.size() - 2);
            if (file.hasGroup(name)) {
                // A repeated group is invalid; its keys must not override the first.
                file.m_warnings
                    << QStringLiteral("line %1: group [%2] repeated, ignored").arg(n + 1).arg(name);
                current = nullptr;
                continue;
            }
            file.m_groups.append(Group { name, {} });
            current = &file.m_groups.last();
            continue;
        }
        const auto eq = line.indexOf(u'=');
        if (eq < 0) {
            file.m_warnings << QStringLiteral("line %1: no '=' in entry").arg(n + 1);
            continue;
        }
        if (!current) {
            file.m_warnings << QStringLiteral("line %1: entry outside a group").arg(n + 1);
            continue;
        }
        const QString key = line.left(eq).trimmed();
        // Only the spaces around '=' are insignificant; trailing ones belong to the value.
        QString value = line.mid(eq + 1);
        qsizetype lead = 0;
        while (lead < value.size() && (value[lead] == u' ' || value[lead] == u'\t'))
            ++lead;
        value.remove(0, lead);

        const auto bracket = key.indexOf(u'[');
        const QStringView baseKey = bracket >= 0 ? QStringView(key).left(bracket) : QStringView(key);
        if (!isValidKeyName(baseKey) || (bracket >= 0 && !key.endsWith(u']'))) {
            file.m_warnings << QStringLiteral("line %1: invalid key '%2'").arg(n + 1).arg(key);
            continue;
        }
        const bool repeated = std::any_of(current->entries.cbegin(), current->entries.cend(),
            [&](const auto& kv) { return kv.first == key; });
        if (repeated) {
            file.m_warnings << QStringLiteral("line %1: key '%2' repeated, ignored").arg(n + 1).arg(key);
            continue;
        }
        current->entries.append({ key, value });
    }
    return file;
}

bool DesktopFile::hasGroup(const QString& group) const
{
    return std::any_of(m_groups.cbegin(), m_groups.cend(), [&](const Group& g) { return g.name == group; });
}

std::optional<QString> DesktopFile::rawValue(const QString& group, const QString& key) const
{
    for (const Group& g : m_groups) {
        if (g.name != group)
            continue;
        for (const auto& [k, v] : g.entries)
            if (k == key)
                return v;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QString> DesktopFile::string(const QString& group, const QString& key) const
{
    if (auto raw = rawValue(group, key))
        return unescapeDesktopValue(*raw);
    return std::nullopt;
}

std::optional<QString> DesktopFile::localeString(
    const QString& group, const QString& key, const QString& locale) const
{
    for (const QString& candidate : localeCandidates(locale))
        if (auto raw = rawValue(group, key + u'[' + candidate + u']'))
            return unescapeDesktopValue(*raw);
    return string(group, key);
}

std::optional<QStringList> DesktopFile::stringList(const QString& group, const QString& key) const
{
    if (auto raw = rawValue(group, key))
        return splitDesktopList(*raw);
    return std::nullopt;
}

std::optional<bool> DesktopFile::boolean(const QString& group, const QString& key) const
{
    const auto raw = rawValue(group, key);
    if (!raw)
        return std::nullopt;
    const QString v = raw->trimmed();
    // "1"/"0" are the old form of the booleans; still seen in the wild.
    if (v == QLatin1String("true") || v == QLatin1String("1"))
        return true;
    if (v == QLatin1String("false") || v == QLatin1String("0"))
        return false;
    return std::nullopt;
}

// ---- values ---------------------------------------------------------------

namespace {
    // Appends the unescaped form of `c` after a backslash; false when it is not a
    // string escape (the caller then keeps the backslash).
    bool appendEscape(QString& out, QChar c)
    {
        switch (c.unicode()) {
        case 's':
            out += u' ';
            return true;
        case 'n':
            out += u'\n';
            return true;
        case 't':
            out += u'\t';
            return true;
        case 'r':
            out += u'\r';
            return true;
        case '\\':
            out += u'\\';
            return true;
        default:
            return false;
        }
    }
} // namespace

QString unescapeDesktopValue(const QString& raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\\' && i + 1 < raw.size()) {
            if (appendEscape(out, raw[i + 1])) {
                ++i;
                continue;
            }
        }
        out += raw[i];
    }
    return out;
}

QStringList splitDesktopList(const QString& raw)
{
    QStringList items;
    QString item;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\' && i + 1 < raw.size()) {
            const QChar next = raw[i + 1];
            if (next == u';') {
                item += u';';
                ++i;
                continue;
            }
            if (appendEscape(item, next)) {
                ++i;
                continue;
            }
            item += c;
            continue;
        }
        if (c == u';') {
            items << item;
            item.clear();
            continue;
        }
        item += c;
    }
    if (!item.isEmpty())
        items << item;
    return items;
}

QString currentMessagesLocale()
{
    for (const char* var : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        const QString v = qEnvironmentVariable(var);
        if (!v.isEmpty())
            return v;
    }
    return QStringLiteral("C");
}

// ---- entries --------------------------------------------------------------

QString DesktopEntry::baseName() const
{
    return id.endsWith(QLatin1String(".desktop")) ? id.chopped(8) : id;
}

std::optional<DesktopEntry> parseDesktopEntry(
    const QByteArray& text, const QString& id, const QString& path, const QString& locale, QString* error)
{
    const DesktopFile file = DesktopFile::parse(text);
    if (!file.hasGroup(kEntryGroup)) {
        if (error)
            *error = QStringLiteral("no [Desktop Entry] group");
        return std::nullopt;
    }
    DesktopEntry e;
    e.id = id;
    e.path = path;
    e.type = file.string(kEntryGroup, QStringLiteral("Type")).value_or(QString());
    if (e.type.isEmpty()) {
        if (error)
            *error = QStringLiteral("no Type key");
        return std::nullopt;
    }
    e.untranslatedName = file.string(kEntryGroup, QStringLiteral("Name")).value_or(QString());
    e.name = file.localeString(kEntryGroup, QStringLiteral("Name"), locale).value_or(QString());
    e.genericName = file.localeString(kEntryGroup, QStringLiteral("GenericName"), locale).value_or(QString());
    e.comment = file.localeString(kEntryGroup, QStringLiteral("Comment"), locale).value_or(QString());
    e.icon = file.localeString(kEntryGroup, QStringLiteral("Icon"), locale).value_or(QString()).trimmed();
    e.exec = file.string(kEntryGroup, QStringLiteral("Exec")).value_or(QString());
    e.tryExec = file.string(kEntryGroup, QStringLiteral("TryExec")).value_or(QString()).trimmed();
    e.workingDirectory = file.string(kEntryGroup, QStringLiteral("Path")).value_or(QString());
    e.startupWMClass
        = file.string(kEntryGroup, QStringLiteral("StartupWMClass")).value_or(QString()).trimmed();
    e.mimeTypes = file.stringList(kEntryGroup, QStringLiteral("MimeType")).value_or(QStringList());
    e.categories = file.stringList(kEntryGroup, QStringLiteral("Categories")).value_or(QStringList());
    e.hidden = file.boolean(kEntryGroup, QStringLiteral("Hidden")).value_or(false);
    e.noDisplay = file.boolean(kEntryGroup, QStringLiteral("NoDisplay")).value_or(false);
    e.terminal = file.boolean(kEntryGroup, QStringLiteral("Terminal")).value_or(false);
    for (QString& m : e.mimeTypes)
        m = m.trimmed();
    e.mimeTypes.removeAll(QString());
    return e;
}

std::optional<DesktopEntry> loadDesktopEntry(
    const QString& path, const QString& id, const QString& locale, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return std::nullopt;
    }
    // Desktop files are small; a huge one is not a desktop file.
    constexpr qint64 kMaxSize = 1 << 20;
    if (f.size() > kMaxSize) {
        if (error)
            *error = QStringLiteral("file too large");
        return std::nullopt;
    }
    return parseDesktopEntry(f.readAll(), id, path, locale, error);
}

// ---- Exec -----------------------------------------------------------------

std::optional<QStringList> splitExec(const QString& exec)
{
    QStringList args;
    QString current;
    bool inArg = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size()) {
                const QChar next = exec[i + 1];
                if (next == u'"' || next == u'`' || next == u'$' || next == u'\\') {
                    current += next;
                    ++i;
                    continue;
                }
            }
            if (c == u'"') {
                quoted = false;
                continue;
            }
            current += c;
            continue;
        }
        if (c == u'"') {
            quoted = true;
            inArg = true;
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArg) {
                args << current;
                current.clear();
                inArg = false;
            }
            continue;
        }
        current += c;
        inArg = true;
    }
    if (quoted)
        return std::nullopt;
    if (inArg)
        args << current;
    return args;
}

namespace {
    QString localPath(const QUrl& url)
    {
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }

    // Expands codes embedded in a longer argument ("--file=%f"). Codes that would
    // expand to several arguments cannot live inside one and are dropped.
    QString expandEmbedded(const QString& arg, const DesktopEntry& entry, const QList<QUrl>& urls)
    {
        QString out;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg[i] != u'%' || i + 1 >= arg.size()) {
                out += arg[i];
                continue;
            }
            const QChar code = arg[++i];
            switch (code.unicode()) {
            case '%':
                out += u'%';
                break;
            case 'f':
                if (!urls.isEmpty())
                    out += localPath(urls.first());
                break;
            case 'u':
                if (!urls.isEmpty())
                    out += urls.first().toString(QUrl::FullyEncoded);
                break;
            case 'c':
                out += entry.name;
                break;
            case 'k':
                out += entry.path;
                break;
            default:
                break; // %F %U %i inside an argument, deprecated and unknown codes
            }
        }
        return out;
    }
} // namespace

std::optional<QStringList> expandExec(const DesktopEntry& entry, const QList<QUrl>& urls, QString* error)
{
    if (entry.exec.trimmed().isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 has no Exec").arg(entry.id);
        return std::nullopt;
    }
    const auto split = splitExec(entry.exec);
    if (!split) {
        if (error)
            *error = QStringLiteral("%1: unterminated quote in Exec").arg(entry.id);
        return std::nullopt;
    }
    QStringList argv;
    for (const QString& arg : *split) {
        if (arg == QLatin1String("%f")) {
            if (!urls.isEmpty() && !localPath(urls.first()).isEmpty())
                argv << localPath(urls.first());
        } else if (arg == QLatin1String("%F")) {
            for (const QUrl& u : urls)
                if (!localPath(u).isEmpty())
                    argv << localPath(u);
        } else if (arg == QLatin1String("%u")) {
            if (!urls.isEmpty())
                argv << urls.first().toString(QUrl::FullyEncoded);
        } else if (arg == QLatin1String("%U")) {
            for (const QUrl& u : urls)
                argv << u.toString(QUrl::FullyEncoded);
        } else if (arg == QLatin1String("%i")) {
            if (!entry.icon.isEmpty())
                argv << QStringLiteral("--icon") << entry.icon;
        } else if (arg == QLatin1String("%c")) {
            argv << entry.name;
        } else if (arg == QLatin1String("%k")) {
            if (!entry.path.isEmpty())
                argv << entry.path;
        } else if (arg.size() == 2 && arg[0] == u'%' && arg[1] != u'%') {
            // A deprecated or unknown code standing alone expands to nothing.
        } else {
            argv << expandEmbedded(arg, entry, urls);
        }
    }
    if (argv.isEmpty() || argv.first().isEmpty()) {
        if (error)
            *error = QStringLiteral("%1: Exec names no program").arg(entry.id);
        return std::nullopt;
    }
    return argv;
}

// ---- index ----------------------------------------------------------------

QString desktopFileId(const QString& applicationsDir, const QString& filePath)
{
    QString rel = QDir(applicationsDir).relativeFilePath(filePath);
    return rel.replace(u'/', u'-');
}

bool executableExists(const QString& program)
{
    if (program.isEmpty())
        return false;
    if (QDir::isAbsolutePath(program)) {
        const QFileInfo fi(program);
        return fi.isFile() && fi.isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QStringList DesktopEntryIndex::xdgDataDirs()
{
    QStringList dirs;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.local/share");
    dirs << home;
    QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& d : system.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d) && !dirs.contains(d))
            dirs << d;
    return dirs;
}

DesktopEntryIndex DesktopEntryIndex::scan(
    const QStringList& dataDirs, const QString& locale, const ExecutableCheck& exists)
{
    const ExecutableCheck check = exists ? exists : ExecutableCheck(&executableExists);
    DesktopEntryIndex index;
    QSet<QString> seen;
    for (const QString& dataDir : dataDirs) {
        const QString appsDir = QDir(dataDir).filePath(QStringLiteral("applications"));
        if (!QFileInfo(appsDir).isDir())
            continue;
        QStringList files;
        // The suffix is compared here rather than given as a name filter: a
        // filter is a regular expression, whose compiler would be loaded
        // and run at every launch for this alone.
        QDirIterator it(appsDir, QDir::Files | QDir::Readable,
            QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const QString file = it.next();
            if (file.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive))
                files << file;
        }
        files.sort();
        for (const QString& file : files) {
            const QString id = desktopFileId(appsDir, file);
            if (seen.contains(id))
                continue;
            seen.insert(id);
            QString error;
            auto entry = loadDesktopEntry(file, id, locale, &error);
            if (!entry) {
                qCDebug(lcDesktop) << "skipping desktop file" << file << ":" << error;
                continue;
            }
            if (entry->hidden)
                continue;
            if (!entry->tryExec.isEmpty() && !check(entry->tryExec))
                continue;
            index.m_byId.insert(id, index.m_entries.size());
            index.m_entries.append(std::move(*entry));
        }
    }
    return index;
}

DesktopEntryIndex DesktopEntryIndex::fromEntries(const QList<DesktopEntry>& entries)
{
    DesktopEntryIndex index;
    for (const DesktopEntry& e : entries) {
        if (index.m_byId.contains(e.id))
            continue;
        index.m_byId.insert(e.id, index.m_entries.size());
        index.m_entries.append(e);
    }
    return index;
}

namespace {
    // Nanoseconds: an install right after a scan must not look unchanged.
    QString modificationStamp(const QString& path)
    {
        struct stat st { };
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return QStringLiteral("-");
        return QStringLiteral("%1.%2").arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
    }
} // namespace

std::shared_ptr<const DesktopEntryIndex> DesktopEntryIndex::system()
{
    // Installing a package adds files to applications/ (or one of its
    // subdirectories), which bumps that directory's modification time.
    const auto stamp = [] {
        QStringList parts;
        for (const QString& dataDir : xdgDataDirs()) {
            const QString apps = QDir(dataDir).filePath(QStringLiteral("applications"));
            parts << apps;
            QDirIterator it(apps, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            parts << modificationStamp(apps);
            while (it.hasNext())
                parts << modificationStamp(it.next());
        }
        return parts.join(u'|');
    };
    static QMutex mutex;
    static std::shared_ptr<const DesktopEntryIndex> cached;
    static QString cachedStamp;
    const QString now = stamp();
    QMutexLocker lock(&mutex);
    if (!cached || now != cachedStamp) {
        cached = std::make_shared<const DesktopEntryIndex>(scan(xdgDataDirs()));
        cachedStamp = now;
        qCDebug(lcDesktop) << "indexed" << cached->entries().size() << "desktop entries";
    }
    return cached;
}

const DesktopEntry* DesktopEntryIndex::find(const QString& id) const
{
    const auto it = m_byId.constFind(id);
    return it == m_byId.cend() ? nullptr : &m_entries[*it];
}

} // namespace platform
