#pragma once

// The tools' tiles and panels as the bar logs them, and the Pomodoro read and
// started from its panel as a user does: for the panels' checks and for the
// ends of the process a running Pomodoro lives through.

#include "tests/support/X11TestTools.h"

#include <QSettings>

#include <optional>
#include <vector>

namespace orbitshelf::test {

// The tool tiles, in bar order (the tools sorted by name).
inline std::vector<QRect> toolTiles(const DockRun& run)
{
    std::vector<QRect> tiles;
    for (const LoggedBarItem& item : loggedBar(run.log()))
        if (item.kind == LoggedBarItem::tool)
            tiles.push_back(item.rect);
    return tiles;
}

// One control of a tool panel as the bar logs it once the panel is up.
struct LoggedControl {
    QString name;
    bool whole = false;
    QRect rect;
};

// The controls the panel titled `title` logged last, after log position
// `from`; empty until it has logged them.
inline std::vector<LoggedControl> panelControls(const DockRun& run, const QString& title, qsizetype from)
{
    std::vector<LoggedControl> controls;
    const QString log = run.log().mid(from);
    const qsizetype start = log.lastIndexOf(QStringLiteral("tool sheet %1 at ").arg(title));
    if (start < 0)
        return controls;
    const QRegularExpression line(QStringLiteral(
        "tool sheet %1 control \\d+ \"([^\"]*)\" (whole|cut) at (-?\\d+),(-?\\d+) (\\d+)x(\\d+)")
                                      .arg(QRegularExpression::escape(title)));
    for (auto it = line.globalMatch(log.mid(start)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        controls.push_back({ m.captured(1), m.captured(2) == QLatin1String("whole"),
            QRect(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(5).toInt(),
                m.captured(6).toInt()) });
    }
    return controls;
}

// Seconds left on the Pomodoro panel's clock as it showed after `from`.
inline std::optional<int> pomodoroSecondsLeft(const DockRun& run, qsizetype from)
{
    static const QRegularExpression clock(QStringLiteral("^(\\d+) : (\\d+)$"));
    for (const LoggedControl& control : panelControls(run, QStringLiteral("Pomodoro"), from)) {
        const QRegularExpressionMatch m = clock.match(control.name);
        if (m.hasMatch())
            return m.captured(1).toInt() * 60 + m.captured(2).toInt();
    }
    return std::nullopt;
}

// Opens the Pomodoro panel from its tile (a dock window just mapped may not
// take input yet) and reads its clock; closes it again.
inline std::optional<int> readPomodoroClock(const DockRun& run, const QRect& tile)
{
    std::optional<int> left;
    const qsizetype from = run.log().size();
    waitUntil([&] {
        if (visibleWindowsNamed(QStringLiteral("Pomodoro")).isEmpty())
            click(tile.center());
        return waitUntil([&] { return (left = pomodoroSecondsLeft(run, from)).has_value(); },
            std::chrono::milliseconds(1500));
    });
    xdotool({ "key", "Escape" });
    waitUntil([] { return visibleWindowsNamed(QStringLiteral("Pomodoro")).isEmpty(); });
    return left;
}

// Starts a Pomodoro from its panel, opened from `tile`.
inline bool startPomodoro(const DockRun& run, const QRect& tile)
{
    std::optional<QRect> start;
    const qsizetype from = run.log().size();
    if (!waitUntil([&] {
            click(tile.center());
            return waitUntil(
                [&] {
                    return (start
                        = loggedRectIn(run.log().mid(from), QStringLiteral("Pomodoro panel shown: Start@")))
                        .has_value();
                },
                std::chrono::milliseconds(1500));
        }))
        return false;
    click(start->center());
    xdotool({ "key", "Escape" });
    return waitUntil([] { return visibleWindowsNamed(QStringLiteral("Pomodoro")).isEmpty(); });
}

// The clock counts down: a later reading shows less time left. Read until it
// has moved on from `before`.
inline bool clockMovesOn(const DockRun& run, const QRect& tile, int before)
{
    return waitUntil(
        [&] {
            const std::optional<int> now = readPomodoroClock(run, tile);
            return now && *now < before;
        },
        std::chrono::seconds(15));
}

} // namespace orbitshelf::test
