// The bar and the switcher under other window managers, each in the set-up a
// new user of it meets: windows that take the focus as they open join the
// recent order, the bar stands clear of the manager's own panel and of other
// programs' panels (tint2, lxpanel) as they come and go, a maximised window
// keeps its width as the bar moves from edge to edge under icewm, the bottom
// edge brings an auto-hidden bar back past that panel, with or without a
// compositor, and leaves the panel's own row alone, a button of a window on
// another desktop goes there, and no window stays marked when none has the
// focus.
#include "tests/e2e_dock_input/BarInput.h"
#include "tests/e2e_wms/OtherDesktop.h"
#include "tests/support/X11TestTools.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>

using namespace orbitshelf::test;

namespace {

bool barShows(const DockRun& run, const QString& window)
{
    for (const LoggedBarItem& item : loggedBar(run.log()))
        if (item.window == window)
            return true;
    return false;
}

const QPoint kAway(960, 400);
const QString kBroughtBack = QStringLiteral("auto-show strip brings back the dock");
const QString kHides = QStringLiteral("auto-hidden bar of .* hides");

// When the program wrote the first line matching `pattern` after `from`.
std::optional<qint64> loggedAfter(const DockRun& run, qsizetype from, const QString& pattern)
{
    return loggedAt(run.log().mid(from), pattern);
}

// The pointer slid down at `x` from `fromY` to `toY` (the screen's bottom
// row unless told) in steps of 7 pixels, as a hand moves it: most rows are
// stepped over.
void slideDown(int x, int fromY, int toY = 1079)
{
    QStringList steps;
    for (int y = fromY;; y = std::min(y + 7, toY)) {
        steps << "mousemove" << QString::number(x) << QString::number(y) << "sleep"
              << "0.01";
        if (y == toY)
            break;
    }
    xdotool(steps);
}

// The horizontal extent of the newest bar's buttons, widened by the
// background the bar draws around them.
std::pair<int, int> barSpan(const DockRun& run)
{
    int left = 1920, right = 0;
    for (const LoggedBarItem& item : loggedBar(run.log())) {
        left = std::min(left, item.rect.left());
        right = std::max(right, item.rect.right());
    }
    return { left - 48, right + 48 };
}

// Whether the bar shows, told by the server and the screen together: the
// dock window's bounding shape (empty while the bar is auto-hidden, and
// before the bar first gives one) holds the middle of its main button,
// wherever the newest bar put that button, and the screen shows the bar's
// colour there. That colour is read only where the shape holds the button,
// so it is never what lies behind the bar: fluxbox paints a wallpaper of
// its own a while after it starts, late on a loaded machine, and a colour
// read wherever the bar had logged its button but not yet shaped its
// window was that wallpaper's.
//
// Pure black is never taken for the bar's colour: with nothing compositing,
// a dock window shows black where its shape has grown until the bar's paint
// reaches it, which takes a moment on a loaded machine. The bar itself
// draws no pure black there.
class DrawnBar final {
public:
    explicit DrawnBar(const DockRun& run)
        : m_run(run)
    {
    }

    // Waits for the bar's main button inside the dock window's shape, drawn
    // the same for a second in a colour that is not black (the button's
    // picture may come a moment after the bar's first paint).
    ::testing::AssertionResult settle()
    {
        const std::optional<LoggedBarItem> mainButton = waitForKind(m_run, LoggedBarItem::mainButton);
        if (!mainButton)
            return ::testing::AssertionFailure() << "no main button\n" << m_run.log().toStdString();
        m_onBar = mainButton->rect.center();
        QColor last;
        QElapsedTimer same;
        if (!waitUntil([&] {
                const QPoint before = m_onBar;
                follow();
                const QColor colour = inDockShape() ? shownAt(m_onBar) : QColor();
                if (m_onBar != before || colour != last || !colour.isValid() || colour == QColor(Qt::black)) {
                    last = colour;
                    same.start();
                    return false;
                }
                return same.elapsed() >= 1000;
            }))
            return ::testing::AssertionFailure() << "the bar is not drawn: " << seen();
        m_drawn = last;
        return ::testing::AssertionSuccess();
    }

    bool shown()
    {
        follow();
        return inDockShape() && shownAt(m_onBar) == m_drawn;
    }

    // The dock window shows nothing where the main button was, and the
    // screen shows something else there than the bar.
    bool hidden()
    {
        follow();
        return !inDockShape() && shownAt(m_onBar) != m_drawn;
    }

    QPoint onBar() const { return m_onBar; }
    // What the server and the screen show where the bar is looked for,
    // against the bar's colour there: for a check that failed.
    std::string seen()
    {
        follow();
        return QStringLiteral("at %1,%2 the dock window's shape %3, the screen shows %4, the bar was %5")
            .arg(m_onBar.x())
            .arg(m_onBar.y())
            .arg(inDockShape() ? QStringLiteral("holds it") : QStringLiteral("leaves it out"))
            .arg(shownAt(m_onBar).name(), m_drawn.isValid() ? m_drawn.name() : QStringLiteral("never read"))
            .toStdString();
    }

private:
    void follow()
    {
        for (const LoggedBarItem& item : loggedBar(m_run.log()))
            if (item.kind == LoggedBarItem::mainButton)
                m_onBar = item.rect.center();
    }

    // Whether a dock window the server shows holds the main button's middle
    // in its bounding shape.
    bool inDockShape() const
    {
        for (const QString& dock : visibleWindowsNamed(QStringLiteral("orbitShelf dock"))) {
            const QPoint origin = windowGeometry(dock).topLeft();
            const std::optional<QRegion> shape = boundingShape(dock.toUInt());
            if (shape && shape->contains(m_onBar - origin))
                return true;
        }
        return false;
    }

    const DockRun& m_run;
    QPoint m_onBar;
    QColor m_drawn;
};

// How long the pointer rests where it should change nothing.
constexpr std::chrono::milliseconds kRest(600);

// Lets `duration` pass, looking at nothing.
void letPass(std::chrono::milliseconds duration)
{
    QElapsedTimer timer;
    timer.start();
    waitUntil([&] { return timer.elapsed() >= duration.count(); }, duration + std::chrono::seconds(2));
}

bool marked(const DockRun& run, qsizetype from, const QString& window)
{
    return run.log().mid(from).contains(QStringLiteral("marks window %1 focused").arg(window));
}

class NewWindows : public ::testing::TestWithParam<WindowManager> { };

// Five rounds: a window opens and takes the focus, the bar marks it, another
// window is activated from outside (wmctrl), and Alt+Tab typed at machine
// speed goes back to the new one. The last round's new window is the second
// window of a program that runs already.
TEST_P(NewWindows, ThatTakeTheFocusAsTheyOpenAreTheMostRecent)
{
    const WindowManager manager = GetParam();
    OtherDesktop desktop(manager);
    ASSERT_FALSE(desktop.failed(manager)) << XvfbSession::lastError().toStdString();
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    // icewm and xfwm4 hold Alt+Tab (and Super+Tab) for their own switchers
    // in their stock set-ups: their users switch with the one choice the
    // managers leave free, Shift+Tab, chosen on the Shortcut page.
    const bool altIsOurs = manager == WindowManager::openbox;
    const QString modifier = altIsOurs ? QStringLiteral("alt") : QStringLiteral("shift");
    if (!altIsOurs) {
        ASSERT_TRUE(
            chooseShortcut(run, QStringLiteral("Open the window switcher"), QStringLiteral("Shift + Tab")))
            << run.log().toStdString();
    }
    // Outlives the clients, which write to it as they end.
    QTemporaryDir logs;
    const QString log = logs.filePath(QStringLiteral("client.log"));
    Clients clients;
    const auto other = clients.xterm(QStringLiteral("the other one"), QStringLiteral("40x5+1300+100"));
    ASSERT_FALSE(other.id.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return barShows(run, other.id); })) << run.log().toStdString();

    for (int round = 1; round <= 5; ++round) {
        SCOPED_TRACE(
            QStringLiteral("%1, round %2").arg(QLatin1String(nameOf(manager))).arg(round).toStdString());
        const qsizetype from = run.log().size();
        QString fresh;
        if (round < 5) {
            fresh = clients
                        .xterm(QStringLiteral("fresh %1").arg(round),
                            QStringLiteral("40x5+%1+400").arg(100 + 250 * round))
                        .id;
        } else {
            // Its first window now, its second a moment later.
            ASSERT_FALSE(clients
                             .own(QStringLiteral("second-window"), QStringLiteral("program"), log,
                                 QStringLiteral("program 1"), { QStringLiteral("1000") })
                             .id.isEmpty());
            fresh = waitForWindow(QStringLiteral("program 2"));
        }
        ASSERT_FALSE(fresh.isEmpty());
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == fresh; })) << "the window manager focused it";
        ASSERT_TRUE(waitUntil([&] { return barShows(run, fresh); })) << run.log().mid(from).toStdString();
        EXPECT_TRUE(waitUntil([&] { return marked(run, from, fresh); })) << run.log().mid(from).toStdString();

        runTool(QStringLiteral("wmctrl"), { "-i", "-a", other.id });
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == other.id; }));
        ASSERT_TRUE(waitUntil([&] { return marked(run, from, other.id); }))
            << run.log().mid(from).toStdString();
        xdotool(
            { "keydown", modifier, "keydown", "Tab", "sleep", "0.005", "keyup", "Tab", "keyup", modifier });
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == fresh; })) << run.log().mid(from).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(UnderEachWindowManager, NewWindows,
    ::testing::Values(WindowManager::openbox, WindowManager::icewm, WindowManager::xfwm4),
    [](const ::testing::TestParamInfo<WindowManager>& info) { return std::string(nameOf(info.param)); });

