// The dock's writes into the shared state: the data refresh of a dock and
// the layout pass over the running applications.
#include "apps/DockVisibility.h"
#include "apps/ScreenIdentifier.h"
#include "dock/DockViewState.h"
#include "dock/layout/DockDataRefresh.h"
#include "dock/layout/DockEdges.h"
#include "dock/layout/DockLayoutPass.h"
#include "tests/dock/DockTestSupport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

const DockViewState mainDock(true, 1440, 875, "Optional(P)");
const DockViewState otherDock(false, 1920, 500, "Optional(S)");

class DockStateWrites : public StateTest {
protected:
    void SetUp() override
    {
        mainDockScreenID() = "Optional(P)";
        services.readSystemDockItems = [this] {
            ++badgeReads;
            return QMap<QString, QString> { { "file:///usr/share/applications/mail.desktop", "3" } };
        };
        services.scheduleDockReload = [this] { ++reloads; };
        services.loadPinnedApps = [this] { ++pinnedLoads; };
        services.fetchInstalledPlugins = [this] { return plugins; };
        services.startToolHotKeys = [this] { ++toolHotKeys; };
        QObject::connect(&state, &AppState::changed, [this] { ++published; });
    }
    void addPlugin(qint64 id, std::optional<QString> name)
    {
        Record record;
        record.entity = Entity::Plugins;
        record.objectId = id;
        if (name)
            record.values.insert("name", *name);
        plugins.push_back(record);
    }

    DockDataRefreshServices services;
    std::vector<Record> plugins;
    int badgeReads = 0, reloads = 0, pinnedLoads = 0, toolHotKeys = 0, published = 0;
};

TEST_F(DockStateWrites, RefreshResetsTheScreenEachTimeTheDockIsShown)
{
    state.settings.setAutoHideSpaceDock({ { "Optional(P)", "true" } });
    state.spaceListmode.insert("Optional(P)", "grid");
    state.spaceWindowTagWidth.insert("Optional(P)", 110);

    refreshDockData(state, mainDock, services);
    EXPECT_EQ(state.showSpaceDock.value("Optional(P)", true), false) << "auto-hidden docks start hidden";
    EXPECT_EQ(state.spaceListmode.value("Optional(P)"), "list");
    EXPECT_EQ(state.spaceWindowTagWidth.value("Optional(P)"), 140);
    EXPECT_EQ(state.spaceScreenWidth.value("Optional(P)"), 1440);
    EXPECT_EQ(state.spaceScreenHeight.value("Optional(P)"), 875);
    EXPECT_EQ(state.appBadge.size(), 1);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(pinnedLoads, 1);
    EXPECT_GE(published, 1);

    refreshDockData(state, otherDock, services);
    EXPECT_EQ(state.showSpaceDock.value("Optional(S)", false), true) << "a screen with no entry is shown";

    state.settings.setDockBadge(false);
    refreshDockData(state, mainDock, services);
    EXPECT_EQ(badgeReads, 2) << "badges are read only with the setting on";
}

TEST_F(DockStateWrites, OnlyTheListeningDockWithTheClipboardToolRegistersToolHotKeys)
{
    addPlugin(1, std::nullopt);
    addPlugin(2, QString("pasteboard"));
    refreshDockData(state, mainDock, services);
    EXPECT_EQ(toolHotKeys, 0) << "tool names are exact";
    addPlugin(3, QString("Pasteboard"));
    refreshDockData(state, otherDock, services);
    EXPECT_EQ(toolHotKeys, 0);
    refreshDockData(state, mainDock, services);
    EXPECT_EQ(toolHotKeys, 1);
    EXPECT_EQ(state.installedPlugins.size(), 3) << "shown three times, the tools are still listed once each";
    EXPECT_TRUE(state.isPluginInstalled("Pasteboard"));
}

TEST_F(DockStateWrites, LayoutPassWritesEveryScreenItMet)
{
    // The worked example on the main screen, a narrow second screen and a
    // right-hand bar 100 too short for ten icons.
    addRunningApp(state, 100, 1);
    addRunningApp(state, 200, 3);
    state.spaceScreenWidth.insert("Optional(P)", 1440);
    state.spaceScreenHeight.insert("Optional(P)", 875);
    state.spaceScreenWidth.insert("Optional(S)", 600);
    state.spaceScreenHeight.insert("Optional(S)", 500);

    refreshDockLayout(state);
    EXPECT_EQ(published, 1);
    EXPECT_EQ(state.spaceListmode.value("Optional(P)"), "list");
    EXPECT_EQ(state.spaceWindowTagWidth.value("Optional(P)"), 140);
    EXPECT_EQ(state.spaceButtonScale.value("Optional(P)"), 0);
    EXPECT_EQ(state.spaceDockHeight.value("Optional(P)"), 288);
    EXPECT_EQ(state.spaceWindowTagWidth.value("Optional(S)"), 110);
    EXPECT_EQ(state.totalAppCount, 4);

    state.allApps.clear();
    for (int pid = 1; pid <= 10; ++pid)
        addRunningApp(state, pid, 1);
    state.settings.setSpaceDockPosition({ { "Optional(S)", "right" } });
    state.spaceScreenWidth.insert("Optional(S)", 500);
    state.spaceScreenHeight.insert("Optional(S)", 460); // 12 buttons of 48: 576 needed
    state.spaceWindowTagWidth.insert("Optional(S)", 140);
    refreshDockLayout(state);
    EXPECT_DOUBLE_EQ(state.spaceButtonScale.value("Optional(S)"), 116.0 / 12);
    EXPECT_EQ(state.spaceWindowTagWidth.value("Optional(S)"), 140);
    EXPECT_DOUBLE_EQ(state.spaceDockHeight.value("Optional(S)"), 460)
        << "the bar fills the height exactly";
}

TEST_F(DockStateWrites, FullScreenAutoHideFollowsTheFocus)
{
    state.settings.setEnableAutoHideWhenFullScreen(true);
    FullScreenAutoHideFlags& flags = fullScreenAutoHideFlags();
    flags.dockHiddenFlags = { { 7, true } };
    flags.dockScreenFlags = { { "Optional(P)", "false" } };

    applyFullScreenAutoHide(state, 7, "Optional(P)");
    EXPECT_EQ(state.showSpaceDock.value("Optional(P)", true), false) << "back to the full-screen window";
    applyFullScreenAutoHide(state, 8, "Optional(P)");
    EXPECT_EQ(state.showSpaceDock.value("Optional(P)", false), true) << "another window: the saved state";
    QCoreApplication::processEvents(); // the stored flag is written on the main queue
    EXPECT_EQ(state.settings.autoHideSpaceDock().value("Optional(P)"), "false");
    flags = {};
}

TEST_F(DockStateWrites, CalibratedScreenSize)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QString key = screenIdentifierKey(screen);
    EXPECT_EQ(calibratedScreenWidth(state, screen), screen->availableGeometry().width());
    state.settings.setSpaceWidth({ { key, "1440" } });
    state.settings.setSpaceHeight({ { key, "900" } });
    EXPECT_EQ(calibratedScreenWidth(state, screen), 1440);
    EXPECT_EQ(calibratedScreenHeight(state, screen), 900);
    EXPECT_EQ(calibratedScreenWidth(state, nullptr), 0);
}

} // namespace
