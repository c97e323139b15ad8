#include "tests/support/XvfbSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orbitshelf::test {
namespace {

QString g_lastError;

// The system's openbox configuration without its Alt+Tab and Alt+Escape
// bindings, which would hold the keys our hot keys ask for. Alt+Space stays
// bound, so there is always one combination another program holds. Written
// for each session and removed with it; empty when there is no system
// configuration.
// openbox's own configuration, less the key bindings the tests need: Alt+Tab
// and Alt+Escape for the hot keys, or every binding for tests that grab any
// key. Written per session next to the other temporary files.
QString testOpenboxConfig(XvfbSession::WindowManagerKeys keys)
{
    QFile system(QStringLiteral("/etc/xdg/openbox/rc.xml"));
    if (!system.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(system.readAll());
    // Always a copy of our own: the session removes it when it ends.
    if (keys != XvfbSession::WindowManagerKeys::stock) {
        const QString bindings = keys == XvfbSession::WindowManagerKeys::none
            ? QStringLiteral("<keybind key=\"[^\"]*\">.*?</keybind>")
            : QStringLiteral("<keybind key=\"(A-Tab|A-S-Tab|A-Escape)\">.*?</keybind>");
        text.remove(QRegularExpression(bindings, QRegularExpression::DotMatchesEverythingOption));
    }
    const QByteArray xml = text.toUtf8();
    // One per session: a program may run a second desktop beside its own.
    static int sessions = 0;
    const QString file
        = QDir::tempPath() + QStringLiteral("/orbitshelf-openbox-%1-%2.xml").arg(getpid()).arg(++sessions);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(xml) != xml.size())
        return QString();
    return file;
}

// `environment` entries ("NAME=value") replace the test's own of that name.
pid_t spawnArgv(const QString& program, const QStringList& arguments, const QStringList& environment = {})
{
    QByteArray prog = program.toLocal8Bit();
    QList<QByteArray> storage;
    storage.append(prog);
    for (const QString& a : arguments)
        storage.append(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    QList<QByteArray> envStorage;
    for (const QString& e : environment)
        envStorage.append(e.toLocal8Bit());
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('=') + 1);
        if (std::none_of(envStorage.begin(), envStorage.end(),
                [&name](const QByteArray& own) { return own.startsWith(name); }))
            envStorage.append(entry);
    }
    std::vector<char*> envp;
    for (QByteArray& e : envStorage)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Spawned clients must not scribble over the test's output.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, prog.constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    auto cookie = xcb_intern_atom(c, 0, uint16_t(strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool windowListed(xcb_connection_t* c, xcb_window_t root, xcb_atom_t clientList, xcb_window_t w)
{
    auto cookie = xcb_get_property(c, 0, root, clientList, XCB_ATOM_WINDOW, 0, 4096);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &free);
    if (!reply || reply->format != 32)
        return false;
    auto* ids = static_cast<xcb_window_t*>(xcb_get_property_value(reply.get()));
    int n = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < n; ++i)
        if (ids[i] == w)
            return true;
    return false;
}

// Maps a probe window and waits until the window manager lists it: only then
// does it manage windows that clients map.
bool waitForWindowManager(const QByteArray& display)
{
    QElapsedTimer clock;
    clock.start();
    xcb_connection_t* c = nullptr;
    while (clock.elapsed() < 10000) {
        c = xcb_connect(display.constData(), nullptr);
        if (!xcb_connection_has_error(c))
            break;
        xcb_disconnect(c);
        c = nullptr;
        QThread::msleep(20);
    }
    if (!c)
        return false;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_atom_t clientList = atom(c, "_NET_CLIENT_LIST");
    xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 50, 50, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c, probe);
    xcb_flush(c);
    bool managed = false;
    while (clock.elapsed() < 15000) {
        if (windowListed(c, screen->root, clientList, probe)) {
            managed = true;
            break;
        }
        QThread::msleep(20);
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    // Wait for the manager to drop the probe so tests start from an empty list.
    while (managed && clock.elapsed() < 15000 && windowListed(c, screen->root, clientList, probe))
        QThread::msleep(10);
    xcb_disconnect(c);
    return managed;
}

