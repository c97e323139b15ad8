#include "dock/layout/DockEdges.h"
#include "dock/windows/DockWindows.h"
#include "dock/windows/ScreenNotice.h"
#include "tests/dock/DockTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

namespace {

// A window as the dock windows made it, recorded for the checks.
struct MadeWindow {
    DockWindowSpec spec;
    DockFrame frame;
    bool closed = false;
    bool readyLater = false; // holds `ready` instead of calling it
    std::function<void()> ready;
    std::optional<bool> retiredBlank;
};

class RecordedWindow final : public DockHostWindow {
public:
    explicit RecordedWindow(std::shared_ptr<MadeWindow> made)
        : m_made(std::move(made))
    {
    }
    void setFrame(const DockFrame& frame) override { m_made->frame = frame; }
    void orderFront() override { }
    void close() override { m_made->closed = true; }
    void whenReady(std::function<void()> ready) override
    {
        if (m_made->readyLater)
            m_made->ready = std::move(ready);
        else
            ready();
    }
    void retire(bool blank) override { m_made->retiredBlank = blank; }

private:
    std::shared_ptr<MadeWindow> m_made;
};

} // namespace

void PrintTo(const DockWindowSpec& spec, std::ostream* out)
{
    const auto rect = [](const QRectF& r) {
        return QStringLiteral("%1,%2 %3x%4")
            .arg(r.x())
            .arg(r.y())
            .arg(r.width())
            .arg(r.height())
            .toStdString();
    };
    *out << (spec.kind == DockWindowSpec::Kind::Dock ? "dock " : "strip ") << spec.screenID.toStdString()
         << " at " << spec.frame.x << "," << spec.frame.y << " " << spec.frame.width << "x"
         << spec.frame.height << " size " << spec.width << "x" << spec.height << " screen "
         << rect(spec.screenFrame) << " visible " << rect(spec.visibleFrame) << " "
         << spec.position.toStdString() << (spec.enableListener ? " listening" : "");
}

namespace {

const DockScreen primary { "Optional(P)", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) };
const DockScreen second { "Optional(S)", QRectF(1400, -30, 1920, 1080), QRectF(1400, -30, 1920, 1080) };

class DockWindowsTest : public StateTest {
protected:
    void SetUp() override
    {
        DockWindowServices services;
        services.screens = [this] { return screens; };
        services.makeWindow = [this](const DockWindowSpec& spec) {
            auto window = std::make_shared<MadeWindow>();
            window->spec = spec;
            window->frame = spec.frame;
            window->readyLater = readyLater;
            made.push_back(window);
            return std::make_unique<RecordedWindow>(made.back());
        };
        services.installModifierMonitor = [this] { ++monitors; };
        services.startHotKeys = [this] { ++hotKeyStarts; };
        windows = std::make_unique<DockWindows>(state, services);
    }
    std::vector<std::shared_ptr<MadeWindow>> open(DockWindowSpec::Kind kind) const
    {
        std::vector<std::shared_ptr<MadeWindow>> result;
        for (const auto& window : made)
            if (!window->closed && window->spec.kind == kind)
                result.push_back(window);
        return result;
    }
    std::vector<std::shared_ptr<MadeWindow>> docks() const { return open(DockWindowSpec::Kind::Dock); }
    std::vector<std::shared_ptr<MadeWindow>> strips() const { return open(DockWindowSpec::Kind::Strip); }

    std::vector<DockScreen> screens { primary, second };
    std::vector<std::shared_ptr<MadeWindow>> made;
    bool readyLater = false;
    int monitors = 0;
    int hotKeyStarts = 0;
    std::unique_ptr<DockWindows> windows;
};

