#pragma once

// Desktop entries (freedesktop Desktop Entry files): the parser, the Exec
// command line, and the index over the XDG data directories. On this desktop
// an application's desktop-file id is its bundle identifier and the entry's
// path its bundle URL.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace platform {

// One parsed key file: groups in file order, keys in file order within them.
// Values are kept raw (escapes intact); the typed readers below unescape.
class DesktopFile final {
public:
    struct Group {
        QString name;
        QList<std::pair<QString, QString>> entries; // key (with any [locale]) → raw value
    };

    // Parses UTF-8 text. Malformed lines are skipped and described in
    // warnings(); a file with no groups at all still parses (to nothing).
    static DesktopFile parse(const QByteArray& text);

    bool hasGroup(const QString& group) const;
    std::optional<QString> rawValue(const QString& group, const QString& key) const;

    std::optional<QString> string(const QString& group, const QString& key) const;
    // Picks Key[locale] in the freedesktop matching order (lang_COUNTRY@MODIFIER,
    // lang_COUNTRY, lang@MODIFIER, lang, then the plain key); the locale's
    // encoding part is ignored.
    std::optional<QString> localeString(
        const QString& group, const QString& key, const QString& locale) const;
    std::optional<QStringList> stringList(const QString& group, const QString& key) const;
    std::optional<bool> boolean(const QString& group, const QString& key) const;

    const QList<Group>& groups() const { return m_groups; }
    const QStringList& warnings() const { return m_warnings; }

private:
    QList<Group> m_groups;
    QStringList m_warnings;
};

// Value unescaping of string values: \s \n \t \r \\ ; other escapes stay.
QString unescapeDesktopValue(const QString& raw);
// A ';'-separated list, with "\;" for a literal ';'; the trailing empty item
// after a final ';' is not an item.
QStringList splitDesktopList(const QString& raw);

// The locale that picks translated keys: LC_ALL, else LC_MESSAGES, else LANG.
QString currentMessagesLocale();

struct DesktopEntry final {
    QString id; // desktop-file id, e.g. "org.example.Editor.desktop"
    QString path; // absolute path of the file
    QString type; // "Application", "Link", "Directory"
    QString name; // Name in the current locale
    QString untranslatedName;
    QString genericName;
    QString comment;
    QString icon; // theme name or absolute path
    QString exec; // after string unescaping, before Exec quoting rules
    QString tryExec;
    QString workingDirectory; // Path=
    QString startupWMClass;
    QStringList mimeTypes;
    QStringList categories;
    bool hidden = false;
    bool noDisplay = false;
    bool terminal = false;

    // The id without its ".desktop" suffix.
    QString baseName() const;
    bool isApplication() const { return type == QLatin1String("Application"); }
};

// Reads the [Desktop Entry] group; nothing when the group is missing or Type
// is absent. `id` and `path` are stored as given.
std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& text, const QString& id, const QString& path,
    const QString& locale = currentMessagesLocale(), QString* error = nullptr);
std::optional<DesktopEntry> loadDesktopEntry(const QString& path, const QString& id,
    const QString& locale = currentMessagesLocale(), QString* error = nullptr);

// Splits an Exec value into arguments by the Exec quoting rules (double
// quotes; inside them \" \` \$ \\ are escapes). Field codes are left in.
// Nothing when a quote is left open.
std::optional<QStringList> splitExec(const QString& exec);

// The argument list of an entry's Exec with field codes expanded: %f/%u the
// first of `urls` (as a local path / as a URL), %F/%U all of them, %i
// "--icon <Icon>", %c the name, %k the entry's path, %% a '%'; deprecated and
// unknown codes vanish. With no urls every file code simply disappears.
// Nothing when Exec is empty or malformed (error says why).
std::optional<QStringList> expandExec(
    const DesktopEntry& entry, const QList<QUrl>& urls = {}, QString* error = nullptr);

// The desktop-file id of `filePath` found under `applicationsDir`: the path
// relative to that directory with '/' turned into '-'.
QString desktopFileId(const QString& applicationsDir, const QString& filePath);

// All desktop entries reachable from a list of XDG data directories. An id
// found in an earlier directory shadows the same id in later ones, even when
// the earlier file is Hidden or its TryExec program is missing (then the id
// is simply absent: the user removed it).
class DesktopEntryIndex final {
public:
    using ExecutableCheck = std::function<bool(const QString& program)>;

    DesktopEntryIndex() = default;

    // Scans <dir>/applications of each data dir, recursively.
    static DesktopEntryIndex scan(const QStringList& dataDirs,
        const QString& locale = currentMessagesLocale(), const ExecutableCheck& executableExists = {});
    // Builds an index from entries already parsed (tests, fakes); the first
    // of a repeated id wins.
    static DesktopEntryIndex fromEntries(const QList<DesktopEntry>& entries);

    // The index of this session's XDG data dirs, shared by every thread.
    // Scanned on first use and again when an applications directory changed
    // (an application was installed or removed), so callers just ask again.
    static std::shared_ptr<const DesktopEntryIndex> system();

    // XDG_DATA_HOME (default ~/.local/share), then XDG_DATA_DIRS (default
    // /usr/local/share:/usr/share).
    static QStringList xdgDataDirs();

    // Entries in precedence order: by data dir, then by path.
    const QList<DesktopEntry>& entries() const { return m_entries; }
    const DesktopEntry* find(const QString& id) const;
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    QList<DesktopEntry> m_entries;
    QHash<QString, qsizetype> m_byId;
};

// Whether `program` (a name looked up in PATH, or an absolute path) is an
// executable file.
bool executableExists(const QString& program);

} // namespace platform
