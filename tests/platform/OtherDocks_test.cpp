#include "platform/OtherDocks.h"

#include <gtest/gtest.h>

using namespace platform;
using Side = ReservedEdge::Side;

namespace {

const std::vector<QRect> kDockOneScreen { QRect(0, 0, 1920, 1080) };
// A 1080-row screen beside a taller one: the root is 1200 rows high.
const std::vector<QRect> kDockShortBesideTall { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1200) };

// xfce4-panel's windows as its stock settings make them on 1920x1080: the
// top panel (reserving its 27 rows), a 3 by 3 helper far off the screen,
// and the launcher panel at the bottom centre, of type DOCK, reserving nothing.
RunningWindow xfceWindow(quint32 id, QRect frame, bool reserves = false)
{
    return { id, QStringLiteral("xfce4-panel"), true, reserves, frame, {} };
}
const RunningWindow kXfceTopPanel = xfceWindow(0x600003, QRect(0, 0, 1920, 27), true);
const RunningWindow kXfceHelper = xfceWindow(0x60000e, QRect(-9999, -9999, 3, 3));
const RunningWindow kXfceLauncher = xfceWindow(0x600012, QRect(807, 1031, 306, 49));
// The launcher panel hidden: moved below the screen.
const RunningWindow kXfceLauncherHidden = xfceWindow(0x600012, QRect(807, 1149, 306, 49));
const XfcePanelSettings kXfceTopSettings { 1, 6, 0, 0 };
const XfcePanelSettings kXfceLauncherSettings { 2, 10, 0, 1 };
const std::vector<XfcePanelSettings> kXfceStock { kXfceTopSettings, kXfceLauncherSettings };

RunningWindow plankWindow(quint32 id, QString dock = {})
{
    return { id, QStringLiteral("plank"), true, false, QRect(0, 940, 1920, 140), std::move(dock) };
}

OtherDock xfceDock(quint32 window, int number)
{
    return { OtherDock::Kind::xfcePanel, window, number, {} };
}
OtherDock plankDock(quint32 window, const QString& name)
{
    return { OtherDock::Kind::plank, window, 0, name };
}

struct DockCase {
    const char* meaning;
    std::vector<RunningWindow> windows;
    std::vector<XfcePanelSettings> panels;
    std::vector<PlankSettings> planks;
    std::vector<Side> barSides;
    std::vector<QRect> screens;
    std::vector<OtherDock> expected;
};

} // namespace

