// Where the clicks next to the bar go under a compositor: a maximised window
// takes every click on its own rows (or columns) right up to the bar, under
// each window manager with a compositor, at a fractional scale and along
// each edge. A dock window that showed a soft shadow round its panel had the
// window manager's frame, which copies what a window shows, take every
// click there, the whole screen wide. Over those rows of the (white)
// window a hovered button's grown icon shows its own pixels only: a box of
// grey, the panel's shadow seen where the icon is clear, stood there. As the
// bar moves from edge to edge the window keeps the screen less the bar: no
// reserve of the bar's, not even for a moment, makes it narrower. And the
// same window made full screen keeps the screen's last row, and gives it
// back to the bar as it leaves.
#include "tests/e2e_wms/OtherDesktop.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

using namespace orbitshelf::test;

namespace {

struct ClickRow {
    const char* name;
    WindowManager manager;
    bool picom = false; // else the window manager's own compositor
    int dpi = 0; // Xft.dpi, 0 for none
    std::vector<const char*> edges { "bottom" };
    // With the bar at the bottom, the window gone full screen while mapped
    // and back.
    bool fullScreen = false;
};

const std::vector<ClickRow>& clickRows()
{
    static const std::vector<ClickRow> rows {
        { "openbox_picom", WindowManager::openbox, true, 0, { "bottom", "left", "right", "left" }, true },
        { "xfwm4", WindowManager::xfwm4, false, 0, { "bottom" }, true },
        { "icewm_picom", WindowManager::icewm, true },
        // A desktop of its own anyway: scaled as well, the bar's rows and the
        // window's in the server's pixels no longer the same numbers.
        { "fluxbox_picom_at144", WindowManager::fluxbox, true, 144 },
    };
    return rows;
}

// The bar as its buttons stand (the server's pixels): what they cover
// together, and the middle of each.
struct BarSeen {
    QRect rect;
    std::vector<QPoint> buttons;
};

BarSeen barSeen(const DockRun& run, qreal scale)
{
    BarSeen bar;
    for (const LoggedBarItem& item : loggedBar(run.log())) {
        const QRect r = onServer(item.rect, scale);
        bar.rect |= r;
        bar.buttons.push_back(r.center());
    }
    return bar;
}

// Pixels of `shown` (the screen at `where`) that show their row's colour, as
// it stands in the first and the last column, shifted evenly in red, green
// and blue: what a shadow, or a hole cut out of another window's shadow,
// makes of what lies beneath; an icon's pixels shift unevenly. A row whose
// ends differ says nothing. Each as "x,y #rrggbb".
QStringList evenShifts(const QImage& shown, const QRect& where)
{
    QStringList shifted;
    for (int y = 0; y < shown.height(); ++y) {
        const QColor beside = shown.pixelColor(0, y);
        if (beside != shown.pixelColor(shown.width() - 1, y))
            continue;
        for (int x = 1; x < shown.width() - 1; ++x) {
            const QColor c = shown.pixelColor(x, y);
            const int r = c.red() - beside.red(), g = c.green() - beside.green(),
                      b = c.blue() - beside.blue();
            if (std::max({ std::abs(r), std::abs(g), std::abs(b) }) >= 6 && std::abs(r - g) <= 3
                && std::abs(g - b) <= 3)
                shifted << QStringLiteral("%1,%2 %3").arg(where.x() + x).arg(where.y() + y).arg(c.name());
        }
    }
    return shifted;
}

// The window `probe` (maximised, in front, its presses counted by
// `pressed`) made full screen while mapped: clicks that come with the
// pointer onto the screen's last row (a touch, a pen, a remote desktop)
// reach it, the pointer never on the band under the bar before them; out of
// full screen that row acts on the bar again, under another window's button
// activating that window.
void fullScreenKeepsTheLastRow(const DockRun& run, Clients& clients, const QString& probe,
    const std::function<int()>& pressed, qreal scale, const char* rowName)
{
    SCOPED_TRACE("a window gone full screen while mapped");
    const auto other
        = plainTerminal(clients, QStringLiteral("beside the probe"), QStringLiteral("40x5+300+200"));
    ASSERT_FALSE(other.id.isEmpty());
    const std::optional<LoggedBarItem> button = waitForWindowButton(run, other.id);
    ASSERT_TRUE(button) << run.log().toStdString();
    const int under = onServer(button->rect, scale).center().x();
    const int lastRow = kScreen.bottom();
    xdotool({ "windowactivate", "--sync", probe });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == probe; }));
    const QRect maximised = windowGeometry(probe);
    movePointer(QPoint(960, 300));

    qsizetype mark = run.log().size();
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", probe, "-b", "add,fullscreen" });
    ASSERT_TRUE(waitUntil([&] { return windowGeometry(probe) == kScreen; })) << "no full-screen window";
    // As a user's click comes a moment later: by then the band has stepped
    // aside, with the pointer nowhere near it.
    const QRegularExpression stepsAside(QStringLiteral("the band under the bar on .* steps aside"));
    EXPECT_TRUE(waitUntil([&] { return run.log().mid(mark).contains(stepsAside); }, std::chrono::seconds(3)))
        << run.log().mid(mark).toStdString();
    QStringList steps;
    for (const int x : { 40, under, 1880 })
        steps << "mousemove" << QString::number(x) << QString::number(lastRow) << "click"
              << "1";
    const int before = pressed();
    xdotool(steps);
    EXPECT_TRUE(waitUntil([&] { return pressed() >= before + 3; }, std::chrono::seconds(3)))
        << "the full-screen window got " << pressed() - before << " of 3 clicks on its last row";
    EXPECT_EQ(activeWindow(), probe) << "a click on the full-screen window's last row acted on the bar";
    screenshot(QStringLiteral("clicks-beside-%1-full-screen").arg(QLatin1String(rowName)));

    mark = run.log().size();
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", probe, "-b", "remove,fullscreen" });
    ASSERT_TRUE(waitUntil([&] { return windowGeometry(probe) == maximised; }))
        << "still full screen, or not maximised again";
    const QRegularExpression back(QStringLiteral("the band under the bar on .* takes the edge again"));
    EXPECT_TRUE(waitUntil([&] { return run.log().mid(mark).contains(back); }, std::chrono::seconds(3)))
        << run.log().mid(mark).toStdString();
    movePointer(QPoint(960, 300));
    xdotool({ "mousemove", QString::number(under), QString::number(lastRow), "click", "1" });
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == other.id; }))
        << "the last row under a window's button, out of full screen, did not activate that window";
    xdotool({ "windowactivate", "--sync", probe });
    movePointer(QPoint(960, 300));
}

