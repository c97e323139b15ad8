#include "app/AppState.h"
#include "dock/DockEdges.h"
#include "dock/DockWindows.h"
#include "tests/support/TempStores.h"

#include <gtest/gtest.h>

namespace {

// Windows as the dock windows made them, recorded for the checks.
struct WindowLog {
    struct Entry {
        DockWindowSpec spec;
        DockFrame frame;
        bool closed = false;
        int orderedFront = 0;
    };
    std::vector<std::shared_ptr<Entry>> entries;

    std::vector<std::shared_ptr<Entry>> open(DockWindowSpec::Kind kind) const
    {
        std::vector<std::shared_ptr<Entry>> result;
        for (const auto& e : entries)
            if (!e->closed && e->spec.kind == kind)
                result.push_back(e);
        return result;
    }
};

class RecordedWindow final : public DockHostWindow {
public:
    explicit RecordedWindow(std::shared_ptr<WindowLog::Entry> entry)
        : m_entry(std::move(entry))
    {
    }
    void setFrame(const DockFrame& frame) override { m_entry->frame = frame; }
    void orderFront() override { ++m_entry->orderedFront; }
    void close() override { m_entry->closed = true; }

private:
    std::shared_ptr<WindowLog::Entry> m_entry;
};

const DockScreen primary { "Optional(P)", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) };
const DockScreen second { "Optional(S)", QRectF(1400, -30, 1920, 1080), QRectF(1400, -30, 1920, 1080) };

class DockWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_state = std::make_unique<AppState>();
        DockWindowServices services;
        services.screens = [this] { return m_screens; };
        services.makeWindow = [this](const DockWindowSpec& spec) {
            auto entry = std::make_shared<WindowLog::Entry>();
            entry->spec = spec;
            entry->frame = spec.frame;
            m_log.entries.push_back(entry);
            return std::make_unique<RecordedWindow>(entry);
        };
        services.installModifierMonitor = [this] { ++m_monitors; };
        services.startHotKeys = [this] { ++m_hotKeyStarts; };
        m_windows = std::make_unique<DockWindows>(*m_state, services);
    }
    orbitshelf::test::TempUserDefaults m_defaults;
    std::unique_ptr<AppState> m_state;
    std::vector<DockScreen> m_screens { primary };
    WindowLog m_log;
    int m_monitors = 0;
    int m_hotKeyStarts = 0;
    std::unique_ptr<DockWindows> m_windows;
};

TEST_F(DockWindowsTest, OneScreenGetsTheMainDockAndItsStripOnly)
{
    m_windows->buildDockWindows();
    const auto docks = m_log.open(DockWindowSpec::Kind::Dock);
    const auto strips = m_log.open(DockWindowSpec::Kind::Strip);
    ASSERT_EQ(docks.size(), 1u);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_TRUE(docks[0]->spec.enableListener);
    EXPECT_EQ(docks[0]->spec.screenID, "Optional(P)");
    EXPECT_EQ(docks[0]->frame, (DockFrame { 0, 0, 1400, 500 }));
    EXPECT_EQ(docks[0]->spec.width, 1400);
    EXPECT_EQ(docks[0]->spec.height, 1050);
    EXPECT_EQ(strips[0]->frame, (DockFrame { -2, 0, 1400, 20 }));
    EXPECT_EQ(mainDockScreenID(), "Optional(P)");
    EXPECT_EQ(m_state->spaceScreenWidth.value("Optional(P)"), 1400);
    EXPECT_EQ(m_state->spaceScreenHeight.value("Optional(P)"), 1050);
}

TEST_F(DockWindowsTest, EveryOtherScreenGetsADockThatDoesNotListen)
{
    m_screens = { primary, second };
    m_windows->buildDockWindows();
    const auto docks = m_log.open(DockWindowSpec::Kind::Dock);
    ASSERT_EQ(docks.size(), 2u);
    EXPECT_EQ(docks[1]->spec.screenID, "Optional(S)");
    EXPECT_FALSE(docks[1]->spec.enableListener);
    // No stored edge: a bar along its own visible bottom, a strip 10 high.
    EXPECT_EQ(docks[1]->frame, (DockFrame { 1400, -30, 1920, 500 }));
    EXPECT_EQ(m_state->spaceScreenWidth.value("Optional(S)"), 1920);
    EXPECT_EQ(m_state->spaceScreenHeight.value("Optional(S)"), 500);
    ASSERT_EQ(m_windows->dockTriggerWindowsByScreen().count("Optional(S)"), 1u);
    const auto strips = m_log.open(DockWindowSpec::Kind::Strip);
    ASSERT_EQ(strips.size(), 2u);
    EXPECT_EQ(strips[0]->frame, (DockFrame { 1400, -30, 1920, 10 }));
}

