#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orbitshelf::test {

// A private X server with a window manager, one per end-to-end program.
//
// The server picks its own display number (-displayfd), so test programs and
// other runs on the machine never collide. start() returns only once the
// window manager actually manages new windows: openbox announces itself
// before it does, so a probe window is mapped and waited for in
// _NET_CLIENT_LIST first.
class XvfbSession final {
public:
    enum class Outputs {
        one, // Xvfb, 1920x1080
        // Xvfb, 3840x2160: a 4K laptop's screen, where the desktop asks Qt
        // for a scale above 1.
        uhd,
        // Xvfb, 1366x768: a small laptop's screen, whose height no scale
        // of 1.25 divides.
        laptop,
        // Xorg with the dummy driver: Qt sees one screen per RandR output,
        // which Xvfb cannot give it. DUMMY0 is 1400x1050 at 0,0 (primary),
        // DUMMY1 1920x1080 right of it. Needs root.
        two,
        // The same two, DUMMY0 above DUMMY1 (a laptop above a monitor),
        // arranged before the window manager starts.
        twoStacked,
    };

    enum class WindowManagerKeys {
        defaults, // openbox's own rc.xml without Alt+Tab and Alt+Escape
        // An rc.xml without key bindings, so that tests may grab any key.
        none,
        // openbox's own rc.xml as installed, which holds Alt+Tab itself.
        stock,
    };

    // openbox is the desktop of every test program; the others run in the
    // set-up a new user of theirs meets (a home of their own with no
    // configuration), for the tests that check the bar under them.
    enum class WindowManager { openbox, icewm, xfwm4, fluxbox };

    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // Starts the server and openbox and sets DISPLAY for this process; or
    // returns nullptr with lastError() set. By default openbox keeps its key
    // bindings but for Alt+Tab and Alt+Escape, so the hot keys can have them.
    static std::unique_ptr<XvfbSession> start(
        Outputs outputs = Outputs::one, WindowManagerKeys keys = WindowManagerKeys::defaults);
    // One screen with `manager` in its stock set-up (for openbox: its own
    // rc.xml as installed).
    static std::unique_ptr<XvfbSession> start(WindowManager manager);
    // `outputs` with `manager` in its stock set-up.
    static std::unique_ptr<XvfbSession> start(Outputs outputs, WindowManager manager);
    static QString lastError();
    // Whether start(two) can work here at all: root and the dummy driver.
    static bool canStartTwoOutputs(QString* why);

    QString display() const { return m_display; }

private:
    XvfbSession() = default;
    static std::unique_ptr<XvfbSession> startWith(
        Outputs outputs, WindowManagerKeys keys, WindowManager manager);
    qint64 m_serverPid = 0;
    qint64 m_wmPid = 0;
    qint64 m_busPid = 0; // the window manager's session bus, when it needs one
    QString m_display;
    QString m_wmHome;
    QString m_serverLog;
    QString m_wmConfig;
};

// Polls `condition` (processing Qt events in between) until it holds or
// `timeout` passes; returns whether it held. Use this instead of sleeps; a
// condition that starts programs to look asks with a longer `pause`.
bool waitUntil(const std::function<bool()>& condition,
    std::chrono::milliseconds timeout = std::chrono::seconds(5),
    std::chrono::milliseconds pause = std::chrono::milliseconds(5));

// Runs a program to completion and returns its standard output (trimmed);
// empty on failure. For wmctrl / xdotool / xprop queries in tests. A search
// among a hundred windows on two busy cores can take longer than ten
// seconds: a query cut short would only be asked again from the start.
QString runTool(const QString& program, const QStringList& arguments,
    std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Starts a program detached in the test's display; returns its pid or 0.
qint64 spawn(const QString& program, const QStringList& arguments);

// An xterm's arguments: titled `title` at `geometry`, with `more` options,
// running a fixed command of the tests' own that prints nothing: never the
// runner's shell, whose start-up may be slow, hold lock files of its own and
// print into the pictures the tests compare. Like a shell at its prompt it
// outlives Ctrl+C, Ctrl+\ and Ctrl+Z (the copy key tests press Ctrl+C in it).
inline QStringList xtermArguments(const QString& title, const QString& geometry, const QStringList& more = {})
{
    return QStringList { "-T", title, "-geometry", geometry } + more
        + QStringList { "-e", "/bin/sh", "-c", "trap '' INT QUIT TSTP; exec sleep infinity" };
}

// Ends a spawned program (SIGTERM, then SIGKILL) and reaps it.
void terminate(qint64 pid);

// Lets go of every key and mouse button still down on the display: a test
// that stops at a failed assertion between "keydown alt" and "keyup alt"
// would otherwise hand the next tests a held Alt on the shared server.
// Returns what was let go, as "key <X key code>" and "button <n>".
QStringList releaseHeldInput();

// A click of the first button at `at`: the pointer moved there, the button
// pressed and let go through XTest, as a device gives them, on a connection
// of its own. Returns once the server has handled all three; where the
// press went is the window manager's and the clients' to tell.
void fakeClick(QPoint at);

// What the screen shows in `area`, clipped to the root window: the root's
// contents with every window over it, as a screen grabber reads them
// (GetImage); a null image when nothing could be read.
QImage rootImage(const QRect& area);

// Whether a compositing manager runs on the display (owns _NET_WM_CM_S0).
bool compositorRuns();

// The window's bounding shape (X SHAPE) as the server keeps it, in the
// window's own coordinates: its whole rectangle when it was never shaped;
// absent when the window is gone. A compositor draws the window, and its
// shadow, inside this shape only.
std::optional<QRegion> boundingShape(uint32_t window);
// Where the window takes the pointer, as boundingShape.
std::optional<QRegion> inputShape(uint32_t window);

// The colours the screen shows at `points` (root coordinates), read with
// rootImage: where a test looks at many pixels over and over, an image
// program started for each takes a third of a second apiece on a busy
// machine. Invalid for a point off the root.
std::vector<QColor> screenColours(const std::vector<QPoint>& points);

// picom on the test's display for as long as the object lives, with
// Debian's sample configuration (shadows on, fading on), on its xrender back
// end and without vsync, which Xvfb does not have, and without its dimming
// of the windows that lose the focus. start() returns once it
// composites (owns _NET_WM_CM_S0), or nullptr with lastError() set.
class Picom final {
public:
    static std::unique_ptr<Picom> start();
    static QString lastError();
    ~Picom();
    Picom(const Picom&) = delete;
    Picom& operator=(const Picom&) = delete;

    // How far past a window's rectangle the sample configuration's shadow
    // (shadow-radius 7, offset -7) changes a pixel: 6 on every side,
    // measured around a plain opaque window over a one-coloured wallpaper.
    static constexpr int shadowReach = 6;

private:
    Picom() = default;
    qint64 m_pid = 0;
    QString m_config;
};

} // namespace orbitshelf::test
