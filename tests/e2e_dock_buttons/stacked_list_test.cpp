// The real orbitShelf on a private Xvfb + openbox: a stacked button lists
// its application's windows, and one click on a listed window brings that
// window forward and closes the list.
#include "tests/support/X11TestTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

constexpr auto kStart = std::chrono::seconds(20);

TEST(DockButtonsOnX11, StackedButtonListsWindowsAndActivatesTheClickedOne)
{
    const qint64 stacked = spawn("xterm", { "-T", "stacked terminal", "-geometry", "40x5+50+50" });
    const qint64 other = spawn("xterm", { "-T", "other terminal", "-geometry", "40x5+50+300" });
    ASSERT_GT(stacked, 0);
    ASSERT_GT(other, 0);
    QString stackedId;
    QString otherId;
    ASSERT_TRUE(waitUntil(
        [&] {
            const QStringList a = visibleWindowsNamed("stacked terminal");
            const QStringList b = visibleWindowsNamed("other terminal");
            stackedId = a.value(0);
            otherId = b.value(0);
            return !stackedId.isEmpty() && !otherId.isEmpty();
        },
        kStart));

    // With a limit of one, every application with a window is one stacked button.
    DockRun run({ { QStringLiteral("stackAppLimit"), 1 } });
    ASSERT_GT(run.start(), 0);
    std::optional<QPoint> button;
    ASSERT_TRUE(waitUntil([&] { return (button = buttonCentre(run.log(), stacked)).has_value(); }, kStart))
        << run.log().toStdString();

    runTool("xdotool", { "windowactivate", "--sync", otherId });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == otherId; }));

    runTool("xdotool",
        { "mousemove", "--sync", QString::number(button->x()), QString::number(button->y()), "click", "1" });
    QString list;
    ASSERT_TRUE(waitUntil(
        [&] {
            list = visibleWindowsNamed(QStringLiteral("orbitShelf windows")).value(0);
            return !list.isEmpty();
        },
        std::chrono::seconds(10)))
        << run.log().toStdString();
    const QRect listRect = windowGeometry(list);
    EXPECT_EQ(listRect.width(), 300);
    const QString pictures = QCoreApplication::applicationDirPath() + QStringLiteral("/e2e_dock_screenshots");
    QDir().mkpath(pictures);
    runTool("import", { "-window", "root", "-crop", "600x200+660+880", pictures + "/stacked-list.png" });

    // The one row: the stacked terminal.
    runTool("xdotool",
        { "mousemove", "--sync", QString::number(listRect.center().x()), QString::number(listRect.top() + 8),
            "click", "1" });
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == stackedId; }, std::chrono::seconds(10)))
        << run.log().toStdString();
    EXPECT_TRUE(
        waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf windows")).isEmpty(); }));

    run.stop();
    terminate(stacked);
    terminate(other);
}

} // namespace
