#pragma once

// What the end-to-end programs of other window managers share: a desktop of
// another manager for one test, and screenshots to look at.
#include "tests/e2e_dock_input/BarInput.h"
#include "tests/support/X11TestTools.h"

#include <QDir>
#include <QElapsedTimer>

#include <xcb/xcb.h>

#include <QProcess>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace orbitshelf::test {

// The test's whole screen.
inline const QRect kScreen(0, 0, 1920, 1080);

using WindowManager = XvfbSession::WindowManager;

// A desktop of its own with `manager`, for one test; the program's own
// (openbox) comes back when it ends. For openbox the program's own desktop
// serves, unless the test needs one it may spoil (`own`).
class OtherDesktop final {
public:
    explicit OtherDesktop(WindowManager manager, bool own = false)
        : m_display(qgetenv("DISPLAY"))
        , m_own(own)
    {
        if (manager != WindowManager::openbox || own)
            m_session = XvfbSession::start(manager);
    }
    ~OtherDesktop()
    {
        m_session.reset();
        qputenv("DISPLAY", m_display);
    }
    OtherDesktop(const OtherDesktop&) = delete;
    OtherDesktop& operator=(const OtherDesktop&) = delete;
    bool failed(WindowManager manager) const
    {
        return (manager != WindowManager::openbox || m_own) && !m_session;
    }

private:
    QByteArray m_display;
    bool m_own = false;
    std::unique_ptr<XvfbSession> m_session;
};

inline const char* nameOf(WindowManager manager)
{
    switch (manager) {
    case WindowManager::openbox:
        return "openbox";
    case WindowManager::icewm:
        return "icewm";
    case WindowManager::xfwm4:
        return "xfwm4";
    case WindowManager::fluxbox:
        return "fluxbox";
    }
    return "";
}

// With ORBITSHELF_SHOTS set to a folder, the screen as it stands, to look at.
inline void screenshot(const QString& name)
{
    const QString folder = qEnvironmentVariable("ORBITSHELF_SHOTS");
    if (!folder.isEmpty())
        runTool(QStringLiteral("import"), { "-window", "root", folder + QLatin1Char('/') + name + ".png" });
}

// A wallpaper of one colour, as desktops set one: the root's background and
// the pixmap compositors paint the root with (_XROOTPMAP_ID; without it
// picom paints grey and xfwm4 black, where a shadow would not show).
class Wallpaper final {
public:
    Wallpaper()
        : c(xcb_connect(nullptr, nullptr))
        , screen(xcb_setup_roots_iterator(xcb_get_setup(c)).data)
    {
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        const uint16_t width = screen->width_in_pixels;
        const uint16_t height = screen->height_in_pixels;
        xcb_create_pixmap(c, screen->root_depth, pixmap, screen->root, width, height);
        const xcb_gcontext_t gc = xcb_generate_id(c);
        const uint32_t colour = ColouredRoot::colour().rgb() & 0xffffff;
        xcb_create_gc(c, gc, pixmap, XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t all { 0, 0, width, height };
        xcb_poly_fill_rectangle(c, pixmap, gc, 1, &all);
        for (const char* name : { "_XROOTPMAP_ID", "ESETROOT_PMAP_ID" }) {
            std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
                xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
                &std::free);
            xcb_change_property(
                c, XCB_PROP_MODE_REPLACE, screen->root, atom->atom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
        }
        xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
        xcb_flush(c);
    }
    ~Wallpaper()
    {
        // The program's own desktop serves other tests, which expect a black root.
        const uint32_t black = 0;
        xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXEL, &black);
        xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
        xcb_disconnect(c);
    }
    Wallpaper(const Wallpaper&) = delete;
    Wallpaper& operator=(const Wallpaper&) = delete;

    xcb_connection_t* const c;
    xcb_screen_t* const screen;
};

// Pixels the user did not ask for, while a window button is hovered and
// where a compositor draws shadows: `area` against `before` (or, without
// one, against pure black), each pixel that differs as "x,y #rrggbb".
inline QStringList strayPixels(const QImage& area, const QRect& where, const QImage& before = {})
{
    QStringList stray;
    if (area.isNull())
        return { QStringLiteral("no picture of the screen") };
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const QColor shown = area.pixelColor(x, y);
            if (before.isNull() ? shown == QColor(Qt::black) : shown != before.pixelColor(x, y))
                stray << QStringLiteral("%1,%2 %3").arg(where.x() + x).arg(where.y() + y).arg(shown.name());
        }
    return stray;
}

// The colour the screen shows at a point.
inline QColor shownAt(QPoint at)
{
    return screenColours({ at }).front();
}

// What the screen shows in `area` once it stayed the same for half a
// second: a compositor draws a window that just mapped, or changed, a while
// later, longer on a busy machine, and a quick look may find the area still
// as it was before.
inline QImage settledArea(const QRect& area)
{
    QImage shown;
    QElapsedTimer same;
    waitUntil(
        [&] {
            const QImage now = rootImage(area);
            if (now.isNull() || now != shown) {
                shown = now;
                same.start();
                return false;
            }
            return same.elapsed() >= 500;
        },
        std::chrono::seconds(10), std::chrono::milliseconds(50));
    return shown;
}

