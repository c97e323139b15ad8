// How soon the bar follows what happens on the desktop, on a private Xvfb +
// openbox with the real orbitShelf: a program's second window to its button
// (from the client's own map), a window activated from outside to the focus
// marker, a badge sent over the session bus to the bar that draws it, and,
// with Auto Hide on, the pointer reaching the bottom edge to the bar brought
// back and leaving it to the bar hidden (0.3 s of that is the hide's own
// delay). Each is taken from the program's stamped log, over several rounds,
// and printed as median and slowest; nothing fails on a time. The end-to-end
// tests check that each of these happens; the figures belong here, where a
// busy machine makes a slow round, not a red build.
//   bench_bar_reactions [--rounds N] [--program PATH]
#include "BenchFigures.h"
#include "state/MapSetting.h"
#include "tests/e2e_dock_input/BarInput.h"
#include "tests/support/X11TestTools.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace orbitshelf::test;

namespace {

const QPoint kAway(960, 400);

void report(const char* what, const std::vector<double>& ms)
{
    if (ms.empty()) {
        std::printf("%-60s no round completed\n", what);
        return;
    }
    std::printf("%-60s median %6.0f ms, slowest %6.0f ms (%zu rounds)\n", what, medianOf(ms),
        *std::max_element(ms.begin(), ms.end()), ms.size());
}

// A program opens its first window, and its second 300 ms later: from the
// second's map (the client's clock) to the bar logged with its button.
std::vector<double> secondWindow(const DockRun& run, int rounds)
{
    std::vector<double> ms;
    QTemporaryDir dir;
    for (int round = 0; round < rounds; ++round) {
        const QString log = dir.filePath(QStringLiteral("client-%1.log").arg(round));
        const QString title = QStringLiteral("pair %1").arg(round);
        // Window ids come back once their client has gone: only this
        // round's log is read.
        const qsizetype mark = run.log().size();
        Clients clients;
        const auto first = clients.own(QStringLiteral("second-window"), title, log,
            title + QStringLiteral(" 1"), { QStringLiteral("300") });
        const QString second = waitForWindow(title + QStringLiteral(" 2"));
        if (first.id.isEmpty() || second.isEmpty() || !waitForWindowButton(run, second))
            continue;
        const QRegularExpressionMatch mapped
            = QRegularExpression(QStringLiteral("mapped %1 (\\d+)").arg(second)).match(readText(log));
        const auto drawn
            = loggedAt(run.log().mid(mark), QStringLiteral("bar item .* window %1 at").arg(second));
        if (mapped.hasMatch() && drawn)
            ms.push_back(double(*drawn - mapped.captured(1).toLongLong()));
    }
    return ms;
}

// Two terminals; each round activates the other one from outside (xdotool,
// as a pager or another dock does): from the request to the marker moved.
std::vector<double> focusMarker(const DockRun& run, int rounds)
{
    std::vector<double> ms;
    Clients clients;
    const auto one = clients.xterm(QStringLiteral("marker one"));
    const auto two = clients.xterm(QStringLiteral("marker two"), QStringLiteral("40x5+600+300"));
    if (one.id.isEmpty() || two.id.isEmpty() || !waitForWindowButton(run, one.id)
        || !waitForWindowButton(run, two.id))
        return ms;
    for (int round = 0; round < rounds; ++round) {
        // The newest terminal has the focus to begin with.
        const QString& id = round % 2 ? two.id : one.id;
        const qsizetype mark = run.log().size();
        const qint64 asked = QDateTime::currentMSecsSinceEpoch();
        xdotool({ "windowactivate", id });
        std::optional<qint64> marked;
        if (waitUntil([&] {
                return (
                    marked = loggedAt(run.log().mid(mark), QStringLiteral("marks window %1 focused").arg(id)))
                    .has_value();
            }))
            ms.push_back(double(*marked - asked));
    }
    return ms;
}

// A count for the terminal's desktop entry, sent as an application sends
// it: from the send to the bar logged with the badge.
std::vector<double> badge(const DockRun& run, const QString& busAddress, int rounds)
{
    std::vector<double> ms;
    Clients clients;
    const auto terminal = clients.xterm(QStringLiteral("badged terminal"), QStringLiteral("40x5+50+500"));
    if (terminal.id.isEmpty() || !waitForWindowButton(run, terminal.id))
        return ms;
    QDBusConnection sender = QDBusConnection::connectToBus(busAddress, QStringLiteral("badge sender"));
    for (int round = 0; round < rounds; ++round) {
        const qint64 count = 10 + round;
        auto signal
            = QDBusMessage::createSignal("/org/example/app", "com.canonical.Unity.LauncherEntry", "Update");
        signal << QStringLiteral("application://debian-xterm.desktop")
               << QVariantMap { { "count", count }, { "count-visible", true } };
        const qsizetype mark = run.log().size();
        const qint64 sent = QDateTime::currentMSecsSinceEpoch();
        if (!sender.send(signal))
            break;
        const QString drawn = QStringLiteral("window %1 at [^\\n]* badge \"%2\"").arg(terminal.id).arg(count);
        std::optional<qint64> at;
        if (waitUntil([&] { return (at = loggedAt(run.log().mid(mark), drawn)).has_value(); },
                std::chrono::seconds(10)))
            ms.push_back(double(*at - sent));
    }
    sender = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(QStringLiteral("badge sender"));
    return ms;
}

// An auto-hidden bar: the pointer jumps to the bottom row, then away.
std::pair<std::vector<double>, std::vector<double>> edge(const QString& program, int rounds)
{
    std::vector<double> back, hidden;
    movePointer(kAway);
    DockRun run({ { "autoHideDock",
        mapRawValue({ { screenKeyOfOutput(QStringLiteral("screen")), QStringLiteral("true") } }) } });
    if (!program.isEmpty())
        run.setProgram(program);
    if (run.start() <= 0
        || !waitUntil([&] { return run.log().contains(QLatin1String("auto-show strip for")); },
            std::chrono::seconds(10)))
        return {};
    for (int round = 0; round < rounds; ++round) {
        const qsizetype mark = run.log().size();
        const int x = 100 + 170 * round % 1700;
        const qint64 arrived = QDateTime::currentMSecsSinceEpoch();
        xdotool({ "mousemove", QString::number(x), "1079" });
        std::optional<qint64> at;
        if (!waitUntil([&] {
                return (at
                    = loggedAt(run.log().mid(mark), QStringLiteral("auto-show strip brings back the dock")))
                    .has_value();
            }))
            continue;
        back.push_back(double(*at - arrived));
        const qsizetype away = run.log().size();
        const qint64 left = QDateTime::currentMSecsSinceEpoch();
        xdotool({ "mousemove", QString::number(kAway.x()), QString::number(kAway.y()) });
        if (waitUntil([&] {
                return (at = loggedAt(run.log().mid(away), QStringLiteral("auto-hidden bar of .* hides")))
                    .has_value();
            }))
            hidden.push_back(double(*at - left));
    }
    return { back, hidden };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype roundsAt = arguments.indexOf(QStringLiteral("--rounds"));
    const int rounds = roundsAt > 0 ? std::max(1, arguments.value(roundsAt + 1).toInt()) : 10;
    const qsizetype programAt = arguments.indexOf(QStringLiteral("--program"));
    const QString program = programAt > 0 ? arguments.value(programAt + 1) : QString();
    auto session = XvfbSession::start();
    if (!session) {
        std::fprintf(stderr, "no X session: %s\n", qPrintable(XvfbSession::lastError()));
        return 1;
    }
    PrivateSessionBus bus;
    if (bus.address().isEmpty()) {
        std::fprintf(stderr, "no session bus (dbus-daemon)\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    {
        movePointer(kAway);
        DockRun run;
        if (!program.isEmpty())
            run.setProgram(program);
        if (run.start() <= 0
            || !waitUntil([&] { return !loggedBar(run.log()).empty(); }, std::chrono::seconds(10))) {
            std::fprintf(stderr, "orbitShelf did not show its bar\n%s", qPrintable(run.log()));
            return 1;
        }
        report("a program's second window: its map to its button", secondWindow(run, rounds));
        report("a window activated from outside: to the focus marker", focusMarker(run, rounds));
        report("a badge sent over the session bus: to the bar", badge(run, bus.address(), rounds));
    }
    const auto [back, hidden] = edge(program, rounds);
    report("Auto Hide: the pointer at the bottom edge to the bar back", back);
    report("Auto Hide: the pointer away to the bar hidden (0.3 s delay)", hidden);
    return 0;
}
