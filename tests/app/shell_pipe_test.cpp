#include "app/ShellPipe.h"

#include <gtest/gtest.h>

#include <mutex>

#include <csignal>
#include <thread>

namespace {

// Collects what one run hands over; the handlers run on the run's thread.
struct Collected {
    std::mutex mutex;
    QStringList pieces;
    int exits = 0;
};

std::shared_ptr<Collected> run(const QString& command, std::shared_ptr<ShellProcess>* process = nullptr)
{
    auto collected = std::make_shared<Collected>();
    auto p = shellPipe(
        { command },
        [collected](const QString& text) {
            std::lock_guard lock(collected->mutex);
            collected->pieces << text;
        },
        [collected] {
            std::lock_guard lock(collected->mutex);
            ++collected->exits;
        });
    EXPECT_TRUE(p->waitForFinished(10000)) << command.toStdString();
    if (process)
        *process = p;
    return collected;
}

TEST(ShellPipe, TwoLinesWrittenAtOnceArriveInOnePiece)
{
    // One write(2): the bash builtin may write line by line.
    auto c = run("/usr/bin/printf 'first\\nsecond\\n'");
    EXPECT_EQ(c->pieces, QStringList { "first\nsecond\n" });
    EXPECT_EQ(c->exits, 1);
}

TEST(ShellPipe, LineSplitAcrossWritesArrivesJoined)
{
    auto c = run("printf 'hal'; sleep 0.3; printf 'f line\\nnext\\n'");
    EXPECT_EQ(c->pieces.join(QString()), "half line\nnext\n");
    for (const auto& piece : c->pieces)
        EXPECT_TRUE(piece.endsWith('\n')) << piece.toStdString();
    EXPECT_FALSE(c->pieces.contains("hal"));
}

TEST(ShellPipe, UnterminatedTailIsDeliveredAtTheEnd)
{
    auto c = run("printf 'whole\\nno break at the end'");
    EXPECT_EQ(c->pieces.join(QString()), "whole\nno break at the end");
    EXPECT_EQ(c->exits, 1);
}

TEST(ShellPipe, NoOutputCallsOnlyExit)
{
    auto c = run("true");
    EXPECT_TRUE(c->pieces.isEmpty());
    EXPECT_EQ(c->exits, 1);
}

TEST(ShellPipe, InvalidUtf8IsReplacedInsteadOfHoldingOutputBack)
{
    auto c = run("printf 'bad \\377 byte\\nafter\\n'");
    EXPECT_EQ(c->pieces.join(QString()), QString("bad \uFFFD byte\nafter\n"));
}

TEST(ShellPipe, ReadsOutputLargerThanThePipeToTheEnd)
{
    auto c = run("seq 1 50000");
    const QStringList lines = c->pieces.join(QString()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 50000);
    EXPECT_EQ(lines.last(), "50000");
}

TEST(ShellPipe, ChildSeesLcAllOverridingOurs)
{
    qputenv("LC_ALL", "C");
    auto c = run("printf '%s\\n' \"$LC_ALL\"");
    qunsetenv("LC_ALL");
    EXPECT_EQ(c->pieces.join(QString()), "en_US.UTF-8\n");
}

TEST(ShellPipe, DetachedGrandchildDoesNotHoldTheExitBack)
{
    // The grandchild keeps the pipe's write end open for a long time (its
    // standard error goes elsewhere so the test runner does not wait on it).
    std::shared_ptr<ShellProcess> process;
    auto c = run("sleep 30 2>/dev/null & echo $!", &process);
    ASSERT_EQ(c->pieces.size(), 1);
    EXPECT_EQ(c->exits, 1);
    process->terminate(); // nothing left to signal: the shell is reaped
    EXPECT_FALSE(process->isRunning());
    ::kill(pid_t(c->pieces.first().trimmed().toInt()), SIGKILL);
}

TEST(ShellPipe, TerminateStopsTheWholePipeline)
{
    auto collected = std::make_shared<Collected>();
    auto p = shellPipe({ "sleep 30 | cat" }, {}, [collected] {
        std::lock_guard lock(collected->mutex);
        ++collected->exits;
    });
    // Wait until the child exists, then stop it.
    for (int i = 0; i < 200 && p->processId() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    p->terminate();
    ASSERT_TRUE(p->waitForFinished(5000));
    EXPECT_EQ(collected->exits, 1);
}

TEST(ShellPipe, FailedLaunchPrintsTheErrorAndCallsNoHandler)
{
    testing::internal::CaptureStdout();
    auto collected = std::make_shared<Collected>();
    auto p = shellPipeWith(
        "/nonexistent/bash", { "echo hi" },
        [collected](const QString& t) {
            std::lock_guard lock(collected->mutex);
            collected->pieces << t;
        },
        [collected] {
            std::lock_guard lock(collected->mutex);
            ++collected->exits;
        });
    ASSERT_TRUE(p->waitForFinished(5000));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("⚠️ shell pipe executed with error"), std::string::npos) << out;
    EXPECT_TRUE(collected->pieces.isEmpty());
    EXPECT_EQ(collected->exits, 0);
    EXPECT_EQ(p->processId(), 0);
}

TEST(ShellPipe, LineBreakCutPoints)
{
    struct Row {
        const char* name;
        QByteArray bytes;
        bool atEnd;
        qsizetype expected;
    };
    const Row rows[] = {
        { "no break", "abc", false, 0 },
        { "lf at end", "ab\n", false, 3 },
        { "lf inside", "ab\ncd", false, 3 },
        { "lone cr at end waits for a possible lf", "ab\r", false, 0 },
        { "lone cr at end of output cuts", "ab\r", true, 3 },
        { "cr lf", "ab\r\n", false, 4 },
        { "form feed", "a\fb", false, 2 },
        { "next line",
            "a\xC2\x85"
            "b",
            false, 3 },
        { "line separator", "a\xE2\x80\xA8", false, 4 },
        { "paragraph separator", "a\xE2\x80\xA9z", false, 4 },
        { "continuation byte alone is no break", "a\x85", false, 0 },
    };
    for (const auto& row : rows)
        EXPECT_EQ(completeLinesLength(row.bytes, row.atEnd), row.expected) << row.name;
}

} // namespace
