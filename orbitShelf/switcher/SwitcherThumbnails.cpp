#include "switcher/SwitcherThumbnails.h"

#include "state/AppState.h"
#include "apps/AppsSource.h"
#include "apps/RunningApps.h"
#include "apps/Windows.h"
#include "switcher/FloatDock.h"
#include "switcher/SwitcherPopup.h"

#include <QCoreApplication>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

QMap<quint32, QImage>& switcherThumbnails()
{
    static QMap<quint32, QImage> kept;
    return kept;
}

void prepareSwitcherThumbnails(bool onlyMissing)
{
    static bool scheduled = false;
    if (scheduled || !FloatDock::previewsShown())
        return;
    scheduled = true;
    // One window per turn of the event loop, so a key pressed meanwhile is
    // handled between two captures, never behind all of them.
    auto pending = std::make_shared<std::vector<quint32>>();
    for (const auto& app : AppState::shared().allApps)
        if (app && app->windows)
            for (const auto& window : *app->windows)
                if (window && window->num && !(onlyMissing && switcherThumbnails().contains(*window->num)))
                    pending->push_back(*window->num);
    // Pictures of windows that have closed go.
    const QSet<quint32> open(pending->begin(), pending->end());
    for (auto it = switcherThumbnails().begin(); it != switcherThumbnails().end();)
        it = open.contains(it.key()) || onlyMissing ? std::next(it) : switcherThumbnails().erase(it);
    auto step = std::make_shared<std::function<void()>>();
    *step = [pending, step] {
        if (pending->empty() || switcherPopupShown || !FloatDock::previewsShown()) {
            scheduled = false;
            step->operator=(nullptr);
            return;
        }
        const quint32 number = pending->back();
        pending->pop_back();
        if (const auto window = findWindowByNumber(int32_t(number))) {
            const AppState& state = AppState::shared();
            const CellSize cell = switcherCellSize(
                state.settings.disablePreview(), FloatDock::capturePermitted(), state.totalAppCount);
            if (auto image = window->captureWindowThumbnail(appStateModelSettings(), appsSource()))
                // Kept at the cell's size: painting then only copies pixels.
                switcherThumbnails().insert(number,
                    image->scaled(
                        int(cell.width), int(cell.height), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        QTimer::singleShot(0, QCoreApplication::instance(), *step);
    };
    QTimer::singleShot(0, QCoreApplication::instance(), *step);
}