class ClicksBesideTheBar : public ::testing::TestWithParam<size_t> { };

TEST_P(ClicksBesideTheBar, AMaximisedWindowTakesEveryClickOnItsRowsRightUpToTheBar)
{
    const ClickRow& row = clickRows()[GetParam()];
    OtherDesktop desktop(row.manager, row.dpi != 0);
    ASSERT_FALSE(desktop.failed(row.manager)) << XvfbSession::lastError().toStdString();
    std::optional<DesktopDpi> dpi;
    if (row.dpi)
        dpi.emplace(row.dpi);
    const qreal scale = row.dpi ? row.dpi / 96.0 : 1.0;
    const Wallpaper wallpaper;
    std::unique_ptr<Picom> picom;
    if (row.picom) {
        picom = Picom::start();
        ASSERT_TRUE(picom) << Picom::lastError().toStdString();
    }
    ASSERT_TRUE(waitUntil([] { return compositorRuns(); }));
    movePointer(QPoint(960, 300));

    Clients clients;
    const PressProbe probe(clients);
    ASSERT_FALSE(probe.id.isEmpty());
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", probe.id, "-b", "add,maximized_vert,maximized_horz" });
    const auto pressed = [&] { return probe.presses(); };
    // A terminal out of the way, whose button is hovered: its icon, an X in
    // orange and blue, has no grey of its own.
    const auto hovered = clients.xterm(QStringLiteral("hovered"), QStringLiteral("20x2+40+40"));
    ASSERT_FALSE(hovered.id.isEmpty());

    DockRun run;
    ASSERT_GT(run.start(), 0);
    WidthWatch widths(probe.id);
    const int besideSideBar = onServer(QRect(0, 0, 1870, 1), scale).width(); // the screen less 50 columns
    for (auto at = row.edges.begin(); at != row.edges.end(); ++at) {
        const char* edge = *at;
        SCOPED_TRACE(
            QStringLiteral("%1, the bar on the %2").arg(QLatin1String(row.name), edge).toStdString());
        const bool bottom = QLatin1String(edge) == QLatin1String("bottom");
        const bool left = QLatin1String(edge) == QLatin1String("left");
        if (!bottom) {
            const std::optional<WidthWatch::Seen> seen
                = moveBarWatched(run, QString::fromLatin1(edge), widths, probe.id);
            ASSERT_TRUE(seen) << run.log().toStdString();
            const std::string changes = seen->changes.join(QStringLiteral("; ")).toStdString();
            EXPECT_GE(seen->narrowestArea, besideSideBar) << changes;
            EXPECT_GE(seen->narrowestWindow, besideSideBar) << changes;
            movePointer(QPoint(960, 300));
        }
        // The bar and the maximised window beside it, both settled where the
        // bar's edge has them: the bar's buttons stand along its edge and
        // the window ends before them.
        BarSeen bar;
        QRect window;
        ASSERT_TRUE(waitUntil(
            [&] {
                const BarSeen before = std::exchange(bar, barSeen(run, scale));
                const QRect was = std::exchange(window, windowGeometry(probe.id));
                // Above a window manager's own panel along the bottom.
                const bool along = bottom ? bar.rect.bottom() > kScreen.bottom() - 100
                    : left                ? bar.rect.left() < 20
                                          : bar.rect.right() > kScreen.right() - 20;
                const bool beside = bottom ? window.bottom() < bar.rect.top()
                    : left                 ? window.left() > bar.rect.right()
                                           : window.right() < bar.rect.left();
                return along && beside && !bar.rect.isEmpty() && bar.rect == before.rect && window == was;
            },
            std::chrono::seconds(20)))
            << "bar " << bar.rect.x() << "," << bar.rect.y() << " " << bar.rect.width() << "x"
            << bar.rect.height() << ", window " << window.x() << "," << window.y() << " " << window.width()
            << "x" << window.height();
        if (!bottom) {
            EXPECT_EQ(window.width(), besideSideBar);
        }
        // An edge swept once is not swept again.
        if (std::any_of(row.edges.begin(), at, [&](const char* e) { return !std::strcmp(e, edge); }))
            continue;

        // Lines of the window from 40 away from the bar to its last one next
        // to it, each clicked at several places, straight next to each of
        // the bar's buttons among them.
        std::vector<int> across { 40, 700, 1500, 1880 };
        if (!bottom)
            across = { 60, 400, 900, 1000 };
        for (const QPoint& button : bar.buttons)
            across.push_back(bottom ? button.x() : button.y());
        const int nearest = bottom ? window.bottom() : left ? window.left() : window.right();
        const int toward = bottom || !left ? -1 : 1; // from the bar into the window
        const int barSide = bottom ? bar.rect.top() : left ? bar.rect.right() : bar.rect.left();
        QStringList lost;
        QString underFirstLost;
        for (int away = 40; away >= 1 && lost.size() < 5; --away) {
            const int line = barSide + toward * away;
            if ((toward < 0 && line > nearest) || (toward > 0 && line < nearest))
                continue; // not the window's
            // Each click waits for the one before to arrive: openbox holds a
            // press on a client in a grab of its own until it has focused
            // and raised the window, and drops the next press if it comes
            // before that one was handed on.
            int got = 0;
            for (const int along : across) {
                const int before = pressed();
                fakeClick(bottom ? QPoint(along, line) : QPoint(line, along));
                const bool arrived = waitUntil([&] { return pressed() > before; }, std::chrono::seconds(2));
                got += arrived;
                // What stood under the pointer the first time a click went
                // astray, to tell a window in the way from a press nobody got.
                if (!arrived && underFirstLost.isEmpty())
                    underFirstLost = xdotool({ "getmouselocation", "--shell" }).simplified();
            }
            if (got < int(across.size()))
                lost << QStringLiteral("%1 %2: %3 of %4")
                            .arg(bottom ? "row" : "column")
                            .arg(line)
                            .arg(got)
                            .arg(across.size());
        }
        EXPECT_TRUE(lost.isEmpty()) << "clicks the window never got: " << lost.join(", ").toStdString()
                                    << "; under the first: " << underFirstLost.toStdString()
                                    << " (the window " << probe.id.toStdString() << ")\n"
                                    << run.log().right(4000).toStdString();
        screenshot(QStringLiteral("clicks-beside-%1-%2").arg(QLatin1String(row.name), edge));
        if (!bottom)
            continue;

        // The terminal's button hovered: its icon, grown, rises past the
        // panel over the maximised window's last rows.
        const std::optional<LoggedBarItem> button = waitForWindowButton(run, hovered.id);
        ASSERT_TRUE(button) << run.log().toStdString();
        const QRect at = onServer(button->rect, scale);
        const QImage still = settledArea(at);
        int nudge = 0;
        ASSERT_TRUE(waitUntil([&] {
            movePointer(at.center() + QPoint(nudge++ % 2, 0));
            return waitUntil([&] { return rootImage(at) != still; }, std::chrono::milliseconds(500));
        })) << "the hovered button does not grow";
        // Its rows and a few columns beside them, to tell what lies beneath.
        const int rows = int(std::ceil(8 * scale));
        const QRect above(at.left() - 4, at.top() - rows, at.width() + 8, rows);
        const QStringList box = evenShifts(settledArea(above), above);
        EXPECT_TRUE(box.isEmpty()) << box.size()
                                   << " pixels over the hovered button shaded or cleared, first "
                                   << box.mid(0, 5).join(QStringLiteral(", ")).toStdString();
        screenshot(QStringLiteral("clicks-beside-%1-hovered").arg(QLatin1String(row.name)));
        movePointer(QPoint(960, 300));
        if (row.fullScreen)
            fullScreenKeepsTheLastRow(run, clients, probe.id, pressed, scale, row.name);
    }
}

INSTANTIATE_TEST_SUITE_P(UnderEachCompositor, ClicksBesideTheBar,
    ::testing::Range(size_t(0), clickRows().size()),
    [](const ::testing::TestParamInfo<size_t>& info) { return std::string(clickRows()[info.param].name); });

} // namespace
