#pragma once

// What the end-to-end programs share: real clients on the private display,
// what the X server shows, the real orbitShelf with settings of its own and
// the bar it logs, and a private session bus.

#include "platform/ScreenIdentity.h"
#include "state/UserDefaults.h"
#include "tests/support/XvfbSession.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

#include <map>
#include <optional>
#include <vector>

namespace orbitshelf::test {

// The title of the bar's dock windows.
inline const QString kDock = QStringLiteral("orbitShelf dock");

inline QString xdotool(const QStringList& arguments)
{
    return runTool(QStringLiteral("xdotool"), arguments);
}

// Visible windows that match xdotool's search `criteria` ("--pid", …).
inline QStringList searchVisibleWindows(const QStringList& criteria)
{
    const QStringList arguments = QStringList { "search", "--onlyvisible" } + criteria;
    // Debian 12's xdotool walks the whole tree and dies on the first window
    // that goes meanwhile (anyone's: a pop-up closing, a window handed
    // over), printing nothing: that is no answer, and it asks again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        if (!process.waitForFinished(30000))
            return {};
        const QString out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        if (process.readAllStandardError().contains("X Error of failed request"))
            continue;
        return out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
    }
    return {};
}

// Visible windows with exactly this title.
inline QStringList visibleWindowsNamed(const QString& title)
{
    // xdotool's --name takes a regular expression.
    return searchVisibleWindows({ "--name", QStringLiteral("^%1$").arg(QRegularExpression::escape(title)) });
}

// The first visible window with exactly this title, waited for; empty if
// none showed.
inline QString waitForWindow(const QString& title)
{
    QString id;
    waitUntil(
        [&] { return !(id = visibleWindowsNamed(title).value(0)).isEmpty(); }, std::chrono::seconds(10));
    return id;
}

// The clients a test starts, ended when it ends.
class Clients final {
public:
    Clients() = default;
    Clients(const Clients&) = delete;
    Clients& operator=(const Clients&) = delete;
    ~Clients()
    {
        for (qint64 pid : m_pids)
            terminate(pid);
    }

    struct Window {
        qint64 pid = 0;
        QString id; // decimal, as xdotool gives it; empty if it never showed
    };
    // An xterm titled `title`, once the window manager shows it.
    Window xterm(const QString& title, const QString& geometry = QStringLiteral("40x5+50+50"),
        const QStringList& more = {})
    {
        m_pids.push_back(spawn(QStringLiteral("xterm"), xtermArguments(title, geometry, more)));
        return { m_pids.back(), waitForWindow(title) };
    }

    // Any program, once a window whose title matches `title` shows.
    Window program(const QString& program, const QStringList& arguments, const QString& title)
    {
        m_pids.push_back(spawn(program, arguments));
        return { m_pids.back(), waitForWindow(title) };
    }

    // Any program, without waiting for a window.
    void start(const QString& program, const QStringList& arguments)
    {
        m_pids.push_back(spawn(program, arguments));
    }

    // An xterm started without waiting for its window (for many at once).
    void startXterm(const QString& title, const QString& geometry)
    {
        m_pids.push_back(spawn(QStringLiteral("xterm"), xtermArguments(title, geometry)));
    }

    // The tests' own client (tests/support/client) in `mode`, writing what
    // it does to `log`; `shownAs` is the title waited for.
    Window own(const QString& mode, const QString& title, const QString& log, const QString& shownAs,
        const QStringList& more = {})
    {
        m_pids.push_back(
            spawn(QStringLiteral(ORBITSHELF_TEST_CLIENT), QStringList { mode, title, log } + more));
        return { m_pids.back(), waitForWindow(shownAs) };
    }

private:
    std::vector<qint64> m_pids;
};

// Whether a child process of the test has ended (and reaps it).
inline bool childEnded(qint64 pid)
{
    int status = 0;
    return ::waitpid(pid_t(pid), &status, WNOHANG) == pid_t(pid);
}

