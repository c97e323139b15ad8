// The switcher's drawing with 50 windows, each with a thumbnail: one full
// picture of the grid (cells, thumbnails, titles, hints) and one key step,
// on the offscreen platform. The time from the key press to the first
// pixels on a real display adds the X round trips to these.
#include "BenchFigures.h"
#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "switcher/FloatDock.h"
#include "switcher/FloatDockView.h"
#include "switcher/SwitcherThumbnails.h"
#include "tests/support/TempStores.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    orbitshelf::test::usePrivateXdgHomes();
    QApplication app(argc, argv);
    orbitshelf::test::TempUserDefaults defaults;
    AppState& state = AppState::shared();
    state.totalAppCount = 50;

    FloatDock dock;
    std::vector<std::shared_ptr<Windows>> windows;
    QImage thumbnail(120, 60, QImage::Format_ARGB32_Premultiplied);
    thumbnail.fill(Qt::darkCyan);
    for (int i = 0; i < 50; ++i) {
        auto window = std::make_shared<Windows>();
        window->num = uint32_t(1000 + i);
        window->appId = 100;
        window->title = QStringLiteral("xterm number %1 with a long title").arg(i);
        windows.push_back(window);
        dock.images->insert(*window->num, thumbnail);
    }
    const QRect screen(0, 0, 1920, 1080);
    dock.width = screen.width() * 0.9;
    const CellSize cell = dock.cellSize();
    const int perRow = switcherRowLength(dock.width, cell.width);
    for (std::size_t i = 0; i < windows.size(); i += std::size_t(perRow))
        dock.multiWindows.emplace_back(windows.begin() + long(i),
            windows.begin() + long(std::min(windows.size(), i + std::size_t(perRow))));
    dock.height = switcherPanelHeight(cell.height, int(dock.multiWindows.size()), screen.height());
    dock.currentWindow = windows.front();

    FloatDockView view(dock);
    view.resize(int(screen.width() * 0.9), int(screen.height() * 0.9));
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);

    std::vector<double> full;
    std::vector<double> steps;
    for (int run = 0; run < 100; ++run) {
        QElapsedTimer timer;
        timer.start();
        view.render(&target);
        full.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        dock.handleKeyDown(QStringLiteral("48"));
        view.render(&target);
        steps.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("switcher, 50 windows with thumbnails (%d per row)\n", perRow);
    std::printf("  full picture: median %.2f ms, worst %.2f ms\n", medianOf(full),
        *std::max_element(full.begin(), full.end()));
    std::printf("  Tab step and picture: median %.2f ms\n", medianOf(steps));

    // What a Tab press costs once the switcher opens: the set-up (the grid
    // from the model, the kept pictures) and the first full picture, with
    // 20, 100 and 300 windows, previews off and on. No window is captured here:
    // the pictures are taken ahead of the press.
    for (bool previews : { false, true }) {
        state.settings.setDisablePreview(!previews);
        for (int count : { 20, 100, 300 }) {
            state.allApps.clear();
            state.totalAppCount = count;
            switcherThumbnails().clear();
            for (int i = 0; i < count; ++i) {
                auto app = std::make_shared<ActiveApp>();
                app->appId = 2000 + i;
                auto window = std::make_shared<Windows>();
                window->num = uint32_t(5000 + i);
                window->appId = app->appId;
                window->title = QStringLiteral("xterm number %1 with a long title").arg(i);
                app->windows = std::vector<std::shared_ptr<Windows>> { window };
                state.allApps.insert(*app->appId, app);
                switcherThumbnails().insert(*window->num, thumbnail);
            }
            FloatDock pressed;
            FloatDockView pressedView(pressed);
            std::vector<double> presses;
            for (int run = 0; run < 50; ++run) {
                QElapsedTimer timer;
                timer.start();
                pressed.setUp(screen);
                pressedView.resize(int(pressed.width), int(pressed.height));
                QImage picture(pressedView.size(), QImage::Format_ARGB32_Premultiplied);
                pressedView.render(&picture);
                presses.push_back(timer.nsecsElapsed() / 1e6);
                pressed.tearDown();
            }
            std::printf("press with %d windows, previews %s: set-up and first picture median %.2f ms, worst "
                        "%.2f ms\n",
                count, previews ? "on" : "off", medianOf(presses),
                *std::max_element(presses.begin(), presses.end()));
        }
    }
    return 0;
}
