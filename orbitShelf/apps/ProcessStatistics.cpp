#include "apps/ProcessStatistics.h"

#include "state/ShellPipe.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

// The leading decimal number of a field ("12.5", "3e1", "7abc" → 7), read
// in the C locale whatever the user's locale is; 0 when there is none.
float leadingNumber(const QString& field)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const auto match = number.match(field);
    if (!match.hasMatch())
        return 0;
    return match.captured(0).toFloat();
}

QString joinedIds(const QList<ProcessId>& pids)
{
    QStringList ids;
    for (ProcessId pid : pids)
        ids << QString::number(pid);
    return ids.join('|');
}

} // namespace

QString processSampleFilter(const QList<ProcessId>& pids)
{
    return QStringLiteral("grep -E '^(%1) '").arg(joinedIds(pids));
}

QString processSampleCommand(const QList<ProcessId>& pids)
{
    return QStringLiteral("ps auxx | awk '{print $2,$3,$4 }' | ") + processSampleFilter(pids);
}

std::optional<ProcessUsageSample> parseSampleLine(const QString& line)
{
    const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
    if (fields.size() < 3)
        return std::nullopt;
    ProcessUsageSample sample;
    bool ok = false;
    const ProcessId pid = fields.at(0).toInt(&ok);
    sample.pid = ok ? pid : 0;
    sample.cpu = leadingNumber(fields.at(1));
    sample.memory = leadingNumber(fields.at(2));
    return sample;
}

void ProcessUsageHistory::record(ProcessId pid, float cpu, float memory)
{
    auto& cpuList = m_cpu[pid];
    auto& memoryList = m_memory[pid];
    for (auto* list : { &cpuList, &memoryList }) {
        if (list->size() >= size_t(maxSamples))
            list->erase(list->begin(), list->begin() + maxSamples / 2);
    }
    cpuList.push_back(cpu);
    memoryList.push_back(memory);
}

std::pair<float, float> ProcessUsageHistory::average(ProcessId pid) const
{
    const auto cpu = m_cpu.constFind(pid);
    const auto memory = m_memory.constFind(pid);
    if (cpu == m_cpu.constEnd() || memory == m_memory.constEnd() || cpu->empty() || memory->empty())
        return { 0.f, 0.f };
    float cpuSum = 0;
    for (float v : *cpu)
        cpuSum += v;
    float memorySum = 0;
    for (float v : *memory)
        memorySum += v;
    return { cpuSum / float(cpu->size()), memorySum / float(memory->size()) };
}

int ProcessUsageHistory::sampleCount(ProcessId pid) const
{
    const auto cpu = m_cpu.constFind(pid);
    return cpu == m_cpu.constEnd() ? 0 : int(cpu->size());
}

void ProcessUsageHistory::keepOnly(const QSet<ProcessId>& pids)
{
    m_cpu.removeIf([&](auto it) { return !pids.contains(it.key()); });
    m_memory.removeIf([&](auto it) { return !pids.contains(it.key()); });
}

ProcessUsageHistory& processUsageHistory()
{
    static ProcessUsageHistory history;
    return history;
}

void recordProcessUsage(ProcessId pid, float cpu, float memory)
{
    processUsageHistory().record(pid, cpu, memory);
}

std::pair<float, float> averageProcessUsage(ProcessId pid)
{
    if (!AppState::shared().settings.showProcessInfo())
        return { 0.f, 0.f };
    return processUsageHistory().average(pid);
}

void handleSampleOutput(const QString& text, const QSet<ProcessId>& requested)
{
    std::vector<ProcessUsageSample> samples;
    for (const QString& line : text.split('\n')) {
        const auto sample = parseSampleLine(line);
        // The filter already matches whole ids; this keeps a stray line
        // (another process's, or an unparsable one under id 0) out.
        if (sample && requested.contains(sample->pid))
            samples.push_back(*sample);
    }
    auto* app = QCoreApplication::instance();
    if (samples.empty() || !app)
        return;
    // The histories belong to the main thread, where they are read.
    QMetaObject::invokeMethod(
        app,
        [samples = std::move(samples)] {
            for (const auto& s : samples)
                recordProcessUsage(s.pid, s.cpu, s.memory);
        },
        Qt::QueuedConnection);
}

void TopStore::startSampling(const QList<ProcessId>& pids)
{
    if (cpuTask)
        cpuTask->terminate();
    QSet<ProcessId> requested(pids.begin(), pids.end());
    processUsageHistory().keepOnly(requested);
    if (pids.isEmpty())
        return;
    cpuTask = shellPipe({ processSampleCommand(pids) },
        [requested](const QString& text) { handleSampleOutput(text, requested); });
}