inline QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A window that writes a line for every button it is pressed with (xev,
// titled PROBE), started with `clients`: where a click lands. `id` is empty
// when it never showed.
class PressProbe final {
public:
    explicit PressProbe(Clients& clients)
    {
        if (m_folder.isValid())
            id = clients
                     .program(QStringLiteral("/bin/sh"),
                         { "-c", QStringLiteral("exec xev -name PROBE -event button > '%1'").arg(file()) },
                         QStringLiteral("PROBE"))
                     .id;
    }
    // The presses it got so far.
    int presses() const { return int(readText(file()).count(QStringLiteral("ButtonPress event"))); }

    QString id;

private:
    QString file() const { return m_folder.filePath(QStringLiteral("presses")); }
    QTemporaryDir m_folder;
};

// The permission bits of a file or folder; -1 when it is not there.
inline int modeOf(const QString& path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// When (ms since the epoch) the first log message matching `pattern` was
// written; DockRun stamps every message with its time.
inline std::optional<qint64> loggedAt(const QString& log, const QString& pattern)
{
    static const QRegularExpression stamp(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}) "),
        QRegularExpression::MultilineOption);
    const QRegularExpression wanted(pattern);
    QRegularExpressionMatchIterator it = stamp.globalMatch(log);
    std::optional<QRegularExpressionMatch> current;
    const auto check = [&](qsizetype end) -> std::optional<qint64> {
        if (!current)
            return std::nullopt;
        const QString message = log.mid(current->capturedEnd(), end - current->capturedEnd());
        if (!wanted.match(message).hasMatch())
            return std::nullopt;
        return QDateTime::fromString(current->captured(1), QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
            .toMSecsSinceEpoch();
    };
    while (it.hasNext()) {
        const QRegularExpressionMatch next = it.next();
        if (const auto at = check(next.capturedStart()))
            return at;
        current = next;
    }
    return check(log.size());
}

// The active window's id (decimal), empty when none.
inline QString activeWindow()
{
    bool ok = false;
    const qulonglong number = xdotool({ "getactivewindow" }).toULongLong(&ok);
    return ok ? QString::number(number) : QString();
}

// A window's frame on the screen, from xwininfo.
inline QRect windowGeometry(const QString& id)
{
    const QString info = runTool(QStringLiteral("xwininfo"), { "-id", id });
    auto number = [&](const char* label) {
        return QRegularExpression(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(label)))
            .match(info)
            .captured(1)
            .toInt();
    };
    return QRect(
        number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
}

inline QString property(const QString& id, const QString& name)
{
    return runTool(QStringLiteral("xprop"), { "-id", id, name });
}

// The colour the screen shows at a point.
inline QColor pixelAt(QPoint at)
{
    const QString out = runTool(QStringLiteral("import"),
        { "-window", "root", "-crop", QStringLiteral("1x1+%1+%2").arg(at.x()).arg(at.y()), "-depth", "8",
            "txt:-" });
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("#([0-9A-Fa-f]{6})")).match(out);
    return m.hasMatch() ? QColor(QLatin1Char('#') + m.captured(1)) : QColor();
}

// The root window's background, where nothing is drawn.
inline bool isBackground(const QColor& colour)
{
    return colour.isValid() && colour.red() < 8 && colour.green() < 8 && colour.blue() < 8;
}

// What the screen shows in `area`.
inline QImage screenArea(const QRect& area)
{
    QProcess import;
    import.start(QStringLiteral("import"),
        { "-window", "root", "-crop",
            QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y()),
            "png:-" });
    import.waitForFinished(10000);
    return QImage::fromData(import.readAllStandardOutput(), "PNG");
}