// Starts an X server that writes its display number to a pipe once it
// accepts clients (-displayfd); returns its pid, 0 on failure.
pid_t startServer(const char* program, QStringList arguments, QString* display)
{
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    arguments.prepend(QString::number(fds[1]));
    arguments.prepend(QStringLiteral("-displayfd"));
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        QList<QByteArray> storage { program };
        for (const QString& a : arguments)
            storage.append(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& a : storage)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(program, argv.data());
        _exit(127);
    }
    close(fds[1]);
    QByteArray number;
    QDeadlineTimer deadline(15000);
    while (pid > 0 && !number.endsWith('\n') && !deadline.hasExpired()) {
        pollfd p { fds[0], POLLIN, 0 };
        char buf[32];
        ssize_t n = poll(&p, 1, int(deadline.remainingTime())) > 0 ? read(fds[0], buf, sizeof buf) : 0;
        if (n <= 0)
            break;
        number.append(buf, int(n));
    }
    close(fds[0]);
    if (!number.endsWith('\n')) {
        terminate(pid);
        return 0;
    }
    *display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    return pid;
}

const QString kTwoOutputsConfig = QStringLiteral(ORBITSHELF_TEST_DATA "/e2e_screens/xorg-dummy.conf");

} // namespace

bool XvfbSession::canStartTwoOutputs(QString* why)
{
    bool driver = false;
    for (const char* dir :
        { "/usr/lib/xorg/modules/drivers", "/usr/lib/x86_64-linux-gnu/xorg/modules/drivers" })
        driver = driver || QFileInfo::exists(QStringLiteral("%1/dummy_drv.so").arg(QLatin1String(dir)));
    if (QStandardPaths::findExecutable(QStringLiteral("Xorg")).isEmpty() || !driver)
        *why = QStringLiteral("Xorg with the dummy video driver is not installed "
                              "(xserver-xorg-core xserver-xorg-video-dummy; scripts/deps installs them)");
    else if (geteuid() != 0)
        *why = QStringLiteral("starting Xorg with the dummy video driver needs root");
    return why->isEmpty();
}

std::unique_ptr<XvfbSession> XvfbSession::start(Outputs outputs, WindowManagerKeys keys)
{
    return startWith(outputs, keys, WindowManager::openbox);
}

std::unique_ptr<XvfbSession> XvfbSession::start(WindowManager manager)
{
    return startWith(Outputs::one, WindowManagerKeys::stock, manager);
}

std::unique_ptr<XvfbSession> XvfbSession::start(Outputs outputs, WindowManager manager)
{
    return startWith(outputs, WindowManagerKeys::stock, manager);
}

