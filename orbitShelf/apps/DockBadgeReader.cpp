#include "apps/DockBadgeReader.h"

#include "platform/DesktopEntry.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>
#include <QVariantMap>

Q_LOGGING_CATEGORY(lcDockBadges, "orbitshelf.apps")

namespace {

const QString launcherEntryInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");
const QString appUriScheme = QStringLiteral("application://");

QVariantMap propertiesOf(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

std::optional<qint64> integerOf(const QVariant& value)
{
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

} // namespace

std::optional<QString> locateDesktopEntry(const QString& desktopFileId)
{
    const auto index = platform::DesktopEntryIndex::system();
    const platform::DesktopEntry* entry = index ? index->find(desktopFileId) : nullptr;
    if (!entry)
        return std::nullopt;
    return entry->path;
}

std::optional<QString> desktopFileIdFromAppUri(const QString& appUri)
{
    if (!appUri.startsWith(appUriScheme))
        return std::nullopt;
    QString id = appUri.mid(appUriScheme.size());
    if (id.isEmpty() || id.contains('/') || id.startsWith('.'))
        return std::nullopt;
    if (!id.endsWith(QLatin1String(".desktop")))
        id += QLatin1String(".desktop");
    return id;
}

DockBadgeReader::DockBadgeReader(QDBusConnection bus, DesktopEntryResolver resolver, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_resolver(std::move(resolver))
{
    if (!m_bus.isConnected()) {
        qCInfo(lcDockBadges) << "no session bus, application badges stay empty:"
                             << m_bus.lastError().message();
        return;
    }
    m_watcher.setConnection(m_bus);
    m_watcher.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &DockBadgeReader::onSenderGone);
    // Any sender, any object path: applications emit from paths of their own.
    m_listening = m_bus.connect(QString(), QString(), launcherEntryInterface, QStringLiteral("Update"), this,
        SLOT(onUpdate(QDBusMessage)));
    if (!m_listening)
        qCWarning(lcDockBadges) << "cannot listen for application badges:" << m_bus.lastError().message();
}

DockBadgeReader& DockBadgeReader::shared()
{
    static DockBadgeReader* reader
        = new DockBadgeReader(QDBusConnection::sessionBus(), locateDesktopEntry, qApp);
    return *reader;
}

BadgeMap DockBadgeReader::badges() const
{
    BadgeMap map;
    for (const auto& entry : m_entries) {
        if (entry.entryPath && entry.countVisible && entry.count)
            map.insert(*entry.entryPath, QString::number(*entry.count));
    }
    return map;
}

void DockBadgeReader::onUpdate(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || message.signature() != QLatin1String("sa{sv}")) {
        qCInfo(lcDockBadges) << "ignoring a malformed badge update from" << message.service()
                             << "with signature" << message.signature();
        return;
    }
    const QString appUri = args.at(0).toString();
    const auto id = desktopFileIdFromAppUri(appUri);
    if (!id) {
        qCInfo(lcDockBadges) << "ignoring a badge update for" << appUri;
        return;
    }
    const QVariantMap properties = propertiesOf(args.at(1));
    const bool hasCount = properties.contains(QStringLiteral("count"));
    const bool hasVisible = properties.contains(QStringLiteral("count-visible"));
    if (!hasCount && !hasVisible)
        return; // progress or urgency only: nothing a badge shows

    const BadgeMap before = badges();
    auto it = m_entries.find(*id);
    if (it == m_entries.end())
        it = m_entries.insert(*id, Entry {});
    // Asked again on later updates: the application may have been installed
    // since its first one.
    if (!it->entryPath) {
        it->entryPath = m_resolver ? m_resolver(*id) : std::nullopt;
        if (!it->entryPath)
            qCInfo(lcDockBadges) << "no desktop entry for" << *id << "- its badge is not shown";
    }
    it->sender = message.service();
    if (hasCount)
        it->count = integerOf(properties.value(QStringLiteral("count")));
    if (hasVisible)
        it->countVisible = properties.value(QStringLiteral("count-visible")).toBool();
    watchSender(message.service());
    if (badges() != before)
        emit badgesChanged();
}

void DockBadgeReader::watchSender(const QString& sender)
{
    if (sender.isEmpty() || m_watcher.watchedServices().contains(sender))
        return;
    m_watcher.addWatchedService(sender);
    // The sender may have left before the watch was in place (a one-shot
    // sender); the bus answers this after the watch, so the answer is final.
    auto* call = new QDBusPendingCallWatcher(
        m_bus.interface()->asyncCall(QStringLiteral("NameHasOwner"), sender), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, sender](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<bool> reply = *w;
        if (reply.isValid() && !reply.value())
            m_watcher.removeWatchedService(sender);
    });
}

void DockBadgeReader::onSenderGone(const QString& sender)
{
    m_watcher.removeWatchedService(sender);
    const BadgeMap before = badges();
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->sender == sender)
            it = m_entries.erase(it);
        else
            ++it;
    }
    if (badges() != before)
        emit badgesChanged();
}

BadgeMap readSystemDockItems()
{
    return DockBadgeReader::shared().badges();
}
