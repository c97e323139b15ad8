// One refresh of the application model with 50 applications and 200 windows:
// on the scripted desktop (the model's own cost), and on the X11 layer under
// a private Xvfb when it is available (what a user's machine pays).
#include "BenchFigures.h"
#include "apps/AXEventThread.h"
#include "apps/AppsModel.h"
#include "apps/ModelSettings.h"
#include "apps/PlatformAppsSource.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/XvfbSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double coldMs = 0;
    double medianMs = 0;
    double worstMs = 0;
    double changedMs = 0;
};

template <typename Change> Figures measure(AppsSource& source, int rounds, Change changeOneWindow)
{
    AppsModelStore store;
    InMemoryModelSettings settings;
    const AppsModel model = store.view();
    Figures f;
    QElapsedTimer timer;

    timer.start();
    refreshRunningApps(model, source, settings, std::nullopt, false, {});
    f.coldMs = timer.nsecsElapsed() / 1e6;

    std::vector<double> steady;
    for (int i = 0; i < rounds; ++i) {
        timer.restart();
        refreshRunningApps(model, source, settings, std::nullopt, false, {});
        steady.push_back(timer.nsecsElapsed() / 1e6);
    }
    f.medianMs = medianOf(steady);
    f.worstMs = *std::max_element(steady.begin(), steady.end());

    std::vector<double> changed;
    for (int i = 0; i < std::max(1, rounds / 10); ++i) {
        changeOneWindow(i);
        timer.restart();
        refreshRunningApps(model, source, settings, std::nullopt, false, {});
        changed.push_back(timer.nsecsElapsed() / 1e6);
    }
    f.changedMs = medianOf(changed);
    long long windows = 0;
    for (const auto& app : std::as_const(store.allApps))
        windows += app->windows ? static_cast<long long>(app->windows->size()) : 0;
    std::printf("  model: %lld windows in %lld applications\n", windows,
        static_cast<long long>(store.allApps.size()));
    return f;
}

void print(const char* what, const Figures& f)
{
    std::printf("%s\n  first refresh (builds everything): %.3f ms\n"
                "  unchanged refresh: median %.3f ms, worst %.3f ms\n"
                "  refresh after one window opened/closed: median %.3f ms\n",
        what, f.coldMs, f.medianMs, f.worstMs, f.changedMs);
}

// 50 applications with 4 windows each on the scripted desktop.
void populate(platform::fake::FakePlatform& fake)
{
    platform::install(platform::fake::services(&fake));
    fake.setOwnPid(1);
    for (int a = 0; a < 50; ++a) {
        platform::RunningApplication app;
        app.processIdentifier = 1000 + a;
        app.localizedName = QStringLiteral("App %1").arg(a);
        app.bundleIdentifier = QStringLiteral("org.example.app%1").arg(a);
        app.executableURL = QStringLiteral("/usr/bin/app%1").arg(a);
        fake.addApp(app);
        for (int w = 0; w < 4; ++w)
            fake.addWindow(1000 + a, QStringLiteral("window %1 of %2").arg(w).arg(a));
    }
}

// The refreshes callgrind counts (bench/compare toggles collection on these
// names): instruction counts do not vary from run to run as times do.
[[gnu::noipa]] void measured_first(const AppsModel& model, AppsSource& source, ModelSettings& settings)
{
    refreshRunningApps(model, source, settings, std::nullopt, false, {});
}

[[gnu::noipa]] void measured_steady(const AppsModel& model, AppsSource& source, ModelSettings& settings)
{
    refreshRunningApps(model, source, settings, std::nullopt, false, {});
}

// --callgrind first|steady: one refresh only, for an instruction count.
int callgrindRun(const QString& phase)
{
    platform::fake::FakePlatform fake;
    populate(fake);
    PlatformAppsSource source;
    AppsModelStore store;
    InMemoryModelSettings settings;
    const AppsModel model = store.view();
    measured_first(model, source, settings);
    if (phase == QLatin1String("steady"))
        measured_steady(model, source, settings);
    std::printf("%s refresh done: %lld applications\n", qPrintable(phase),
        static_cast<long long>(store.allApps.size()));
    stopAXBackgroundWork();
    platform::uninstall();
    return 0;
}

void benchFake()
{
    platform::fake::FakePlatform fake;
    populate(fake);
    PlatformAppsSource source;
    quint32 extra = 0;
    const auto figures = measure(source, 200, [&](int i) {
        if (extra) {
            fake.removeWindow(extra);
            extra = 0;
        } else {
            extra = fake.addWindow(1000 + i % 50, QStringLiteral("extra"));
        }
    });
    print("scripted desktop, 50 applications, 200 windows (target: under 1 ms):", figures);
    stopAXBackgroundWork();
    platform::uninstall();
}

void benchX11()
{
    auto session = orbitshelf::test::XvfbSession::start();
    if (!session) {
        std::printf("X11 under Xvfb: no private display (%s)\n",
            qPrintable(orbitshelf::test::XvfbSession::lastError()));
        return;
    }
    QString error;
    const std::shared_ptr<platform::Platform> x11 = platform::x11::createX11Platform(&error);
    if (!x11) {
        std::printf("X11 under Xvfb: the X11 layer is not available (%s)\n", qPrintable(error));
        return;
    }
    platform::Services services;
    services.desktop = x11;
    platform::install(std::move(services));
    // 50 programs with 4 windows each: xterm opens one window per process,
    // so 50 processes each holding a main window and three more are too
    // heavy here; 200 single-window xterms are what the desktop shows.
    std::vector<qint64> pids;
    for (int i = 0; i < 200; ++i)
        pids.push_back(orbitshelf::test::spawn(
            "xterm", { "-T", QStringLiteral("bench %1").arg(i), "-geometry", "20x2+0+0" }));
    orbitshelf::test::waitUntil(
        [&] { return x11->windowServer().windowList().size() >= 200; }, std::chrono::seconds(60));
    PlatformAppsSource source;
    const quint64 tripsBefore = platform::x11::x11RoundTrips();
    const auto figures = measure(source, 20, [](int) {});
    print("X11 under Xvfb, 200 xterm windows:", figures);
    std::printf("  X round trips during the run: %llu\n",
        static_cast<unsigned long long>(platform::x11::x11RoundTrips() - tripsBefore));
    stopAXBackgroundWork();
    platform::uninstall();
    for (qint64 pid : pids)
        orbitshelf::test::terminate(pid);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--callgrind"))
        return callgrindRun(args[2]);
    benchFake();
    benchX11();
    return 0;
}
