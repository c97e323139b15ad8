// What the edge of an auto-hidden bar costs, on a private Xvfb + openbox:
// orbitShelf with Auto Hide on and its bar hidden, its wake-ups (context
// switches of every thread) and CPU time over an idle minute, then its CPU
// seconds and wake-ups per 1000 pointer motions anywhere on the screen above
// the edge (XTest, one every millisecond, as a 1000 Hz mouse sends them),
// and whether the edge still brings the bar back afterwards.
// With --program PATH another build's orbitShelf is measured the same way
// after this one, to compare; --quick idles 10 s.
#include "state/MapSetting.h"
#include "ProcessCpu.h"
#include "tests/support/X11TestTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>
#include <unistd.h>

using namespace orbitshelf::test;

namespace {

// Voluntary and involuntary context switches of every thread of `pid`: each
// is a wake-up or a preemption.
std::pair<long, long> contextSwitches(qint64 pid)
{
    long voluntary = 0, involuntary = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                voluntary += line.mid(24).trimmed().toLong();
            else if (line.startsWith("nonvoluntary_ctxt_switches:"))
                involuntary += line.mid(27).trimmed().toLong();
        }
    }
    return { voluntary, involuntary };
}

// `count` moves of the pointer to places anywhere on the screen above its
// bottom row, one every millisecond, by xdotool (XTest); runs the event loop
// meanwhile.
void moveAround(int count)
{
    QRandomGenerator random(57);
    for (int done = 0; done < count;) {
        QStringList steps;
        for (int i = 0; i < 500 && done < count; ++i, ++done)
            steps << "mousemove" << QString::number(random.bounded(1920))
                  << QString::number(random.bounded(1060)) << "sleep"
                  << "0.001";
        QProcess xdotool;
        QEventLoop loop;
        QObject::connect(&xdotool, &QProcess::finished, &loop, &QEventLoop::quit);
        xdotool.start(QStringLiteral("xdotool"), steps);
        loop.exec();
    }
}

void wholeProgram(const QString& program, std::chrono::seconds idle)
{
    const QString name = program.isEmpty() ? QStringLiteral("this build") : program;
    movePointer(QPoint(960, 400));
    DockRun run({ { "autoHideDock",
        mapRawValue({ { screenKeyOfOutput(QStringLiteral("screen")), QStringLiteral("true") } }) } });
    if (!program.isEmpty())
        run.setProgram(program);
    QElapsedTimer sinceStart;
    sinceStart.start();
    const qint64 pid = run.start();
    if (!pid || !waitUntil([&] { return run.log().contains(QLatin1String("auto-show strip for")); })) {
        std::printf("%s: orbitShelf did not start\n", qPrintable(name));
        return;
    }
    // The first minute, start included (the bar hides as it starts).
    waitUntil([&] { return sinceStart.elapsed() >= qint64(idle.count()) * 1000; },
        idle + std::chrono::seconds(5), std::chrono::milliseconds(500));
    const auto [firstVoluntary, firstInvoluntary] = contextSwitches(pid);
    std::printf("%s, Auto Hide on, its first %lld s: %ld voluntary + %ld involuntary context switches, "
                "%.2f CPU-s\n",
        qPrintable(name), qlonglong(idle.count()), firstVoluntary, firstInvoluntary, cpuSeconds(pid));
    // Settled: nothing logged for two seconds.
    qsizetype length = -1;
    QElapsedTimer quiet;
    waitUntil(
        [&] {
            if (run.log().size() != length) {
                length = run.log().size();
                quiet.start();
            }
            return quiet.elapsed() >= 2000;
        },
        std::chrono::seconds(30));

    const auto [voluntary, involuntary] = contextSwitches(pid);
    const double idleCpu = cpuSeconds(pid);
    QElapsedTimer timer;
    timer.start();
    waitUntil([&] { return timer.elapsed() >= qint64(idle.count()) * 1000; }, idle + std::chrono::seconds(5),
        std::chrono::milliseconds(500));
    const auto [voluntaryAfter, involuntaryAfter] = contextSwitches(pid);
    std::printf("%s, bar hidden, at rest for %lld s: %ld voluntary + %ld involuntary context switches, "
                "%.2f CPU-s\n",
        qPrintable(name), qlonglong(idle.count()), voluntaryAfter - voluntary, involuntaryAfter - involuntary,
        cpuSeconds(pid) - idleCpu);

    const int motions = 10000;
    const double before = cpuSeconds(pid);
    const auto [v0, n0] = contextSwitches(pid);
    moveAround(motions);
    const auto [v1, n1] = contextSwitches(pid);
    std::printf("%s, bar hidden, per 1000 motions anywhere above the edge: %.4f CPU-s (the kernel counts "
                "in 10-ms ticks), %.1f context switches\n",
        qPrintable(name), (cpuSeconds(pid) - before) * 1000 / motions,
        double(v1 - v0 + n1 - n0) * 1000 / motions);
    const qsizetype mark = run.log().size();
    xdotool({ "mousemove", "700", "1079" });
    std::printf("%s: the bottom edge afterwards %s the bar\n", qPrintable(name),
        waitUntil([&] { return run.log().mid(mark).contains(QLatin1String("brings back the dock")); },
            std::chrono::seconds(2))
            ? "brought back"
            : "did NOT bring back");
    movePointer(QPoint(960, 400));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool quick = arguments.contains(QStringLiteral("--quick"));
    const qsizetype programAt = arguments.indexOf(QStringLiteral("--program"));
    const QString other = programAt > 0 ? arguments.value(programAt + 1) : QString();
    auto session = XvfbSession::start();
    if (!session) {
        std::fprintf(stderr, "no X session: %s\n", qPrintable(XvfbSession::lastError()));
        return 1;
    }
    const std::chrono::seconds idle(quick ? 10 : 60);
    wholeProgram(QString(), idle);
    if (!other.isEmpty())
        wholeProgram(other, idle);
    return 0;
}
