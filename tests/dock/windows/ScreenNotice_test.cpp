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
    return ScreensReading { { laptop, monitor }, { "DUMMY0", "DUMMY1" }, server };
}

} // namespace

// Before the bars are rebuilt on a change of the screens, two looks a
// moment apart must agree on an arrangement the server has finished.
TEST(ScreenNotice, OnlyASettledArrangementIsOneToBuildOn)
{
    struct Row {
        const char* name;
        std::function<void(ScreensReading& later)> change; // of the later look
        bool settled;
    };
    const Row rows[] = {
        { "both looks alike", [](ScreensReading&) {}, true },
        { "the screens in another order", [](ScreensReading& r) { std::swap(r.screens[0], r.screens[1]); },
            false },
        { "the monitor moved between the looks", [](ScreensReading& r) { r.screens[1].frame.moveLeft(1280); },
            false },
        { "only the server moved it so far",
            [](ScreensReading& r) { r.server->monitors[1].place.moveLeft(1280); }, false },
        { "the root resized before the outputs were set",
            [](ScreensReading& r) { r.server->root.setWidth(3200); }, false },
        { "Qt has not yet heard of a screen the server dropped",
            [](ScreensReading& r) { r.server->monitors.pop_back(); }, false },
        { "the server has no screen at all", [](ScreensReading& r) { r.server->monitors.clear(); }, false },
        { "a screen of no size", [](ScreensReading& r) { r.server->monitors[1].place.setWidth(0); }, false },
        { "the server's view lost between the looks", [](ScreensReading& r) { r.server.reset(); }, false },
        { "no screen", [](ScreensReading& r) { r.screens.clear(); }, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScreensReading later = sideBySide();
        row.change(later);
        EXPECT_EQ(!unsettledBecause(sideBySide(), later).has_value(), row.settled);
    }

    // Two looks alike but the server's view, which tells nothing.
    ScreensReading qtOnly = sideBySide();
    qtOnly.server.reset();
    EXPECT_FALSE(unsettledBecause(qtOnly, qtOnly)) << "Qt's screens are all there is";
    // Alike, and half-made: the server has the monitor past its root.
    ScreensReading halfMade = sideBySide();
    halfMade.server->monitors[1].place.moveTop(1080);
    EXPECT_TRUE(unsettledBecause(halfMade, halfMade));
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
        EXPECT_EQ(noticeRebuildsTheBars(standing, row.now), row.rebuilds);
    }
    EXPECT_TRUE(noticeRebuildsTheBars({}, standing)) << "no bars stand yet";
}
