#pragma once

// What the dock end-to-end programs share: starting the real binary with its
// own settings, and reading back what the X server shows.

#include "app/MapSetting.h"
#include "app/UserDefaults.h"
#include "platform/ScreenIdentity.h"
#include "tests/support/XvfbSession.h"

#include <QColor>
#include <QDir>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVariant>

#include <map>

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

} // namespace orbitshelf::test
