#pragma once

#include "state/AppState.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class ShellProcess;

// One line of the sampling pipeline: process id, processor and memory share
// in percent as ps prints them.
struct ProcessUsageSample {
    ProcessId pid = 0;
    float cpu = 0;
    float memory = 0;
};

// The pipeline for a list of process ids. The filter is anchored at the
// start of the line and ends with the field separator, so that id 1 keeps
// only the line of process 1, not those of 12 or 31.
QString processSampleCommand(const QList<ProcessId>& pids);
QString processSampleFilter(const QList<ProcessId>& pids);

// Parses "<pid> <cpu> <memory> ..." (any run of spaces between); fewer than
// three fields give nothing, a pid that is no number gives 0, a share that
// does not begin with a number gives 0.
std::optional<ProcessUsageSample> parseSampleLine(const QString& line);

// Bounded per-process histories of samples. Main thread only.
class ProcessUsageHistory final {
public:
    static constexpr int maxSamples = 1000;

    // Appends one sample; a full history first drops its oldest half.
    void record(ProcessId pid, float cpu, float memory);
    // Averages of the samples, (0, 0) for a process never sampled.
    std::pair<float, float> average(ProcessId pid) const;
    int sampleCount(ProcessId pid) const;
    QList<ProcessId> processes() const { return m_cpu.keys(); }
    // Forgets the processes not listed, so that the histories of
    // applications that quit do not pile up over a long session.
    void keepOnly(const QSet<ProcessId>& pids);

private:
    QHash<ProcessId, std::vector<float>> m_cpu;
    QHash<ProcessId, std::vector<float>> m_memory;
};

// The process-wide histories.
ProcessUsageHistory& processUsageHistory();

void recordProcessUsage(ProcessId pid, float cpu, float memory);

// Average shares of a process, (0, 0) while showProcessInfo is off or before
// its first sample.
std::pair<float, float> averageProcessUsage(ProcessId pid);

// Output handler of a sampling run, called on the shell pipe's thread:
// parses every line and hands the samples of the requested processes to the
// main thread, where they are recorded.
void handleSampleOutput(const QString& text, const QSet<ProcessId>& requested);

// One sampling run of the CPU and memory tile. The dock bar makes one per
// run; the samples arrive later on the main thread.
class TopStore final {
public:
    // Stops an earlier run of this store, forgets the histories of processes
    // not listed, and samples the listed ones; an empty list starts nothing.
    void startSampling(const QList<ProcessId>& pids);

    std::shared_ptr<ShellProcess> cpuTask;
};