// What `area` shows that `before` did not, looked at for a second and a half
// (a compositor draws a window's shadow a moment after the window): the
// first look that differs, or nothing.
inline QStringList strayWhileWatching(const QRect& area, const QImage& before)
{
    QStringList stray;
    QElapsedTimer watching;
    watching.start();
    waitUntil(
        [&] {
            stray = strayPixels(rootImage(area), area, before);
            return !stray.isEmpty() || watching.elapsed() >= 1500;
        },
        std::chrono::seconds(5));
    return stray;
}

// An xterm of the test's own titled `title`, its text and background
// `colour`, running a fixed command.
inline Clients::Window plainTerminal(
    Clients& clients, const QString& title, const QString& geometry, const QString& colour = "white")
{
    return clients.program(QStringLiteral("xterm"),
        { "-T", title, "-geometry", geometry, "-bg", colour, "-fg", colour, "-e", "sleep", "600" }, title);
}

// Auto Hide turned on from the bar's own menu, and the bar gone once the
// pointer is `away`.
inline ::testing::AssertionResult turnAutoHideOn(const DockRun& run, QPoint away = QPoint(960, 400))
{
    const qsizetype mark = run.log().size();
    if (!chooseFromBarMenuUntil(run, QStringLiteral("Auto Hide"), { "Down", "Return" },
            [&] { return run.log().mid(mark).contains(QLatin1String("reserves nothing")); }))
        return ::testing::AssertionFailure() << "Auto Hide did not go on";
    movePointer(away);
    if (!waitUntil([&] { return loggedBar(run.log()).empty(); }))
        return ::testing::AssertionFailure() << "the bar did not hide";
    return ::testing::AssertionSuccess();
}

// Tells `window` (a decimal id) that it stands at `at`, as a window
// manager's synthetic ConfigureNotify does (ICCCM 4.1.5), which toolkits
// believe. The window stays where it is on the server: a stale notice.
inline void claimPlace(const QString& window, QPoint at)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t id = window.toUInt();
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    xcb_configure_notify_event_t notice {};
    notice.response_type = XCB_CONFIGURE_NOTIFY;
    notice.event = notice.window = id;
    notice.x = int16_t(at.x());
    notice.y = int16_t(at.y());
    notice.width = geometry ? geometry->width : 1;
    notice.height = geometry ? geometry->height : 1;
    char event[32] = {}; // what the server sends on is always 32 bytes
    std::memcpy(event, &notice, sizeof notice);
    // Checked: the server has sent it on before the connection closes (a
    // request flushed just before closing was sometimes lost).
    free(xcb_request_check(c, xcb_send_event_checked(c, 0, id, XCB_EVENT_MASK_STRUCTURE_NOTIFY, event)));
    free(geometry);
    xcb_disconnect(c);
}

// The bottom edge a window reserves (_NET_WM_STRUT_PARTIAL), 0 for none.
inline int bottomReserve(const QString& window)
{
    const QStringList values = property(window, QStringLiteral("_NET_WM_STRUT_PARTIAL"))
                                   .section(QLatin1Char('='), 1)
                                   .split(QLatin1Char(','), Qt::SkipEmptyParts);
    return values.size() >= 4 ? values[3].trimmed().toInt() : 0;
}

// Every bottom reserve a window's _NET_WM_STRUT_PARTIAL takes for as long as
// the probe lives, each change once: xprop reads the property as each
// PropertyNotify of it comes.
class StrutProbe final {
public:
    explicit StrutProbe(const QString& window)
    {
        m_xprop.start(
            QStringLiteral("stdbuf"), { "-oL", "xprop", "-spy", "-id", window, "_NET_WM_STRUT_PARTIAL" });
        m_xprop.waitForStarted();
        waitUntil([&] { return !bottoms().empty(); });
    }
    ~StrutProbe()
    {
        m_xprop.kill();
        m_xprop.waitForFinished();
    }
    StrutProbe(const StrutProbe&) = delete;
    StrutProbe& operator=(const StrutProbe&) = delete;

    std::vector<int> bottoms()
    {
        m_seen += QString::fromUtf8(m_xprop.readAllStandardOutput());
        std::vector<int> bottoms;
        for (const QString& line : m_seen.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList values = line.section(QLatin1Char('='), 1).split(QLatin1Char(','));
            const int bottom = values.size() >= 4 ? values[3].trimmed().toInt() : 0;
            if (bottoms.empty() || bottoms.back() != bottom)
                bottoms.push_back(bottom);
        }
        return bottoms;
    }

private:
    QProcess m_xprop;
    QString m_seen;
};

