// The dock's writes into the shared state: the data refresh of a dock and
// the layout pass over the running applications.
#include "TestApps.h"
#include "apps/ScreenIdentifier.h"
#include "apps/DockVisibility.h"
#include "dock/DockDataRefresh.h"
#include "dock/DockEdges.h"
#include "dock/DockLayoutPass.h"
#include "dock/DockViewState.h"
#include "tests/support/TempStores.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

class DockStateWrites : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_state = std::make_unique<AppState>();
        mainDockScreenID() = "Optional(P)";
        m_services.readSystemDockItems = [this] {
            ++m_badgeReads;
            return QMap<QString, QString> { { "file:///usr/share/applications/mail.desktop", "3" } };
        };
        m_services.scheduleDockReload = [this] { ++m_reloads; };
        m_services.loadPinnedApps = [this] { ++m_pinnedLoads; };
        m_services.fetchInstalledPlugins = [this] { return m_plugins; };
        m_services.startToolHotKeys = [this] { ++m_toolHotKeys; };
    }
    void addPlugin(qint64 id, std::optional<QString> name)
    {
        Record record;
        record.entity = Entity::Plugins;
        record.objectId = id;
        if (name)
            record.values.insert("name", *name);
        m_plugins.push_back(record);
    }

    void addApp(qint32 pid, int windows) { addRunningApp(*m_state, pid, windows); }

    orbitshelf::test::TempUserDefaults m_defaults;
    std::unique_ptr<AppState> m_state;
    DockDataRefreshServices m_services;
    std::vector<Record> m_plugins;
    int m_badgeReads = 0, m_reloads = 0, m_pinnedLoads = 0, m_toolHotKeys = 0;
};

TEST_F(DockStateWrites, RefreshResetsTheScreenEachTimeTheDockIsShown)
{
    m_state->settings.setAutoHideSpaceDock({ { "Optional(P)", "true" } });
    m_state->spaceListmode.insert("Optional(P)", "grid");
    m_state->spaceWindowTagWidth.insert("Optional(P)", 110);
    const DockViewState dock(true, 1440, 875, "Optional(P)");
    int published = 0;
    QObject::connect(m_state.get(), &AppState::changed, [&published] { ++published; });

    refreshDockData(*m_state, dock, m_services);
    EXPECT_EQ(m_state->showSpaceDock.value("Optional(P)", true), false) << "auto-hidden docks start hidden";
    EXPECT_EQ(m_state->spaceListmode.value("Optional(P)"), "list");
    EXPECT_EQ(m_state->spaceWindowTagWidth.value("Optional(P)"), 140);
    EXPECT_EQ(m_state->spaceScreenWidth.value("Optional(P)"), 1440);
    EXPECT_EQ(m_state->spaceScreenHeight.value("Optional(P)"), 875);
    EXPECT_EQ(m_state->appBadge.size(), 1);
    EXPECT_EQ(m_reloads, 1);
    EXPECT_EQ(m_pinnedLoads, 1);
    EXPECT_GE(published, 1);

    // A screen with no entry is shown.
    const DockViewState other(false, 1920, 500, "Optional(S)");
    refreshDockData(*m_state, other, m_services);
    EXPECT_EQ(m_state->showSpaceDock.value("Optional(S)", false), true);
}

TEST_F(DockStateWrites, BadgesAreReadOnlyWhenTheSettingIsOn)
{
    m_state->settings.setDockBadge(false);
    refreshDockData(*m_state, DockViewState(true, 1440, 875, "Optional(P)"), m_services);
    EXPECT_EQ(m_badgeReads, 0);
}

TEST_F(DockStateWrites, OnlyTheListeningDockRegistersToolHotKeys)
{
    addPlugin(1, std::nullopt);
    addPlugin(2, QString("Pasteboard"));
    refreshDockData(*m_state, DockViewState(false, 1920, 500, "Optional(S)"), m_services);
    EXPECT_EQ(m_toolHotKeys, 0);
    refreshDockData(*m_state, DockViewState(true, 1440, 875, "Optional(P)"), m_services);
    EXPECT_EQ(m_toolHotKeys, 1);
    // Shown twice, the tools are still listed once each.
    EXPECT_EQ(m_state->installedPlugins.size(), 2);
    EXPECT_TRUE(m_state->isPluginInstalled("Pasteboard"));
}