// The root shows a colour of its own (the wallpaper) while it lives.
class ColouredRoot final {
public:
    ColouredRoot() { runTool(QStringLiteral("xsetroot"), { "-solid", colour().name() }); }
    ~ColouredRoot() { runTool(QStringLiteral("xsetroot"), { "-solid", "black" }); }
    ColouredRoot(const ColouredRoot&) = delete;
    ColouredRoot& operator=(const ColouredRoot&) = delete;
    static QColor colour() { return QColor(0x30, 0x60, 0xa0); }
};

inline void movePointer(QPoint to)
{
    // "mousemove --sync" waits for a motion, so it would hang when the
    // pointer already stands there.
    const QString here = xdotool({ "getmouselocation", "--shell" });
    if (!here.contains(QStringLiteral("X=%1\n").arg(to.x()))
        || !here.contains(QStringLiteral("Y=%1\n").arg(to.y())))
        xdotool({ "mousemove", "--sync", QString::number(to.x()), QString::number(to.y()) });
}

inline void click(QPoint at, int button = 1)
{
    movePointer(at);
    xdotool({ "click", QString::number(button) });
}

// The desktop's scale set as a user's desktop sets it: `Xft.dpi` merged into
// the root's resources (xrdb), which Qt reads at its start. What the
// resources held before is put back when the object goes. Set while a client
// stays connected (the window manager): a server with no client left resets
// its resources.
class DesktopDpi final {
public:
    explicit DesktopDpi(int dpi)
        : m_before(runTool(QStringLiteral("xrdb"), { "-query" }))
    {
        QFile file(m_folder.filePath(QStringLiteral("dpi")));
        if (file.open(QIODevice::WriteOnly))
            file.write(QStringLiteral("Xft.dpi: %1\n").arg(dpi).toUtf8());
        file.close();
        runTool(QStringLiteral("xrdb"), { "-nocpp", "-merge", file.fileName() });
    }
    ~DesktopDpi()
    {
        if (m_before.isEmpty()) {
            runTool(QStringLiteral("xrdb"), { "-remove" });
            return;
        }
        QFile file(m_folder.filePath(QStringLiteral("before")));
        if (file.open(QIODevice::WriteOnly))
            file.write(m_before.toUtf8() + '\n');
        file.close();
        runTool(QStringLiteral("xrdb"), { "-nocpp", "-load", file.fileName() });
    }
    DesktopDpi(const DesktopDpi&) = delete;
    DesktopDpi& operator=(const DesktopDpi&) = delete;
    // The Xft.dpi the root's resources hold now, 0 when none.
    static int current()
    {
        static const QRegularExpression line(QStringLiteral("(?m)^Xft\\.dpi:\\s*(\\d+)"));
        return line.match(runTool(QStringLiteral("xrdb"), { "-query" })).captured(1).toInt();
    }

private:
    QTemporaryDir m_folder;
    QString m_before;
};

// A place the program logs (Qt's device-independent pixels) in the X
// server's pixels, on a screen of that scale whose top-left corner stands at
// `origin` (Qt keeps a screen's corner where the server has it and scales
// what lies on it from there).
inline QRect onServer(const QRect& logged, qreal scale, QPoint origin = {})
{
    const QPointF topLeft = QPointF(logged.topLeft() - origin) * scale + QPointF(origin);
    return QRectF(topLeft, QSizeF(logged.size()) * scale).toAlignedRect();
}

// The key of a screen without EDID, as the app forms it from the output name.
inline QString screenKeyOfOutput(const QString& outputName)
{
    return QStringLiteral("Optional(%1)")
        .arg(platform::uuidText(
            platform::displayUuid(platform::DisplayDescription { outputName, {}, false })));
}

// The rectangle of the newest line of `log` where `prefix` (a regular
// expression) is followed by "x,y wxh" or "x,y,wxh".
inline std::optional<QRect> loggedRectIn(const QString& log, const QString& prefix)
{
    QRegularExpressionMatch last;
    const QRegularExpression re(prefix + QStringLiteral("(-?\\d+),(-?\\d+)[ ,](\\d+)x(\\d+)"));
    for (auto it = re.globalMatch(log); it.hasNext();)
        last = it.next();
    if (!last.hasMatch())
        return std::nullopt;
    return QRect(last.captured(1).toInt(), last.captured(2).toInt(), last.captured(3).toInt(),
        last.captured(4).toInt());
}

