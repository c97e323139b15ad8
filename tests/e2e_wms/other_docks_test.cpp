// Another dock on the desktop: Xfce's stock panels and plank, as a new user
// meets them at the first start, and onboarding step 3 clicked.
#include "tests/e2e_wms/OtherDesktop.h"

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// A line of `xfconf-query -lv` output for `property`, or empty.
QString settingLine(const QString& all, const QString& property)
{
    for (const QString& line : all.split(QLatin1Char('\n')))
        if (line.section(QLatin1Char(' '), 0, 0) == property)
            return line.simplified();
    return {};
}

// The visible xfce4-panel window whose frame satisfies `where`, as its id.
QString xfcePanelWindow(const std::function<bool(const QRect&)>& where)
{
    for (const QString& id : visibleWindowsNamed(QStringLiteral("xfce4-panel")))
        if (where(windowGeometry(id)))
            return id;
    return {};
}

} // namespace

// xfwm4 with xfce4-panel as it comes (a top panel reserving its rows, and
// a launcher panel of type DOCK at the bottom centre that hides only
// intelligently) and plank, all three of the same user, on the same session
// bus and settings as the program. Step 3 names the two docks in the bar's
// way, leaves the top panel out, and its click sets the launcher panel to
// hide always and plank to hide: the launcher panel moves below the screen
// and plank keeps only its strip along the edge, and nothing else of their
// settings changes. Opened again, step 3 names both as hiding already.
TEST(OnboardingStep3, SetsXfcesLauncherPanelAndPlankToHideAndLeavesTheTopPanelAlone)
{
    OtherDesktop desktop(WindowManager::xfwm4);
    ASSERT_FALSE(desktop.failed(WindowManager::xfwm4)) << XvfbSession::lastError().toStdString();
    movePointer(QPoint(200, 400));
    DockRun run { DockRun::FirstRun {} };
    const UserSession session(run);
    ASSERT_FALSE(session.failed()) << "no session bus (dbus-daemon)";
    const QStringList& asUser = session.asUser();
    auto xfconf = [&](const QStringList& arguments) {
        return runTool(QStringLiteral("env"),
            asUser
                + QStringList { QStringLiteral("xfconf-query"), QStringLiteral("-c"),
                    QStringLiteral("xfce4-panel") }
                + arguments);
    };
    const QString plankKey
        = QStringLiteral("net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/dock1/");
    auto plankHideMode = [&] {
        return runTool(QStringLiteral("env"),
            asUser
                + QStringList { QStringLiteral("gsettings"), QStringLiteral("get"), plankKey,
                    QStringLiteral("hide-mode") })
            .trimmed();
    };

    Clients clients;
    clients.start(QStringLiteral("env"), asUser + QStringList { QStringLiteral("xfce4-panel") });
    QString top;
    QString launcher;
    ASSERT_TRUE(waitUntil(
        [&] {
            top = xfcePanelWindow(
                [](const QRect& r) { return r.top() == 0 && r.width() == kScreen.width(); });
            launcher = xfcePanelWindow([](const QRect& r) { return r.bottom() == kScreen.bottom(); });
            // The launcher panel grows as its launchers load.
            return !top.isEmpty() && !launcher.isEmpty() && windowGeometry(launcher).size() == QSize(306, 49);
        },
        std::chrono::seconds(20)))
        << "xfce4-panel did not show its two panels, the launcher panel 306x49";
    ASSERT_EQ(xfconf({ QStringLiteral("-p"), QStringLiteral("/panels/panel-2/autohide-behavior") }).trimmed(),
        QStringLiteral("1"));
    const auto plank = clients.program(
        QStringLiteral("env"), asUser + QStringList { QStringLiteral("plank") }, QStringLiteral("plank"));
    ASSERT_FALSE(plank.id.isEmpty()) << "plank did not show";
    ASSERT_EQ(plankHideMode(), QStringLiteral("'intelligent'"));
    const QString settingsBefore = xfconf({ QStringLiteral("-lv") });

    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("Onboarding Window")).isEmpty()) << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("onboarding step 3 says:")); }))
        << run.log().toStdString();
    EXPECT_TRUE(run.log().contains(
        QLatin1String("onboarding step 3 says: Other docks run here: Xfce panel 2, plank (dock1).")))
        << run.log().toStdString();
    EXPECT_FALSE(run.log().contains(QLatin1String("Xfce panel 1"))) << "the top panel reserves its rows";
    screenshot(QStringLiteral("other-docks-before-step-3"));

    // The first click may come before the window takes input.
    EXPECT_TRUE(waitUntil([&] {
        const std::optional<QRect> step3 = run.loggedRect(QStringLiteral("onboarding step 3 at "));
        if (!step3)
            return false;
        click(step3->center());
        return waitUntil([&] { return run.log().contains(QLatin1String("hide system dock:")); },
            std::chrono::milliseconds(1000));
    })) << run.log().toStdString();
    EXPECT_TRUE(run.log().contains(QLatin1String(
        "hide system dock: Set to hide until the pointer reaches it: Xfce panel 2, plank (dock1).")))
        << run.log().toStdString();

    EXPECT_EQ(xfconf({ QStringLiteral("-p"), QStringLiteral("/panels/panel-2/autohide-behavior") }).trimmed(),
        QStringLiteral("2"));
    EXPECT_EQ(plankHideMode(), QStringLiteral("'auto'"));
    // Nothing else of theirs changed: the top panel's settings, the
    // launcher panel's others.
    const QString settingsAfter = xfconf({ QStringLiteral("-lv") });
    for (const QString& line : settingsBefore.split(QLatin1Char('\n'))) {
        const QString property = line.section(QLatin1Char(' '), 0, 0);
        if (property != QLatin1String("/panels/panel-2/autohide-behavior")) {
            EXPECT_EQ(settingLine(settingsAfter, property), line.simplified()) << property.toStdString();
        }
    }
    EXPECT_EQ(windowGeometry(top), QRect(0, 0, kScreen.width(), 27)) << "the top panel stays";

    // The launcher panel goes below the screen, out of the bar's way; plank
    // takes clicks only on its strip along the bottom edge.
    EXPECT_TRUE(waitUntil([&] { return !kScreen.intersects(windowGeometry(launcher)); }))
        << "the launcher panel stands at " << windowGeometry(launcher).y();
    EXPECT_TRUE(waitUntil([&] {
        const std::optional<QRegion> input = inputShape(plank.id.toUInt());
        return input && input->boundingRect().height() <= 2;
    })) << "plank still takes clicks over its dock";
    screenshot(QStringLiteral("other-docks-after-step-3"));

    // Closed with step 4 and opened again from the command line, step 3
    // still sees both docks, now hidden: it names them as hiding already,
    // offers nothing, and its click sets nothing and claims nothing.
    EXPECT_TRUE(waitUntil([&] {
        click(run.loggedRect(QStringLiteral("onboarding step 4 at "))->center());
        return waitUntil([] { return visibleWindowsNamed(QStringLiteral("Onboarding Window")).isEmpty(); },
            std::chrono::milliseconds(1000));
    })) << run.log().toStdString();
    const qsizetype reopened = run.log().size();
    runTool(QStringLiteral("env"),
        QStringList { QStringLiteral("-u"), QStringLiteral("QT_QPA_PLATFORM") } + asUser
            + QStringList { QStringLiteral("XDG_RUNTIME_DIR=") + run.runtimeDir(),
                QStringLiteral(ORBITSHELF_BINARY), QStringLiteral("OnboardingWindow") });
    ASSERT_FALSE(waitForWindow(QStringLiteral("Onboarding Window")).isEmpty()) << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] {
        return run.log().mid(reopened).contains(QLatin1String("onboarding step 3 says:"));
    })) << run.log().mid(reopened).toStdString();
    EXPECT_TRUE(run.log().mid(reopened).contains(QLatin1String(
        "onboarding step 3 says: Other docks run here and already hide until the pointer reaches "
        "them: Xfce panel 2, plank (dock1). Step 3 has nothing left to set.")))
        << run.log().mid(reopened).toStdString();
    screenshot(QStringLiteral("other-docks-step-3-again"));
    EXPECT_TRUE(waitUntil([&] {
        const std::optional<QRect> step3
            = loggedRectIn(run.log().mid(reopened), QStringLiteral("onboarding step 3 at "));
        if (!step3)
            return false;
        click(step3->center());
        return waitUntil([&] { return run.log().mid(reopened).contains(QLatin1String("hide system dock:")); },
            std::chrono::milliseconds(1000));
    })) << run.log().mid(reopened).toStdString();
    EXPECT_TRUE(run.log().mid(reopened).contains(QLatin1String(
        "hide system dock: Already set to hide until the pointer reaches it: Xfce panel 2, plank (dock1).")))
        << run.log().mid(reopened).toStdString();
    EXPECT_EQ(xfconf({ QStringLiteral("-lv") }), settingsAfter);
    EXPECT_EQ(plankHideMode(), QStringLiteral("'auto'"));
    EXPECT_TRUE(run.running());
}
