#include "network/FeatureViewTracker.h"

FeatureViewTracker::FeatureViewTracker(Clock clock)
    : m_clock(std::move(clock))
{
}

FeatureViewTracker& FeatureViewTracker::shared()
{
    static FeatureViewTracker tracker;
    return tracker;
}

bool FeatureViewTracker::gate(const QString& name)
{
    const QDateTime now = m_clock();
    const auto stored = pageViewsDict.constFind(name);
    if (stored != pageViewsDict.constEnd() && stored->msecsTo(now) / 1000.0 <= 7200.0)
        return false;
    pageViewsDict.insert(name, now);
    return true;
}
