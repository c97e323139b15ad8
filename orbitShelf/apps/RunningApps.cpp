#include "apps/RunningApps.h"

#include "state/AppState.h"
#include "apps/AppModelLog.h"
#include "apps/WindowNotificationHandler.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>

namespace {

class AppStateModelSettings final : public ModelSettings {
public:
    bool replaceFinder() const override { return state().settings.replaceFinder(); }
    bool enableFeishuMultipleTask() const override { return state().settings.enableFeishuMultipleTask(); }
    bool disablePreview() const override { return state().settings.disablePreview(); }
    QString dockColor() const override { return state().settings.dockColor(); }
    QMap<QString, QString> windowTagNames() const override { return state().windowtagNameCache(); }
    void setWindowTagNames(const QMap<QString, QString>& names) override
    {
        state().setWindowtagNameCache(names);
    }
    QMap<QString, QString> windowTagColors() const override { return state().windowtagColorCache(); }
    void setWindowTagColors(const QMap<QString, QString>& colors) override
    {
        state().setWindowtagColorCache(colors);
    }
    QMap<QString, QString> appOrdersCache() const override { return state().appOrdersCache(); }
    void setAppOrdersCache(const QMap<QString, QString>& cache) override { state().setAppOrdersCache(cache); }
    bool needRestoreOrderRestarted() const override { return state().needRestoreOrderRestarted(); }
    void setNeedRestoreOrderRestarted(bool value) override { state().setNeedRestoreOrderRestarted(value); }
    void publish() override
    {
        markWindowInFrontOnFirstWindows();
        state().publish();
    }

private:
    static AppState& state() { return AppState::shared(); }
};

// Work for the model from the event thread.
template <typename F> void onMainThread(F work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

void refreshAfterTitleChange(uint32_t number)
{
    const auto titleOf = [number]() -> QString {
        const auto window = findWindowByNumber(static_cast<int32_t>(number));
        return window && window->title ? *window->title : QString();
    };
    const QString before = titleOf();
    if (refreshRunningApps())
        return;
    if (titleOf() != before)
        AppState::shared().publish();
}

} // namespace

std::shared_ptr<ActiveApp>& placeholderApp()
{
    static std::shared_ptr<ActiveApp> app = std::make_shared<ActiveApp>();
    return app;
}

AppsModel appStateModel()
{
    AppState& state = AppState::shared();
    return { state.allApps, state.allOldWindows, state.windowOrders, state.appOrders, placeholderApp() };
}

ModelSettings& appStateModelSettings()
{
    static AppStateModelSettings settings;
    return settings;
}

bool refreshRunningApps(std::optional<int32_t> excludedWindowNumber, bool forcePublish)
{
    return refreshRunningApps(appStateModel(), appsSource(), appStateModelSettings(), excludedWindowNumber,
        forcePublish, handleObservedWindowNotification);
}

void handleModelWindowNotification(const AxElement& element, const QString& name)
{
    if (name == QLatin1String("AXUIElementDestroyed")) {
        // A program closing many windows at once sends a burst of these; one
        // refresh that has not started yet covers them all.
        static std::atomic<bool> refreshQueued { false };
        if (!refreshQueued.exchange(true)) {
            onMainThread([] {
                refreshQueued = false;
                refreshRunningApps();
            });
        }
        return;
    }
    if (name == QLatin1String("AXTitleChanged")) {
        const auto number = appsSource().windowNumber(element);
        if (!number.value)
            return;
        onMainThread([n = *number.value] { refreshAfterTitleChange(n); });
    }
}

std::shared_ptr<Windows> findWindowByNumber(int32_t n)
{
    return findWindowByNumber(appStateModel(), n);
}
int windowIndexInApps(int32_t n)
{
    return windowIndexInApps(appStateModel(), n);
}
void focusedWindowOfApp(int32_t pid)
{
    focusedWindowOfApp(appStateModel(), appsSource(), pid);
}

void refreshFocusedWindows()
{
    const auto pids = AppState::shared().appOrders.keys();
    for (int32_t pid : pids)
        focusedWindowOfApp(pid);
}

int nextAppOrder()
{
    return nextAppOrder(AppState::shared().appOrders);
}
QList<int32_t> pidsInAppOrder()
{
    const auto pids = pidsInAppOrder(AppState::shared().appOrders);
    return QList<int32_t>(pids.begin(), pids.end());
}

void moveAppOrder(int32_t dragged, int32_t target)
{
    moveAppOrder(AppState::shared().appOrders, dragged, target);
    AppState::shared().publish();
}

void moveAppOrderBefore(int32_t dragged, int32_t target)
{
    moveAppOrderBefore(AppState::shared().appOrders, dragged, target);
    AppState::shared().publish();
}

void saveAppOrdersCache()
{
    AppState::shared().setAppOrdersCache(encodeAppOrdersCache(AppState::shared().appOrders));
}

void restoreAppOrdersFromCache()
{
    restoreAppOrders(AppState::shared().appOrders, AppState::shared().appOrdersCache());
}
