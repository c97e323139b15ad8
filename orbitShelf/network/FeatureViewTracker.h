#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <functional>

// Thins usage events: each feature name goes out at most once in any two
// hours of a run. Kept in memory only; main thread only.
class FeatureViewTracker final {
public:
    using Clock = std::function<QDateTime()>;
    explicit FeatureViewTracker(Clock clock = &QDateTime::currentDateTimeUtc);

    static FeatureViewTracker& shared();

    // True (and the time stored) for a name not seen yet or last let through
    // more than 7200 s ago; false leaves the stored time as it is.
    bool gate(const QString& name);

    QHash<QString, QDateTime> pageViewsDict;

private:
    Clock m_clock;
};