TEST_F(DockStateWrites, LayoutPassWritesEveryScreenItMet)
{
    // The worked example on the main screen, and a narrow second screen.
    addApp(100, 1);
    addApp(200, 3);
    m_state->spaceScreenWidth.insert("Optional(P)", 1440);
    m_state->spaceScreenHeight.insert("Optional(P)", 875);
    m_state->spaceScreenWidth.insert("Optional(S)", 600);
    m_state->spaceScreenHeight.insert("Optional(S)", 500);
    int published = 0;
    QObject::connect(m_state.get(), &AppState::changed, [&published] { ++published; });

    refreshDockLayout(*m_state);
    EXPECT_EQ(published, 1);
    EXPECT_EQ(m_state->spaceListmode.value("Optional(P)"), "list");
    EXPECT_EQ(m_state->spaceWindowTagWidth.value("Optional(P)"), 140);
    EXPECT_EQ(m_state->spaceButtonScale.value("Optional(P)"), 0);
    EXPECT_EQ(m_state->spaceDockHeight.value("Optional(P)"), 288);
    EXPECT_EQ(m_state->spaceWindowTagWidth.value("Optional(S)"), 110);
    EXPECT_EQ(m_state->totalAppCount, 4);
}

TEST_F(DockStateWrites, SideBarLayoutFollowsTheStoredEdge)
{
    for (int pid = 1; pid <= 10; ++pid)
        addApp(pid, 1);
    m_state->settings.setSpaceDockPosition({ { "Optional(S)", "right" } });
    m_state->spaceScreenWidth.insert("Optional(S)", 500);
    m_state->spaceScreenHeight.insert("Optional(S)", 460); // 12 buttons of 48: 576 needed
    m_state->spaceWindowTagWidth.insert("Optional(S)", 140);
    refreshDockLayout(*m_state);
    EXPECT_DOUBLE_EQ(m_state->spaceButtonScale.value("Optional(S)"), 116.0 / 12);
    EXPECT_EQ(m_state->spaceWindowTagWidth.value("Optional(S)"), 140);
    EXPECT_DOUBLE_EQ(m_state->spaceDockHeight.value("Optional(S)"), 460)
        << "the bar fills the height exactly";
}

TEST_F(DockStateWrites, FullScreenAutoHideFollowsTheFocus)
{
    m_state->settings.setEnableAutoHideWhenFullScreen(true);
    FullScreenAutoHideFlags& flags = fullScreenAutoHideFlags();
    flags.dockHiddenFlags = { { 7, true } };
    flags.dockScreenFlags = { { "Optional(P)", "false" } };

    // Back to the full-screen window: the dock hides at once.
    applyFullScreenAutoHide(*m_state, 7, "Optional(P)");
    EXPECT_EQ(m_state->showSpaceDock.value("Optional(P)", true), false);
    // Another window: the saved state (shown) comes back.
    applyFullScreenAutoHide(*m_state, 8, "Optional(P)");
    EXPECT_EQ(m_state->showSpaceDock.value("Optional(P)", false), true);
    QCoreApplication::processEvents(); // the stored flag is written on the main queue
    EXPECT_EQ(m_state->settings.autoHideSpaceDock().value("Optional(P)"), "false");

    // Emptied by the hot key: focusing changes nothing any more.
    flags.dockHiddenFlags.clear();
    m_state->showSpaceDock.insert("Optional(P)", true);
    applyFullScreenAutoHide(*m_state, 7, "Optional(P)");
    EXPECT_EQ(m_state->showSpaceDock.value("Optional(P)"), true);
    flags = {};
}

TEST_F(DockStateWrites, CalibratedScreenSize)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const int visible = screen->availableGeometry().width();
    EXPECT_EQ(calibratedScreenWidth(*m_state, screen), visible);
    const QString key = screenIdentifierKey(screen);
    m_state->settings.setSpaceWidth({ { key, "1440" } });
    EXPECT_EQ(calibratedScreenWidth(*m_state, screen), 1440);
    m_state->settings.setSpaceWidth({ { key, "14.5" } });
    EXPECT_EQ(calibratedScreenWidth(*m_state, screen), visible);
    m_state->settings.setSpaceHeight({ { key, "900" } });
    EXPECT_EQ(calibratedScreenHeight(*m_state, screen), 900);
    EXPECT_EQ(calibratedScreenWidth(*m_state, nullptr), 0);
}

} // namespace