// The root's work area and a window's width, read every 20 ms on a
// connection of the watch's own for as long as it lives, whatever the test
// waits for meanwhile: a reserve that stands for a moment, while the bar's
// window is made anew, lasts a turn or two of the program's event loop.
class WidthWatch final {
public:
    struct Seen {
        int narrowestArea = 1 << 30;
        int narrowestWindow = 1 << 30;
        QStringList changes; // each as "work area x,y wxh, window w"
    };

    explicit WidthWatch(const QString& window)
        : m_c(xcb_connect(nullptr, nullptr))
        , m_window(window.toUInt())
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const char* name = "_NET_WORKAREA";
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr),
            &std::free);
        m_workArea = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        m_thread = std::thread([this] {
            while (!m_stop) {
                read();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~WidthWatch()
    {
        m_stop = true;
        m_thread.join();
        xcb_disconnect(m_c);
    }
    WidthWatch(const WidthWatch&) = delete;
    WidthWatch& operator=(const WidthWatch&) = delete;

    // What was read since the last call.
    Seen take()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_seen, Seen {});
    }

private:
    void read()
    {
        using Reply = std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>;
        using Geometry = std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)>;
        const auto areaCookie = xcb_get_property(m_c, 0, m_root, m_workArea, XCB_ATOM_CARDINAL, 0, 4);
        const auto geometryCookie = xcb_get_geometry(m_c, m_window);
        const Reply area(xcb_get_property_reply(m_c, areaCookie, nullptr), &std::free);
        const Geometry geometry(xcb_get_geometry_reply(m_c, geometryCookie, nullptr), &std::free);
        if (!area || xcb_get_property_value_length(area.get()) < 16 || !geometry)
            return;
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(area.get()));
        const QString line = QStringLiteral("work area %1,%2 %3x%4, window %5")
                                 .arg(v[0])
                                 .arg(v[1])
                                 .arg(v[2])
                                 .arg(v[3])
                                 .arg(geometry->width);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_seen.narrowestArea = std::min(m_seen.narrowestArea, int(v[2]));
        m_seen.narrowestWindow = std::min(m_seen.narrowestWindow, int(geometry->width));
        if (m_seen.changes.isEmpty() || m_seen.changes.last() != line)
            m_seen.changes << line;
    }

    xcb_connection_t* const m_c;
    const xcb_window_t m_window;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_workArea = XCB_ATOM_NONE;
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    Seen m_seen;
    std::thread m_thread;
};

// The bar moved to `edge` ("left", "right" or "bottom") from its own menu,
// as a user moves it, and settled there: its new window made and the one it
// left closed, and `window` (a maximised one) no longer changing. What
// `watch` read from the choice on; none if the bar never moved.
inline std::optional<WidthWatch::Seen> moveBarWatched(
    const DockRun& run, const QString& edge, WidthWatch& watch, const QString& window)
{
    QStringList keys { "Down" };
    if (edge != QLatin1String("left"))
        keys << "Down";
    if (edge == QLatin1String("bottom"))
        keys << "Down";
    keys << "Return";
    const qsizetype mark = run.log().size();
    watch.take();
    if (!chooseFromBarMenuUntil(run, QStringLiteral("Dock Position"), keys,
            [&] { return run.log().mid(mark).contains(QLatin1String("dock window for")); }))
        return std::nullopt;
    QRect now;
    waitUntil(
        [&] {
            const QRect before = std::exchange(now, windowGeometry(window));
            return now == before && visibleWindowsNamed(QStringLiteral("orbitShelf dock, leaving")).isEmpty();
        },
        std::chrono::seconds(10), std::chrono::milliseconds(200));
    return watch.take();
}

// The program's user with a session bus of the test's own, as the other
// docks (xfce4-panel, plank) and their settings tools run beside it: the
// program's home and settings folders, and the bus, which the program is
// started on too. `asUser()` prefixes a command run through env.
class UserSession final {
public:
    explicit UserSession(DockRun& run)
        : m_bus(environment(run))
    {
        run.setEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        m_asUser
            = { QStringLiteral("HOME=") + run.home(), QStringLiteral("XDG_CONFIG_HOME=") + run.configHome(),
                  QStringLiteral("XDG_DATA_HOME=") + run.dataHome(),
                  QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + m_bus.address() };
    }
    bool failed() const { return m_bus.address().isEmpty(); }
    const QStringList& asUser() const { return m_asUser; }

private:
    static QProcessEnvironment environment(const DockRun& run)
    {
        QProcessEnvironment user = QProcessEnvironment::systemEnvironment();
        user.insert(QStringLiteral("HOME"), run.home());
        user.insert(QStringLiteral("XDG_CONFIG_HOME"), run.configHome());
        user.insert(QStringLiteral("XDG_DATA_HOME"), run.dataHome());
        QDir().mkpath(run.home());
        return user;
    }

    PrivateSessionBus m_bus;
    QStringList m_asUser;
};

} // namespace orbitshelf::test
