// The real orbitShelf on a private Xvfb + openbox: hovering a window button
// shows the window's live picture above it, moving away hides it, and an
// idle bar costs next to no processor time; the settings menu of the main
// button moves the bar to another edge.
#include "tests/support/X11TestTools.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <functional>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orbitshelf::test;

namespace {

constexpr auto kStart = std::chrono::seconds(20);
const QColor kTerminal(0xd0, 0x20, 0x20);

bool near(const QColor& a, const QColor& b, int tolerance = 40)
{
    return a.isValid() && std::abs(a.red() - b.red()) <= tolerance
        && std::abs(a.green() - b.green()) <= tolerance && std::abs(a.blue() - b.blue()) <= tolerance;
}

// The window buttons the bar last reported: number → frame on the screen.
std::map<quint32, QRect> windowButtons(const QString& log)
{
    std::map<quint32, QRect> buttons;
    const QStringList lines = log.split(QLatin1Char('\n'));
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->contains(QLatin1String("window button")))
            continue;
        static const QRegularExpression re(
            QStringLiteral("window button (\\d+) at (-?\\d+),(-?\\d+) (\\d+)x(\\d+)"));
        for (auto it = re.globalMatch(*line); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            buttons[m.captured(1).toUInt()] = QRect(
                m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(), m.captured(5).toInt());
        }
        break;
    }
    return buttons;
}

// The rectangle of the newest log line `re` matches: its four captures are
// x, y, width and height.
std::optional<QRect> lastLoggedRect(const QString& log, const QRegularExpression& re)
{
    QRegularExpressionMatch last;
    for (auto it = re.globalMatch(log); it.hasNext();)
        last = it.next();
    if (!last.hasMatch())
        return std::nullopt;
    return QRect(last.captured(1).toInt(), last.captured(2).toInt(), last.captured(3).toInt(),
        last.captured(4).toInt());
}

std::optional<QRect> shownPicture(const QString& log, quint32 window)
{
    return lastLoggedRect(log,
        QRegularExpression(QStringLiteral("preview of window %1 shown, picture at (-?\\d+),(-?\\d+) (\\d+)x(\\d+)")
                               .arg(window)));
}

std::optional<QRect> mainButton(const QString& log)
{
    static const QRegularExpression re(QStringLiteral("main button at (-?\\d+),(-?\\d+) (\\d+)x(\\d+)"));
    return lastLoggedRect(log, re);
}

// Repeats an input until the app shows it has taken it: a window that was
// just mapped may not have its input shape yet when the first event comes.
bool retryUntil(const std::function<void()>& input, const std::function<bool()>& taken)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        input();
        if (waitUntil(taken, std::chrono::seconds(1)))
            return true;
    }
    return false;
}

// Processor time the process has used, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(stat.readAll());
    // Fields after the command name (which may hold blanks) start after ')'.
    const QStringList fields = text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