TEST(OtherDocks, WhichRunningPanelsStep3CountsAsAnotherDock)
{
    const std::vector<DockCase> cases {
        { "stock Xfce: the launcher panel, not the top panel that reserves its rows",
            { kXfceTopPanel, kXfceHelper, kXfceLauncher }, kXfceStock, {}, { Side::bottom }, kDockOneScreen,
            { xfceDock(0x600012, 2) } },
        { "the launcher panel already hides always", { kXfceTopPanel, kXfceHelper, kXfceLauncherHidden },
            { kXfceTopSettings, { 2, 10, 0, 2 } }, {}, { Side::bottom }, kDockOneScreen, {} },
        { "hidden for now by its intelligent hiding, it still counts", { kXfceTopPanel, kXfceLauncherHidden },
            kXfceStock, {}, { Side::bottom }, kDockOneScreen, { xfceDock(0x600012, 2) } },
        { "a bar on the left is not over a bottom panel", { kXfceTopPanel, kXfceLauncher }, kXfceStock, {},
            { Side::left }, kDockOneScreen, {} },
        { "a bottom panel that reserves its rows has the bar beside it",
            { kXfceTopPanel, xfceWindow(0x600012, QRect(0, 1053, 1920, 27), true) },
            { kXfceTopSettings, { 2, 12, 0, 0 } }, {}, { Side::bottom }, kDockOneScreen, {} },
        { "a panel not of type DOCK is no dock",
            { RunningWindow {
                0x600012, QStringLiteral("xfce4-panel"), false, false, kXfceLauncher.frame, {} } },
            kXfceStock, {}, { Side::bottom }, kDockOneScreen, {} },
        { "another program's dock window is not xfce4-panel's",
            { RunningWindow { 0x800001, QStringLiteral("tint2"), true, false, kXfceLauncher.frame, {} } },
            kXfceStock, {}, { Side::bottom }, kDockOneScreen, {} },
        { "a window made later than the settings' order says goes by where it stands",
            { xfceWindow(0x600003, kXfceLauncher.frame), xfceWindow(0x600012, kXfceTopPanel.frame, true) },
            kXfceStock, {}, { Side::bottom }, kDockOneScreen, { xfceDock(0x600003, 2) } },
        { "two bottom panels are told apart by the order they were made in",
            { xfceWindow(0x600020, QRect(1500, 1031, 420, 49)),
                xfceWindow(0x600010, QRect(0, 1031, 300, 49)) },
            { { 4, 8, 0, 0 }, { 7, 4, 0, 1 } }, {}, { Side::bottom }, kDockOneScreen,
            { xfceDock(0x600020, 7), xfceDock(0x600010, 4) } },
        { "a vertical panel at the left for a bar on the left",
            { xfceWindow(0x600012, QRect(0, 300, 49, 480)) }, { { 3, 7, 1, 0 } }, {}, { Side::left },
            kDockOneScreen, { xfceDock(0x600012, 3) } },
        { "the launcher panel at the bottom of a screen shorter than the root",
            { kXfceTopPanel, kXfceLauncher }, kXfceStock, {}, { Side::bottom }, kDockShortBesideTall,
            { xfceDock(0x600012, 2) } },
        { "xfconf unread: the panel is still named, without its number", { kXfceTopPanel, kXfceLauncher }, {},
            {}, { Side::bottom }, kDockOneScreen, { xfceDock(0x600012, 0) } },
        { "plank hiding intelligently, wherever the bar is", { plankWindow(0xc00003) }, {},
            { { QStringLiteral("dock1"), QStringLiteral("intelligent") } }, { Side::left }, kDockOneScreen,
            { plankDock(0xc00003, QStringLiteral("dock1")) } },
        { "plank already hiding", { plankWindow(0xc00003) }, {},
            { { QStringLiteral("dock1"), QStringLiteral("auto") } }, { Side::bottom }, kDockOneScreen, {} },
        { "plank's settings unread, and a dock of another name",
            { plankWindow(0xc00003), plankWindow(0xd00003, QStringLiteral("dock2")) }, {},
            { { QStringLiteral("dock1"), QStringLiteral("auto") } }, { Side::bottom }, kDockOneScreen,
            { plankDock(0xd00003, QStringLiteral("dock2")) } },
        { "Xfce's launcher panel and plank together", { kXfceTopPanel, kXfceLauncher, plankWindow(0xc00003) },
            kXfceStock, { { QStringLiteral("dock1"), QStringLiteral("intelligent") } }, { Side::bottom },
            kDockOneScreen, { xfceDock(0x600012, 2), plankDock(0xc00003, QStringLiteral("dock1")) } },
        { "nothing else runs", {}, {}, {}, { Side::bottom }, kDockOneScreen, {} },
    };
    for (const DockCase& c : cases) {
        SCOPED_TRACE(c.meaning);
        const std::vector<OtherDock> found
            = findOtherDocks(c.windows, c.panels, c.planks, c.barSides, c.screens);
        ASSERT_EQ(found.size(), c.expected.size());
        for (size_t i = 0; i < found.size(); ++i)
            EXPECT_EQ(found[i], c.expected[i]) << otherDockName(found[i]).toStdString();
    }
}

TEST(OtherDocks, NamesAUserKnows)
{
    EXPECT_EQ(otherDockName(xfceDock(1, 2)), QStringLiteral("Xfce panel 2"));
    EXPECT_EQ(otherDockName(xfceDock(1, 0)), QStringLiteral("an Xfce panel"));
    EXPECT_EQ(otherDockName(plankDock(1, QStringLiteral("dock1"))), QStringLiteral("plank (dock1)"));
}