// The lowest edge of the bar's buttons on the screen.
std::optional<int> barBottom(const DockRun& run)
{
    std::optional<int> bottom;
    for (const LoggedBarItem& item : loggedBar(run.log()))
        bottom = std::max(bottom.value_or(item.rect.bottom()), item.rect.bottom());
    return bottom;
}

TEST(OtherPanels, UnderIcewmTheBarAndAMaximisedWindowEndAboveItsTaskbar)
{
    OtherDesktop desktop(WindowManager::icewm);
    ASSERT_FALSE(desktop.failed(WindowManager::icewm)) << XvfbSession::lastError().toStdString();
    // icewm's taskbar: 26 high along the bottom, reserved with a strut.
    const int taskbarTop = 1080 - 26;
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    Clients clients;
    const auto big = clients.xterm(QStringLiteral("maximised"), QStringLiteral("40x5+100+100"));
    ASSERT_FALSE(big.id.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return barShows(run, big.id); })) << run.log().toStdString();
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", big.id, "-b", "add,maximized_vert,maximized_horz" });

    std::optional<int> bar;
    EXPECT_TRUE(waitUntil([&] { return (bar = barBottom(run)) && *bar < taskbarTop; }))
        << "the bar's buttons end at " << bar.value_or(-1) << "\n"
        << run.log().toStdString();
    // The window ends above the bar, which keeps its edge clear.
    QRect window;
    EXPECT_TRUE(waitUntil([&] {
        window = windowGeometry(big.id);
        return window.height() > 500 && bar && window.bottom() < taskbarTop && window.bottom() <= *bar;
    })) << "the maximised window ends at "
        << window.bottom();
    screenshot(QStringLiteral("icewm-maximised"));

    // Rebuilt (the edge chosen again from its menu), while the bar holds its
    // own edge, which the window manager's work area now shows as well.
    const qsizetype mark = run.log().size();
    EXPECT_TRUE(
        chooseFromBarMenuUntil(run, QStringLiteral("Dock Position"), { "Down", "Down", "Down", "Return" },
            [&] { return run.log().mid(mark).contains(QLatin1String("dock window for")); }))
        << run.log().mid(mark).toStdString();
    EXPECT_TRUE(waitUntil([&] {
        const auto rebuilt = loggedBar(run.log().mid(mark));
        bar = barBottom(run);
        return !rebuilt.empty() && bar && *bar < taskbarTop;
    })) << "the rebuilt bar's buttons end at "
        << bar.value_or(-1);

    // Moved to the left, across to the right and back: icewm fits every
    // maximised window into a work area that narrows, even for a moment,
    // and never widens it again. The terminal keeps the screen less the
    // bar's 50 columns throughout.
    WidthWatch widths(big.id);
    for (const char* edge : { "left", "right", "left" }) {
        SCOPED_TRACE(std::string("the bar moved to the ") + edge);
        const std::optional<WidthWatch::Seen> seen
            = moveBarWatched(run, QString::fromLatin1(edge), widths, big.id);
        ASSERT_TRUE(seen) << run.log().toStdString();
        EXPECT_GE(seen->narrowestArea, 1870) << seen->changes.join(QStringLiteral("; ")).toStdString();
        EXPECT_GE(seen->narrowestWindow, 1870) << seen->changes.join(QStringLiteral("; ")).toStdString();
        EXPECT_EQ(windowGeometry(big.id).width(), 1870);
    }
    screenshot(QStringLiteral("icewm-maximised-bar-moved"));
}

// The newest bar's main button as logged, and the dock window with its
// bottom reserve once both have settled.
struct SettledBar {
    QRect mainButton;
    QString dock;
    QRect dockAt;
    int reserve = 0;
};

std::optional<SettledBar> settledBar(
    const DockRun& run, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    SettledBar bar;
    bar.dock = waitForWindow(QStringLiteral("orbitShelf dock"));
    if (bar.dock.isEmpty())
        return std::nullopt;
    SettledBar before;
    const bool settled = waitUntil(
        [&] {
            before = std::exchange(
                bar, SettledBar { {}, bar.dock, windowGeometry(bar.dock), bottomReserve(bar.dock) });
            for (const LoggedBarItem& item : loggedBar(run.log()))
                if (item.kind == LoggedBarItem::mainButton)
                    bar.mainButton = item.rect;
            return bar.reserve > 0 && !bar.mainButton.isNull() && bar.mainButton == before.mainButton
                && bar.dockAt == before.dockAt && bar.reserve == before.reserve
                && bar.dockAt.contains(bar.mainButton);
        },
        timeout, std::chrono::milliseconds(200));
    return settled ? std::optional(bar) : std::nullopt;
}

enum class PanelProgram { tint2, lxpanel };

// Another program's panel, in a home of the test's own: Debian's tint2 in
// its stock configuration (30 rows along the bottom), or in a copy of it
// that puts the panel at the top (`atTop`); or lxpanel in its stock
// configuration (26 rows along the bottom, its window titled "panel").
class OtherPanel final {
public:
    explicit OtherPanel(PanelProgram program = PanelProgram::tint2, bool atTop = false)
    {
        QStringList command { QStringLiteral("HOME=") + m_home.path(),
            QStringLiteral("XDG_CONFIG_HOME=") + m_home.path() + "/.config",
            QStringLiteral("XDG_CACHE_HOME=") + m_home.path() + "/.cache" };
        if (program == PanelProgram::lxpanel) {
            command << QStringLiteral("lxpanel");
        } else {
            command << QStringLiteral("tint2");
            if (atTop) {
                const QString config = m_home.filePath(QStringLiteral("tint2rc"));
                QFile file(config);
                if (file.open(QIODevice::WriteOnly))
                    file.write(readText(QStringLiteral("/etc/xdg/tint2/tint2rc"))
                                   .replace(QStringLiteral("panel_position = bottom center horizontal"),
                                       QStringLiteral("panel_position = top center horizontal"))
                                   .toUtf8());
                command << QStringLiteral("-c") << config;
            }
        }
        m_pid = spawn(QStringLiteral("env"), command);
        const QString title
            = program == PanelProgram::lxpanel ? QStringLiteral("panel") : QStringLiteral("tint2");
        waitUntil([&] { return !(m_window = visibleWindowsNamed(title).value(0)).isEmpty(); },
            std::chrono::seconds(10));
    }
    ~OtherPanel() { stop(); }
    OtherPanel(const OtherPanel&) = delete;
    OtherPanel& operator=(const OtherPanel&) = delete;
    void stop()
    {
        if (m_pid)
            terminate(std::exchange(m_pid, 0));
    }
    QString window() const { return m_window; }

private:
    QTemporaryDir m_home;
    qint64 m_pid = 0;
    QString m_window;
};

// How many times the log tells of a dock window made.
qsizetype dockWindowsMade(const QString& log)
{
    return log.count(QStringLiteral("dock window for"));
}

