// The menus of the real orbitShelf: the window button's "Keep in Dock" pins an
// xterm that outlives the xterm and a restart; the bar menu's update check
// says that this build has no web service.
#include "state/Persistence.h"
#include "tests/support/X11TestTools.h"

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

QStringList pinnedNames(const DockRun& run)
{
    QString error;
    const auto store = PersistenceController::open(run.storePath(), &error);
    QStringList names;
    if (store)
        for (const Record& record : store->fetchAll(Entity::PinnedApps))
            names << record.text(QStringLiteral("appBundleName")).value_or(QString());
    return names;
}

} // namespace

TEST(WindowMenu, KeepInDockPinsAnXtermThatOutlivesItAndARestart)
{
    auto clients = std::make_unique<Clients>();
    const auto xterm = clients->xterm(QStringLiteral("keep me terminal"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    std::optional<QRect> button;
    ASSERT_TRUE(waitUntil([&] {
        return (button = run.loggedRect(QStringLiteral("\\b%1@").arg(xterm.pid))).has_value();
    })) << run.log().toStdString();

    click(button->center(), 3);
    std::optional<QRect> keep;
    ASSERT_TRUE(waitUntil([&] {
        return (keep = run.loggedRect(QStringLiteral("window menu:.*Keep in Dock@"))).has_value();
    })) << run.log().toStdString();
    click(keep->center());
    ASSERT_TRUE(waitUntil([&] { return pinnedNames(run).contains(QLatin1String("xterm")); }))
        << run.log().toStdString();

    clients.reset();
    ASSERT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("keep me terminal")).isEmpty(); }));
    run.stop();
    // The next start comes up with the same store and keeps the pin.
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] {
        const auto bar = loggedBar(run.log().section(QStringLiteral("dock window"), -1));
        return std::any_of(
            bar.begin(), bar.end(), [](const auto& i) { return i.kind == LoggedBarItem::pinnedApp; });
    })) << run.log().toStdString();
    EXPECT_TRUE(pinnedNames(run).contains(QLatin1String("xterm")));
}

TEST(SettingsMenu, UpdateCheckSaysThatNoWebServiceIsConfigured)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(openSettingsMenu(run)) << run.log().toStdString();
    std::optional<QRect> entry;
    ASSERT_TRUE(waitUntil([&] {
        return (entry = run.loggedRect(QStringLiteral("settings menu opened.*Check for Updates@")))
            .has_value();
    })) << run.log().toStdString();
    click(entry->center());

    EXPECT_TRUE(waitUntil([&] {
        return run.log().contains(
            QLatin1String("alert: Update check failed / No web service is configured for this build."));
    })) << run.log().toStdString();
    EXPECT_TRUE(acknowledgeMessageBox());
}
