// The bar's settings menu: its entries and texts, and what they do.
#include "dock/menus/DockSettingsMenu.h"
#include "tests/dock/DockTestSupport.h"
#include "tools/PomodoroRun.h"

#include <gtest/gtest.h>

namespace {

const QString screen = QStringLiteral("Optional(SECOND)");

TEST(DockSettingsMenu, EntriesAndTextsInOrder)
{
    DockSettingsMenuInput input;
    input.screenID = screen;
    const std::vector<QString> expected { "Dock Position", "Dock Position > Left", "Dock Position > Right",
        "Dock Position > Bottom", "-", "Auto Hide", "Auto Hide > On",
        QStringLiteral("Auto Hide > Off \u2714\uFE0F"), "Auto Hide > Alt + Shift + H", "-", "Settings", "-",
        "Check for Updates", "-", "Shortcuts", "Shortcuts > Alt + Tab   (Fast Tab)",
        "Shortcuts > Alt + Escape   (Minimize Current Window)", "Shortcuts > Alt + Shift + H   (Show/Hide)",
        "Shortcuts > Alt + Shift + P   (Clipboard)", "-", "What's New", "-", "Restart", "-", "Quit" };
    EXPECT_EQ(menuOutline(dockSettingsMenu(input)), expected);
}

TEST(DockSettingsMenu, KeysAsTheHotKeysHoldThem)
{
    DockSettingsMenuInput input;
    input.screenID = screen;
    input.hotKeyLines = { " H line", "Tab line", "Escape line", "H (Show/Hide) line", "P line" };
    const std::vector<QString> outline = menuOutline(dockSettingsMenu(input));
    EXPECT_NE(
        std::find(outline.begin(), outline.end(), QStringLiteral("Auto Hide >  H line")), outline.end());
    for (const char* line : { "Shortcuts > Tab line", "Shortcuts > Escape line", "Shortcuts > P line" })
        EXPECT_NE(std::find(outline.begin(), outline.end(), QString::fromLatin1(line)), outline.end())
            << line;
}

TEST(DockSettingsMenu, AutoHideMarkFollowsTheScreensEntry)
{
    struct Case {
        const char* name;
        QMap<QString, QString> map;
        QString on, off;
    };
    const QString mark = QStringLiteral(" \u2714\uFE0F");
    const Case cases[] = {
        { "no entry for the screen", {}, "On", "Off" + mark },
        { "auto-hide on", { { screen, "true" } }, "On" + mark, "Off" },
        { "other text", { { screen, "yes" } }, "On", "Off" + mark },
        { "only another screen on", { { "Optional(MAIN)", "true" } }, "On", "Off" + mark },
    };
    for (const Case& c : cases) {
        DockSettingsMenuInput input;
        input.screenID = screen;
        input.autoHideSpaceDock = c.map;
        const std::vector<MenuEntry> menu = dockSettingsMenu(input);
        EXPECT_EQ(menu[2].children[0].title, c.on) << c.name;
        EXPECT_EQ(menu[2].children[1].title, c.off) << c.name;
        EXPECT_EQ(menu[2].children[0].checked, c.on.endsWith(mark)) << c.name;
    }
}

TEST(DockSettingsMenu, TheBarsEdgeIsMarkedInDockPosition)
{
    const QString mark = QStringLiteral(" \u2714\uFE0F");
    for (const QString& edge :
        { QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("bottom") }) {
        DockSettingsMenuInput input;
        input.screenID = screen;
        input.dockPosition = edge;
        const std::vector<MenuEntry> menu = dockSettingsMenu(input);
        QStringList marked;
        for (const MenuEntry& entry : menu[0].children) {
            EXPECT_EQ(entry.checked, entry.title.endsWith(mark)) << entry.title.toStdString();
            if (entry.checked)
                marked << entry.title;
        }
        const QString title = edge.left(1).toUpper() + edge.mid(1);
        EXPECT_EQ(marked, QStringList { title + mark }) << edge.toStdString();
    }
}

TEST(DockSettingsMenu, UpdateTitleWhenANewVersionIsKnown)
{
    DockSettingsMenuInput input;
    input.needUpdate = true;
    EXPECT_EQ(dockSettingsMenu(input)[6].title, QStringLiteral("\U0001F525New Version Available"));
    EXPECT_EQ(dockSettingsMenu(input)[6].action, DockMenuAction::checkUpdate);
}

// Records every service call.
class DockMenuActions : public StateTest {
protected:
    void SetUp() override
    {
        const auto note = [this](const QString& call) { return [this, call] { calls << call; }; };
        s.restartDockWindows = note("restartDockWindows");
        s.setSpaceDockShown = [this](const QString& id, bool on) {
            calls << QStringLiteral("setSpaceDockShown %1 %2").arg(id, on ? "true" : "false");
        };
        s.openSettingsWindow = [this](const QString& id) { calls << "openSettingsWindow on " + id; };
        s.applicationVersion = [this] { return version; };
        s.checkUpdate = [this](const QString& v, std::function<void(bool)> reply,
                            std::function<void(const QString&)> failure) {
            calls << "checkUpdate " + v;
            onReply = std::move(reply);
            onFailure = std::move(failure);
        };
        s.showAlert = [this](const QString& m, const QString& i) { calls << "alert " + m + " / " + i; };
        s.ownBundleIdentifier = [] { return QStringLiteral("orbitshelf.desktop"); };
        s.openApplication = [this](const QString& id) { calls << "openApplication " + id; };
        s.showUpdaterWindow = note("showUpdaterWindow");
        s.openUrl = [this](const QUrl& url) {
            calls << "openUrl " + url.toString();
            return true;
        };
        s.saveAppOrdersCache = note("saveAppOrdersCache");
        s.relaunch = [this] {
            calls << QStringLiteral("relaunch restore=%1 pomodoro=%2")
                         .arg(state.needRestoreOrderRestarted())
                         .arg(state.needRestorePomodoro());
            return relaunchWorks;
        };
        s.trackFeature = [this](const QString& f) { calls << "trackFeature " + f; };
        s.openQuitWindow = note("openQuitWindow");
    }