// A panel that starts after the program, as at a login where both start on
// their own in any order, has the bar move up to stand on it within the
// screen-parameters path's 6 s, reserving its own rows and the panel's; when
// the panel quits the bar goes back to the edge with its own reserve alone.
// With nothing changing after that, the bar is not placed again (its own
// reserve is no panel's): not within two rounds of that path.
TEST(OtherPanels, APanelStartedOrEndedWhileTheProgramRunsHasTheBarBesideIt)
{
    movePointer(kAway);
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::optional<SettledBar> alone = settledBar(run);
    ASSERT_TRUE(alone) << run.log().toStdString();
    EXPECT_EQ(alone->dockAt.bottom(), 1079);
    const int ownReserve = alone->reserve;

    const qsizetype beforePanel = run.log().size();
    auto panel = std::make_unique<OtherPanel>();
    ASSERT_FALSE(panel->window().isEmpty()) << "tint2 did not show";
    const qint64 panelShown = QDateTime::currentMSecsSinceEpoch();
    const QRect panelAt = windowGeometry(panel->window());
    ASSERT_EQ(panelAt.bottom(), 1079);
    std::optional<SettledBar> beside;
    EXPECT_TRUE(waitUntil(
        [&] {
            beside = settledBar(run, std::chrono::seconds(1));
            return beside && beside->dockAt.bottom() == panelAt.top() - 1;
        },
        std::chrono::seconds(10)))
        << "the dock window ends at " << (beside ? beside->dockAt.bottom() : -1) << ", the panel begins at "
        << panelAt.top() << "\n"
        << run.log().toStdString();
    const std::optional<qint64> rebuilt = loggedAfter(run, beforePanel, QStringLiteral("dock window for"));
    ASSERT_TRUE(rebuilt);
    EXPECT_LT(*rebuilt - panelShown, 7000) << "from the panel shown to the bar placed beside it";
    if (beside) {
        EXPECT_EQ(beside->reserve, ownReserve + panelAt.height());
        for (const LoggedBarItem& item : loggedBar(run.log()))
            EXPECT_LT(item.rect.bottom(), panelAt.top()) << "a button lies under the panel";
    }
    screenshot(QStringLiteral("tint2-after-the-program"));

    const qsizetype beforeEnd = run.log().size();
    panel->stop();
    const qint64 panelEnded = QDateTime::currentMSecsSinceEpoch();
    std::optional<SettledBar> back;
    EXPECT_TRUE(waitUntil(
        [&] {
            back = settledBar(run, std::chrono::seconds(1));
            return back && back->dockAt.bottom() == 1079 && back->reserve == ownReserve;
        },
        std::chrono::seconds(10)))
        << "the dock window ends at " << (back ? back->dockAt.bottom() : -1) << " reserving "
        << (back ? back->reserve : -1);
    const std::optional<qint64> backAt = loggedAfter(run, beforeEnd, QStringLiteral("dock window for"));
    ASSERT_TRUE(backAt);
    EXPECT_LT(*backAt - panelEnded, 7000) << "from the panel ended to the bar back at the edge";
    std::cout << "panel started: bar beside it after " << *rebuilt - panelShown
              << " ms; panel ended: bar back after " << *backAt - panelEnded << " ms" << std::endl;

    const qsizetype made = dockWindowsMade(run.log());
    letPass(std::chrono::seconds(13));
    EXPECT_EQ(dockWindowsMade(run.log()), made) << "the bar was placed again with nothing changing";
}

// A window manager replaced by icewm while the program runs: the bar moves
// up to stand on icewm's taskbar.
TEST(OtherPanels, AWindowManagerReplacedByIcewmHasTheBarAboveItsTaskbar)
{
    OtherDesktop desktop(WindowManager::openbox, true);
    ASSERT_FALSE(desktop.failed(WindowManager::openbox)) << XvfbSession::lastError().toStdString();
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(settledBar(run)) << run.log().toStdString();
    QTemporaryDir home;
    const qint64 icewm = spawn(QStringLiteral("env"),
        { QStringLiteral("HOME=") + home.path(),
            QStringLiteral("XDG_CONFIG_HOME=") + home.path() + "/.config", QStringLiteral("icewm"),
            QStringLiteral("--replace") });
    ASSERT_GT(icewm, 0);
    // icewm's taskbar: 26 high along the bottom.
    const int taskbarTop = 1080 - 26;
    std::optional<SettledBar> bar;
    EXPECT_TRUE(waitUntil(
        [&] {
            bar = settledBar(run, std::chrono::seconds(1));
            return bar && bar->dockAt.bottom() < taskbarTop && bar->mainButton.bottom() < taskbarTop;
        },
        std::chrono::seconds(15)))
        << "the dock window ends at " << (bar ? bar->dockAt.bottom() : -1) << "\n"
        << run.log().toStdString();
    screenshot(QStringLiteral("icewm-replaced-openbox"));
    run.stop();
    terminate(icewm);
}