TEST_F(DockWindowsTest, EachScreenGetsADockAndAStripAndOnlyTheMainDockListens)
{
    windows->buildDockWindows();
    ASSERT_EQ(docks().size(), 2u);
    ASSERT_EQ(strips().size(), 2u);
    const MadeWindow& main = *docks()[0];
    EXPECT_TRUE(main.spec.enableListener);
    EXPECT_EQ(main.spec.screenID, "Optional(P)");
    EXPECT_EQ(main.frame, (DockFrame { 0, 0, 1400, 500 }));
    EXPECT_EQ(mainDockScreenID(), "Optional(P)");
    EXPECT_EQ(state.spaceScreenHeight.value("Optional(P)"), 1050);

    const MadeWindow& other = *docks()[1];
    EXPECT_EQ(other.spec.screenID, "Optional(S)");
    EXPECT_FALSE(other.spec.enableListener);
    // No stored edge: a bar along its own visible bottom, a strip 10 high.
    EXPECT_EQ(other.frame, (DockFrame { 1400, -30, 1920, 500 }));
    EXPECT_EQ(state.spaceScreenWidth.value("Optional(S)"), 1920);
    EXPECT_EQ(state.spaceScreenHeight.value("Optional(S)"), 500);
    EXPECT_EQ(strips()[0]->frame, (DockFrame { 1400, -30, 1920, 10 }));
    EXPECT_EQ(strips()[1]->frame, (DockFrame { -2, 0, 1400, 20 }));
}

TEST_F(DockWindowsTest, MultipleScreensOffMeansOneDock)
{
    state.settings.setSupportMultiScreens(false);
    windows->buildDockWindows();
    EXPECT_EQ(docks().size(), 1u);
    EXPECT_EQ(strips().size(), 1u);

    state.settings.setSupportMultiScreens(true);
    windows->createDockWindows();
    EXPECT_EQ(docks().size(), 2u);
    EXPECT_EQ(strips().size(), 2u);

    windows->closeScreenDockWindows();
    EXPECT_EQ(docks().size(), 1u) << "the main dock and its strip stay";
    EXPECT_EQ(strips().size(), 1u);
    EXPECT_TRUE(windows->dockWindowsByScreen().empty());
}

TEST_F(DockWindowsTest, ScreenStartingAtTheOriginCarriesTheMainDock)
{
    // A second screen whose visible frame starts at the origin (mirrored).
    screens = { primary, { "Optional(M)", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) } };
    windows->buildDockWindows();
    EXPECT_EQ(docks().size(), 1u);
    EXPECT_EQ(mainDockScreenID(), "Optional(M)");
}

TEST_F(DockWindowsTest, StoredEdgesPlaceTheBars)
{
    state.settings.setMainDockPosition("right");
    state.settings.setSpaceDockPosition({ { "Optional(S)", "left" } });
    windows->buildDockWindows();
    ASSERT_EQ(docks().size(), 2u);
    EXPECT_EQ(docks()[0]->frame, (DockFrame { 910, 0, 500, 1050 }));
    EXPECT_EQ(strips()[1]->frame, (DockFrame { 1390, 0, 15, 1050 }));
    EXPECT_EQ(docks()[1]->frame, (DockFrame { 1380, -30, 500, 1080 }));
    EXPECT_TRUE(isDockVertical(state, "Optional(S)"));
}

TEST_F(DockWindowsTest, RelayoutFollowsScreensThatMovedOrWentAndARestartBringsThemBack)
{
    windows->buildDockWindows();
    const auto secondDock = docks()[1];
    screens[1].frame.moveLeft(1600);
    screens[1].visibleFrame.moveLeft(1600);
    windows->relayoutDockWindows();
    EXPECT_TRUE(secondDock->closed);
    ASSERT_EQ(docks().size(), 2u);
    EXPECT_EQ(docks()[1]->frame, (DockFrame { 1600, -30, 1920, 500 }));

    screens = { primary };
    windows->relayoutDockWindows();
    EXPECT_TRUE(secondDock->closed);
    EXPECT_TRUE(windows->dockWindowsByScreen().empty());

    screens = { primary, second };
    windows->restartDockWindows();
    EXPECT_EQ(windows->dockWindowsByScreen().size(), 1u);
    EXPECT_EQ(windows->dockTriggerWindowsByScreen().size(), 1u);
    EXPECT_EQ(docks().size(), 2u);
    EXPECT_EQ(strips().size(), 2u);
}