    bool run(const QString& action, bool mainDock)
    {
        return performDockMenuAction(action, { mainDock, screen }, state, s);
    }

    DockMenuServices s;
    bool relaunchWorks = true;
    QStringList calls;
    QString version = QStringLiteral("0.1.0");
    std::function<void(bool)> onReply;
    std::function<void(const QString&)> onFailure;
};

TEST_F(DockMenuActions, EdgeOfTheMainDockVersusASecondaryScreen)
{
    state.settings.setSpaceDockPosition({ { "Optional(OTHER)", "right" } });

    ASSERT_TRUE(run(DockMenuAction::dockLeft, true));
    EXPECT_EQ(state.settings.mainDockPosition(), "left");
    EXPECT_EQ(state.settings.spaceDockPosition().value(screen), QString());
    EXPECT_EQ(calls, QStringList { "restartDockWindows" });

    calls.clear();
    ASSERT_TRUE(run(DockMenuAction::dockRight, false));
    EXPECT_EQ(state.settings.mainDockPosition(), "left") << "a secondary screen leaves the main edge alone";
    const StringMap expected { { "Optional(OTHER)", "right" }, { screen, "right" } };
    EXPECT_EQ(state.settings.spaceDockPosition(), expected);
    ASSERT_TRUE(run(DockMenuAction::dockBottom, false));
    EXPECT_EQ(state.settings.spaceDockPosition().value(screen), "bottom") << "replaced";
    EXPECT_EQ(calls, QStringList({ "restartDockWindows", "restartDockWindows" }));
}

TEST_F(DockMenuActions, AutoHideSettingsWhatsNew)
{
    run(DockMenuAction::autoHideOn, false);
    run(DockMenuAction::autoHideOff, true);
    run(DockMenuAction::openSettings, true);
    run(DockMenuAction::whatsNew, true);
    EXPECT_FALSE(run(QStringLiteral("nonsense"), true));
    EXPECT_EQ(calls,
        QStringList({ "setSpaceDockShown " + screen + " true", "setSpaceDockShown " + screen + " false",
            "openSettingsWindow on " + screen,
            "alert No release notes page is configured for this build. / " }));

    calls.clear();
    openURLString(QStringLiteral("not a url"), s);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(DockMenuActions, UpdateCheckAnswersAndFailures)
{
    run(DockMenuAction::checkUpdate, true);
    ASSERT_TRUE(onReply);
    onReply(false);
    EXPECT_EQ(calls,
        QStringList({ "checkUpdate 0.1.0",
            QStringLiteral("alert Congratulations\uFF01 / Your orbitShelf is up-to-date!") }));

    calls.clear();
    state.needUpdate = true;
    run(DockMenuAction::checkUpdate, true);
    onReply(true);
    EXPECT_EQ(calls,
        QStringList({ "checkUpdate 0.1.0", "openApplication orbitshelf.desktop", "showUpdaterWindow" }));
    EXPECT_TRUE(state.needUpdate) << "only the periodic check writes it";

    calls.clear();
    run(DockMenuAction::checkUpdate, true);
    onFailure(QStringLiteral("no answer"));
    EXPECT_EQ(calls, QStringList({ "checkUpdate 0.1.0", "alert Update check failed / no answer" }));

    calls.clear();
    version.clear();
    run(DockMenuAction::checkUpdate, true);
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls[0].startsWith("alert Update check failed")) << "no version: no request, an alert";
}

TEST_F(DockMenuActions, RestartSavesTheOrderFirstAndQuitGoesThroughTheQuitWindow)
{
    run(DockMenuAction::restart, true);
    EXPECT_EQ(calls, QStringList({ "saveAppOrdersCache", "relaunch restore=1 pomodoro=0" }));
    EXPECT_TRUE(state.needRestoreOrderRestarted());

    // A running Pomodoro goes on after the restart; a restart that fails
    // leaves no mark for a later launch.
    pomodoroRunning = true;
    calls.clear();
    run(DockMenuAction::restart, true);
    EXPECT_EQ(calls, QStringList({ "saveAppOrdersCache", "relaunch restore=1 pomodoro=1" }));
    EXPECT_TRUE(state.needRestorePomodoro());
    state.setNeedRestorePomodoro(false);
    relaunchWorks = false;
    run(DockMenuAction::restart, true);
    EXPECT_FALSE(state.needRestorePomodoro());
    pomodoroRunning = false;

    calls.clear();
    run(DockMenuAction::quit, false);
    EXPECT_EQ(calls, QStringList({ "trackFeature QuitButton", "openQuitWindow" }));
}

} // namespace
