// The real orbitShelf on a private Xvfb + openbox: a right click on an
// xterm's window button opens its menu, "Keep in Dock" stores the pin, and
// the pin is still there once the xterm has exited and orbitShelf has
// started again.
#include "Persistence.h"
#include "tests/support/X11TestTools.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

constexpr auto kStart = std::chrono::seconds(20);

// The centre of the item titled `title` in the newest "window menu:" line.
std::optional<QPoint> menuItemCentre(const QString& log, const QString& title)
{
    const qsizetype at = log.lastIndexOf(QStringLiteral("window menu:"));
    if (at < 0)
        return std::nullopt;
    const QString line = log.mid(at).section(QLatin1Char('\n'), 0, 0);
    const QRegularExpression entry(
        QStringLiteral("%1@(-?\\d+),(-?\\d+),(\\d+)x(\\d+)").arg(QRegularExpression::escape(title)));
    const auto m = entry.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    return QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt())
        .center();
}

// The pinned application names in the run's store, read afresh.
QStringList pinnedNames(const DockRun& run)
{
    const QString home = QFileInfo(run.logPath()).absolutePath();
    QDirIterator it(home, { QStringLiteral("Favorite.sqlite") }, QDir::Files, QDirIterator::Subdirectories);
    if (!it.hasNext())
        return {};
    QString error;
    const auto store = PersistenceController::open(it.next(), &error);
    QStringList names;
    if (store)
        for (const Record& record : store->fetchAll(Entity::PinnedApps))
            names << record.text(QStringLiteral("appBundleName")).value_or(QString());
    return names;
}

void clickAt(QPoint at, const char* button)
{
    runTool("xdotool",
        { "mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", button });
}

TEST(RealWindowMenu, KeepInDockFromTheBarSurvivesTheXtermAndARestart)
{
    const qint64 xterm = spawn("xterm", { "-T", "keep me terminal", "-geometry", "40x5+60+60" });
    ASSERT_GT(xterm, 0);
    ASSERT_TRUE(waitUntil([] { return !visibleWindowsNamed("keep me terminal").isEmpty(); }, kStart));

    DockRun run({});
    ASSERT_GT(run.start(), 0);
    std::optional<QPoint> button;
    ASSERT_TRUE(waitUntil([&] { return (button = buttonCentre(run.log(), xterm)).has_value(); }, kStart))
        << run.log().toStdString();

    clickAt(*button, "3");
    std::optional<QPoint> keep;
    ASSERT_TRUE(
        waitUntil([&] { return (keep = menuItemCentre(run.log(), "Keep in Dock")).has_value(); }, kStart))
        << run.log().toStdString();
    clickAt(*keep, "1");
    ASSERT_TRUE(waitUntil([&] { return pinnedNames(run).contains("xterm"); }, kStart))
        << run.log().toStdString();

    terminate(xterm);
    ASSERT_TRUE(waitUntil([] { return visibleWindowsNamed("keep me terminal").isEmpty(); }, kStart));
    run.stop();
    EXPECT_TRUE(pinnedNames(run).contains("xterm"));

    // The next start keeps the pin: it comes up with the same store intact.
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QStringLiteral("dock window")); }, kStart));
    EXPECT_TRUE(pinnedNames(run).contains("xterm"));
    run.stop();
}

} // namespace