TEST_F(DockWindowsTest, OnlyOneMonitorAndOneHotKeyStartHoweverManyRebuilds)
{
    windows->buildDockWindows();
    windows->buildDockWindows();
    windows->restartDockWindows();
    windows->restartDockWindows();
    EXPECT_EQ(monitors, 1);
    EXPECT_EQ(hotKeyStarts, 1);
    // Each rebuild leaves exactly one listening dock and no stray windows.
    ASSERT_EQ(docks().size(), 2u);
    EXPECT_NE(docks()[0]->spec.enableListener, docks()[1]->spec.enableListener);
    EXPECT_EQ(strips().size(), 2u);
}

TEST_F(DockWindowsTest, RestartBringsTheTickBackWithOrWithoutThePomodoro)
{
    windows->buildDockWindows();
    ASSERT_TRUE(state.pomodoroTimer->isActive());
    windows->restartDockWindows();
    EXPECT_TRUE(state.pomodoroTimer->isActive()) << "badges and sampling must not stop after a rebuild";

    Record pomodoro;
    pomodoro.entity = Entity::Plugins;
    pomodoro.values.insert("name", "Pomodoro");
    pomodoro.values.insert("installed", true);
    state.installedPlugins.append(pomodoro);
    windows->restartDockWindows();
    EXPECT_TRUE(state.pomodoroTimer->isActive());
}

// A rebuilt main dock takes over from the old one: the old window stays,
// keeping its edge and, where the new one stands in its place, its pixels,
// until the new one stands; only then it goes.
TEST_F(DockWindowsTest, ARestartClosesTheOldMainDockOnlyOnceTheNewOneStands)
{
    readyLater = true;
    windows->buildDockWindows();
    const auto first = docks()[0];
    windows->restartDockWindows();
    const auto second = made[made.size() - 3]; // then the second screen's strip and the main one
    ASSERT_EQ(second->spec.kind, DockWindowSpec::Kind::Dock);
    ASSERT_NE(second, first);
    EXPECT_EQ(first->retiredBlank, std::optional(false)) << "the new bar stands in the same place";
    EXPECT_FALSE(first->closed);
    ASSERT_TRUE(second->ready);
    second->ready();
    EXPECT_TRUE(first->closed);
    EXPECT_EQ(docks().size(), 2u);

    // A panel along the bottom moves the bar: the old one shows nothing
    // while it keeps the edge.
    screens[0].visibleFrame = QRectF(0, 30, 1400, 1020);
    windows->restartDockWindows();
    EXPECT_EQ(second->retiredBlank, std::optional(true));
    EXPECT_FALSE(second->closed);
}