std::unique_ptr<XvfbSession> XvfbSession::startWith(
    Outputs outputs, WindowManagerKeys keys, WindowManager manager)
{
    std::unique_ptr<XvfbSession> session(new XvfbSession);
    const bool dummy = outputs == Outputs::two || outputs == Outputs::twoStacked;
    if (!dummy) {
        const QString screen = outputs == Outputs::uhd ? QStringLiteral("3840x2160x24")
            : outputs == Outputs::laptop               ? QStringLiteral("1366x768x24")
                                                       : QStringLiteral("1920x1080x24");
        session->m_serverPid = startServer("Xvfb",
            { "-screen", "0", screen, "-nolisten", "tcp", "+extension", "Composite", "-noreset" },
            &session->m_display);
    } else {
        session->m_serverLog = QDir::tempPath() + QStringLiteral("/orbitshelf-xorg-%1.log").arg(getpid());
        session->m_serverPid = startServer("Xorg",
            { "-config", kTwoOutputsConfig, "-noreset", "-nolisten", "tcp", "-logfile",
                session->m_serverLog },
            &session->m_display);
    }
    if (!session->m_serverPid) {
        g_lastError = !dummy
            ? QStringLiteral("Xvfb did not report a display (is it installed?)")
            : QStringLiteral("Xorg did not start; see ") + session->m_serverLog;
        session->m_serverLog.clear(); // kept to read why
        return nullptr;
    }
    qputenv("DISPLAY", session->m_display.toLocal8Bit());
    // Tests must never talk to the developer's own desktop.
    qunsetenv("WAYLAND_DISPLAY");
    // A key a test holds down while a loaded machine catches up must not
    // repeat: the repeats would step the switcher on their own.
    runTool("xset", { "r", "off" });
    if (dummy) {
        runTool("xrandr", { "--addmode", "DUMMY1", "1920x1080" });
        if (outputs == Outputs::twoStacked)
            runTool("xrandr",
                { "--output", "DUMMY0", "--mode", "1400x1050", "--pos", "0x0", "--primary", "--output",
                    "DUMMY1", "--mode", "1920x1080", "--pos", "0x1050" });
        else
            runTool("xrandr",
                { "--output", "DUMMY0", "--mode", "1400x1050", "--pos", "0x0", "--output", "DUMMY1", "--mode",
                    "1920x1080", "--pos", "1400x0" });
        // Until a client asks the server to probe its outputs, the dummy
        // driver's cheap answer (what GTK reads) leaves the second screen
        // out: xfwm4 started now kept every window on the first screen and
        // announced a desktop that ended there, whatever changed later.
        runTool("xrandr", { "--query" });
    }

    if (manager == WindowManager::openbox) {
        QStringList wmArguments { QStringLiteral("--sm-disable") };
        session->m_wmConfig = testOpenboxConfig(keys);
        if (!session->m_wmConfig.isEmpty())
            wmArguments << QStringLiteral("--config-file") << session->m_wmConfig;
        session->m_wmPid = spawnArgv(QStringLiteral("openbox"), wmArguments);
    } else {
        // A home of its own: the manager starts from its installed defaults
        // (fluxbox writes its first configuration there) and never from, or
        // into, the user's.
        QTemporaryDir home(QDir::tempPath() + QStringLiteral("/orbitshelf-wm-XXXXXX"));
        home.setAutoRemove(false);
        session->m_wmHome = home.path();
        QStringList environment { QStringLiteral("HOME=") + home.path(),
            QStringLiteral("XDG_CONFIG_HOME=") + home.path() + QStringLiteral("/.config"),
            QStringLiteral("XDG_CACHE_HOME=") + home.path() + QStringLiteral("/.cache"),
            QStringLiteral("XDG_DATA_HOME=") + home.path() + QStringLiteral("/.local/share") };
        QString program;
        switch (manager) {
        case WindowManager::icewm:
            program = QStringLiteral("icewm");
            break;
        case WindowManager::fluxbox: {
            program = QStringLiteral("fluxbox");
            // Its stock style asks fbsetbg for a picture on the root, which
            // without a setter it can use pops up an xmessage (sometimes
            // many seconds late) that takes a button on the bar and the
            // clicks meant for it. The tests set their own wallpaper where
            // it matters; the rest of fluxbox's first configuration stays.
            QDir().mkpath(home.path() + QStringLiteral("/.fluxbox"));
            QFile overlay(home.path() + QStringLiteral("/.fluxbox/overlay"));
            if (!overlay.open(QIODevice::WriteOnly) || overlay.write("background: none\n") < 0) {
                g_lastError = QStringLiteral("could not write fluxbox's style overlay");
                return nullptr;
            }
            break;
        }
        case WindowManager::xfwm4: {
            program = QStringLiteral("xfwm4");
            // xfwm4 reads its settings through a bus service and does not
            // start without one: a bus of its own, ended with the session.
            const QStringList bus = runTool(QStringLiteral("dbus-daemon"),
                { "--session", "--fork", "--print-address=1", "--print-pid=1" })
                                        .split(QLatin1Char('\n'));
            if (bus.size() < 2) {
                g_lastError = QStringLiteral("no session bus for xfwm4 (dbus-daemon)");
                return nullptr;
            }
            session->m_busPid = bus.value(1).trimmed().toLongLong();
            environment << QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + bus.value(0).trimmed();
            break;
        }
        case WindowManager::openbox:
            break;
        }
        session->m_wmPid = spawnArgv(program, {}, environment);
    }
    if (!session->m_wmPid || !waitForWindowManager(session->m_display.toLocal8Bit())) {
        g_lastError = QStringLiteral("the window manager did not start managing windows");
        return nullptr;
    }
    return session;
}

