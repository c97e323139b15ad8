// Where the clicks next to the bar go under a compositor: a maximised window
// takes every click on its own rows (or columns) right up to the bar, under
// each window manager with a compositor, at a fractional scale and along
// each edge. A dock window that showed a soft shadow round its panel had the
// window manager's frame, which copies what a window shows, take every
// click there, the whole screen wide. As the bar moves from edge to edge the
// window keeps the screen less the bar: no reserve of the bar's, not even
// for a moment, makes it narrower.
#include "tests/e2e_wms/OtherDesktop.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
};

const std::vector<ClickRow>& clickRows()
{
    static const std::vector<ClickRow> rows {
        { "openbox_picom", WindowManager::openbox, true, 0, { "bottom", "left", "right", "left" } },
        { "xfwm4", WindowManager::xfwm4 },
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

    // A window that writes a line for every button it is pressed with.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString presses = folder.filePath(QStringLiteral("presses"));
    Clients clients;
    const auto probe = clients.program(QStringLiteral("/bin/sh"),
        { "-c", QStringLiteral("exec xev -name PROBE -event button > '%1'").arg(presses) },
        QStringLiteral("PROBE"));
    ASSERT_FALSE(probe.id.isEmpty());
    runTool(QStringLiteral("wmctrl"), { "-i", "-r", probe.id, "-b", "add,maximized_vert,maximized_horz" });
    const auto pressed = [&] { return int(readText(presses).count(QStringLiteral("ButtonPress event"))); };

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
        for (int away = 40; away >= 1 && lost.size() < 5; --away) {
            const int line = barSide + toward * away;
            if ((toward < 0 && line > nearest) || (toward > 0 && line < nearest))
                continue; // not the window's
            QStringList steps;
            for (const int along : across) {
                const QPoint at = bottom ? QPoint(along, line) : QPoint(line, along);
                steps << "mousemove" << QString::number(at.x()) << QString::number(at.y()) << "click"
                      << "1";
            }
            const int before = pressed();
            xdotool(steps);
            if (!waitUntil([&] { return pressed() >= before + int(across.size()); }, std::chrono::seconds(2)))
                lost << QStringLiteral("%1 %2: %3 of %4")
                            .arg(bottom ? "row" : "column")
                            .arg(line)
                            .arg(pressed() - before)
                            .arg(across.size());
        }
        EXPECT_TRUE(lost.isEmpty()) << "clicks the window never got: " << lost.join(", ").toStdString();
        screenshot(QStringLiteral("clicks-beside-%1-%2").arg(QLatin1String(row.name), edge));
    }
}

INSTANTIATE_TEST_SUITE_P(UnderEachCompositor, ClicksBesideTheBar,
    ::testing::Range(size_t(0), clickRows().size()),
    [](const ::testing::TestParamInfo<size_t>& info) { return std::string(clickRows()[info.param].name); });

} // namespace