// Whatever the screens did, a rebuild leaves the windows a fresh start on the
// same screens makes. A screen's window only moved kept what its bar had
// computed from the old screen (the part of the window on it, the reserve,
// the width it lays out in), so a screen that changed gets a window made
// anew, which takes over from the old one as the main dock's successor does;
// a screen that stayed as it was keeps its window.
TEST_F(DockWindowsTest, AfterAnyChangeOfScreensTheWindowsAreTheOnesAFreshStartMakes)
{
    const auto sorted = [](std::vector<DockWindowSpec> specs) {
        std::sort(specs.begin(), specs.end(), [](const DockWindowSpec& l, const DockWindowSpec& r) {
            return std::tuple(int(l.kind), l.screenID) < std::tuple(int(r.kind), r.screenID);
        });
        return specs;
    };
    const auto freshStart = [&] {
        std::vector<DockWindowSpec> specs;
        DockWindowServices services;
        services.screens = [this] { return screens; };
        services.makeWindow = [&specs](const DockWindowSpec& spec) {
            specs.push_back(spec);
            return std::make_unique<RecordedWindow>(std::make_shared<MadeWindow>());
        };
        DockWindows(state, services).buildDockWindows();
        return sorted(specs);
    };
    const auto standing = [&] {
        std::vector<DockWindowSpec> specs;
        for (const auto& window : made)
            if (!window->closed)
                specs.push_back(window->spec);
        return sorted(specs);
    };
    const auto rebuild = [&] {
        windows->restartDockWindows();
        for (const auto& window : made)
            if (window->ready)
                std::exchange(window->ready, nullptr)();
    };

    readyLater = true;
    windows->buildDockWindows();
    const auto secondDock = docks()[1];
    rebuild();
    EXPECT_FALSE(secondDock->closed || secondDock->retiredBlank) << "an unchanged screen keeps its window";

    // The first screen's mode lowered moves the second left. Dock space is
    // measured up from the primary's bottom: the second's bottom is at -56.
    screens = { { primary.id, QRectF(0, 0, 1280, 1024), QRectF(0, 0, 1280, 1024) },
        { second.id, QRectF(1280, -56, 1920, 1080), QRectF(1280, -56, 1920, 1080) } };
    windows->restartDockWindows();
    EXPECT_EQ(secondDock->retiredBlank, std::optional(true));
    EXPECT_FALSE(secondDock->closed) << "the old window keeps the edge until its successor stands";
    for (const auto& window : made)
        if (window->ready)
            std::exchange(window->ready, nullptr)();
    EXPECT_TRUE(secondDock->closed);
    EXPECT_EQ(standing(), freshStart());

    const std::vector<std::pair<const char*, std::vector<DockScreen>>> arrangements {
        { "the second moved right",
            { primary, { second.id, QRectF(1440, -30, 1920, 1080), QRectF(1440, -30, 1920, 1080) } } },
        { "the second's own mode changed",
            { primary, { second.id, QRectF(1400, 0, 1680, 1050), QRectF(1400, 0, 1680, 1050) } } },
        { "a panel along the second's bottom",
            { primary, { second.id, QRectF(1400, -30, 1920, 1080), QRectF(1400, 0, 1920, 1050) } } },
        { "the arrangement swapped",
            { { second.id, QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1080) },
                { primary.id, QRectF(1920, 30, 1400, 1050), QRectF(1920, 30, 1400, 1050) } } },
        { "back as it was", { primary, second } },
    };
    for (const bool left : { false, true }) {
        state.settings.setSpaceDockPosition(left ? StringMap { { second.id, "left" } } : StringMap {});
        for (const auto& [name, arrangement] : arrangements) {
            screens = arrangement;
            rebuild();
            EXPECT_EQ(standing(), freshStart()) << name << (left ? ", the second's bar on the left" : "");
            std::vector<std::shared_ptr<MadeWindow>> screenDocks;
            for (const auto& dock : docks())
                if (!dock->spec.enableListener)
                    screenDocks.push_back(dock);
            EXPECT_FALSE(noticeRebuildsTheBars(windows->placedScreens(), screens, false))
                << name << ": a later notice finds the bars standing on the screens";
            rebuild();
            EXPECT_EQ(standing(), freshStart()) << name << ": a later rebuild keeps it so";
            for (const auto& dock : screenDocks)
                EXPECT_FALSE(dock->closed) << name << ": an unchanged screen's window made again";
        }
    }
}

TEST_F(DockWindowsTest, NoScreenMakesNothing)
{
    screens = {};
    windows->buildDockWindows();
    windows->restartDockWindows();
    EXPECT_TRUE(made.empty());
}

} // namespace

// Another panel that comes or goes changes a screen's visible frame with the
// screen itself unchanged: the windows are then no longer where they belong,
// until a restart places them in the new frame.
TEST_F(DockWindowsTest, AVisibleFrameOtherThanTheOnePlacedInIsAChangeUntilTheRestart)
{
    EXPECT_FALSE(windows->visibleFramesChanged()) << "no windows yet";
    windows->buildDockWindows();
    EXPECT_FALSE(windows->visibleFramesChanged());

    // A 30-row panel along the second screen's bottom.
    screens[1].visibleFrame = QRectF(1400, 0, 1920, 1050);
    EXPECT_TRUE(windows->visibleFramesChanged());
    windows->restartDockWindows();
    EXPECT_FALSE(windows->visibleFramesChanged());
    for (const auto& dock : docks()) {
        if (dock->spec.screenID == second.id) {
            EXPECT_EQ(dock->frame, (DockFrame { 1400, 0, 1920, 500 })) << "the bar stands on the panel";
        }
    }

    screens[1].visibleFrame = second.visibleFrame;
    EXPECT_TRUE(windows->visibleFramesChanged()) << "the panel quit";
    screens.pop_back();
    EXPECT_TRUE(windows->visibleFramesChanged()) << "a screen went";
}