XvfbSession::~XvfbSession()
{
    terminate(m_wmPid);
    terminate(m_serverPid);
    // Not our child (it forked away): ended by its id alone.
    if (m_busPid > 0)
        ::kill(pid_t(m_busPid), SIGTERM);
    if (!m_wmHome.isEmpty())
        QDir(m_wmHome).removeRecursively();
    if (!m_wmConfig.isEmpty())
        QFile::remove(m_wmConfig);
    if (!m_serverLog.isEmpty()) {
        QFile::remove(m_serverLog);
        QFile::remove(m_serverLog + QStringLiteral(".old"));
    }
}

QString XvfbSession::lastError()
{
    return g_lastError;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
    std::chrono::milliseconds pause)
{
    QDeadlineTimer deadline(timeout);
    while (true) {
        // The deadline is read before the condition: a condition that takes
        // long to ask (an xdotool search among a hundred windows on a busy
        // machine) is always asked once more after the deadline, so a wait
        // never fails on an answer older than the timeout.
        const bool expired = deadline.hasExpired();
        if (condition())
            return true;
        if (expired)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(pause.count());
    }
}

QString runTool(const QString& program, const QStringList& arguments, std::chrono::milliseconds timeout)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(int(timeout.count())))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

qint64 spawn(const QString& program, const QStringList& arguments)
{
    return spawnArgv(program, arguments);
}

QStringList releaseHeldInput()
{
    QStringList released;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return released;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::unique_ptr<xcb_query_keymap_reply_t, decltype(&free)> keymap(
        xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr), &free);
    std::unique_ptr<xcb_query_pointer_reply_t, decltype(&free)> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr), &free);
    for (int code = 8; keymap && code < 256; ++code)
        if (keymap->keys[code / 8] & (1u << (code % 8))) {
            xcb_test_fake_input(c, XCB_KEY_RELEASE, uint8_t(code), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            released << QStringLiteral("key %1").arg(code);
        }
    for (int button = 1; pointer && button <= 5; ++button)
        if (pointer->mask & (XCB_BUTTON_MASK_1 << (button - 1))) {
            xcb_test_fake_input(c, XCB_BUTTON_RELEASE, uint8_t(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            released << QStringLiteral("button %1").arg(button);
        }
    // Answered once the server has handled the releases before it.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
    return released;
}

void fakeClick(QPoint at)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_test_fake_input(
            c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, int16_t(at.x()), int16_t(at.y()), 0);
        xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        // Answered once the server has handled the input before it.
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    xcb_disconnect(c);
}

QImage rootImage(const QRect& area)
{
    QImage image;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return image;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const QRect read = area & QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&free)> reply(read.isEmpty()
            ? nullptr
            : xcb_get_image_reply(c,
                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(read.x()),
                    int16_t(read.y()), uint16_t(read.width()), uint16_t(read.height()), ~0u),
                nullptr),
        &free);
    // The test servers run at depth 24, four bytes a pixel in the
    // server's order, red, green and blue in its low three bytes (as
    // QImage's RGB32 keeps them).
    const int length = reply ? xcb_get_image_data_length(reply.get()) : 0;
    if (reply && reply->depth == 24 && length == read.width() * read.height() * 4) {
        image = QImage(read.size(), QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const uint32_t*>(xcb_get_image_data(reply.get()));
        for (int y = 0; y < read.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < read.width(); ++x)
                line[x] = 0xff000000u | pixels[y * read.width() + x];
        }
    }
    xcb_disconnect(c);
    return image;
}

void terminate(qint64 pid)
{
    if (pid <= 0)
        return;
    ::kill(pid_t(pid), SIGTERM);
    for (int i = 0; i < 200; ++i) {
        int status = 0;
        pid_t r = waitpid(pid_t(pid), &status, WNOHANG);
        if (r == pid_t(pid) || r < 0)
            return;
        QThread::msleep(10);
    }
    ::kill(pid_t(pid), SIGKILL);
    waitpid(pid_t(pid), nullptr, 0);
}