// The root's work area (the first desktop's _NET_WORKAREA), or the one in
// a line of xprop's spy on it.
QRect workAreaIn(const QString& line)
{
    const QStringList values = line.section(QLatin1Char('='), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    return values.size() >= 4 ? QRect(values[0].trimmed().toInt(), values[1].trimmed().toInt(),
               values[2].trimmed().toInt(), values[3].trimmed().toInt())
                              : QRect();
}

QRect workArea()
{
    return workAreaIn(runTool(QStringLiteral("xprop"), { "-root", "_NET_WORKAREA" }));
}

const char* nameOf(PanelProgram program)
{
    return program == PanelProgram::tint2 ? "tint2" : "lxpanel";
}

void PrintTo(PanelProgram program, std::ostream* out)
{
    *out << nameOf(program);
}

class PanelUnderFluxbox : public ::testing::TestWithParam<PanelProgram> { };

// fluxbox's toolbar (its bottom 20 rows) reserves nothing a client can
// read. Another panel, up before the program, quits: within the
// screen-parameters path's 6 s the bar goes down to stand on the toolbar,
// reserving its own 52 rows and the toolbar's, not down over the toolbar
// to the screen's edge. Auto Hide, turned on then, gives the bar's rows back
// to the work area: fluxbox keeps the rows of a strut that is deleted, not
// of one set to nothing.
TEST_P(PanelUnderFluxbox, ThatQuitsLeavesTheBarOnTheToolbarAndAutoHideGivesItsRowsBack)
{
    const PanelProgram program = GetParam();
    OtherDesktop desktop(WindowManager::fluxbox);
    ASSERT_FALSE(desktop.failed(WindowManager::fluxbox)) << XvfbSession::lastError().toStdString();
    const int toolbarTop = 1080 - 20;
    const int ownRows = 52;
    movePointer(kAway);
    auto panel = std::make_unique<OtherPanel>(program);
    ASSERT_FALSE(panel->window().isEmpty()) << "the panel did not show";
    const QRect panelAt = windowGeometry(panel->window());
    ASSERT_EQ(panelAt.bottom(), 1079);
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::optional<SettledBar> beside = settledBar(run);
    ASSERT_TRUE(beside) << run.log().toStdString();
    EXPECT_LT(beside->dockAt.bottom(), panelAt.top()) << "the bar does not stand above the panel";

    const qsizetype beforeEnd = run.log().size();
    panel->stop();
    const qint64 panelEnded = QDateTime::currentMSecsSinceEpoch();
    std::optional<SettledBar> onToolbar;
    EXPECT_TRUE(waitUntil(
        [&] {
            onToolbar = settledBar(run, std::chrono::seconds(1));
            return onToolbar && onToolbar->dockAt.bottom() < toolbarTop
                && onToolbar->reserve == ownRows + 1080 - toolbarTop;
        },
        std::chrono::seconds(10)))
        << "the panel " << panelAt.height() << " rows high ended; the dock window ends at "
        << (onToolbar ? onToolbar->dockAt.bottom() : -1) << " reserving "
        << (onToolbar ? onToolbar->reserve : -1) << "\n"
        << run.log().mid(beforeEnd).toStdString();
    const std::optional<qint64> placed = loggedAfter(run, beforeEnd, QStringLiteral("dock window for"));
    if (placed) {
        EXPECT_LT(*placed - panelEnded, 7000) << "from the panel ended to the bar placed on the toolbar";
    }
    screenshot(QStringLiteral("fluxbox-panel-ended"));

    ASSERT_TRUE(turnAutoHideOn(run)) << run.log().toStdString();
    QRect area;
    EXPECT_TRUE(waitUntil([&] { return (area = workArea()).bottom() == toolbarTop - 1; }))
        << "with the bar auto-hidden the work area is " << area.height() << " rows high";
}

INSTANTIATE_TEST_SUITE_P(AfterEachPanel, PanelUnderFluxbox,
    ::testing::Values(PanelProgram::tint2, PanelProgram::lxpanel),
    [](const ::testing::TestParamInfo<PanelProgram>& info) { return std::string(nameOf(info.param)); });

// What a fixed command of the test's own prints as it watches the display
// (xprop's spy, xev), for as long as the object lives.
class Watcher final {
public:
    Watcher(const QString& program, const QStringList& arguments)
    {
        m_process.start(QStringLiteral("stdbuf"), QStringList { "-oL", program } + arguments);
        m_process.waitForStarted();
    }
    ~Watcher()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;
    QString seen()
    {
        m_seen += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_seen;
    }

private:
    QProcess m_process;
    QString m_seen;
};

// tint2 at the top, started and then ended while the program runs with its
// bar at the bottom: each time the bar is placed again in the new visible
// area, and throughout the work area keeps the bar's rows and a maximised
// window never grows over them, not even for a moment while the bar's
// window is made anew.
TEST(OtherPanels, APanelAtTheTopComingAndGoingNeverGivesTheBarsRowsAway)
{
    movePointer(kAway);
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::optional<SettledBar> alone = settledBar(run);
    ASSERT_TRUE(alone) << run.log().toStdString();
    const int barTop = 1080 - alone->reserve;
    Clients clients;
    const auto big = clients.xterm(QStringLiteral("maximised"), QStringLiteral("40x5+100+100"));
    ASSERT_FALSE(big.id.isEmpty());
    // Every size the window manager gives the terminal, from the first
    // nudge xev reports on.
    Watcher sizes(QStringLiteral("xev"), { "-id", big.id, "-event", "structure" });
    int nudge = 0;
    ASSERT_TRUE(waitUntil([&] {
        xdotool({ "windowmove", "--sync", big.id, QString::number(100 + nudge++ % 2), "100" });
        return sizes.seen().contains(QLatin1String("ConfigureNotify"));
    })) << "xev reports nothing";
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", big.id, "-b", "add,maximized_vert,maximized_horz" });
    QRect maximised;
    ASSERT_TRUE(waitUntil([&] {
        const QRect before = std::exchange(maximised, windowGeometry(big.id));
        return maximised.height() > 500 && maximised == before
            && sizes.seen().contains(QStringLiteral("height %1,").arg(maximised.height()));
    })) << "the terminal was not maximised: "
        << maximised.height() << "\n"
        << sizes.seen().toStdString();
    ASSERT_LT(maximised.bottom(), barTop);
    const qsizetype sizesBefore = sizes.seen().size();
    Watcher workAreas(QStringLiteral("xprop"), { "-root", "-spy", "_NET_WORKAREA" });
    ASSERT_TRUE(waitUntil([&] { return workAreas.seen().contains(QLatin1Char('=')); }));

    std::unique_ptr<OtherPanel> panel;
    for (const bool panelUp : { true, false }) {
        SCOPED_TRACE(panelUp ? "tint2 at the top started" : "tint2 at the top ended");
        const qsizetype mark = run.log().size();
        if (panelUp) {
            panel = std::make_unique<OtherPanel>(PanelProgram::tint2, true);
            ASSERT_FALSE(panel->window().isEmpty()) << "tint2 did not show";
            ASSERT_EQ(windowGeometry(panel->window()).top(), 0) << "tint2 is not at the top";
        } else {
            panel.reset();
        }
        // Placed again for the new visible area, and settled there.
        EXPECT_TRUE(
            waitUntil([&] { return loggedAfter(run, mark, QStringLiteral("dock window for")).has_value(); },
                std::chrono::seconds(15)))
            << run.log().mid(mark).toStdString();
        const std::optional<SettledBar> bar = settledBar(run);
        EXPECT_TRUE(bar) << run.log().mid(mark).toStdString();
        if (bar) {
            EXPECT_EQ(bar->dockAt.bottom(), 1079);
            EXPECT_EQ(bar->reserve, alone->reserve);
        }
        QRect now;
        EXPECT_TRUE(waitUntil([&] {
            const QRect before = std::exchange(now, windowGeometry(big.id));
            return now == before && now.top() == maximised.top() + (panelUp ? 30 : 0);
        })) << "the maximised terminal stands at "
            << now.y() << ", " << now.height() << " high";
        letPass(std::chrono::milliseconds(1000));
    }

    QStringList wider;
    for (const QString& line : workAreas.seen().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRect area = workAreaIn(line);
        if (area.isNull() || area.bottom() >= barTop)
            wider << QStringLiteral("%1,%2 %3x%4")
                         .arg(area.x())
                         .arg(area.y())
                         .arg(area.width())
                         .arg(area.height());
    }
    EXPECT_TRUE(wider.isEmpty()) << "work areas over the bar's rows: "
                                 << wider.join(QStringLiteral(", ")).toStdString();
    QStringList taller;
    static const QRegularExpression size(QStringLiteral("width (\\d+), height (\\d+)"));
    for (auto it = size.globalMatch(sizes.seen().mid(sizesBefore)); it.hasNext();) {
        const int height = it.next().captured(2).toInt();
        if (height > maximised.height())
            taller << QString::number(height);
    }
    EXPECT_TRUE(taller.isEmpty()) << "the maximised terminal, " << maximised.height()
                                  << " high, was made taller: "
                                  << taller.join(QStringLiteral(", ")).toStdString();
}

class DockPlace : public ::testing::TestWithParam<WindowManager> { };

// Whatever notice of its own window's place comes in, the bar keeps its
// reserve, opens its hover title and menu by itself and logs its buttons
// where they are: a stale notice claiming the top-left corner, or a place
// below the screen, moves none of it, and a maximised window keeps its
// height throughout.
TEST_P(DockPlace, StaleNoticesOfItsWindowsPlaceMoveNothing)
{
    const WindowManager manager = GetParam();
    OtherDesktop desktop(manager);
    ASSERT_FALSE(desktop.failed(manager)) << XvfbSession::lastError().toStdString();
    movePointer(kAway);
    DockRun run;
    ASSERT_GT(run.start(), 0);
    Clients clients;
    const auto big = clients.xterm(QStringLiteral("maximised"), QStringLiteral("40x5+100+100"));
    ASSERT_FALSE(big.id.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return barShows(run, big.id); })) << run.log().toStdString();
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", big.id, "-b", "add,maximized_vert,maximized_horz" });
    QRect maximised;
    std::optional<SettledBar> bar;
    ASSERT_TRUE(waitUntil([&] {
        const QRect before = std::exchange(maximised, windowGeometry(big.id));
        return maximised.height() > 500 && maximised == before && (bar = settledBar(run));
    })) << run.log().toStdString();
    const std::optional<LoggedBarItem> button = waitForWindowButton(run, big.id);
    ASSERT_TRUE(button);
    StrutProbe probe(bar->dock);

    // Once the program is quiet (the window manager's own notices of the
    // new windows handled), a notice that disagrees comes on its own.
    const auto quiet = [&] {
        qsizetype size = -1;
        QElapsedTimer still;
        return waitUntil([&] {
            const qsizetype now = run.log().size();
            if (now != std::exchange(size, now))
                still.start();
            return still.elapsed() >= 1000;
        });
    };
    for (const QPoint claim : { QPoint(0, 0), QPoint(0, 1080 + 200) }) {
        SCOPED_TRACE(QStringLiteral("%1, a notice claiming %2,%3")
                         .arg(QLatin1String(nameOf(manager)))
                         .arg(claim.x())
                         .arg(claim.y())
                         .toStdString());
        EXPECT_TRUE(quiet());
        claimPlace(bar->dock, claim);
        // The hover preview stands just above the bar, its title lowest
        // when there is no picture.
        QRect title, preview;
        int nudge = 0;
        EXPECT_TRUE(waitUntil([&] {
            movePointer(button->rect.center() + QPoint(nudge++ % 2, 0));
            preview = QRect();
            for (const char* piece : { "title", "picture", "usage" })
                for (const QString& id :
                    visibleWindowsNamed(QStringLiteral("orbitShelf preview %1").arg(piece))) {
                    preview |= windowGeometry(id);
                    if (QLatin1String(piece) == QLatin1String("title"))
                        title = windowGeometry(id);
                }
            return !title.isEmpty();
        })) << run.log().toStdString();
        EXPECT_LE(preview.bottom(), bar->mainButton.top()) << "the preview ends at " << preview.bottom();
        EXPECT_GT(preview.bottom(), bar->mainButton.top() - 40) << "the preview ends at " << preview.bottom();
        EXPECT_GT(title.top(), bar->mainButton.top() - 300) << "the title stands at " << title.y();
        movePointer(kAway);
        // The menu opens by the bar.
        const LoggedMenu menu
            = clickForMenu(run, bar->mainButton.center(), 3, kSettingsMenuLine, int(kSettingsMenu.size()));
        EXPECT_FALSE(menu.titles.isEmpty());
        for (const QRect& entry : menu.places)
            EXPECT_TRUE(entry.top() > bar->mainButton.top() - 400 && entry.bottom() <= 1079)
                << "a menu entry at " << entry.y();
        EXPECT_TRUE(closeMenus(run));
        // The bar logs its buttons where they stand; the window stays put.
        const std::optional<SettledBar> after = settledBar(run);
        if (!after) {
            ADD_FAILURE() << "the bar does not settle where its window stands";
            continue;
        }
        EXPECT_EQ(after->mainButton, bar->mainButton);
        EXPECT_EQ(after->dockAt, bar->dockAt);
        EXPECT_EQ(after->reserve, bar->reserve);
        EXPECT_EQ(windowGeometry(big.id).height(), maximised.height());
    }
    EXPECT_EQ(probe.bottoms(), std::vector<int> { bar->reserve }) << "the bar's window reserved other rows";
    EXPECT_EQ(windowGeometry(big.id).height(), maximised.height()) << "the maximised window changed";
}

