#pragma once

// What the end-to-end programs share: starting the real binary with its own
// settings, reading back what the X server shows and what the bar logs, and a
// private session bus.

#include "app/MapSetting.h"
#include "app/UserDefaults.h"
#include "platform/ScreenIdentity.h"
#include "tests/support/XvfbSession.h"

#include <QColor>
#include <QProcess>
#include <QDir>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVariant>

#include <chrono>
#include <map>
#include <optional>
#include <vector>

namespace orbitshelf::test {

// The key of a screen without EDID, as the app forms it from the output name.
inline QString screenKeyOfOutput(const QString& outputName)
{
    return QStringLiteral("Optional(%1)")
        .arg(platform::uuidText(
            platform::displayUuid(platform::DisplayDescription { outputName, {}, false })));
}

// One run of orbitShelf with a private settings and data home.
class DockRun final {
public:
    explicit DockRun(const std::map<QString, QVariant>& settings)
    {
        const QString conf = m_home.filePath(QStringLiteral("config/orbitShelf/orbitShelf.conf"));
        QDir().mkpath(QFileInfo(conf).absolutePath());
        UserDefaults::useFile(conf);
        // Not the first run: no onboarding, the bar sized by its content.
        UserDefaults::setValue(QStringLiteral("firstInstalled"), false);
        for (const auto& [key, value] : settings)
            UserDefaults::setValue(key, value);
        UserDefaults::useFile(QString());
    }
    ~DockRun() { stop(); }

    qint64 start()
    {
        const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
        qunsetenv("QT_QPA_PLATFORM");
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("QT_LOGGING_RULES", "orbitshelf.dock=true");
        m_pid = spawn(QStringLiteral("sh"),
            { QStringLiteral("-c"), QStringLiteral("exec \"$0\" 2>\"$1\""), QStringLiteral(ORBITSHELF_BINARY),
                logPath() });
        qputenv("QT_QPA_PLATFORM", qpa);
        return m_pid;
    }
    void stop()
    {
        terminate(m_pid);
        m_pid = 0;
    }
    QString logPath() const { return m_home.filePath(QStringLiteral("orbitShelf.log")); }
    // The run's private home: config/ and data/ are its XDG homes.
    QString home() const { return m_home.path(); }
    QString log() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    QTemporaryDir m_home;
    qint64 m_pid = 0;
};

// Visible windows with exactly this title.
inline QStringList visibleWindowsNamed(const QString& title, const QString& display = {})
{
    QStringList args;
    if (!display.isEmpty())
        args << QStringLiteral("--display") << display;
    // xdotool's --name takes a regular expression.
    args << QStringLiteral("search") << QStringLiteral("--onlyvisible") << QStringLiteral("--name")
         << QStringLiteral("^%1$").arg(QRegularExpression::escape(title));
    const QString out = runTool(QStringLiteral("xdotool"), args);
    return out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
}

// The first visible window with exactly this title, waited for up to
// `timeout`; empty if none showed.
inline QString waitForWindow(const QString& title, std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    QString id;
    waitUntil(
        [&] {
            const QStringList ids = visibleWindowsNamed(title);
            id = ids.isEmpty() ? QString() : ids.first();
            return !id.isEmpty();
        },
        timeout);
    return id;
}

// The active window's id as xdotool gives it (decimal), empty when none.
inline QString activeWindow()
{
    const QString id = runTool(QStringLiteral("xdotool"), { QStringLiteral("getactivewindow") });
    bool ok = false;
    const qulonglong number = id.toULongLong(&ok);
    return ok ? QString::number(number) : QString();
}

// A window's frame on the screen, from xwininfo.
inline QRect windowGeometry(const QString& id, const QString& display = {})
{
    QStringList args;
    if (!display.isEmpty())
        args << QStringLiteral("-display") << display;
    args << QStringLiteral("-id") << id;
    const QString info = runTool(QStringLiteral("xwininfo"), args);
    auto number = [&](const char* label) {
        const QRegularExpression re(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(label)));
        return re.match(info).captured(1).toInt();
    };
    return QRect(
        number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
}

// The colour the screen shows at a point.
inline QColor pixelAt(int x, int y)
{
    const QString out = runTool(QStringLiteral("import"),
        { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
            QStringLiteral("1x1+%1+%2").arg(x).arg(y), QStringLiteral("-depth"), QStringLiteral("8"),
            QStringLiteral("txt:-") });
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("#([0-9A-Fa-f]{6})")).match(out);
    return m.hasMatch() ? QColor(QLatin1Char('#') + m.captured(1)) : QColor();
}

inline QString property(const QString& id, const QString& name)
{
    return runTool(QStringLiteral("xprop"), { QStringLiteral("-id"), id, name });
}

// The centre of the button of `pid` in the newest "bar buttons:" line.
inline std::optional<QPoint> buttonCentre(const QString& log, qint64 pid)
{
    const qsizetype at = log.lastIndexOf(QStringLiteral("bar buttons:"));
    if (at < 0)
        return std::nullopt;
    const QString line = log.mid(at).section(QLatin1Char('\n'), 0, 0);
    const QRegularExpression entry(QStringLiteral("\\b%1@(-?\\d+),(-?\\d+),(\\d+)x(\\d+)").arg(pid));
    const auto m = entry.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    return QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt())
        .center();
}

// One item of the bar as the app logs it (with orbitshelf.dock debug on):
// where it stands on the screen and what it shows.
struct LoggedBarItem {
    int kind = -1; // BarEntry::Kind as a number
    qint64 pid = 0;
    qint64 window = -1; // window number, -1 for none
    QRect rect;
    QString badge;
};

// The newest bar the log shows for a screen key (any screen when empty).
inline std::vector<LoggedBarItem> loggedBar(const QString& log, const QString& screenKey = {})
{
    std::vector<LoggedBarItem> items;
    const qsizetype start
        = log.lastIndexOf(screenKey.isEmpty() ? QStringLiteral("bar rows of ")
                                              : QStringLiteral("bar rows of %1").arg(screenKey));
    if (start < 0)
        return items;
    const qsizetype end = log.indexOf(QStringLiteral("bar end"), start);
    const QString block = log.mid(start, end < 0 ? -1 : end - start);
    static const QRegularExpression line(
        QStringLiteral("bar item \\d+ kind (\\d+) pid (-?\\d+) window (-?\\d+) at (-?\\d+),(-?\\d+) "
                       "(\\d+)x(\\d+) badge \"([^\"]*)\""));
    auto it = line.globalMatch(block);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        LoggedBarItem item;
        item.kind = m.captured(1).toInt();
        item.pid = m.captured(2).toLongLong();
        item.window = m.captured(3).toLongLong();
        item.rect = QRect(
            m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), m.captured(7).toInt());
        item.badge = m.captured(8);
        items.push_back(item);
    }
    return items;
}

// A session bus of this program's own (empty address if dbus-daemon failed),
// so that badges and notices never reach the desktop's bus.
class PrivateSessionBus final {
public:
    PrivateSessionBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        if (!m_daemon.waitForStarted(5000))
            return;
        if (m_daemon.waitForReadyRead(5000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateSessionBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace orbitshelf::test