bool compositorRuns()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    bool owned = false;
    if (!xcb_connection_has_error(c)) {
        static const char name[] = "_NET_WM_CM_S0";
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr), &free);
        if (atom && atom->atom != XCB_ATOM_NONE) {
            std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&free)> owner(
                xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr), &free);
            owned = owner && owner->owner != XCB_WINDOW_NONE;
        }
    }
    xcb_disconnect(c);
    return owned;
}

namespace {

    std::optional<QRegion> shapeOf(uint32_t window, xcb_shape_sk_t kind)
    {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        std::optional<QRegion> shape;
        if (!xcb_connection_has_error(c)) {
            std::unique_ptr<xcb_shape_get_rectangles_reply_t, decltype(&free)> reply(
                xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, window, kind), nullptr), &free);
            if (reply) {
                const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(reply.get());
                shape.emplace();
                for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
                    *shape += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
            }
        }
        xcb_disconnect(c);
        return shape;
    }

} // namespace

std::optional<QRegion> boundingShape(uint32_t window)
{
    return shapeOf(window, XCB_SHAPE_SK_BOUNDING);
}

std::optional<QRegion> inputShape(uint32_t window)
{
    return shapeOf(window, XCB_SHAPE_SK_INPUT);
}

std::vector<QColor> screenColours(const std::vector<QPoint>& points)
{
    std::vector<QColor> colours;
    colours.reserve(points.size());
    for (const QPoint& at : points) {
        const QImage pixel = rootImage(QRect(at, QSize(1, 1)));
        colours.push_back(pixel.isNull() ? QColor() : pixel.pixelColor(0, 0));
    }
    return colours;
}

namespace {
QString g_picomError;
} // namespace

std::unique_ptr<Picom> Picom::start()
{
    const QString sample = QStringLiteral("/usr/share/doc/picom/examples/picom.sample.conf");
    QFile in(sample);
    if (!in.open(QIODevice::ReadOnly)) {
        g_picomError = QStringLiteral("no picom sample configuration at ") + sample;
        return nullptr;
    }
    QString text = QString::fromUtf8(in.readAll());
    // Xvfb has no vsync; the sample's back end is already xrender, said
    // again in case a later sample picks another.
    text.replace(QRegularExpression(QStringLiteral("(?m)^vsync\\s*=.*$")), QStringLiteral("vsync = false;"));
    text.replace(
        QRegularExpression(QStringLiteral("(?m)^backend\\s*=.*$")), QStringLiteral("backend = \"xrender\";"));
    // It dims windows that lose the focus: every picture would change as the
    // focus moves, which says nothing of the windows under test.
    text.replace(QRegularExpression(QStringLiteral("(?m)^inactive-opacity\\s*=.*$")),
        QStringLiteral("inactive-opacity = 1.0;"));
    text.replace(
        QRegularExpression(QStringLiteral("(?m)^frame-opacity\\s*=.*$")), QStringLiteral("frame-opacity = 1.0;"));
    std::unique_ptr<Picom> picom(new Picom);
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/orbitshelf-picom-XXXXXX"));
    folder.setAutoRemove(false);
    picom->m_config = folder.path() + QStringLiteral("/picom.conf");
    QFile out(picom->m_config);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0) {
        g_picomError = QStringLiteral("could not write ") + picom->m_config;
        return nullptr;
    }
    out.close();
    picom->m_pid = spawnArgv(QStringLiteral("picom"), { QStringLiteral("--config"), picom->m_config });
    if (!picom->m_pid || !waitUntil([] { return compositorRuns(); }, std::chrono::seconds(10))) {
        g_picomError = QStringLiteral("picom did not start compositing");
        return nullptr;
    }
    return picom;
}

QString Picom::lastError()
{
    return g_picomError;
}

Picom::~Picom()
{
    if (m_pid)
        terminate(m_pid);
    waitUntil([] { return !compositorRuns(); }, std::chrono::seconds(5));
    if (!m_config.isEmpty())
        QDir(QFileInfo(m_config).path()).removeRecursively();
}

} // namespace orbitshelf::test