INSTANTIATE_TEST_SUITE_P(UnderEachWindowManager, DockPlace,
    ::testing::Values(WindowManager::openbox, WindowManager::icewm),
    [](const ::testing::TestParamInfo<WindowManager>& info) { return std::string(nameOf(info.param)); });

TEST(OtherPanels, UnderFluxboxTheBottomEdgeBringsAnAutoHiddenBarBack)
{
    OtherDesktop desktop(WindowManager::fluxbox);
    ASSERT_FALSE(desktop.failed(WindowManager::fluxbox)) << XvfbSession::lastError().toStdString();
    movePointer(QPoint(960, 400));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return barBottom(run).has_value(); })) << run.log().toStdString();

    // The strip lies from the bottom edge of the screen's free part, where
    // the bar's window ends, over the toolbar down to the screen's edge,
    // inside the screen; nothing of it at the top.
    const QString strip = waitForWindow(QStringLiteral("orbitShelf auto-show strip"));
    ASSERT_FALSE(strip.isEmpty());
    const QRect dockAt = windowGeometry(waitForWindow(QStringLiteral("orbitShelf dock")));
    QRect stripAt;
    EXPECT_TRUE(waitUntil([&] {
        stripAt = windowGeometry(strip);
        return stripAt.top() == dockAt.bottom() - 19 && stripAt.bottom() == 1079 && stripAt.left() >= 0
            && stripAt.top() > 1000;
    })) << stripAt.x()
        << "," << stripAt.y() << " " << stripAt.width() << "x" << stripAt.height()
        << ", the dock window ends at " << dockAt.bottom();

    // Auto Hide on, as a user turns it on: the bar goes when the pointer is
    // away, and comes back when it reaches the bottom edge.
    qsizetype mark = run.log().size();
    ASSERT_TRUE(chooseFromBarMenuUntil(run, QStringLiteral("Auto Hide"), { "Down", "Return" }, [&] {
        return run.log().mid(mark).contains(QLatin1String("reserves nothing"));
    })) << run.log().mid(mark).toStdString();
    movePointer(QPoint(960, 400));
    mark = run.log().size();
    slideDown(960, 900);
    EXPECT_TRUE(waitUntil([&] {
        return run.log().mid(mark).contains(QLatin1String("auto-show strip brings back the dock"));
    })) << run.log().mid(mark).toStdString();
    screenshot(QStringLiteral("fluxbox-edge-reveals"));
    movePointer(QPoint(960, 400));
}

// The pointer taken to the bottom row by `move`: the hidden bar comes back
// and shows (a screenshot `shot` is taken then), stays while the pointer
// rests there (`rest`), and hides once the pointer went away. `context`
// tells where things stood, for a failure. How soon it comes back is
// bench_bar_reactions' to measure: a busy machine may hold up its log.
void edgeBringsTheBarBack(const DockRun& run, DrawnBar& bar, const std::function<void()>& move, bool rest,
    const std::function<std::string()>& context = {}, const QString& shot = {})
{
    const qsizetype mark = run.log().size();
    move();
    if (!waitUntil([&] { return loggedAfter(run, mark, kBroughtBack).has_value(); })) {
        ADD_FAILURE() << "the bar did not come back; " << (context ? context() : std::string()) << "\n"
                      << run.log().mid(mark).toStdString();
        movePointer(kAway);
        return;
    }
    EXPECT_TRUE(waitUntil([&] { return bar.shown(); })) << bar.seen() << "\n"
                                                        << run.log().mid(mark).toStdString();
    if (!shot.isEmpty())
        screenshot(shot);
    if (rest) {
        // Resting on the edge (the panel's row, where there is one) keeps it:
        // it never hides meanwhile, and shows once a compositor has drawn
        // what came last (a fade, another window's shadow) rather than at
        // the one moment a single look would catch. The rest is twice the
        // 0.3 s after which a bar the pointer left hides.
        letPass(kRest);
        EXPECT_FALSE(loggedAfter(run, mark, kHides)) << run.log().mid(mark).toStdString();
        EXPECT_TRUE(waitUntil([&] { return bar.shown(); }))
            << "the bar went while the pointer rested on the edge: " << bar.seen();
    }
    const qsizetype away = run.log().size();
    movePointer(kAway);
    EXPECT_TRUE(waitUntil([&] { return loggedAfter(run, away, kHides).has_value(); }))
        << run.log().mid(mark).toStdString();
    EXPECT_TRUE(waitUntil([&] { return bar.hidden(); }));
}

// Starts the program, waits for its bar drawn over the wallpaper, and turns
// Auto Hide on from the bar's own menu, as a user does: the bar goes.
::testing::AssertionResult startAndHideTheBar(DockRun& run, DrawnBar& bar)
{
    if (run.start() <= 0)
        return ::testing::AssertionFailure() << "the program did not start";
    if (::testing::AssertionResult settled = bar.settle(); !settled)
        return settled;
    if (::testing::AssertionResult on = turnAutoHideOn(run); !on)
        return on << "\n" << run.log().toStdString();
    if (!waitUntil([&] { return bar.hidden(); }))
        return ::testing::AssertionFailure() << "an auto-hidden bar is drawn: " << bar.seen();
    return ::testing::AssertionSuccess();
}

// A desktop the bottom edge is checked on: a window manager, picom
// compositing or not (xfwm4 composites by itself), and along the bottom the
// manager's own panel or tint2, started before the program.
struct EdgeSetUp {
    const char* name;
    WindowManager manager;
    bool picom;
    bool tint2;
    // The panel's rows along the bottom: icewm's taskbar 26, fluxbox's
    // toolbar 20, tint2 30; openbox and xfwm4 keep none there.
    int panelRows;
};

void PrintTo(const EdgeSetUp& setUp, std::ostream* out)
{
    *out << setUp.name;
}

class AutoShowStrip : public ::testing::TestWithParam<EdgeSetUp> { };

