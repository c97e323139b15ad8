#include "platform/OtherDocks.h"

#include <gtest/gtest.h>

using namespace platform;
using Side = ReservedEdge::Side;

namespace {

const std::vector<QRect> kDockOneScreen { QRect(0, 0, 1920, 1080) };
// A 1080-row screen beside a taller one: the root is 1200 rows high.
const std::vector<QRect> kDockShortBesideTall { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1200) };

// xfce4-panel's windows as its stock settings make them on 1920x1080: the
// top panel (reserving its 27 rows), the launcher panel's strip that
// brings it back when hidden (3 by 3 far off the screen while it shows),
// made before the launcher panel's own window, and the launcher panel at
// the bottom centre, of type DOCK, reserving nothing. Only the panels have
// the role "Panel".
RunningWindow xfceWindow(quint32 id, QRect frame, bool reserves = false)
{
    return { id, QStringLiteral("xfce4-panel"), true, reserves, frame, {}, QStringLiteral("Panel") };
}
const RunningWindow kXfceTopPanel = xfceWindow(0x600003, QRect(0, 0, 1920, 27), true);
const RunningWindow kXfceHelper { 0x60000e, QStringLiteral("xfce4-panel"), true, false,
    QRect(-9999, -9999, 3, 3), {}, {} };
const RunningWindow kXfceLauncher = xfceWindow(0x600012, QRect(807, 1031, 306, 49));
// The launcher panel hidden: moved below the screen, its strip along the
// bottom edge under where it stood.
const RunningWindow kXfceLauncherHidden = xfceWindow(0x600012, QRect(807, 1149, 306, 49));
const RunningWindow kXfceStrip { 0x60000e, QStringLiteral("xfce4-panel"), true, false,
    QRect(807, 1077, 306, 3), {}, {} };
const XfcePanelSettings kXfceTopSettings { 1, 6, 0, 0 };
const XfcePanelSettings kXfceLauncherSettings { 2, 10, 0, 1 };
const std::vector<XfcePanelSettings> kXfceStock { kXfceTopSettings, kXfceLauncherSettings };

RunningWindow plankWindow(quint32 id, QString dock = {})
{
    return { id, QStringLiteral("plank"), true, false, QRect(0, 940, 1920, 140), std::move(dock), {} };
}

enum Hides : bool { toHide = false, hiding = true };
OtherDock xfceDock(quint32 window, int number, Hides hides = toHide)
{
    return { OtherDock::Kind::xfcePanel, window, number, {}, hides };
}
OtherDock plankDock(quint32 window, const QString& name, Hides hides = toHide)
{
    return { OtherDock::Kind::plank, window, 0, name, hides };
}
const PlankSettings kPlankHiding { QStringLiteral("dock1"), QStringLiteral("auto") };

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
        { "the launcher panel already hides always: named as hiding, its strip no panel of its own",
            { kXfceTopPanel, kXfceStrip, kXfceLauncherHidden }, { kXfceTopSettings, { 2, 10, 0, 2 } }, {},
            { Side::bottom }, kDockOneScreen, { xfceDock(0x600012, 2, hiding) } },
        { "hidden for now by its intelligent hiding, it still counts",
            { kXfceTopPanel, kXfceStrip, kXfceLauncherHidden }, kXfceStock, {}, { Side::bottom },
            kDockOneScreen, { xfceDock(0x600012, 2) } },
        { "a panel hiding always, with xfconf unread, is still offered",
            { kXfceTopPanel, kXfceStrip, kXfceLauncherHidden }, {}, {}, { Side::bottom }, kDockOneScreen,
            { xfceDock(0x600012, 0) } },
        { "a hiding panel out of the bar's way is not named",
            { kXfceTopPanel, kXfceStrip, kXfceLauncherHidden }, { kXfceTopSettings, { 2, 10, 0, 2 } }, {},
            { Side::left }, kDockOneScreen, {} },
        { "a bar on the left is not over a bottom panel", { kXfceTopPanel, kXfceLauncher }, kXfceStock, {},
            { Side::left }, kDockOneScreen, {} },
        { "a bottom panel that reserves its rows has the bar beside it",
            { kXfceTopPanel, xfceWindow(0x600012, QRect(0, 1053, 1920, 27), true) },
            { kXfceTopSettings, { 2, 12, 0, 0 } }, {}, { Side::bottom }, kDockOneScreen, {} },
        { "a panel not of type DOCK is no dock",
            { RunningWindow { 0x600012, QStringLiteral("xfce4-panel"), false, false, kXfceLauncher.frame, {},
                QStringLiteral("Panel") } },
            kXfceStock, {}, { Side::bottom }, kDockOneScreen, {} },
        { "another program's dock window is not xfce4-panel's",
            { RunningWindow { 0x800001, QStringLiteral("tint2"), true, false, kXfceLauncher.frame, {}, {} } },
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
        { "plank already hiding", { plankWindow(0xc00003) }, {}, { kPlankHiding }, { Side::bottom },
            kDockOneScreen, { plankDock(0xc00003, QStringLiteral("dock1"), hiding) } },
        { "plank's settings unread, and a dock of another name",
            { plankWindow(0xc00003), plankWindow(0xd00003, QStringLiteral("dock2")) }, {}, { kPlankHiding },
            { Side::bottom }, kDockOneScreen,
            { plankDock(0xc00003, QStringLiteral("dock1"), hiding),
                plankDock(0xd00003, QStringLiteral("dock2")) } },
        { "Xfce's launcher panel and plank together", { kXfceTopPanel, kXfceLauncher, plankWindow(0xc00003) },
            kXfceStock, { { QStringLiteral("dock1"), QStringLiteral("intelligent") } }, { Side::bottom },
            kDockOneScreen, { xfceDock(0x600012, 2), plankDock(0xc00003, QStringLiteral("dock1")) } },
        { "Xfce's launcher panel and plank both set to hide",
            { kXfceTopPanel, kXfceStrip, kXfceLauncherHidden, plankWindow(0xc00003) },
            { kXfceTopSettings, { 2, 10, 0, 2 } }, { kPlankHiding }, { Side::bottom }, kDockOneScreen,
            { xfceDock(0x600012, 2, hiding), plankDock(0xc00003, QStringLiteral("dock1"), hiding) } },
        { "the launcher panel hiding, plank still to hide",
            { kXfceTopPanel, kXfceStrip, kXfceLauncherHidden, plankWindow(0xc00003) },
            { kXfceTopSettings, { 2, 10, 0, 2 } },
            { { QStringLiteral("dock1"), QStringLiteral("intelligent") } }, { Side::bottom }, kDockOneScreen,
            { xfceDock(0x600012, 2, hiding), plankDock(0xc00003, QStringLiteral("dock1")) } },
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
