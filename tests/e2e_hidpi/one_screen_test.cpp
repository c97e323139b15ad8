// The real orbitShelf on a 4K screen (Xvfb 3840x2160, openbox as installed)
// whose desktop asks for a scale above 1 through Xft.dpi, as a user's desktop
// does: what the X server shows is what it shows at scale 1, times the scale.
#include "tests/e2e_dock_input/BarInput.h"
#include "tests/support/CountBadges.h"
#include "tests/support/OwnWindows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <iostream>
#include <thread>

using namespace orbitshelf::test;

namespace {

const QRect kScreen(0, 0, 3840, 2160);
const QPoint kAway(1920, 800);
// The bar's rows at scale 1.
constexpr int kBarRows = 52;
// How many rows lie between the bar's top and the bottom of what opens above
// it at scale 1: the main button's menu touches it, the hub leaves 8, the
// start notice's card, centred in a room 20 rows above it, 63.
constexpr int kMenuGap = 0, kHubGap = 8, kNoticeGap = 63;

QString text(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The numbers of a cardinal property as xprop prints them ("NAME = 1, 2").
std::vector<int> cardinals(const QString& printed)
{
    std::vector<int> numbers;
    for (const QString& n : printed.section(QLatin1Char('='), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        numbers.push_back(n.trimmed().toInt());
    return numbers;
}

std::vector<int> workArea()
{
    std::vector<int> area = cardinals(runTool(QStringLiteral("xprop"), { "-root", "_NET_WORKAREA" }));
    area.resize(4);
    return area;
}

// The whole screen into $ORBITSHELF_SHOTS/NAME.png when that folder is set;
// the file's path, for a failure's message.
QString screenshot(const QString& name)
{
    const QString folder = qEnvironmentVariable("ORBITSHELF_SHOTS");
    if (folder.isEmpty())
        return QStringLiteral("(set ORBITSHELF_SHOTS for a screenshot)");
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    runTool(QStringLiteral("import"), { "-window", "root", file });
    return file;
}

// The bar as the screen shows it: the dock window's bounding shape.
QRect drawnBar(const QString& dock)
{
    return boundingShape(dock.toUInt())
        .value_or(QRegion())
        .boundingRect()
        .translated(windowGeometry(dock).topLeft());
}

// The first visible window of that title, where the server has it.
std::optional<QRect> shownWindow(const QString& title)
{
    const QString id = visibleWindowsNamed(title).value(0);
    return id.isEmpty() ? std::nullopt : std::optional(windowGeometry(id));
}

// `entry` of the main button's menu (the button at `main`, the server's
// pixels) and `keys` in its submenu, as a user chooses them, until `done`
// holds; a menu closed under the pointer is opened again. The menus are
// closed after.
bool chooseFromMainMenu(const DockRun& run, QPoint main, qreal scale, const QString& entry,
    const QStringList& keys, const std::function<bool()>& done)
{
    const bool chosen = waitUntil(
        [&] {
            if (done())
                return true;
            const std::optional<QRect> place
                = clickForMenu(run, main, 3, kSettingsMenuLine, int(kSettingsMenu.size())).place(entry);
            if (place)
                chooseInSubmenu(run, onServer(*place, scale), keys);
            return waitUntil(done, std::chrono::seconds(2));
        },
        std::chrono::seconds(20));
    closeMenus(run);
    return chosen;
}

// Auto Hide on, as a user turns it on: "On" in the "Auto Hide" submenu.
bool turnAutoHideOn(const DockRun& run, QPoint main, qreal scale)
{
    const qsizetype mark = run.log().size();
    return chooseFromMainMenu(run, main, scale, QStringLiteral("Auto Hide"), { "Down", "Return" },
        [&] { return run.log().mid(mark).contains(QLatin1String("reserves nothing")); });
}

} // namespace

class OneScreenAtScale : public ::testing::TestWithParam<int> { };

// At the desktop's scale, the bar reserves its drawn rows and the work area
// ends at its top; a maximised window, the main button's menu, the tool hub
// and the start notice stand above it; its buttons take clicks where they are
// drawn, a count badge where it rises past the panel too, and Auto Hide's
// edge is the screen's last row, or its last column with the bar on the
// right: the pointer resting there brings the bar back once, and the bar
// stays until the pointer leaves.
TEST_P(OneScreenAtScale, TheServerSeesWhatScaleOneShowsTimesTheScale)
{
    const int dpi = GetParam();
    const qreal scale = dpi / 96.0;
    const auto scaled = [scale](int pixels) { return int(std::lround(pixels * scale)); };
    const auto shot
        = [dpi](const char* what) { return screenshot(QStringLiteral("hidpi-%1-%2").arg(dpi).arg(what)); };
    const DesktopDpi desktop(dpi);
    ASSERT_EQ(DesktopDpi::current(), dpi) << runTool(QStringLiteral("xrdb"), { "-query" }).toStdString();
    const int barTop = kScreen.bottom() + 1 - scaled(kBarRows);

    movePointer(kAway);
    Clients clients;
    const Clients::Window first
        = clients.xterm(QStringLiteral("at scale, first"), QStringLiteral("40x5+100+100"));
    const Clients::Window maximised
        = clients.xterm(QStringLiteral("at scale, maximised"), QStringLiteral("40x5+900+100"));
    ASSERT_FALSE(first.id.isEmpty() || maximised.id.isEmpty());
    DockRun run;
    // Counts come over a session bus of the test's own.
    const PrivateSessionBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    run.setEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    ASSERT_GT(run.start(), 0);
    const QString dock = waitForWindow(QStringLiteral("orbitShelf dock"));
    ASSERT_FALSE(dock.isEmpty()) << run.log().toStdString();

    {
        SCOPED_TRACE("the start notice");
        // openbox as installed holds Alt+Tab: the program tells so at its
        // start, for ten seconds, centred above the bar.
        std::optional<QRect> notice;
        EXPECT_TRUE(
            waitUntil([&] { return (notice = shownWindow(QStringLiteral("orbitShelf notice"))).has_value(); },
                std::chrono::seconds(10)))
            << run.log().toStdString();
        if (notice) {
            EXPECT_NEAR(barTop - 1 - notice->bottom(), scaled(kNoticeGap), 3)
                << "the notice at " << text(*notice).toStdString() << ", the bar from row " << barTop << "; "
                << shot("notice").toStdString();
            EXPECT_NEAR(notice->center().x(), kScreen.center().x(), 2) << text(*notice).toStdString();
            std::cout << "the notice at " << text(*notice).toStdString() << std::endl;
        }
    }

    {
        SCOPED_TRACE("the reserve and the work area");
        std::vector<int> strut;
        EXPECT_TRUE(waitUntil([&] {
            strut = cardinals(property(dock, QStringLiteral("_NET_WM_STRUT_PARTIAL")));
            return strut.size() == 12 && strut[3] == scaled(kBarRows);
        })) << property(dock, QStringLiteral("_NET_WM_STRUT_PARTIAL")).toStdString();
        // Over the bar's columns, the bar drawn in the rows it reserves.
        const QRect bar = drawnBar(dock);
        EXPECT_TRUE(strut.size() == 12 && std::abs(strut[10] - bar.left()) <= 1
            && std::abs(strut[11] - bar.right()) <= 1)
            << property(dock, QStringLiteral("_NET_WM_STRUT_PARTIAL")).toStdString() << ", the bar drawn at "
            << text(bar).toStdString();
        EXPECT_TRUE(kScreen.contains(bar) && bar.top() >= barTop && bar.top() <= barTop + scaled(4))
            << "the bar drawn at " << text(bar).toStdString() << "; " << shot("bar").toStdString();
        std::cout << property(dock, QStringLiteral("_NET_WM_STRUT_PARTIAL")).toStdString()
                  << ", the bar drawn at " << text(bar).toStdString() << std::endl;
        const std::vector<int> whole { 0, 0, kScreen.width(), barTop };
        EXPECT_TRUE(waitUntil([&] { return workArea() == whole; }))
            << runTool(QStringLiteral("xprop"), { "-root", "_NET_WORKAREA" }).toStdString();

        runTool(QStringLiteral("wmctrl"),
            { "-i", "-r", maximised.id, "-b", "add,maximized_vert,maximized_horz" });
        QRect frame;
        // An xterm grows by whole lines: it ends at most a line and a frame's
        // border short of the work area's bottom.
        EXPECT_TRUE(waitUntil([&] {
            frame = windowGeometry(maximised.id);
            return frame.width() > kScreen.width() - 20 && frame.bottom() < barTop
                && frame.bottom() >= barTop - 40;
        })) << "the maximised window at "
            << text(frame).toStdString() << ", the bar from row " << barTop << "; "
            << shot("maximised").toStdString();
        std::cout << runTool(QStringLiteral("xprop"), { "-root", "_NET_WORKAREA" }).toStdString()
                  << ", the maximised window at " << text(frame).toStdString() << std::endl;
        // Out of the way of the bar's pixels once the bar hides.
        runTool(QStringLiteral("wmctrl"),
            { "-i", "-r", maximised.id, "-b", "remove,maximized_vert,maximized_horz" });
    }

    std::optional<LoggedBarItem> mainButton = waitForKind(run, LoggedBarItem::mainButton);
    ASSERT_TRUE(mainButton) << run.log().toStdString();
    // The bar logs its places in Qt's pixels; the pointer goes by the server's.
    const QRect main = onServer(mainButton->rect, scale);
    // At 1.75 the bar's top is half a row of the server's, which the two
    // roundings may take to either row.
    EXPECT_TRUE(main.top() >= barTop - 1 && main.bottom() <= kScreen.bottom())
        << "the main button at " << text(main).toStdString() << ", the bar from row " << barTop;

    {
        SCOPED_TRACE("the main button's menu");
        const LoggedMenu menu
            = clickForMenu(run, main.center(), 3, kSettingsMenuLine, int(kSettingsMenu.size()));
        EXPECT_EQ(menu.titles, kSettingsMenu) << run.log().toStdString();
        const QStringList menus = openMenus(run);
        ASSERT_EQ(menus.size(), 1) << run.log().toStdString();
        const QRect at = windowGeometry(menus.front());
        std::cout << "the menu at " << text(at).toStdString() << std::endl;
        EXPECT_NEAR(barTop - 1 - at.bottom(), scaled(kMenuGap), 2)
            << "the menu at " << text(at).toStdString() << ", the bar from row " << barTop << "; "
            << shot("menu").toStdString();
        EXPECT_TRUE(at.left() <= main.right() && at.right() >= main.left())
            << "the menu at " << text(at).toStdString() << ", the main button at "
            << text(main).toStdString();
        ASSERT_TRUE(closeMenus(run));
    }

    {
        SCOPED_TRACE("the tool hub");
        // The hub closes when another window takes the focus: the focus the
        // window manager hands back as the menu closes may come after it, so
        // a hub gone at once is opened again. A click a few pixels from the
        // last: at one spot a second would be a double click.
        std::optional<QRect> hub;
        int clicks = 0;
        EXPECT_TRUE(waitUntil(
            [&] {
                click(main.center() + QPoint(clicks++ % 2 ? 8 : -8, 0));
                return waitUntil(
                    [&] { return (hub = shownWindow(QStringLiteral("orbitShelf tools"))).has_value(); },
                    std::chrono::milliseconds(1500));
            },
            std::chrono::seconds(10)))
            << run.log().toStdString();
        if (hub) {
            std::cout << "the hub at " << text(*hub).toStdString() << std::endl;
            EXPECT_NEAR(barTop - 1 - hub->bottom(), scaled(kHubGap), 2)
                << "the hub at " << text(*hub).toStdString() << ", the bar from row " << barTop << "; "
                << shot("hub").toStdString();
        }
        click(main.center() + QPoint(clicks % 2 ? 8 : -8, 0));
        EXPECT_TRUE(
            waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf tools")).isEmpty(); }));
    }

    {
        SCOPED_TRACE("a window button");
        const std::optional<LoggedBarItem> button = waitForWindowButton(run, first.id);
        ASSERT_TRUE(button) << run.log().toStdString();
        xdotool({ "windowactivate", "--sync", maximised.id });
        ASSERT_EQ(activeWindow(), maximised.id);
        const QRect at = onServer(button->rect, scale);
        click(at.center());
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == first.id; }))
            << "a click at " << text(at).toStdString() << " activated " << activeWindowName().toStdString()
            << "; " << shot("window-button").toStdString();
    }

    {
        SCOPED_TRACE("a count badge");
        // Both terminals share the desktop entry the count is sent for.
        BadgeSender terminals(bus.address(), QStringLiteral("terminal-app"));
        ASSERT_TRUE(terminals.send(QStringLiteral("application://debian-xterm.desktop"),
            { { "count", qint64(7) }, { "count-visible", true } }));
        const std::optional<LoggedBarItem> button = waitForBarItem(run,
            [&](const LoggedBarItem& i) { return i.window == first.id && i.badge == QLatin1String("7"); });
        ASSERT_TRUE(button) << run.log().toStdString();
        const QRect at = onServer(button->rect, scale);
        std::optional<QPoint> onBadge;
        ASSERT_TRUE(waitUntil([&] { return (onBadge = badgePastThePanel(at, scaled(12))).has_value(); }))
            << "no red over the button at " << text(at).toStdString() << "; " << shot("badge").toStdString();
        // From elsewhere: the pointer still rests on the button clicked above.
        movePointer(kAway);
        const qsizetype hovered = run.log().size();
        const BadgeAnswers answers = hoverAndClickBadge(run, *onBadge, first.id, maximised.id);
        EXPECT_TRUE(answers.titled) << run.log().mid(hovered).toStdString();
        EXPECT_TRUE(answers.activated)
            << "a click on the badge at " << onBadge->x() << "," << onBadge->y() << " above the button at "
            << text(at).toStdString() << " left " << activeWindowName().toStdString() << " active; "
            << shot("badge").toStdString();
        movePointer(kAway);
    }

    {
        SCOPED_TRACE("Auto Hide");
        const QPoint barMiddle(kScreen.center().x(), kScreen.bottom() - scaled(kBarRows / 2));
        const auto barShown = [&] { return !isBackground(pixelAt(barMiddle)); };
        // Those pixels are read below; nothing of the terminal maximised
        // above may cover them. Under load it has been found nearly as large
        // as maximised again after the request to unmaximise (xterm resizes
        // itself to whole lines of text, late): put back until it stays.
        const auto outOfTheWay = [&] {
            const QRect w = windowGeometry(maximised.id);
            return !w.isEmpty() && w.right() < kScreen.center().x() - 40 && w.bottom() < kScreen.center().y();
        };
        EXPECT_TRUE(waitUntil([&] {
            if (!outOfTheWay()) {
                runTool(QStringLiteral("wmctrl"),
                    { "-i", "-r", maximised.id, "-b", "remove,maximized_vert,maximized_horz" });
                runTool(QStringLiteral("wmctrl"), { "-i", "-r", maximised.id, "-e", "0,900,100,600,300" });
            }
            // Still so a second later.
            return outOfTheWay() && !waitUntil([&] { return !outOfTheWay(); }, std::chrono::seconds(1));
        })) << "the terminal at " << text(windowGeometry(maximised.id)).toStdString();
        const qsizetype mark = run.log().size();
        EXPECT_TRUE(turnAutoHideOn(run, main.center(), scale)) << run.log().mid(mark).toStdString();
        movePointer(kAway);
        EXPECT_TRUE(waitUntil([&] { return !barShown(); }))
            << "the bar stays; " << shot("auto-hide").toStdString();
        std::vector<int> area;
        EXPECT_TRUE(waitUntil([&] { return (area = workArea())[3] == kScreen.height(); })) << area[3];
        const std::optional<QRect> strip = shownWindow(QStringLiteral("orbitShelf auto-show strip"));
        // At scale 1 it stops two columns short of the screen's end; scaled, a
        // column more for the rounding.
        EXPECT_TRUE(strip && strip->bottom() == kScreen.bottom() && strip->left() == kScreen.left()
            && strip->width() >= kScreen.width() - int(std::ceil(2 * scale)) - 1)
            << (strip ? text(*strip) : QStringLiteral("no strip")).toStdString();

        // The pointer pushed against the screen's last row, under where the
        // bar stands, rests there: the bar comes back once and stays.
        const auto restOnEdge = [&](QPoint edgePixel, QPoint barPixel, const char* what) {
            SCOPED_TRACE(what);
            const qsizetype edge = run.log().size();
            movePointer(edgePixel);
            EXPECT_TRUE(waitUntil([&] {
                return run.log().mid(edge).contains(QLatin1String("auto-show strip brings back the dock"));
            })) << run.log().mid(edge).toStdString();
            EXPECT_TRUE(waitUntil([&] { return !isBackground(pixelAt(barPixel)); }))
                << shot(what).toStdString();
            int looks = 0, hidden = 0;
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (std::chrono::steady_clock::now() < end) {
                ++looks;
                hidden += isBackground(pixelAt(barPixel)) ? 1 : 0;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            const QString over3s = run.log().mid(edge);
            EXPECT_EQ(hidden, 0) << "hidden at " << hidden << " of " << looks << " looks; "
                                 << over3s.toStdString();
            EXPECT_EQ(over3s.count(QLatin1String("auto-show strip brings back the dock")), 1)
                << over3s.toStdString();
            EXPECT_FALSE(over3s.contains(QRegularExpression(QStringLiteral("auto-hidden bar of .* hides"))))
                << over3s.toStdString();
            std::cout << what << ": shown at " << looks - hidden << " of " << looks << " looks" << std::endl;
        };
        restOnEdge(QPoint(barMiddle.x(), kScreen.bottom()), barMiddle, "last-row");

        // From there onto the main button, which keeps the bar, and "Right"
        // in its "Dock Position" (the second entry of that submenu).
        const qsizetype moved = run.log().size();
        const int qtWidth = int(std::lround(kScreen.width() / scale));
        // The hidden bar logs no buttons: its strip tells where it went.
        const QRegularExpression stripAt(QStringLiteral("auto-show strip of .* draws nothing, at (\\d+) "));
        const auto onTheRight = [&] {
            QRegularExpressionMatchIterator strips = stripAt.globalMatch(run.log().mid(moved));
            int x = 0;
            while (strips.hasNext())
                x = strips.next().captured(1).toInt();
            return x > qtWidth - 50;
        };
        EXPECT_TRUE(chooseFromMainMenu(run, main.center(), scale, QStringLiteral("Dock Position"),
            { "Down", "Down", "Return" }, onTheRight))
            << run.log().mid(moved).toStdString();
        movePointer(kAway);
        const QPoint sideMiddle(kScreen.right() - scaled(kBarRows / 2), kScreen.center().y());
        EXPECT_TRUE(waitUntil([&] { return isBackground(pixelAt(sideMiddle)); }))
            << "the bar on the right stays; " << shot("right").toStdString();
        restOnEdge(QPoint(kScreen.right(), kScreen.center().y()), sideMiddle, "last-column");

        // Once the pointer leaves the bar and the strip, it hides.
        movePointer(kAway);
        EXPECT_TRUE(waitUntil([&] { return isBackground(pixelAt(sideMiddle)); }))
            << "the bar stays after the pointer left; " << shot("pointer-left").toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(XftDpi, OneScreenAtScale, ::testing::Values(192, 168, 144),
    [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

struct StripRow {
    int dpi;
    bool laptop; // a 1366x768 screen of its own, else the program's 3840x2160
};

void PrintTo(const StripRow& row, std::ostream* out)
{
    *out << "Xft.dpi " << row.dpi << (row.laptop ? " on 1366x768" : " on 3840x2160");
}

class AutoShowStripAtScale : public ::testing::TestWithParam<StripRow> { };

// Auto Hide's strip where a pixel of Qt's starts in the middle of the
// server's row above the screen's last (1.25 on a 1366x768 screen, 2.5 on
// 3840x2160), so that it covers two of them: the strip takes the pointer on
// the server's last row alone. Clicks that come with the pointer on the
// rows above it reach a maximised window and leave the bar hidden; made
// full screen, the window keeps the last row as well; the last row brings
// the bar back.
TEST_P(AutoShowStripAtScale, TakesOnlyTheScreensLastRowOfTheServers)
{
    const StripRow row = GetParam();
    const qreal scale = row.dpi / 96.0;
    const QByteArray ownDisplay = qgetenv("DISPLAY");
    const auto ownDisplayBack = qScopeGuard([&] { qputenv("DISPLAY", ownDisplay); });
    std::unique_ptr<XvfbSession> session;
    if (row.laptop) {
        session = XvfbSession::start(XvfbSession::Outputs::laptop);
        ASSERT_TRUE(session) << XvfbSession::lastError().toStdString();
    }
    const QRect screen = row.laptop ? QRect(0, 0, 1366, 768) : kScreen;
    const QPoint away(screen.center().x(), screen.height() / 3);
    const DesktopDpi desktop(row.dpi);
    ASSERT_EQ(DesktopDpi::current(), row.dpi);
    movePointer(away);

    Clients clients;
    const PressProbe probe(clients);
    ASSERT_FALSE(probe.id.isEmpty());
    const auto pressed = [&] { return probe.presses(); };

    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::optional<LoggedBarItem> mainButton = waitForKind(run, LoggedBarItem::mainButton);
    ASSERT_TRUE(mainButton) << run.log().toStdString();
    ASSERT_TRUE(turnAutoHideOn(run, onServer(mainButton->rect, scale).center(), scale))
        << run.log().toStdString();
    movePointer(away);
    ASSERT_TRUE(waitUntil([&] { return loggedBar(run.log()).empty(); })) << "the bar did not hide";

    // Maximised down to the screen's last row, the bar reserving nothing.
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", probe.id, "-b", "add,maximized_vert,maximized_horz" });
    QRect window;
    ASSERT_TRUE(waitUntil([&] {
        const QRect was = std::exchange(window, windowGeometry(probe.id));
        return window.bottom() >= screen.bottom() - 2 && window == was;
    })) << text(window).toStdString();

    // Where the strip takes the pointer, as the server has it.
    const QString strip = visibleWindowsNamed(QStringLiteral("orbitShelf auto-show strip")).value(0);
    ASSERT_FALSE(strip.isEmpty());
    const QRect takes = inputShape(strip.toUInt())
                            .value_or(QRegion())
                            .boundingRect()
                            .translated(windowGeometry(strip).topLeft());
    EXPECT_TRUE(takes.height() == 1 && takes.top() == screen.bottom() && takes.left() <= 2
        && takes.right() >= screen.right() - int(std::ceil(2 * scale)) - 1)
        << "the strip takes " << text(takes).toStdString();

    // The window's rows above the last one, each clicked along the strip.
    const qsizetype mark = run.log().size();
    QStringList lost;
    int clicked = 0;
    for (int line = screen.bottom() - 3; line < screen.bottom(); ++line) {
        if (line > window.bottom())
            continue; // the window's frame
        clicked += 3;
        QStringList steps;
        for (const int x : { 40, screen.center().x(), screen.right() - 40 })
            steps << "mousemove" << QString::number(x) << QString::number(line) << "click"
                  << "1";
        const int before = pressed();
        xdotool(steps);
        if (!waitUntil([&] { return pressed() >= before + 3; }, std::chrono::seconds(2)))
            lost << QStringLiteral("row %1: %2 of 3").arg(line).arg(pressed() - before);
    }
    EXPECT_GE(clicked, 3) << "the window ends at " << window.bottom();
    EXPECT_TRUE(lost.isEmpty())
        << "clicks the window never got: " << lost.join(", ").toStdString() << "; "
        << screenshot(QStringLiteral("strip-%1-rows-above").arg(row.dpi)).toStdString();
    std::cout << "the strip takes " << text(takes).toStdString() << "; the window at "
              << text(window).toStdString() << " got " << clicked - 3 * int(lost.size()) << " of " << clicked
              << " clicks above it" << std::endl;
    EXPECT_FALSE(run.log().mid(mark).contains(QLatin1String("auto-show strip brings back the dock")))
        << run.log().mid(mark).toStdString();

    // Made full screen while mapped, the window keeps the last row too: the
    // strip steps aside before any pointer comes, and back as it leaves.
    xdotool({ "windowactivate", "--sync", probe.id });
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", probe.id, "-b", "add,fullscreen" });
    ASSERT_TRUE(waitUntil([&] { return windowGeometry(probe.id) == screen; })) << "no full-screen window";
    const QRegularExpression aside(QStringLiteral("auto-show strip of .* steps aside"));
    EXPECT_TRUE(waitUntil([&] { return run.log().mid(mark).contains(aside); }, std::chrono::seconds(3)))
        << run.log().mid(mark).toStdString();
    const int beforeFullScreen = pressed();
    xdotool({ "mousemove", QString::number(screen.center().x()), QString::number(screen.bottom()), "click",
        "1" });
    EXPECT_TRUE(waitUntil([&] { return pressed() > beforeFullScreen; }, std::chrono::seconds(2)))
        << "the full-screen window lost a click on its last row";
    movePointer(away);
    const qsizetype left = run.log().size();
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", probe.id, "-b", "remove,fullscreen" });
    EXPECT_TRUE(waitUntil([&] {
        return run.log().mid(left).contains(
            QRegularExpression(QStringLiteral("auto-show strip of .* takes the edge again")));
    })) << run.log().mid(left).toStdString();
    EXPECT_FALSE(run.log().mid(mark).contains(QLatin1String("auto-show strip brings back the dock")))
        << run.log().mid(mark).toStdString();

    movePointer(QPoint(screen.center().x(), screen.bottom()));
    EXPECT_TRUE(waitUntil([&] {
        return run.log().mid(mark).contains(QLatin1String("auto-show strip brings back the dock"));
    })) << run.log().mid(mark).toStdString();
    EXPECT_TRUE(waitUntil([&] { return !loggedBar(run.log().mid(mark)).empty(); }))
        << "the bar did not come back; "
        << screenshot(QStringLiteral("strip-%1-last-row").arg(row.dpi)).toStdString();
    movePointer(away);
}

INSTANTIATE_TEST_SUITE_P(XftDpi, AutoShowStripAtScale,
    ::testing::Values(StripRow { 120, true }, StripRow { 240, false }),
    [](const ::testing::TestParamInfo<StripRow>& info) { return std::to_string(info.param.dpi); });

// Under fluxbox, which reads a negative base size in a window's size hints
// as a huge one, at Xft.dpi 192, the program's first start: the onboarding,
// the start notice, the bar, the main button's menu and Settings each fit
// the screen and carry hints no window manager misreads; a window manager
// that says it made the dock window 65534 pixels square changes nothing;
// ten seconds on the memory is what it was, and SIGTERM ends the program at
// once.
TEST(UnderFluxboxAt192, EveryWindowFitsTheScreenMemoryStaysFlatAndSigtermEndsIt)
{
    const QByteArray ownDisplay = qgetenv("DISPLAY");
    const auto ownDisplayBack = qScopeGuard([&] { qputenv("DISPLAY", ownDisplay); });
    const std::unique_ptr<XvfbSession> session
        = XvfbSession::start(XvfbSession::Outputs::uhd, XvfbSession::WindowManager::fluxbox);
    ASSERT_TRUE(session) << XvfbSession::lastError().toStdString();
    const DesktopDpi desktop(192);
    ASSERT_EQ(DesktopDpi::current(), 192);
    movePointer(kAway);

    DockRun run { DockRun::FirstRun {} };
    ASSERT_GT(run.start(), 0);
    QElapsedTimer started;
    started.start();
    const QString dock = waitForWindow(kDock);
    ASSERT_FALSE(dock.isEmpty()) << run.log().toStdString();
    EXPECT_FALSE(waitForWindow(QStringLiteral("Onboarding Window")).isEmpty());
    const auto wrongNow = [&run] {
        return oversizedOrMisread(windowsOfProcess(run.pid()), { kScreen }).join(QLatin1Char('\n'));
    };

    {
        SCOPED_TRACE("the main button's menu");
        const std::optional<LoggedBarItem> mainButton = waitForKind(run, LoggedBarItem::mainButton);
        ASSERT_TRUE(mainButton) << run.log().toStdString();
        const LoggedMenu menu = clickForMenu(
            run, onServer(mainButton->rect, 2).center(), 3, kSettingsMenuLine, int(kSettingsMenu.size()));
        EXPECT_EQ(menu.titles, kSettingsMenu) << run.log().toStdString();
        EXPECT_EQ(wrongNow().toStdString(), "") << describe(windowsOfProcess(run.pid())).toStdString();
        screenshot(QStringLiteral("fluxbox-192-menu"));
        // Settings, chosen there, stays open for the looks that follow.
        const std::optional<QRect> settings = menu.place(QStringLiteral("Settings"));
        ASSERT_TRUE(settings) << run.log().toStdString();
        click(onServer(*settings, 2).center());
        EXPECT_FALSE(waitForWindow(QStringLiteral("OrbitShelf Settings")).isEmpty())
            << run.log().toStdString();
    }

    {
        SCOPED_TRACE("a window manager that says it made the dock window 65534 square");
        const qsizetype mark = run.log().size();
        claimSize(dock.toUInt(), QSize(65534, 65534));
        EXPECT_TRUE(waitUntil([&] {
            return run.log().mid(mark).contains(QLatin1String("made \"orbitShelf dock\" 65534x65534"));
        })) << run.log().mid(mark).toStdString();
        EXPECT_TRUE(kScreen.contains(windowGeometry(dock))) << text(windowGeometry(dock)).toStdString();
    }

    screenshot(QStringLiteral("fluxbox-192"));
    expectSaneWindowsMemoryAndEnd(run, started, { kScreen });
}