// An auto-hidden bar comes back as the pointer reaches the bottom edge,
// wherever along it, in a glide or in one jump, whatever panel lies there
// and whatever composites; it stays while the pointer rests there. Resting on a row just above the panel does
// not bring it back, and the panel keeps its own clicks.
TEST_P(AutoShowStrip, TheBottomEdgeBringsTheBarBackBesideTheWindowManagersPanel)
{
    const EdgeSetUp setUp = GetParam();
    OtherDesktop desktop(setUp.manager);
    ASSERT_FALSE(desktop.failed(setUp.manager)) << XvfbSession::lastError().toStdString();
    // A wallpaper compositors paint too: picom's grey root could pass for
    // the bar's colour.
    Wallpaper wallpaper;
    std::unique_ptr<Picom> picom;
    if (setUp.picom) {
        picom = Picom::start();
        ASSERT_TRUE(picom) << Picom::lastError().toStdString();
    }
    if (setUp.picom || setUp.manager == WindowManager::xfwm4) {
        ASSERT_TRUE(waitUntil(compositorRuns)) << "nothing composites";
    }
    movePointer(kAway);
    const int panelTop = 1080 - setUp.panelRows;
    std::unique_ptr<OtherPanel> panel;
    Clients clients;
    Clients::Window task;
    QPoint taskButton;
    if (setUp.tint2) {
        panel = std::make_unique<OtherPanel>();
        ASSERT_FALSE(panel->window().isEmpty()) << "tint2 did not show";
        const QRect panelAt = windowGeometry(panel->window());
        ASSERT_EQ(panelAt.top(), panelTop);
        // tint2's button for a terminal: where the panel shows the
        // terminal's icon, made plain magenta for the test.
        task = clients.xterm(QStringLiteral("on the panel"), QStringLiteral("40x5+300+200"));
        ASSERT_FALSE(task.id.isEmpty());
        QStringList magenta { "2", "2" };
        for (int i = 0; i < 4; ++i)
            magenta << QString::number(0xffff00ffu);
        runTool(QStringLiteral("xprop"),
            { "-id", task.id, "-f", "_NET_WM_ICON", "32c", "-set", "_NET_WM_ICON", magenta.join(u',') });
        ASSERT_TRUE(waitUntil([&] {
            const QImage panelNow = rootImage(panelAt);
            for (int x = 0; x < panelNow.width(); ++x)
                for (int y = 0; y < panelNow.height(); ++y) {
                    const QColor c = panelNow.pixelColor(x, y);
                    if (c.red() > 200 && c.green() < 60 && c.blue() > 200) {
                        taskButton = QPoint(panelAt.x() + x + 2, panelAt.center().y());
                        return true;
                    }
                }
            return false;
        })) << "tint2 shows no button for the terminal";
    }
    DockRun run;
    DrawnBar bar(run);
    ASSERT_TRUE(startAndHideTheBar(run, bar));
    const QString where = QLatin1String(setUp.name);
    // Where the strip stands, for a check that failed.
    const auto strip = [] {
        const QString id = visibleWindowsNamed(QStringLiteral("orbitShelf auto-show strip")).value(0);
        const QRect at = id.isEmpty() ? QRect() : windowGeometry(id);
        return QStringLiteral("the strip stands at %1,%2 %3x%4")
            .arg(at.x())
            .arg(at.y())
            .arg(at.width())
            .arg(at.height())
            .toStdString();
    };

    // From wherever `move` starts to the bottom row at `x`, then away.
    const auto reachEdge = [&](int x, const QString& how, const std::function<void()>& move, bool rest) {
        SCOPED_TRACE(QStringLiteral("%1, %2 at x = %3").arg(where, how).arg(x).toStdString());
        edgeBringsTheBarBack(run, bar, move, rest, strip, QStringLiteral("%1-edge-at-%2").arg(where).arg(x));
    };
    for (const int x : { 100, bar.onBar().x(), 1800 }) {
        reachEdge(
            x, QStringLiteral("a glide in 7-row steps"), [x] { slideDown(x, 900); }, true);
        reachEdge(
            x, QStringLiteral("one jump"),
            [x] {
                xdotool({ "mousemove", QString::number(x), "1079" });
            },
            false);
    }

    if (setUp.panelRows > 0) {
        // Glided onto the row just above the panel, over the rows a glide to
        // the edge crosses, and resting there.
        const int above = panelTop - 2;
        const qsizetype mark = run.log().size();
        slideDown(bar.onBar().x(), 900, above);
        letPass(kRest);
        EXPECT_FALSE(loggedAfter(run, mark, kBroughtBack))
            << where.toStdString() << ": resting at y " << above << " brought the bar back; " << strip();
        movePointer(kAway);
        EXPECT_TRUE(waitUntil([&] { return bar.hidden(); }));
    }

    if (panel) {
        // tint2's button for the active terminal, clicked with the bar
        // hidden, takes the terminal down to its icon.
        runTool(QStringLiteral("wmctrl"), { "-i", "-a", task.id });
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == task.id; }));
        click(taskButton);
        EXPECT_TRUE(waitUntil(
            [&] {
                return property(task.id, QStringLiteral("_NET_WM_STATE"))
                    .contains(QLatin1String("_NET_WM_STATE_HIDDEN"));
            },
            std::chrono::seconds(3)))
            << where.toStdString() << ": tint2's button at " << taskButton.x() << "," << taskButton.y()
            << " did not take its click; " << strip();
        screenshot(QStringLiteral("%1-task-clicked").arg(where));
    }

    if (setUp.manager == WindowManager::icewm) {
        // Down to the start button, the way a user goes there: it opens
        // icewm's menu.
        slideDown(10, 900);
        click(QPoint(10, 1067));
        EXPECT_TRUE(waitUntil([] { return !visibleWindowsNamed(QStringLiteral("IceMenu")).isEmpty(); }))
            << "the start button did not open its menu";
        screenshot(QStringLiteral("%1-start-menu").arg(where));
        xdotool({ "key", "Escape" });
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("IceMenu")).isEmpty(); }));
    }
    movePointer(kAway);
}

INSTANTIATE_TEST_SUITE_P(UnderEachWindowManager, AutoShowStrip,
    ::testing::Values(EdgeSetUp { "openbox", WindowManager::openbox, false, false, 0 },
        EdgeSetUp { "icewm", WindowManager::icewm, false, false, 26 },
        EdgeSetUp { "fluxbox", WindowManager::fluxbox, false, false, 20 },
        EdgeSetUp { "openboxTint2", WindowManager::openbox, false, true, 30 },
        EdgeSetUp { "openboxPicomTint2", WindowManager::openbox, true, true, 30 },
        EdgeSetUp { "xfwm4CompositingTint2", WindowManager::xfwm4, false, true, 30 },
        EdgeSetUp { "icewmPicom", WindowManager::icewm, true, false, 26 },
        EdgeSetUp { "fluxboxPicom", WindowManager::fluxbox, true, false, 20 }),
    [](const ::testing::TestParamInfo<EdgeSetUp>& info) { return std::string(info.param.name); });

// The desktop the window manager shows, from the root window.
QString currentDesktop()
{
    return runTool(QStringLiteral("xprop"), { "-root", "_NET_CURRENT_DESKTOP" })
        .section(QLatin1Char('='), 1)
        .trimmed();
}

class HiddenBarEdge : public ::testing::TestWithParam<WindowManager> { };

