// The real orbitShelf's global hot keys on the private display, typed with
// xdotool while an xterm has the focus.
#include "tests/support/X11TestTools.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

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
    DockRun run;
    // The clipboard tool, installed in an earlier session: the bar brings
    // its H and P keys at the start.
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(installTools(run, { "Pasteboard" })) << run.log().toStdString();
    run.stop();
    const qsizetype restartedAt = run.log().size();
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().mid(restartedAt).contains(QLatin1String("bar rows of ")); }))
        << run.log().toStdString();
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    Clients clients;
    const auto a = clients.xterm(QStringLiteral("terminal A"), QStringLiteral("40x5+100+100"));
    const auto b = clients.xterm(QStringLiteral("terminal B"), QStringLiteral("40x5+900+100"));
    const auto c = clients.xterm(QStringLiteral("terminal C"), QStringLiteral("40x5+500+500"));
    ASSERT_FALSE(a.id.isEmpty());
    ASSERT_FALSE(b.id.isEmpty());
    ASSERT_FALSE(c.id.isEmpty());
    for (const auto* client : { &a, &b, &c }) {
        click(windowGeometry(client->id).center());
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == client->id; }));
    }

    // Held Alt, Tab pressed and let go `tabs` times, then Alt let go (or
    // Escape first): the window that ends up in front.
    const auto cycle = [&](int tabs, bool escape) {
        xdotool({ "keydown", "alt", "keydown", "Tab" });
        EXPECT_TRUE(waitUntil(switcherShown)) << run.log().toStdString();
        xdotool({ "keyup", "Tab" });
        for (int i = 1; i < tabs; ++i)
            xdotool({ "key", "Tab" });
        if (escape) {
            xdotool({ "key", "Escape" });
            EXPECT_TRUE(waitUntil([] { return !switcherShown(); })) << "Escape";
        }
        xdotool({ "keyup", "alt" });
        EXPECT_TRUE(waitUntil([] { return !switcherShown(); }));
    };
    // C, B, A by last use: one Tab is B, two from there are A.
    cycle(1, false);
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == b.id; })) << run.log().toStdString();
    cycle(2, false);
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == a.id; })) << run.log().toStdString();
    cycle(1, true);
    EXPECT_EQ(activeWindow(), a.id) << "Escape brings nothing forward";

    // A quick Alt+Tab goes back to B, and again to A; Alt+Escape then
    // minimises A.
    xdotool({ "key", "alt+Tab" });
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == b.id; })) << run.log().toStdString();
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