// One run of the real orbitShelf with a private home, settings and data. Its
// standard error is the log the checks read: with orbitshelf.* debug on,
// the bar writes where each of its buttons stands on the screen, and the
// appearance page where its tiles stand.
class DockRun final {
public:
    explicit DockRun(const std::map<QString, QVariant>& settings = {})
        : DockRun(FirstRun {})
    {
        UserDefaults::useFile(configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"));
        // Not the first run: no onboarding, the bar sized by its content.
        UserDefaults::setValue(QStringLiteral("firstInstalled"), false);
        for (const auto& [key, value] : settings)
            UserDefaults::setValue(key, value);
        UserDefaults::useFile(QString());
    }
    struct FirstRun { };
    explicit DockRun(FirstRun)
    {
        QDir().mkpath(configHome() + QStringLiteral("/orbitShelf"));
        QDir().mkpath(dataHome());
    }
    ~DockRun() { stop(); }

    qint64 start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // ctest runs the test programs offscreen; the dock must use X.
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // A home of its own: the folder browser, desktop entries and icons
        // are looked up there, never in the runner's.
        QDir().mkpath(home());
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_home.filePath(QStringLiteral("state")));
        // One instance per user and display: each run is a user of its own.
        QDir().mkpath(runtimeDir());
        QFile::setPermissions(
            runtimeDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        // Debug lines are off by default; the checks read the program's own.
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("orbitshelf.*=true"));
        // Every message stamped, so that tests can tell how soon the bar
        // followed the desktop.
        env.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
            QStringLiteral("%{time yyyy-MM-ddTHH:mm:ss.zzz} %{if-category}%{category}: %{endif}%{message}"));
        for (const auto& [key, value] : m_environment)
            env.insert(key, value);
        m_process.setProcessEnvironment(env);
        m_process.setStandardErrorFile(m_home.filePath(QStringLiteral("orbitShelf.log")), QIODevice::Append);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        // As `trap '' INT; exec orbitShelf` starts it: between fork and exec.
        m_process.setChildProcessModifier([ignored = m_ignoredAtStart] {
            for (const int signal : ignored)
                ::signal(signal, SIG_IGN);
        });
        m_process.start(m_program, {});
        return m_process.waitForStarted() ? m_process.processId() : 0;
    }
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished();
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    // Waits until the program has ended by itself; its exit status then, or
    // -1 when it crashed or was still running after `ms`.
    int waitForExit(int ms)
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(ms))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    qint64 pid() const { return m_process.processId(); }
    // Another build of the program, for the benchmarks that compare two.
    void setProgram(const QString& program) { m_program = program; }
    // The next start()s begin with `signal` ignored.
    void ignoreAtStart(int signal) { m_ignoredAtStart.push_back(signal); }
    // Set in the dock's environment by the next start().
    void setEnvironment(const QString& key, const QString& value) { m_environment[key] = value; }
    // HOME of the next start() unless setEnvironment() names another.
    QString home() const { return m_home.filePath(QStringLiteral("home")); }
    QString dataHome() const { return m_home.filePath(QStringLiteral("data")); }
    QString configHome() const { return m_home.filePath(QStringLiteral("config")); }
    QString runtimeDir() const { return m_home.filePath(QStringLiteral("runtime")); }
    QString storePath() const
    {
        return dataHome() + QStringLiteral("/io.orbitshelf.OrbitShelf/Favorite.sqlite");
    }
    QString log() const
    {
        QFile f(m_home.filePath(QStringLiteral("orbitShelf.log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // The rectangle of the newest log line where `prefix` (a regular
    // expression) is followed by "x,y wxh" or "x,y,wxh".
    std::optional<QRect> loggedRect(const QString& prefix) const { return loggedRectIn(log(), prefix); }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    std::map<QString, QString> m_environment;
    std::vector<int> m_ignoredAtStart;
    QString m_program = QStringLiteral(ORBITSHELF_BINARY);
};

// A value as the run's settings file holds it now.
inline QString storedSetting(const DockRun& run, const QString& key)
{
    QSettings file(run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"), QSettings::NativeFormat);
    return file.value(key).toString();
}

// Whether the window switcher shows.
inline bool switcherShown()
{
    return !visibleWindowsNamed(QStringLiteral("orbitShelf switcher")).isEmpty();
}

// The process that shows a bar now, other than `old`; 0 when none.
inline qint64 newBarProcess(qint64 old)
{
    qint64 pid = 0;
    waitUntil([&] {
        const QStringList docks = visibleWindowsNamed(QStringLiteral("orbitShelf dock"));
        if (docks.isEmpty())
            return false;
        pid = property(docks.first(), QStringLiteral("_NET_WM_PID")).section(u'=', 1).trimmed().toLongLong();
        return pid > 0 && pid != old;
    });
    return pid;
}

// Right-clicks the bar's main button until its settings menu opens: a dock
// window just mapped may not take input yet. Reads only the log written
// after `from` (a restart's); the bar's place after `barFrom` (the same
// unless the bar was logged before, in this run).
inline bool openSettingsMenu(const DockRun& run, qsizetype from = 0, std::optional<qsizetype> barFrom = {})
{
    const auto newLog = [&run, from] { return run.log().mid(from); };
    const qsizetype barStart = barFrom.value_or(from);
    std::optional<QRect> mainButton;
    if (!waitUntil([&] {
            return (mainButton = loggedRectIn(run.log().mid(barStart), QStringLiteral("main button at ")))
                .has_value();
        }))
        return false;
    return waitUntil([&] {
        // The bar may have grown since: windows that opened with it.
        mainButton
            = loggedRectIn(run.log().mid(barStart), QStringLiteral("main button at ")).value_or(*mainButton);
        click(mainButton->center(), 3);
        return waitUntil([&] { return newLog().contains(QLatin1String("settings menu opened")); },
            std::chrono::milliseconds(500));
    });
}

// As a user does: picks "Restart" from the main button's menu and waits for
// the process to end. The log's length just before the click (what the new
// process writes comes after it), or nothing when a step failed.
inline std::optional<qsizetype> restartFromBarMenu(const DockRun& run)
{
    if (!openSettingsMenu(run))
        return std::nullopt;
    std::optional<QRect> restart;
    if (!waitUntil([&] {
            return (restart = run.loggedRect(QStringLiteral("settings menu opened.*\\bRestart@")))
                .has_value();
        }))
        return std::nullopt;
    const qsizetype restarted = run.log().size();
    click(restart->center());
    if (!waitUntil([&] { return !run.running(); }))
        return std::nullopt;
    return restarted;
}

// As a user does: opens the main button's menu, picks "Settings", then
// clicks the tab titled `tab`. Reads only the log written after `from` (the
// bar's place after `barFrom`, as openSettingsMenu). The tab's rectangle, or
// nothing when a step failed.
inline std::optional<QRect> openSettingsTab(
    const DockRun& run, const QString& tab, qsizetype from = 0, std::optional<qsizetype> barFrom = {})
{
    const auto newLog = [&run, from] { return run.log().mid(from); };
    if (!openSettingsMenu(run, from, barFrom))
        return std::nullopt;
    const std::optional<QRect> item
        = loggedRectIn(newLog(), QStringLiteral("settings menu opened.*\\bSettings@"));
    if (!item)
        return std::nullopt;
    click(item->center());
    std::optional<QRect> tabRect;
    if (!waitUntil([&] {
            return (tabRect = loggedRectIn(newLog(), QStringLiteral("settings tab %1 at ").arg(tab)))
                .has_value();
        }))
        return std::nullopt;
    click(tabRect->center());
    return tabRect;
}

// Where the General page's switch `key` stands once scrolled into the
// settings window `settings` (clicking `tab` until the page logs it);
// nothing when it never came into view.
inline std::optional<QRect> generalSwitchInView(
    const DockRun& run, const QString& settings, const QRect& tab, const QString& key)
{
    std::optional<QRect> at;
    const bool inView = waitUntil([&] {
        const QRect window = windowGeometry(settings);
        at = run.loggedRect(QStringLiteral("general page switch %1 \\w+ at ").arg(key));
        if (at && window.adjusted(0, 0, 0, -20).contains(*at))
            return true;
        if (!at)
            click(tab.center());
        else
            click(window.center(), 5);
        return false;
    });
    return inView ? at : std::nullopt;
}

// The active window's title, empty when none.
inline QString activeWindowName()
{
    const QString active = activeWindow();
    return active.isEmpty() ? QString() : xdotool({ "getwindowname", active });
}

// Closes the program's message box as a user does: it takes the keyboard,
// and Return is its "ok". Whether it came and went.
inline bool acknowledgeMessageBox()
{
    if (!waitUntil([] { return activeWindowName() == QLatin1String("orbitShelf"); }))
        return false;
    xdotool({ "key", "Return" });
    return waitUntil([] { return activeWindowName() != QLatin1String("orbitShelf"); });
}

// As a user moves a key: "Settings" from the main button's menu, the
// "Shortcut" tab, then `choice` in the row titled `row`, until the page shows
// it taken. The settings window is closed at the end unless `keepOpen`: it
// would stand over the windows the test goes on to use.
inline ::testing::AssertionResult chooseShortcut(
    const DockRun& run, const QString& row, const QString& choice, bool keepOpen = false)
{
    const qsizetype from = run.log().size();
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("Shortcut"), from, 0);
    if (!tab)
        return ::testing::AssertionFailure() << "the Shortcut tab did not open";
    const QString line = QStringLiteral("shortcut row \"%1\" choice \"%2\" ")
                             .arg(QRegularExpression::escape(row), QRegularExpression::escape(choice));
    std::optional<QRect> at;
    const auto shown = [&] {
        return (at = loggedRectIn(run.log().mid(from), line + QStringLiteral("\\w+ at "))).has_value();
    };
    // The tab's first click may come before the window takes input.
    if (!waitUntil([&] {
            if (shown())
                return true;
            click(tab->center());
            return waitUntil(shown, std::chrono::milliseconds(500));
        }))
        return ::testing::AssertionFailure() << "the page showed no choice " << choice.toStdString();
    // Choosing it twice does no harm.
    if (!waitUntil([&] {
            const qsizetype clicked = run.log().size();
            click(at->center());
            return waitUntil(
                [&] {
                    return loggedRectIn(run.log().mid(clicked), line + QStringLiteral("on at ")).has_value();
                },
                std::chrono::milliseconds(1500));
        }))
        return ::testing::AssertionFailure() << choice.toStdString() << " was not taken";
    if (keepOpen)
        return ::testing::AssertionSuccess();

    for (const QString& window : visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")))
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", window });
    if (!waitUntil([] { return visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).isEmpty(); }))
        return ::testing::AssertionFailure() << "the settings window stayed open";
    return ::testing::AssertionSuccess();
}

// As a user installs built-in tools: "Settings" from the main button's
// menu, "Plugins", then each tool's cell and "Install", until the page
// offers "Remove"; with `pin`, the tool's pin switch turned on as well, which
// puts its tile on the bar. The settings window is closed at the end: it
// would stand over the windows the test goes on to click. Reads only the log
// written after `from` (the bar's place after `barFrom`, as openSettingsMenu).
inline ::testing::AssertionResult installTools(const DockRun& run, const QStringList& tools, bool pin = false,
    qsizetype from = 0, std::optional<qsizetype> barFrom = {})
{
    const auto since = [&run](qsizetype mark) { return run.log().mid(mark); };
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("Plugins"), from, barFrom);
    if (!tab)
        return ::testing::AssertionFailure() << "the Plugins tab did not open";
    // What the page's detail shows for `tool`: the button's title and the pin
    // switch's state, the newest logged after `mark`, with their places.
    struct Detail {
        QString button;
        QRect buttonAt;
        bool pinned = false;
        QRect pinAt;
    };
    const auto detailOf = [&](const QString& tool, qsizetype mark) -> std::optional<Detail> {
        const QString log = since(mark);
        const QString name = QRegularExpression::escape(tool);
        const std::optional<QRect> button
            = loggedRectIn(log, QStringLiteral("plugins install button \\w+ for %1 at ").arg(name));
        const std::optional<QRect> pinAt
            = loggedRectIn(log, QStringLiteral("plugins pin switch \\w+ for %1 at ").arg(name));
        if (!button || !pinAt)
            return std::nullopt;
        QRegularExpressionMatch title, pinned;
        const QRegularExpression titleLine(
            QStringLiteral("plugins install button (\\w+) for %1 at ").arg(name));
        for (auto it = titleLine.globalMatch(log); it.hasNext();)
            title = it.next();
        const QRegularExpression pinLine(QStringLiteral("plugins pin switch (\\w+) for %1 at ").arg(name));
        for (auto it = pinLine.globalMatch(log); it.hasNext();)
            pinned = it.next();
        return Detail { title.captured(1), *button, pinned.captured(1) == QLatin1String("on"), *pinAt };
    };

    for (const QString& tool : tools) {
        const QString cellLine = QStringLiteral("plugins cell %1 at ").arg(QRegularExpression::escape(tool));
        std::optional<QRect> cell;
        // The tab's first click may come before the window takes input.
        if (!waitUntil([&] {
                if ((cell = loggedRectIn(since(from), cellLine)))
                    return true;
                click(tab->center());
                return waitUntil([&] { return (cell = loggedRectIn(since(from), cellLine)).has_value(); },
                    std::chrono::milliseconds(500));
            }))
            return ::testing::AssertionFailure() << "no cell of " << tool.toStdString() << " showed";
        // Choosing a tool twice does no harm: the cell is clicked until the
        // detail shows it.
        std::optional<Detail> detail;
        qsizetype chosen = 0;
        if (!waitUntil([&] {
                chosen = run.log().size();
                click(cell->center());
                return waitUntil([&] { return (detail = detailOf(tool, chosen)).has_value(); },
                    std::chrono::milliseconds(1500));
            }))
            return ::testing::AssertionFailure() << "the page did not show " << tool.toStdString();
        if (detail->button == QLatin1String("Install")) {
            // Once only: a second click would remove the tool again.
            const qsizetype clicked = run.log().size();
            click(detail->buttonAt.center());
            if (!waitUntil(
                    [&] {
                        return (detail = detailOf(tool, clicked))
                            && detail->button == QLatin1String("Remove");
                    },
                    std::chrono::seconds(10)))
                return ::testing::AssertionFailure() << tool.toStdString() << " was not installed";
        }
        if (pin && !detail->pinned) {
            const qsizetype clicked = run.log().size();
            click(detail->pinAt.center());
            if (!waitUntil([&] { return (detail = detailOf(tool, clicked)) && detail->pinned; },
                    std::chrono::seconds(10)))
                return ::testing::AssertionFailure() << tool.toStdString() << " was not pinned";
        }
    }

    const QString settings = visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).value(0);
    if (!settings.isEmpty())
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", settings });
    if (!waitUntil([] { return visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).isEmpty(); }))
        return ::testing::AssertionFailure() << "the settings window stayed open";
    return ::testing::AssertionSuccess();
}