// An auto-hidden bar comes back whenever the pointer reaches the bottom row,
// however fast it comes (in one jump, or in long quick steps) and whatever
// panel the window manager keeps there; the pointer resting there keeps it.
// Nothing above that row brings it back, and no window along the edge loses
// a click to it: a maximised window's last rows, the panel's buttons, a
// full-screen window, which keeps the edge to itself while in front.
TEST_P(HiddenBarEdge, ComesBackAtAnySpeedAndTakesNoClickFromTheWindowsThere)
{
    const WindowManager manager = GetParam();
    OtherDesktop desktop(manager);
    ASSERT_FALSE(desktop.failed(manager)) << XvfbSession::lastError().toStdString();
    ColouredRoot root;
    movePointer(kAway);
    // A terminal that reports the clicks it gets: a fixed command of the
    // test's own, writing what the terminal sends it for each press.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString clicks = folder.filePath(QStringLiteral("clicks"));
    Clients clients;
    const auto term = clients.xterm(QStringLiteral("reports clicks"), QStringLiteral("40x5+300+200"),
        { "-e", "/bin/sh", "-c",
            QStringLiteral("stty raw -echo; printf '\\033[?1000h'; exec cat > '%1'").arg(clicks) });
    ASSERT_FALSE(term.id.isEmpty());
    const auto pressesReported = [&] { return readText(clicks).count(QStringLiteral("\x1b[M")); };

    DockRun run;
    DrawnBar bar(run);
    ASSERT_TRUE(startAndHideTheBar(run, bar));

    // From the middle of the screen to the bottom row at `x`, then away.
    const auto reachEdge = [&](int x, const QString& how, const std::function<void()>& move, bool rest) {
        SCOPED_TRACE(
            QStringLiteral("%1, %2 at x = %3").arg(QLatin1String(nameOf(manager)), how).arg(x).toStdString());
        movePointer(QPoint(x, 540));
        edgeBringsTheBarBack(run, bar, move, rest);
    };
    for (const int x : { 100, bar.onBar().x(), 1800 })
        reachEdge(
            x, QStringLiteral("one jump"),
            [x] {
                xdotool({ "mousemove", QString::number(x), "1079" });
            },
            true);
    for (const int x : { 100, bar.onBar().x(), 1800 })
        reachEdge(
            x, QStringLiteral("60-px steps every 8 ms"),
            [x] {
                QStringList steps;
                for (int y = 540 + 60;; y = std::min(y + 60, 1079)) {
                    steps << "mousemove" << QString::number(x) << QString::number(y) << "sleep"
                          << "0.008";
                    if (y == 1079)
                        break;
                }
                xdotool(steps);
            },
            false);

    // A maximised window down to the panel (or the screen's edge): its last
    // rows are its own, on the way there and for a click.
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", term.id, "-b", "add,maximized_vert,maximized_horz" });
    QRect window;
    ASSERT_TRUE(waitUntil([&] {
        const QRect before = std::exchange(window, windowGeometry(term.id));
        return window.height() > 900 && window == before;
    })) << window.height();
    // Within the columns the terminal can report (up to 223).
    const QPoint lastRows(300, window.bottom() - 10);
    qsizetype mark = run.log().size();
    xdotool({ "mousemove", QString::number(lastRows.x()), QString::number(lastRows.y() - 150), "sleep",
        "0.01", "mousemove", QString::number(lastRows.x()), QString::number(lastRows.y() - 40), "sleep",
        "0.01", "mousemove", QString::number(lastRows.x()), QString::number(lastRows.y()) });
    const int pressesBefore = pressesReported();
    click(lastRows);
    EXPECT_TRUE(waitUntil([&] { return pressesReported() > pressesBefore; }, std::chrono::seconds(3)))
        << "the click 10 px above the maximised window's bottom (" << lastRows.y() << ") did not reach it";
    letPass(std::chrono::milliseconds(500));
    EXPECT_FALSE(loggedAfter(run, mark, kBroughtBack))
        << "the pointer on its way to a maximised window's last rows brought the bar back";
    screenshot(QStringLiteral("%1-maximised-last-rows").arg(QLatin1String(nameOf(manager))));

    // The panel's buttons keep their clicks, in the corner too.
    if (manager == WindowManager::icewm) {
        xdotool({ "mousemove", "0", "1079" });
        click(QPoint(2, 1077));
        EXPECT_TRUE(waitUntil([] { return !visibleWindowsNamed(QStringLiteral("IceMenu")).isEmpty(); }))
            << "the start button did not open its menu";
        xdotool({ "key", "Escape" });
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("IceMenu")).isEmpty(); }));
    } else if (manager == WindowManager::fluxbox) {
        // The toolbar's first button goes to the previous desktop.
        const QString before = currentDesktop();
        xdotool({ "mousemove", "10", "1079" });
        click(QPoint(10, 1070));
        EXPECT_TRUE(waitUntil([&] { return currentDesktop() != before; }))
            << "the toolbar's button did not take its click";
        runTool(QStringLiteral("wmctrl"), { "-s", before });
        EXPECT_TRUE(waitUntil([&] { return currentDesktop() == before; }));
    }

    // A full-screen window in front keeps the edge and its clicks; once it
    // has left full screen the edge brings the bar back again. (icewm shows
    // its own taskbar over a full-screen window whose edge the pointer
    // reaches: there the edge is the taskbar's.)
    movePointer(kAway);
    EXPECT_TRUE(waitUntil([&] { return bar.hidden(); })) << "the bar stays after the panel's click";
    if (manager != WindowManager::icewm) {
        runTool(
            QStringLiteral("wmctrl"), { "-i", "-r", term.id, "-b", "remove,maximized_vert,maximized_horz" });
        runTool(QStringLiteral("wmctrl"), { "-i", "-r", term.id, "-b", "add,fullscreen" });
        xdotool({ "windowactivate", "--sync", term.id });
        ASSERT_TRUE(waitUntil([&] { return windowGeometry(term.id) == QRect(0, 0, 1920, 1080); }))
            << "no full-screen window";
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == term.id; }));
        mark = run.log().size();
        xdotool({ "mousemove", "300", "1079" });
        const int pressesOnEdge = pressesReported();
        click(QPoint(300, 1079));
        EXPECT_TRUE(waitUntil([&] { return pressesReported() > pressesOnEdge; }, std::chrono::seconds(3)))
            << "the full-screen window lost a click on its last row";
        letPass(std::chrono::milliseconds(500));
        EXPECT_FALSE(loggedAfter(run, mark, kBroughtBack)) << run.log().mid(mark).toStdString();
        runTool(QStringLiteral("wmctrl"), { "-i", "-r", term.id, "-b", "remove,fullscreen" });
        EXPECT_TRUE(waitUntil([&] { return windowGeometry(term.id).height() < 1080; }));
        movePointer(kAway);
        xdotool({ "mousemove", "300", "1079" });
        EXPECT_TRUE(waitUntil([&] { return loggedAfter(run, mark, kBroughtBack).has_value(); }))
            << run.log().mid(mark).toStdString();
    }
    movePointer(kAway);
}

INSTANTIATE_TEST_SUITE_P(UnderEachWindowManager, HiddenBarEdge,
    ::testing::Values(WindowManager::openbox, WindowManager::icewm, WindowManager::fluxbox),
    [](const ::testing::TestParamInfo<WindowManager>& info) { return std::string(nameOf(info.param)); });

// The screen's bottom row, where the bar and its strip stand, shows what it
// shows without the program (the wallpaper, the window manager's panel) or
// the bar's own drawing, with Auto Hide off and on: nothing draws a line
// there that the user did not ask for.
class BottomRow : public ::testing::TestWithParam<WindowManager> { };

TEST_P(BottomRow, ShowsWhatLiesThereWithoutTheProgramOrTheBarItself)
{
    const WindowManager manager = GetParam();
    OtherDesktop desktop(manager);
    ASSERT_FALSE(desktop.failed(manager)) << XvfbSession::lastError().toStdString();
    ColouredRoot root;
    movePointer(kAway);
    const QRect rows(0, 1078, 1920, 2);
    // The window manager's panel has drawn once it stays the same.
    const QImage without = settledArea(rows);
    ASSERT_FALSE(without.isNull());

    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::optional<LoggedBarItem> mainButton = waitForKind(run, LoggedBarItem::mainButton);
    ASSERT_TRUE(mainButton) << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return shownAt(mainButton->rect.center()) != ColouredRoot::colour(); }));
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("auto-show strip for")); }));

    // Every pixel of the bottom row that differs from the screen without the
    // program, and is not the bar drawing on down from the row above it.
    const auto strayPixels = [&](std::pair<int, int> bar) {
        const QImage now = rootImage(rows);
        QStringList stray;
        for (int x = 0; x < 1920 && !now.isNull(); ++x) {
            const QColor shown = now.pixelColor(x, 1);
            const bool inBar = x >= bar.first && x <= bar.second;
            if (shown != without.pixelColor(x, 1) && !(inBar && shown == now.pixelColor(x, 0)))
                stray << QStringLiteral("%1 %2 (without %3)")
                             .arg(x)
                             .arg(shown.name(), without.pixelColor(x, 1).name());
        }
        if (now.isNull())
            stray << QStringLiteral("no picture of the screen");
        return stray;
    };
    QStringList stray;
    EXPECT_TRUE(
        waitUntil([&] { return (stray = strayPixels(barSpan(run))).isEmpty(); }, std::chrono::seconds(2)))
        << "with the bar shown: " << stray.size() << " pixels, first "
        << stray.mid(0, 5).join(", ").toStdString();
    screenshot(QStringLiteral("%1-bottom-row-shown").arg(QLatin1String(nameOf(manager))));

    ASSERT_TRUE(turnAutoHideOn(run)) << run.log().toStdString();
    EXPECT_TRUE(waitUntil(
        [&] {
            return (stray = strayPixels({ -1, -1 })).isEmpty();
        },
        std::chrono::seconds(2)))
        << "with the bar auto-hidden: " << stray.size() << " pixels, first "
        << stray.mid(0, 5).join(", ").toStdString();
    screenshot(QStringLiteral("%1-bottom-row-hidden").arg(QLatin1String(nameOf(manager))));
}

INSTANTIATE_TEST_SUITE_P(UnderEachWindowManager, BottomRow,
    ::testing::Values(WindowManager::openbox, WindowManager::fluxbox),
    [](const ::testing::TestParamInfo<WindowManager>& info) { return std::string(nameOf(info.param)); });

// Under openbox nothing composites, so a pixel our windows show but do not
// paint is black. Three window buttons hovered in turn, with previews on
// and, turned off on the General page of the Settings window, off: the icon
// grows past the bar, the preview opens above it, and neither puts a black
// pixel on the screen's two bottom rows or the rows just above the bar.
class HoveredButtons : public ::testing::TestWithParam<bool> { };

