#include "apps/AppsSource.h"

#include "apps/PlatformAppsSource.h"

#include <atomic>

namespace {
std::atomic<int> liveObservations { 0 };
std::atomic<AppsSource*> installedSource { nullptr };
} // namespace

WindowObservation::WindowObservation()
{
    ++liveObservations;
}
WindowObservation::~WindowObservation()
{
    --liveObservations;
}
int WindowObservation::liveCount()
{
    return liveObservations.load();
}

AppsSource& appsSource()
{
    if (AppsSource* source = installedSource.load())
        return *source;
    static PlatformAppsSource platformSource;
    return platformSource;
}

void setAppsSource(AppsSource* source)
{
    installedSource.store(source);
}
bool hasAppsSource()
{
    return installedSource.load() != nullptr;
}