// One item of the bar as the app logs it.
struct LoggedBarItem {
    enum Kind { mainButton, launchpad, tool, pinnedApp, windowButton, stackButton }; // BarEntry::Kind
    int kind = -1;
    qint64 pid = 0;
    QString window; // decimal window id, "-1" for none
    QRect rect;
    QString badge;
    QString tag; // the text of its tag chip or label, empty for none
};

// The newest bar the log shows, in bar order.
inline std::vector<LoggedBarItem> loggedBar(const QString& log)
{
    std::vector<LoggedBarItem> items;
    const qsizetype start = log.lastIndexOf(QStringLiteral("bar rows of "));
    if (start < 0)
        return items;
    const qsizetype end = log.indexOf(QStringLiteral("bar end"), start);
    static const QRegularExpression line(
        QStringLiteral("bar item \\d+ kind (\\d+) pid (-?\\d+) window (-?\\d+) at (-?\\d+),(-?\\d+) "
                       "(\\d+)x(\\d+) badge \"([^\"]*)\"(?: key \"[^\"]*\")?(?: tag \"([^\"]*)\")?"));
    for (auto it = line.globalMatch(log.mid(start, end < 0 ? -1 : end - start)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        items.push_back({ m.captured(1).toInt(), m.captured(2).toLongLong(), m.captured(3),
            QRect(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), m.captured(7).toInt()),
            m.captured(8), m.captured(9) });
    }
    return items;
}