TEST(HoverPreviewOnX11, HoveringAWindowButtonShowsItsLivePicture)
{
    const qint64 one = spawn(QStringLiteral("xterm"),
        { "-T", "preview one", "-bg", kTerminal.name(), "-fg", "white", "-geometry", "60x15+40+40" });
    const qint64 two = spawn(QStringLiteral("xterm"),
        { "-T", "preview two", "-bg", kTerminal.name(), "-fg", "white", "-geometry", "60x15+800+40" });
    ASSERT_TRUE(waitUntil(
        [] {
            return !visibleWindowsNamed(QStringLiteral("preview one")).isEmpty()
                && !visibleWindowsNamed(QStringLiteral("preview two")).isEmpty();
        },
        kStart));

    // Only the application buttons on the bar: the two xterm windows.
    DockRun run({ { QStringLiteral("hideMainButton"), true }, { QStringLiteral("showLunchpadButton"), false },
        { QStringLiteral("disablePreview"), false } });
    const qint64 pid = run.start();
    ASSERT_GT(pid, 0);
    std::map<quint32, QRect> buttons;
    ASSERT_TRUE(waitUntil(
        [&] {
            buttons = windowButtons(run.log());
            return buttons.size() == 2;
        },
        kStart))
        << run.log().toStdString();

    const auto [number, button] = *buttons.begin();
    std::optional<QRect> picture;
    int nudge = 0;
    ASSERT_TRUE(retryUntil(
        [&] {
            runTool(QStringLiteral("xdotool"),
                { "mousemove", QString::number(button.center().x() + (nudge++ % 2)),
                    QString::number(button.center().y()) });
        },
        [&] {
            picture = shownPicture(run.log(), number);
            return picture.has_value();
        }))
        << run.log().toStdString();

    // The picture is the terminal's: its background colour, not black, above
    // the button and never wider than the 200-high frame allows.
    EXPECT_EQ(picture->height(), 200);
    EXPECT_LT(picture->bottom(), button.top());
    QColor middle;
    EXPECT_TRUE(waitUntil(
        [&] {
            middle = pixelAt(picture->center().x(), picture->center().y() + picture->height() / 4);
            return near(middle, kTerminal);
        },
        std::chrono::seconds(5)))
        << "preview shows " << middle.name().toStdString();
    runTool(QStringLiteral("import"),
        { QStringLiteral("-window"), QStringLiteral("root"),
            QCoreApplication::applicationDirPath() + QStringLiteral("/e2e_dock_preview.png") });

    // Away from the bar the preview goes, and with it the capture.
    runTool(QStringLiteral("xdotool"), { "mousemove", "960", "400" });
    EXPECT_TRUE(
        waitUntil([&] { return run.log().trimmed().endsWith(QLatin1String("preview hidden")); }, kStart))
        << run.log().toStdString();
    EXPECT_TRUE(
        waitUntil([&] { return !near(pixelAt(picture->center().x(), picture->center().y()), kTerminal); }));

    // Nothing hovered: the bar idles.
    const double before = cpuSeconds(pid);
    QElapsedTimer idle;
    idle.start();
    waitUntil([&] { return idle.elapsed() >= 3000; }, std::chrono::seconds(5));
    const double used = cpuSeconds(pid) - before;
    ASSERT_GE(before, 0);
    EXPECT_LT(used / (idle.elapsed() / 1000.0), 0.05) << "processor share while idle: " << used;

    run.stop();
    terminate(one);
    terminate(two);
}

TEST(DockSettingsMenuOnX11, ChoosingLeftMovesTheMainBarToTheLeftEdge)
{
    DockRun run({});
    ASSERT_GT(run.start(), 0);
    std::optional<QRect> button;
    ASSERT_TRUE(waitUntil(
        [&] {
            button = mainButton(run.log());
            return button.has_value();
        },
        kStart))
        << run.log().toStdString();
    QStringList docks;
    ASSERT_TRUE(waitUntil(
        [&] { return !(docks = visibleWindowsNamed(QStringLiteral("orbitShelf dock"))).isEmpty(); }));
    const QRect before = windowGeometry(docks.first());
    ASSERT_GT(before.width(), before.height()) << "a bottom bar first";

    ASSERT_TRUE(retryUntil(
        [&] {
            runTool(QStringLiteral("xdotool"),
                { "mousemove", "--sync", QString::number(button->center().x()),
                    QString::number(button->center().y()), "click", "3" });
        },
        [&] { return run.log().contains(QLatin1String("settings menu opened")); }))
        << run.log().toStdString();
    // "Dock Position" is the first entry, "Left" the first of its submenu.
    runTool(QStringLiteral("xdotool"), { "key", "Down" });
    runTool(QStringLiteral("xdotool"), { "key", "Right" });
    runTool(QStringLiteral("xdotool"), { "key", "Return" });

    EXPECT_TRUE(waitUntil(
        [&] {
            const QStringList now = visibleWindowsNamed(QStringLiteral("orbitShelf dock"));
            if (now.isEmpty())
                return false;
            const QRect frame = windowGeometry(now.first());
            return frame.height() > frame.width() && frame.left() <= 0;
        },
        kStart))
        << run.log().toStdString();
}

} // namespace