TEST_P(HoveredButtons, UnderOpenboxPaintNoBlackOnTheBottomRowsOrJustAboveTheBar)
{
    const bool previews = GetParam();
    ASSERT_FALSE(compositorRuns()) << "openbox composites nothing";
    ColouredRoot root;
    movePointer(kAway);
    Clients clients;
    QStringList windows;
    for (int i = 0; i < 3; ++i) {
        windows << plainTerminal(
            clients, QStringLiteral("hovered %1").arg(i + 1), QStringLiteral("40x5+%1+60").arg(60 + 420 * i))
                       .id;
        ASSERT_FALSE(windows.back().isEmpty());
    }
    DockRun run;
    ASSERT_GT(run.start(), 0);
    for (const QString& id : windows)
        ASSERT_TRUE(waitForWindowButton(run, id)) << run.log().toStdString();

    if (!previews) {
        const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("General"));
        ASSERT_TRUE(tab) << run.log().toStdString();
        const QString settings = waitForWindow(QStringLiteral("OrbitShelf Settings"));
        ASSERT_FALSE(settings.isEmpty());
        const std::optional<QRect> box
            = generalSwitchInView(run, settings, *tab, QStringLiteral("disablePreview"));
        ASSERT_TRUE(box) << run.log().toStdString();
        const QString stored = run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
        click(QPoint(box->left() + 8, box->center().y()));
        ASSERT_TRUE(waitUntil([&] {
            return readText(stored).contains(QLatin1String("disablePreview=true"));
        })) << readText(stored).toStdString();
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", settings });
        ASSERT_TRUE(
            waitUntil([] { return visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).isEmpty(); }));
    }

    for (const QString& id : windows) {
        SCOPED_TRACE(QStringLiteral("window %1, previews %2").arg(id, previews ? "on" : "off").toStdString());
        movePointer(kAway);
        const qsizetype mark = run.log().size();
        const std::optional<LoggedBarItem> button = waitForWindowButton(run, id);
        ASSERT_TRUE(button);
        // A dock window just mapped may not take input yet: nudge until it does.
        const QString shown = QStringLiteral("preview of window %1 shown").arg(id);
        int nudge = 0;
        ASSERT_TRUE(waitUntil([&] {
            movePointer(button->rect.center() + QPoint(nudge++ % 2, 0));
            return waitUntil(
                [&] { return run.log().mid(mark).contains(shown); }, std::chrono::milliseconds(500));
        })) << run.log().mid(mark).toStdString();

        const QRect above(0, button->rect.top() - 4, 1920, 4);
        const QRect bottom(0, 1078, 1920, 2);
        const QImage rows = settledArea(QRect(above.topLeft(), bottom.bottomRight()));
        QStringList black = strayPixels(rows.copy(above.translated(0, -above.top())), above);
        black += strayPixels(rows.copy(bottom.translated(0, -above.top())), bottom);
        EXPECT_TRUE(black.isEmpty()) << black.size() << " black pixels, first "
                                     << black.mid(0, 5).join(QStringLiteral(", ")).toStdString();
        screenshot(QStringLiteral("hovered-%1-previews-%2").arg(id, previews ? "on" : "off"));
    }
    movePointer(kAway);
}

INSTANTIATE_TEST_SUITE_P(WithPreviewsOnAndOff, HoveredButtons, ::testing::Values(true, false),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "previewsOn" : "previewsOff"; });

// Under xfwm4 with its compositor on, as Xfce starts it, over a white
// maximised window: no shadow band crosses the screen, neither at the top
// edge of the 500-high dock window nor above the auto-show strip, once Auto
// Hide lets the window reach down to it.
TEST(CompositorShadows, UnderXfwm4NoBandCrossesAWhiteMaximisedWindow)
{
    OtherDesktop desktop(WindowManager::xfwm4);
    ASSERT_FALSE(desktop.failed(WindowManager::xfwm4)) << XvfbSession::lastError().toStdString();
    ASSERT_TRUE(waitUntil([] { return compositorRuns(); })) << "xfwm4 composites as it comes";
    movePointer(kAway);
    Clients clients;
    const auto page = plainTerminal(clients, QStringLiteral("white page"), QStringLiteral("80x20+100+100"));
    ASSERT_FALSE(page.id.isEmpty());
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", page.id, "-b", "add,maximized_vert,maximized_horz" });
    ASSERT_TRUE(waitUntil([&] { return windowGeometry(page.id).bottom() == 1079; }));
    // The dock window's top edge, and the rows above the 20-high strip.
    const QRect dockTop(0, 1080 - 500 - 16, 1920, 32);
    const QRect aboveStrip(0, 1080 - 20 - 24, 1920, 24);
    const QImage topBefore = settledArea(dockTop);
    const QImage stripBefore = settledArea(aboveStrip);
    ASSERT_EQ(topBefore.pixelColor(960, 16), QColor(Qt::white));
    ASSERT_EQ(stripBefore.pixelColor(960, 12), QColor(Qt::white));

    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::optional<LoggedBarItem> mainButton = waitForKind(run, LoggedBarItem::mainButton);
    ASSERT_TRUE(mainButton) << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return shownAt(mainButton->rect.center()) != QColor(Qt::white); }));
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("auto-show strip for")); }));
    QStringList stray = strayWhileWatching(dockTop, topBefore);
    EXPECT_TRUE(stray.isEmpty()) << "at the dock window's top edge: " << stray.size() << " pixels, first "
                                 << stray.mid(0, 5).join(QStringLiteral(", ")).toStdString();
    screenshot(QStringLiteral("xfwm4-compositor-shown"));

    ASSERT_TRUE(turnAutoHideOn(run)) << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return windowGeometry(page.id).bottom() == 1079; }))
        << "the maximised window reaches the bottom again";
    // The window paints the rows it got back a moment after it got them
    // (later on a busy machine): until then the compositor shows them black.
    EXPECT_TRUE(waitUntil([&] {
        return strayPixels(rootImage(aboveStrip), aboveStrip, stripBefore).isEmpty();
    })) << "above the strip, the maximised window's rows never came back white";
    stray = strayWhileWatching(aboveStrip, stripBefore);
    EXPECT_TRUE(stray.isEmpty()) << "above the strip: " << stray.size() << " pixels, first "
                                 << stray.mid(0, 5).join(QStringLiteral(", ")).toStdString();
    stray = strayPixels(rootImage(dockTop), dockTop, topBefore);
    EXPECT_TRUE(stray.isEmpty()) << "at the dock window's top edge, the bar hidden: " << stray.size()
                                 << " pixels, first "
                                 << stray.mid(0, 5).join(QStringLiteral(", ")).toStdString();
    screenshot(QStringLiteral("xfwm4-compositor-hidden"));
}

// xfwm4 pulls a window activated from another desktop over to the current
// one; a bar button goes to the window's desktop instead. And when a desktop
// switch leaves no window with the focus, no window stays marked.
TEST(OtherDesktops, UnderXfwm4AButtonGoesToItsWindowsDesktop)
{
    OtherDesktop desktop(WindowManager::xfwm4);
    ASSERT_FALSE(desktop.failed(WindowManager::xfwm4)) << XvfbSession::lastError().toStdString();
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    Clients clients;
    const auto here = clients.xterm(QStringLiteral("here"), QStringLiteral("40x5+100+100"));
    const auto there = clients.xterm(QStringLiteral("there"), QStringLiteral("40x5+900+100"));
    ASSERT_FALSE(here.id.isEmpty());
    ASSERT_FALSE(there.id.isEmpty());
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", there.id, "-t", "1" });
    runTool(QStringLiteral("wmctrl"), { "-i", "-a", here.id });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == here.id; }));
    const auto desktopOf = [](const QString& id) {
        return property(id, QStringLiteral("_NET_WM_DESKTOP")).section(QStringLiteral("= "), 1).trimmed();
    };
    const auto currentDesktop = [] {
        return runTool(QStringLiteral("xprop"), { "-root", "_NET_CURRENT_DESKTOP" })
            .section(QStringLiteral("= "), 1)
            .trimmed();
    };
    ASSERT_TRUE(waitUntil([&] { return desktopOf(there.id) == QLatin1String("1"); }));

    const std::optional<LoggedBarItem> button = waitForWindowButton(run, there.id);
    ASSERT_TRUE(button);
    click(button->rect.center());
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == there.id; })) << run.log().toStdString();
    EXPECT_EQ(currentDesktop(), QStringLiteral("1"));
    EXPECT_EQ(desktopOf(there.id), QStringLiteral("1")) << "the window was pulled over";
    screenshot(QStringLiteral("xfwm4-other-desktop"));

    // An empty desktop: nothing has the focus, nothing is marked.
    const qsizetype from = run.log().size();
    runTool(QStringLiteral("wmctrl"), { "-s", "2" });
    ASSERT_TRUE(
        waitUntil([&] { return currentDesktop() == QLatin1String("2") && activeWindow().isEmpty(); }));
    EXPECT_TRUE(waitUntil([&] {
        return run.log().mid(from).contains(QLatin1String("marks window  focused"));
    })) << run.log().mid(from).toStdString();
    screenshot(QStringLiteral("xfwm4-empty-desktop"));
}

} // namespace