// A session bus of this program's own (empty address if dbus-daemon failed),
// so that badges and notices never reach the desktop's bus.
class PrivateSessionBus final {
public:
    // The services the bus starts on demand (settings services among them)
    // run with `environment`: a user's HOME of the test's own keeps them
    // out of the runner's.
    explicit PrivateSessionBus(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        m_daemon.setProcessEnvironment(environment);
        m_daemon.start(QStringLiteral("dbus-daemon"), { "--session", "--nofork", "--print-address=1" });
        if (m_daemon.waitForStarted(5000) && m_daemon.waitForReadyRead(5000))
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

// Binds the window `id` as a user does: its bar button's menu, "Binding
// Hotkey", then in the tag editor's picker the choice typed and Return.
inline bool bindThroughTagEditor(const DockRun& run, const QString& id, const QString& choice)
{
    std::optional<LoggedBarItem> button;
    if (!waitUntil([&] {
            for (const LoggedBarItem& item : loggedBar(run.log()))
                if (item.window == id)
                    button = item;
            return button.has_value();
        }))
        return false;
    const qsizetype menusBefore = run.log().count(QLatin1String("window menu:"));
    std::optional<QRect> bind;
    if (!waitUntil([&] {
            click(button->rect.center(), 3);
            return waitUntil([&] { return run.log().count(QLatin1String("window menu:")) > menusBefore; },
                std::chrono::milliseconds(700));
        }))
        return false;
    if (!waitUntil([&] {
            return (bind = run.loggedRect(QStringLiteral("window menu:.*Binding Hotkey@"))).has_value();
        }))
        return false;
    const qsizetype pickersBefore = run.log().count(QLatin1String("hot key picker in its window at"));
    click(bind->center());
    if (!waitUntil([&] {
            return run.log().count(QLatin1String("hot key picker in its window at")) > pickersBefore;
        }))
        return false;
    const std::optional<QRect> picker = run.loggedRect(QStringLiteral("hot key picker in its window at "));
    const QString tag = waitForWindow(QStringLiteral("Tag"));
    if (!picker || tag.isEmpty())
        return false;
    const qsizetype opened = run.log().count(QLatin1String("hot key picker opened"));
    click(windowGeometry(tag).topLeft() + picker->center());
    if (!waitUntil([&] { return run.log().count(QLatin1String("hot key picker opened")) > opened; }))
        return false;
    xdotool({ "type", "--delay", "20", choice });
    xdotool({ "key", "Return" });
    return true;
}

} // namespace orbitshelf::test
