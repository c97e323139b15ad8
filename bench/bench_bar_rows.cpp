// The bar's per-change and per-second costs on the main thread: building one
// screen's rows and their picture with 50 applications and 200 windows, and
// one tick of the clock in its common case (nothing periodic due).
#include "BenchFigures.h"
#include "state/AppState.h"
#include "state/SerialQueue.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/DockTick.h"
#include "dock/layout/BarEntries.h"
#include "dock/layout/DockBarGeometry.h"
#include "tests/support/TempStores.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    orbitshelf::test::usePrivateXdgHomes();
    QApplication app(argc, argv);
    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
    const QString screen = QStringLiteral("Optional(B)");
    state.spaceListmode[screen] = QStringLiteral("list");
    for (int pid = 100; pid < 150; ++pid) {
        auto activeApp = std::make_shared<ActiveApp>();
        activeApp->appId = pid;
        activeApp->bundleUrl = QStringLiteral("/usr/share/applications/app%1.desktop").arg(pid);
        activeApp->windows = std::vector<std::shared_ptr<Windows>>();
        for (int w = 0; w < 4; ++w) {
            auto window = std::make_shared<Windows>();
            window->appId = pid;
            window->num = uint32_t(pid * 10 + w);
            window->title = QStringLiteral("window %1").arg(w);
            activeApp->windows->push_back(window);
        }
        state.allApps.insert(pid, activeApp);
        state.appOrders.insert(pid, pid);
        state.appBadge.insert(*activeApp->bundleUrl, QStringLiteral("3"));
    }
    BarContext context;
    context.screenID = screen;

    std::vector<double> rows;
    std::vector<double> pictures;
    size_t items = 0;
    for (int round = 0; round < 200; ++round) {
        QElapsedTimer timer;
        timer.start();
        const std::vector<BarEntry> entries = dockBarEntries(state, context);
        rows.push_back(double(timer.nsecsElapsed()) / 1e6);
        DockBarGeometryInput input;
        input.windowSize = QSizeF(1920, 500);
        input.screenWidth = 1920;
        input.listMode = QStringLiteral("list");
        for (const BarEntry& entry : entries) {
            DockBarSlotSpec spec;
            spec.kind = entry.kind == BarEntry::Kind::WindowButton ? DockBarItem::Kind::Window
                                                                   : DockBarItem::Kind::App;
            input.barItems.push_back(spec);
        }
        timer.restart();
        const DockBarPicture picture = dockBarPicture(input);
        pictures.push_back(double(timer.nsecsElapsed()) / 1e6);
        items = picture.items.size();
    }

    DockTickServices services; // nothing bound: the common case's own cost
    services.dockBadge = [] { return true; };
    services.showProcessInfo = [] { return true; };
    MainQueue queue;
    int64_t count = 0;
    QElapsedTimer timer;
    timer.start();
    constexpr int ticks = 100000;
    for (int i = 0; i < ticks; ++i) {
        // Skip the multiples of 10 so that only the common case is timed.
        if ((count + 1) % 10 == 0)
            ++count;
        dockTick(true, count, services, queue);
    }
    const double tickNs = double(timer.nsecsElapsed()) / ticks;

    std::printf("bar rows, 50 applications / 200 windows (%zu items):\n", items);
    std::printf("  rows median %.3f ms, worst %.3f ms\n", medianOf(rows),
        *std::max_element(rows.begin(), rows.end()));
    std::printf("  picture median %.3f ms, worst %.3f ms\n", medianOf(pictures),
        *std::max_element(pictures.begin(), pictures.end()));
    std::printf("tick, common case: %.1f ns\n", tickNs);
    return 0;
}
