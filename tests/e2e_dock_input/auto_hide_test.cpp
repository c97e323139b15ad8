// An auto-hidden bar of the real orbitShelf, brought back by the screen's
// edge: it goes again when the pointer goes elsewhere without crossing it,
// and it stays while its own menu is open.
#include "state/MapSetting.h"
#include "tests/e2e_dock_input/BarInput.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

const QPoint kAway(960, 400);

bool barShown()
{
    return !isBackground(pixelAt(kBottomCentre));
}

DockRun autoHidden()
{
    return DockRun({ { "autoHideDock",
        mapRawValue({ { screenKeyOfOutput(QStringLiteral("screen")), QStringLiteral("true") } }) } });
}

// When the program wrote the newest line matching `pattern` after `from`.
std::optional<qint64> loggedAfter(const DockRun& run, qsizetype from, const QString& pattern)
{
    return loggedAt(run.log().mid(from), pattern);
}

const QString kBroughtBack = QStringLiteral("auto-show strip brings back the dock");
const QString kHides = QStringLiteral("auto-hidden bar of .* hides");

} // namespace

TEST(AutoHide, ABarTheEdgeBroughtBackHidesWhenThePointerLeavesWithoutCrossingIt)
{
    movePointer(kAway);
    DockRun run = autoHidden();
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("auto-show strip for")); }))
        << run.log().toStdString();

    // Three times, as a user touches the edge and changes their mind.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const qsizetype mark = run.log().size();
        // The edge far left of the bar, then straight up: the bar is never crossed.
        movePointer(QPoint(100, 1079));
        ASSERT_TRUE(waitUntil([&] { return loggedAfter(run, mark, kBroughtBack).has_value(); }))
            << run.log().mid(mark).toStdString();
        ASSERT_TRUE(waitUntil(barShown));
        // How soon (0.3 s of it the hide's own delay): bench_bar_reactions.
        movePointer(QPoint(100, 700));
        EXPECT_TRUE(
            waitUntil([&] { return loggedAfter(run, mark, kHides).has_value(); }, std::chrono::seconds(5)))
            << "the bar stayed up\n"
            << run.log().mid(mark).toStdString();
        EXPECT_TRUE(waitUntil([] { return !barShown(); }));
        movePointer(kAway);
    }
}

TEST(AutoHide, ABarStaysWhileItsMenuIsOpenAndHidesOnceItCloses)
{
    movePointer(kAway);
    DockRun run = autoHidden();
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("auto-show strip for")); }))
        << run.log().toStdString();

    // Up from the edge onto the bar, then its menu.
    movePointer(QPoint(kBottomCentre.x(), 1079));
    ASSERT_TRUE(waitUntil(barShown)) << run.log().toStdString();
    movePointer(kBottomCentre);
    const LoggedMenu menu = openBarMenu(run);
    ASSERT_FALSE(menu.titles.isEmpty()) << run.log().toStdString();

    // Onto the menu's last entry, off the bar, and a while there.
    const qsizetype mark = run.log().size();
    movePointer(menu.places.back().center());
    QElapsedTimer resting;
    resting.start();
    waitUntil([&] { return resting.elapsed() >= 1500; }, std::chrono::seconds(3));
    EXPECT_FALSE(loggedAfter(run, mark, kHides)) << run.log().mid(mark).toStdString();
    EXPECT_TRUE(barShown()) << "the bar went from under its menu";
    EXPECT_FALSE(openMenus(run).isEmpty());

    // Closed with the pointer elsewhere: the bar goes too.
    movePointer(kAway);
    ASSERT_TRUE(closeMenus(run));
    EXPECT_TRUE(
        waitUntil([&] { return loggedAfter(run, mark, kHides).has_value(); }, std::chrono::seconds(2)))
        << run.log().mid(mark).toStdString();
    EXPECT_TRUE(waitUntil([] { return !barShown(); }));
}
