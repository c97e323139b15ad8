#include "state/ShellPipe.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <mutex>
#include <optional>

#include <csignal>
#include <thread>

namespace {

// Collects what one run hands over; the handlers run on the run's thread.
struct Collected {
    std::mutex mutex;
    QStringList pieces;
    int exits = 0;
};

std::shared_ptr<Collected> run(const QString& command, std::shared_ptr<ShellProcess>* process = nullptr,
    const QString& shell = QStringLiteral("/bin/bash"))
{
    auto collected = std::make_shared<Collected>();
    auto p = shellPipeWith(
        shell, { command },
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

struct OutputCase {
    const char* name;
    QString command;
    QString output;
    std::optional<int> pieces {};
};

// Whatever the writes, every piece handed over ends a line but the tail of
// an output without a final line break.
TEST(ShellPipe, HandsOverWholeLinesOnce)
{
    const OutputCase cases[] = {
        // One write(2): the bash builtin may write line by line.
        { "two lines written at once arrive in one piece", "/usr/bin/printf 'first\\nsecond\\n'",
            "first\nsecond\n", 1 },
        { "line split across writes arrives joined", "printf 'hal'; sleep 0.3; printf 'f line\\nnext\\n'",
            "half line\nnext\n" },
        { "unterminated tail is delivered at the end", "printf 'whole\\nno break at the end'",
            "whole\nno break at the end" },
        { "no output calls only the exit", "true", "", 0 },
        { "invalid UTF-8 is replaced instead of holding output back", "printf 'bad \\377 byte\\nafter\\n'",
            "bad \uFFFD byte\nafter\n" },
        { "the child's locale overrides ours", "printf '%s\\n' \"$LC_ALL\"",
            QString::fromLatin1(shellLocale() + '\n') },
    };
    qputenv("LC_ALL", "C");
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto got = run(c.command);
        EXPECT_EQ(got->pieces.join(QString()), c.output);
        EXPECT_EQ(got->exits, 1);
        if (c.pieces) {
            EXPECT_EQ(got->pieces.size(), *c.pieces);
        }
        for (qsizetype i = 0; i + 1 < got->pieces.size(); ++i)
            EXPECT_TRUE(got->pieces[i].endsWith('\n')) << got->pieces[i].toStdString();
    }
    qunsetenv("LC_ALL");
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
    EXPECT_EQ(c->pieces.join(QString()), QString::fromLatin1(shellLocale() + '\n'));
}

// The shell's locale is one bash loads: whether a locale is installed is
// what bash finds, and a run writes no complaint to standard error (the
// program's log).
TEST(ShellPipe, TheShellsLocaleIsOneBashLoads)
{
    for (const char* name : { "en_US.UTF-8", "C.UTF-8", "xx_NOWHERE.UTF-8" }) {
        QProcess bash;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(name));
        bash.setProcessEnvironment(environment);
        bash.start(QStringLiteral("/bin/bash"), { QStringLiteral("-c"), QStringLiteral(":") });
        ASSERT_TRUE(bash.waitForFinished(10000)) << name;
        const QByteArray complaint = bash.readAllStandardError();
        EXPECT_EQ(localeInstalled(name), !complaint.contains("setlocale"))
            << name << ": " << complaint.constData();
    }

    testing::internal::CaptureStderr();
    auto c = run("printf '%s\\n' \"$LC_ALL\"");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("setlocale"), std::string::npos) << errors;
    EXPECT_TRUE(localeInstalled(shellLocale().constData())) << shellLocale().constData();
    EXPECT_EQ(c->exits, 1);
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
    std::shared_ptr<ShellProcess> p;
    auto collected = run("echo hi", &p, "/nonexistent/bash");
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
