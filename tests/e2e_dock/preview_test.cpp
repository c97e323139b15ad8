// Hovering a window button of the real orbitShelf shows that window's live
// picture; an idle bar costs next to no processor time.
#include "tests/support/X11TestTools.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orbitshelf::test;

namespace {

const QColor kTerminal(0xd0, 0x20, 0x20);

bool near(const QColor& a, const QColor& b)
{
    return a.isValid() && std::abs(a.red() - b.red()) <= 40 && std::abs(a.green() - b.green()) <= 40
        && std::abs(a.blue() - b.blue()) <= 40;
}

// Processor time the process has used, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(stat.readAll());
    // The fields after the command name (which may hold blanks) start after ')'.
    const QStringList fields = text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
    return fields.size() < 13
        ? -1
        : (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

} // namespace

TEST(HoverPreview, ShowsTheWindowsLivePictureAboveItsButtonAndGoesWithThePointer)
{
    Clients clients;
    // Taller than the preview's 200-pixel frame.
    const auto red = clients.xterm(QStringLiteral("preview red"), QStringLiteral("60x20+40+40"),
        { "-bg", kTerminal.name(), "-fg", "white" });
    DockRun run({ { QStringLiteral("hideMainButton"), true }, { QStringLiteral("showLunchpadButton"), false },
        { QStringLiteral("disablePreview"), false } });
    const qint64 pid = run.start();
    ASSERT_GT(pid, 0);
    std::optional<QRect> button;
    ASSERT_TRUE(waitUntil([&] {
        return (button = run.loggedRect(QStringLiteral("window button %1 at ").arg(red.id))).has_value();
    })) << run.log().toStdString();

    // A dock window just mapped may not take input yet: nudge until it does.
    const QString shown = QStringLiteral("preview of window %1 shown, picture at ").arg(red.id);
    std::optional<QRect> picture;
    int nudge = 0;
    ASSERT_TRUE(waitUntil([&] {
        movePointer(button->center() + QPoint(nudge++ % 2, 0));
        return waitUntil(
            [&] { return (picture = run.loggedRect(shown)).has_value(); }, std::chrono::milliseconds(500));
    })) << run.log().toStdString();

    // The terminal's own background, above the button, in the 200-high frame.
    EXPECT_EQ(picture->height(), 200);
    EXPECT_LT(picture->bottom(), button->top());
    const QPoint inPicture = picture->center() + QPoint(0, picture->height() / 4);
    EXPECT_TRUE(waitUntil([&] { return near(pixelAt(inPicture), kTerminal); }))
        << pixelAt(inPicture).name().toStdString();

    movePointer(QPoint(960, 400));
    EXPECT_TRUE(waitUntil([&] { return run.log().trimmed().endsWith(QLatin1String("preview hidden")); }))
        << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return !near(pixelAt(inPicture), kTerminal); }));

    // Nothing hovered: the bar idles.
    const double before = cpuSeconds(pid);
    QElapsedTimer idle;
    idle.start();
    waitUntil([&] { return idle.elapsed() >= 1000; });
    const double used = cpuSeconds(pid) - before;
    ASSERT_GE(before, 0);
    EXPECT_LT(used / (idle.elapsed() / 1000.0), 0.05) << "processor share while idle: " << used;
}

TEST(HoverPreview, ASmallWindowIsShownAtItsOwnSizeNeverEnlarged)
{
    Clients clients;
    const auto small = clients.xterm(QStringLiteral("preview small"), QStringLiteral("40x5+40+40"));
    DockRun run({ { QStringLiteral("hideMainButton"), true }, { QStringLiteral("showLunchpadButton"), false },
        { QStringLiteral("disablePreview"), false } });
    ASSERT_GT(run.start(), 0);
    std::optional<QRect> button;
    ASSERT_TRUE(waitUntil([&] {
        return (button = run.loggedRect(QStringLiteral("window button %1 at ").arg(small.id))).has_value();
    })) << run.log().toStdString();
    const QString shown = QStringLiteral("preview of window %1 shown, picture at ").arg(small.id);
    std::optional<QRect> picture;
    int nudge = 0;
    ASSERT_TRUE(waitUntil([&] {
        movePointer(button->center() + QPoint(nudge++ % 2, 0));
        return waitUntil(
            [&] { return (picture = run.loggedRect(shown)).has_value(); }, std::chrono::milliseconds(500));
    })) << run.log().toStdString();
    const QRect window = windowGeometry(small.id);
    EXPECT_LE(picture->width(), window.width() + 1) << "window " << window.width() << " wide";
    EXPECT_LE(picture->height(), window.height() + 1) << "window " << window.height() << " high";
    movePointer(QPoint(960, 400));
}
