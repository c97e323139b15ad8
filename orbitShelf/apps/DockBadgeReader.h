#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QDBusMessage;

// Badge text per application, keyed by the application's desktop entry path
// (the same key the application model uses for an application's bundle URL).
using BadgeMap = QMap<QString, QString>;

// Turns a desktop-file id ("org.example.Mail.desktop") into the path of its
// desktop entry, or nothing when no such entry is installed.
using DesktopEntryResolver = std::function<std::optional<QString>(const QString& desktopFileId)>;

// Looks the id up in the session's desktop entry index (XDG data dirs,
// the user's own first).
std::optional<QString> locateDesktopEntry(const QString& desktopFileId);

// The desktop-file id named by a LauncherEntry app_uri
// ("application://org.example.Mail.desktop"), or nothing when the uri is not
// of that form or the id could escape the applications directories.
std::optional<QString> desktopFileIdFromAppUri(const QString& appUri);

// Collects the badge counts that applications publish on the session bus
// through com.canonical.Unity.LauncherEntry: each Update(app_uri, props)
// carries "count" and/or "count-visible", and updates are partial, so the
// latest value of each is kept per application. An application's badge goes
// away when the connection that sent it leaves the bus. A one-shot sender
// (dbus-send) that has already left when its update is looked at cannot be
// watched; its badge stays until the application's next update.
// Lives on the main thread.
class DockBadgeReader final : public QObject {
    Q_OBJECT
public:
    explicit DockBadgeReader(
        QDBusConnection bus, DesktopEntryResolver resolver = locateDesktopEntry, QObject* parent = nullptr);

    // The reader on the session bus, created on first use.
    static DockBadgeReader& shared();

    BadgeMap badges() const;
    bool isListening() const { return m_listening; }

signals:
    void badgesChanged();

private slots:
    void onUpdate(const QDBusMessage& message);
    void onSenderGone(const QString& sender);

private:
    struct Entry {
        QString sender;
        std::optional<QString> entryPath;
        std::optional<qint64> count;
        bool countVisible = false;
    };

    void watchSender(const QString& sender);

    QDBusConnection m_bus;
    DesktopEntryResolver m_resolver;
    QDBusServiceWatcher m_watcher;
    QHash<QString, Entry> m_entries; // by desktop-file id
    bool m_listening = false;
};

// The badges as they stand now; the dock bar's tick assigns the result to
// AppState::appBadge.
BadgeMap readSystemDockItems();
