#include "apps/AppsSource.h"

#include <QtGlobal>

#include <atomic>

namespace {
std::atomic<int> liveObservations{0};
std::atomic<AppsSource*> installedSource{nullptr};
} // namespace

WindowObservation::WindowObservation() { ++liveObservations; }
WindowObservation::~WindowObservation() { --liveObservations; }
int WindowObservation::liveCount() { return liveObservations.load(); }

AppsSource& appsSource()
{
    AppsSource* source = installedSource.load();
    Q_ASSERT_X(source, "appsSource", "no source installed for the application model");
    return *source;
}

void setAppsSource(AppsSource* source) { installedSource.store(source); }
bool hasAppsSource() { return installedSource.load() != nullptr; }
