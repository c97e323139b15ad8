#include "dock/windows/ScreenNotice.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Side by side: the laptop (primary) and a taller monitor to its right.
// Dock space is measured up from the primary's bottom.
const DockScreen laptop { "L", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) };
const DockScreen monitor { "M", QRectF(1400, -30, 1920, 1080), QRectF(1400, -30, 1920, 1080) };

ScreensReading sideBySide()
{
    platform::ServerScreens server;
    server.root = QSize(3320, 1080);
    server.monitors = { { "DUMMY0", QRect(0, 0, 1400, 1050) }, { "DUMMY1", QRect(1400, 0, 1920, 1080) } };
    return ScreensReading { { laptop, monitor }, { "DUMMY0", "DUMMY1" }, server,
        { QRect(0, 0, 1400, 1050), QRect(1400, 0, 1920, 1080) } };
}

} // namespace

// Before the bars are rebuilt on a change of the screens, two looks a
// moment apart must agree on an arrangement the server has finished.
TEST(ScreenNotice, OnlyASettledArrangementIsOneToBuildOn)
{
    struct Row {
        const char* name;
        std::function<void(ScreensReading&)> change; // of both looks
        bool settled;
    };
    const Row rows[] = {
        { "side by side", [](ScreensReading&) {}, true },
        { "the root resized before the outputs were set",
            [](ScreensReading& r) { r.server->root.setWidth(3200); }, false },
        { "a screen past the root's bottom",
            [](ScreensReading& r) { r.server->monitors[1].place.moveTop(1080); }, false },
        { "the server has a screen above the root",
            [](ScreensReading& r) { r.server->monitors[1].place.moveTop(-56); }, false },
        { "the server has a screen left of the root",
            [](ScreensReading& r) { r.server->monitors[0].place.moveLeft(-1400); }, false },
        { "the bars would take a screen to stand above the root",
            [](ScreensReading& r) { r.places[1].moveTop(-56); }, false },
        { "no server's view, a screen of Qt's left of the root",
            [](ScreensReading& r) {
                r.server.reset();
                r.places[1].moveLeft(-1920);
            },
            false },
        { "Qt has not yet heard of a screen the server dropped",
            [](ScreensReading& r) { r.server->monitors.pop_back(); }, false },
        { "Qt has heard of a screen the server just added",
            [](ScreensReading& r) { r.qtScreens.push_back("DUMMY2"); }, false },
        { "Qt still has a screen by an old name", [](ScreensReading& r) { r.qtScreens[1] = "DUMMY2"; },
            false },
        { "Qt names its screens otherwise, as many as the server's",
            [](ScreensReading& r) {
                r.qtScreens = { "VIRTUAL0", "VIRTUAL1" };
            },
            true },
        { "Qt names its screens otherwise, fewer than the server's",
            [](ScreensReading& r) { r.qtScreens = { "VIRTUAL0" }; }, false },
        { "the server has no screen at all", [](ScreensReading& r) { r.server->monitors.clear(); }, false },
        { "no server's view: Qt's is all there is", [](ScreensReading& r) { r.server.reset(); }, true },
        { "no screen", [](ScreensReading& r) { r.screens.clear(); }, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScreensReading reading = sideBySide();
        row.change(reading);
        EXPECT_EQ(!unsettledBecause(reading, reading).has_value(), row.settled);
    }
    ScreensReading moved = sideBySide();
    moved.server->monitors[1].place.moveLeft(1200);
    EXPECT_TRUE(unsettledBecause(sideBySide(), moved)) << "only the server moved it between the looks";
}

// What a notice rebuilds: nothing while every screen is as the bars stand
// on it, whatever told of a change.
TEST(ScreenNotice, ANoticeRebuildsTheBarsOnlyWhereAScreenIsNotAsTheyStandOnIt)
{
    const std::vector<DockScreen> standing { laptop, monitor };
    struct Row {
        const char* name;
        std::vector<DockScreen> now;
        bool rebuilds;
    };
    DockScreen moved = monitor;
    moved.frame.moveLeft(1280);
    moved.visibleFrame.moveLeft(1280);
    DockScreen resized = monitor;
    resized.frame.setWidth(1680);
    resized.visibleFrame.setWidth(1680);
    DockScreen panel = monitor;
    panel.visibleFrame = QRectF(1400, 0, 1920, 1050);
    DockScreen renamed = monitor;
    renamed.id = "N";
    const Row rows[] = {
        { "the same screens", standing, false },
        { "the same screens in Qt's other order", { monitor, laptop }, false },
        { "the monitor moved", { laptop, moved }, true },
        { "the monitor's mode changed", { laptop, resized }, true },
        { "another panel took the monitor's bottom", { laptop, panel }, true },
        { "another monitor in its place", { laptop, renamed }, true },
        { "the monitor unplugged", { laptop }, true },
        { "a third screen plugged", { laptop, monitor, renamed }, true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(noticeRebuildsTheBars(standing, row.now, false), row.rebuilds);
    }
    EXPECT_TRUE(noticeRebuildsTheBars({}, standing, false)) << "no bars stand yet";
    EXPECT_TRUE(noticeRebuildsTheBars(standing, standing, true)) << "the monitor switched off and on";
}
