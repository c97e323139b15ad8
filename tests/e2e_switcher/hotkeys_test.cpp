// The real orbitShelf's global hot keys on the private display, typed with
// xdotool while an xterm has the focus.
#include "Persistence.h"
#include "tests/support/X11TestTools.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

const QString kSwitcher = QStringLiteral("orbitShelf switcher");

bool switcherShown()
{
    return !visibleWindowsNamed(kSwitcher).isEmpty();
}

// Installs the clipboard tool, which brings the H and P keys.
void installClipboardTool(const DockRun& run)
{
    QDir().mkpath(QFileInfo(run.storePath()).path());
    QString error;
    auto store = PersistenceController::open(run.storePath(), &error);
    ASSERT_TRUE(store) << error.toStdString();
    ASSERT_TRUE(
        store->insert(Entity::Plugins, { { "name", QStringLiteral("Pasteboard") }, { "installed", true } }));
    ASSERT_TRUE(store->save());
}

QString autoHideSetting(const DockRun& run)
{
    QFile conf(run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"));
    if (!conf.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray& line : conf.readAll().split('\n'))
        if (line.startsWith("autoHideDock="))
            return QString::fromUtf8(line);
    return QString();
}

} // namespace

TEST(HotKeys, TheSwitcherQuickSwitchEscapeAndH)
{
    Clients clients;
    const auto a = clients.xterm(QStringLiteral("terminal A"), QStringLiteral("40x5+100+100"));
    const auto b = clients.xterm(QStringLiteral("terminal B"), QStringLiteral("40x5+900+100"));
    ASSERT_FALSE(a.id.isEmpty());
    ASSERT_FALSE(b.id.isEmpty());
    DockRun run;
    installClipboardTool(run);
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("hot key Alt+Space is taken")); }))
        << run.log().toStdString();
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());

    click(windowGeometry(a.id).center());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == a.id; }));
    click(windowGeometry(b.id).center());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == b.id; }));

    // Held Alt over Tab: the switcher, its key events, and its end.
    for (int cycle = 0; cycle < 10; ++cycle) {
        xdotool({ "keydown", "alt" });
        xdotool({ "keydown", "Tab" });
        ASSERT_TRUE(waitUntil(switcherShown)) << "cycle " << cycle << "\n" << run.log().toStdString();
        if (cycle == 0) {
            EXPECT_EQ(windowGeometry(visibleWindowsNamed(kSwitcher).value(0)), QRect(96, 54, 1728, 972));
        }
        const qsizetype before = run.log().count(QLatin1String("switcher event onkeyDown 48"));
        xdotool({ "keyup", "Tab" });
        EXPECT_TRUE(waitUntil([&] {
            return run.log().count(QLatin1String("switcher event onkeyDown 48")) > before;
        })) << "cycle "
            << cycle;
        if (cycle % 3 == 2) {
            xdotool({ "key", "Escape" });
            EXPECT_TRUE(waitUntil([] { return !switcherShown(); })) << "Escape, cycle " << cycle;
        }
        xdotool({ "keyup", "alt" });
        EXPECT_TRUE(waitUntil([] { return !switcherShown(); })) << "cycle " << cycle;
    }
    EXPECT_EQ(activeWindow(), b.id) << "the switcher's keys reached a window";

    // A quick Alt+Tab goes back to A; Alt+Escape then minimises it.
    xdotool({ "key", "alt+Tab" });
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == a.id; })) << run.log().toStdString();
    EXPECT_FALSE(switcherShown());
    xdotool({ "key", "alt+Escape" });
    EXPECT_TRUE(waitUntil([&] {
        return property(a.id, QStringLiteral("WM_STATE")).contains(QLatin1String("Iconic"));
    })) << property(a.id, QStringLiteral("WM_STATE")).toStdString();

    // Alt+Shift+H hides the bar under the pointer, and shows it again.
    movePointer(QPoint(960, 400));
    xdotool({ "key", "alt+shift+h" });
    EXPECT_TRUE(waitUntil([&] { return autoHideSetting(run).contains(QLatin1String("true")); }))
        << autoHideSetting(run).toStdString();
    xdotool({ "key", "alt+shift+h" });
    EXPECT_TRUE(waitUntil([&] { return autoHideSetting(run).contains(QLatin1String("false")); }))
        << autoHideSetting(run).toStdString();
    EXPECT_TRUE(run.running());
}
