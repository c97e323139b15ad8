#pragma once

// What the end-to-end programs of other window managers share: a desktop of
// another manager for one test, and screenshots to look at.
#include "tests/e2e_dock_input/BarInput.h"
#include "tests/support/X11TestTools.h"

#include <QElapsedTimer>

#include <memory>
#include <utility>

namespace orbitshelf::test {

using WindowManager = XvfbSession::WindowManager;

// A desktop of its own with `manager`, for one test; the program's own
// (openbox) comes back when it ends. Null for openbox: the program's own
// desktop serves.
class OtherDesktop final {
public:
    explicit OtherDesktop(WindowManager manager)
        : m_display(qgetenv("DISPLAY"))
    {
        if (manager != WindowManager::openbox)
            m_session = XvfbSession::start(manager);
    }
    ~OtherDesktop()
    {
        m_session.reset();
        qputenv("DISPLAY", m_display);
    }
    OtherDesktop(const OtherDesktop&) = delete;
    OtherDesktop& operator=(const OtherDesktop&) = delete;
    bool failed(WindowManager manager) const { return manager != WindowManager::openbox && !m_session; }

private:
    QByteArray m_display;
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

// What the screen shows in `area` once two looks agree.
inline QImage settledArea(const QRect& area)
{
    QImage shown;
    waitUntil([&] {
        const QImage previous = std::exchange(shown, screenArea(area));
        return !shown.isNull() && shown == previous;
    });
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
            stray = strayPixels(screenArea(area), area, before);
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

} // namespace orbitshelf::test
