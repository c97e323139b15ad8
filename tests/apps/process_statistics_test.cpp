#include "apps/ProcessStatistics.h"

#include "state/ShellPipe.h"
#include "state/UserDefaults.h"
#include "tests/support/XvfbSession.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <mutex>

using orbitshelf::test::waitUntil;

namespace {

TEST(ProcessSampleLine, ParsesTheThreeColumns)
{
    struct Row {
        const char* name;
        QString line;
        std::optional<std::tuple<ProcessId, float, float>> expected;
    };
    const Row rows[] = {
        { "plain", "4087 12.5 0.3", std::tuple { 4087, 12.5f, 0.3f } },
        { "runs of spaces", "  4087   12.5  0.3  extra", std::tuple { 4087, 12.5f, 0.3f } },
        { "pid that is no number", "abc 1.0 2.0", std::tuple { 0, 1.0f, 2.0f } },
        { "share with trailing text", "7 3.5% x1", std::tuple { 7, 3.5f, 0.f } },
        { "two fields", "4087 12.5", std::nullopt },
        { "empty piece after the last line feed", "", std::nullopt },
    };
    for (const auto& row : rows) {
        const auto sample = parseSampleLine(row.line);
        ASSERT_EQ(sample.has_value(), row.expected.has_value()) << row.name;
        if (!sample)
            continue;
        const auto [pid, cpu, memory] = *row.expected;
        EXPECT_EQ(sample->pid, pid) << row.name;
        EXPECT_FLOAT_EQ(sample->cpu, cpu) << row.name;
        EXPECT_FLOAT_EQ(sample->memory, memory) << row.name;
    }
}

TEST(ProcessUsageHistory, KeepsAtMostAThousandSamplesPerAskedProcess)
{
    ProcessUsageHistory history;
    for (int i = 0; i < 1000; ++i)
        history.record(42, float(i), 1.f);
    EXPECT_EQ(history.sampleCount(42), 1000);
    history.record(42, 5000.f, 1.f);
    EXPECT_EQ(history.sampleCount(42), 501);
    // Samples 500..999 and the new one: (500+...+999 + 5000) / 501.
    const float expected = (float(500 + 999) * 500.f / 2.f + 5000.f) / 501.f;
    EXPECT_NEAR(history.average(42).first, expected, 0.01f);
    EXPECT_EQ(history.average(7), std::make_pair(0.f, 0.f));

    history.record(7, 2, 2);
    history.keepOnly({ 7, 3 });
    EXPECT_EQ(history.processes(), QList<ProcessId> { 7 }) << "processes no longer asked are forgotten";
}

// The filter on its own, fed lines that share digits with the ids.
QString filtered(const QList<ProcessId>& pids, const QString& lines)
{
    auto out = std::make_shared<std::pair<std::mutex, QString>>();
    auto p = shellPipe({ QStringLiteral("printf '%1' | %2").arg(lines, processSampleFilter(pids)) },
        [out](const QString& t) {
            std::lock_guard lock(out->first);
            out->second += t;
        });
    EXPECT_TRUE(p->waitForFinished(5000));
    return out->second;
}

TEST(ProcessSampleFilter, MatchesWholeProcessIdsOnly)
{
    const QString lines = "1 0.5 0.1\\n12 1.0 2.0\\n21 0.0 0.0\\n112 3.0 3.0\\n31 1.1 1.1\\n";
    EXPECT_EQ(filtered({ 1 }, lines), "1 0.5 0.1\n");
    EXPECT_EQ(filtered({ 12 }, lines), "12 1.0 2.0\n");
    EXPECT_EQ(filtered({ 1, 12 }, lines), "1 0.5 0.1\n12 1.0 2.0\n");
    EXPECT_EQ(
        processSampleCommand({ 312, 4087 }), "ps auxx | awk '{print $2,$3,$4 }' | grep -E '^(312|4087) '");
}

// The whole round: the command runs, its lines are read and the samples are
// recorded on this (the main) thread, from its event queue.
TEST(ProcessSampling, RecordsTheAskedProcessesOnly)
{
    QTemporaryDir dir;
    UserDefaults::useFile(dir.filePath("defaults.conf"));
    AppState::shared().settings.setShowProcessInfo(true);
    processUsageHistory().keepOnly({});
    TopStore nothing;
    nothing.startSampling({});
    EXPECT_FALSE(nothing.cpuTask) << "an empty list starts nothing";

    const ProcessId self = ProcessId(QCoreApplication::applicationPid());
    for (int round = 1; round <= 2; ++round) {
        TopStore store;
        store.startSampling({ self });
        ASSERT_TRUE(store.cpuTask);
        ASSERT_TRUE(store.cpuTask->waitForFinished(10000));
        ASSERT_TRUE(waitUntil([&] { return processUsageHistory().sampleCount(self) == round; }));
    }
    EXPECT_EQ(processUsageHistory().processes(), QList<ProcessId> { self });
    processUsageHistory().record(self, 300.f, 30.f);
    EXPECT_GT(averageProcessUsage(self).first, 0.f);
    AppState::shared().settings.setShowProcessInfo(false);
    EXPECT_EQ(averageProcessUsage(self), std::make_pair(0.f, 0.f)) << "nothing while the setting is off";
    UserDefaults::useFile(QString());
}

} // namespace
