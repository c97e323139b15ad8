#include "shell/SingleInstance.h"

#include "state/Logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

QString SingleInstanceLock::fileNameFor(const QString& display)
{
    QString safe = display.isEmpty() ? QStringLiteral("none") : display;
    for (QChar& c : safe) {
        if (!c.isLetterOrNumber() && c != u'.' && c != u'-')
            c = u'_';
    }
    return QStringLiteral("orbitShelf-%1.lock").arg(safe);
}

SingleInstanceLock::SingleInstanceLock(const QString& display, const QString& runtimeDir)
{
    QString dir = runtimeDir;
    if (dir.isEmpty())
        dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty()) {
        // No runtime folder (a bare session): one of our own in /tmp, used
        // only while it is ours and no one else's to write.
        dir = QDir::tempPath() + QStringLiteral("/orbitShelf-%1").arg(::getuid());
        const QByteArray native = QFile::encodeName(dir);
        ::mkdir(native.constData(), 0700);
        struct stat info { };
        if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()
            || (info.st_mode & 0077) != 0) {
            m_error = QStringLiteral("%1 is not a private folder of this user").arg(dir);
            return;
        }
    }
    m_path = QDir(dir).filePath(fileNameFor(display));
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        m_error = QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
}

SingleInstanceLock::~SingleInstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstanceLock::acquire(int waitMs)
{
    if (m_fd < 0)
        return false;
    if (m_held)
        return true;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return m_held = true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_error = QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

QString currentDisplayName()
{
    const QString display = qEnvironmentVariable("DISPLAY");
    return display.isEmpty() ? QStringLiteral("none") : display;
}

ExternalEvents::ExternalEvents(QString display, Handler handler, QObject* parent)
    : QObject(parent)
    , m_display(std::move(display))
    , m_handler(std::move(handler))
{
}

bool ExternalEvents::publish(QString* error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (error)
            *error = QStringLiteral("no session bus");
        return false;
    }
    if (!bus.registerObject(
            QString::fromLatin1(kSingleInstanceObjectPath), this, QDBusConnection::ExportScriptableSlots)) {
        if (error)
            *error = bus.lastError().message();
        return false;
    }
    if (!bus.registerService(QString::fromLatin1(kSingleInstanceBusName))) {
        if (error)
            *error = QStringLiteral("the name %1 is held by another process: %2")
                         .arg(QString::fromLatin1(kSingleInstanceBusName), bus.lastError().message());
        return false;
    }
    return true;
}

bool ExternalEvents::HandleExternalEvent(const QString& display, const QString& identifier)
{
    if (display != m_display) {
        qCWarning(lcApp).noquote() << "external event" << identifier << "for display" << display
                                   << "ignored: this instance serves" << m_display;
        return false;
    }
    return m_handler && m_handler(identifier);
}

bool ExternalEvents::ServesDisplay(const QString& display) const
{
    return display == m_display;
}

bool instanceRunsOnBus(const QString& display)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QString name = QString::fromLatin1(kSingleInstanceBusName);
    if (!bus.interface()->isServiceRegistered(name).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, QString::fromLatin1(kSingleInstanceObjectPath), name, QStringLiteral("ServesDisplay"));
    call << display;
    const QDBusReply<bool> reply = bus.call(call, QDBus::Block, 5000);
    return reply.isValid() && reply.value();
}

bool sendExternalEvent(const QString& display, const QString& identifier, QString* error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("there is no session bus to reach it");
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kSingleInstanceBusName),
        QString::fromLatin1(kSingleInstanceObjectPath), QString::fromLatin1(kSingleInstanceBusName),
        QStringLiteral("HandleExternalEvent"));
    call << display << identifier;
    const QDBusReply<bool> reply = bus.call(call, QDBus::Block, 5000);
    if (!reply.isValid()) {
        *error = reply.error().message();
        return false;
    }
    if (!reply.value()) {
        *error = QStringLiteral("the running instance did not take \"%1\"").arg(identifier);
        return false;
    }
    return true;
}