TEST_F(DockWindowsTest, MultipleScreensOffMeansOneDock)
{
    m_state->settings.setSupportMultiScreens(false);
    m_screens = { primary, second };
    m_windows->buildDockWindows();
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Dock).size(), 1u);
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Strip).size(), 1u);

    // Switched on later: the other screen gets its dock and strip.
    m_state->settings.setSupportMultiScreens(true);
    m_windows->createDockWindows();
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Dock).size(), 2u);
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Strip).size(), 2u);

    // And off again: the main dock and its strip stay.
    m_windows->closeScreenDockWindows();
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Dock).size(), 1u);
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Strip).size(), 1u);
    EXPECT_TRUE(m_windows->dockWindowsByScreen().empty());
}

TEST_F(DockWindowsTest, ScreenStartingAtTheOriginCarriesTheMainDock)
{
    // A second screen whose visible frame starts at the origin (mirrored).
    const DockScreen mirror { "Optional(M)", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) };
    m_screens = { primary, mirror };
    m_windows->buildDockWindows();
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Dock).size(), 1u);
    EXPECT_EQ(mainDockScreenID(), "Optional(M)");
    EXPECT_TRUE(m_windows->dockWindowsByScreen().empty());
}

TEST_F(DockWindowsTest, StoredEdgesPlaceTheBars)
{
    m_state->settings.setMainDockPosition("right");
    m_state->settings.setSpaceDockPosition({ { "Optional(S)", "left" } });
    m_screens = { primary, second };
    m_windows->buildDockWindows();
    const auto docks = m_log.open(DockWindowSpec::Kind::Dock);
    ASSERT_EQ(docks.size(), 2u);
    EXPECT_EQ(docks[0]->frame, (DockFrame { 910, 0, 500, 1050 }));
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Strip)[1]->frame, (DockFrame { 1390, 0, 15, 1050 }));
    EXPECT_EQ(docks[1]->frame, (DockFrame { 1380, -30, 500, 1080 }));
    EXPECT_TRUE(isDockVertical(*m_state, "Optional(S)"));
}

TEST_F(DockWindowsTest, UnpluggedScreenLosesItsDockOnRelayout)
{
    m_screens = { primary, second };
    m_windows->buildDockWindows();
    ASSERT_EQ(m_windows->dockWindowsByScreen().size(), 1u);
    const auto secondDock = m_log.open(DockWindowSpec::Kind::Dock)[1];

    m_screens = { primary };
    m_windows->relayoutDockWindows();
    EXPECT_TRUE(secondDock->closed);
    EXPECT_TRUE(m_windows->dockWindowsByScreen().empty());

    // Plugged back in and rebuilt: its dock and strip come back.
    m_screens = { primary, second };
    m_windows->restartDockWindows();
    EXPECT_EQ(m_windows->dockWindowsByScreen().size(), 1u);
    EXPECT_EQ(m_windows->dockTriggerWindowsByScreen().size(), 1u);
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Dock).size(), 2u);
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Strip).size(), 2u);
}

TEST_F(DockWindowsTest, RelayoutMovesDocksOfScreensThatMoved)
{
    m_screens = { primary, second };
    m_windows->buildDockWindows();
    DockScreen moved = second;
    moved.frame.moveLeft(1600);
    moved.visibleFrame.moveLeft(1600);
    m_screens = { primary, moved };
    m_windows->relayoutDockWindows();
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Dock)[1]->frame, (DockFrame { 1600, -30, 1920, 500 }));
}

TEST_F(DockWindowsTest, OnlyOneMonitorAndOneHotKeyStartHoweverManyRebuilds)
{
    m_screens = { primary, second };
    m_windows->buildDockWindows();
    m_windows->buildDockWindows();
    m_windows->restartDockWindows();
    m_windows->restartDockWindows();
    EXPECT_EQ(m_monitors, 1);
    EXPECT_EQ(m_hotKeyStarts, 1);
    EXPECT_TRUE(m_windows->hasModifierMonitor());
    // Each rebuild leaves exactly one listening dock and no stray windows.
    const auto docks = m_log.open(DockWindowSpec::Kind::Dock);
    EXPECT_EQ(docks.size(), 2u);
    int listening = 0;
    for (const auto& dock : docks)
        listening += dock->spec.enableListener ? 1 : 0;
    EXPECT_EQ(listening, 1);
    EXPECT_EQ(m_log.open(DockWindowSpec::Kind::Strip).size(), 2u);
}

TEST_F(DockWindowsTest, RestartBringsTheTickBackWithOrWithoutThePomodoro)
{
    m_windows->buildDockWindows();
    ASSERT_TRUE(m_state->pomodoroTimer->isActive());
    m_windows->restartDockWindows();
    EXPECT_TRUE(m_state->pomodoroTimer->isActive()) << "badges and sampling must not stop after a rebuild";

    Record pomodoro;
    pomodoro.entity = Entity::Plugins;
    pomodoro.values.insert("name", "Pomodoro");
    pomodoro.values.insert("installed", true);
    m_state->installedPlugins.append(pomodoro);
    m_windows->restartDockWindows();
    EXPECT_TRUE(m_state->pomodoroTimer->isActive());
}

TEST_F(DockWindowsTest, NoScreenMakesNothing)
{
    m_screens = {};
    m_windows->buildDockWindows();
    m_windows->restartDockWindows();
    EXPECT_TRUE(m_log.entries.empty());
}

} // namespace
