#include "app/ShellStandIn.h"

#include "app/Logging.h"
#include "apps/AppsStandIn.h"
#include "apps/RunningApps.h"
#include "dock/DockLayoutPass.h"
#include "dock/DockWindows.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <vector>

namespace {

// One shared debounce for screen changes: a burst of them (an output
// switched off reports removal and geometry changes) rebuilds once.
void screenParametersChanged()
{
    static QTimer* debounce = [] {
        auto* timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setInterval(5000);
        QObject::connect(timer, &QTimer::timeout,
            [] { QTimer::singleShot(1000, QCoreApplication::instance(), [] { restartDockWindows(); }); });
        return timer;
    }();
    debounce->start();
}

void watchScreen(QScreen* screen)
{
    QObject::connect(screen, &QScreen::geometryChanged, qApp, [] { screenParametersChanged(); });
    QObject::connect(screen, &QScreen::availableGeometryChanged, qApp, [] { screenParametersChanged(); });
}

} // namespace

void registerAppListeners()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    qCDebug(lcApp) << "registerAppListeners: only the screen-parameters observer is registered yet";
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    QObject::connect(app, &QGuiApplication::screenAdded, app, [](QScreen* screen) {
        watchScreen(screen);
        screenParametersChanged();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, app, [] { screenParametersChanged(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, app, [] { screenParametersChanged(); });
}

void scheduleDockReload()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (platform::hasCurrent())
                refreshRunningApps();
            loadPinnedApps();
            refreshDockLayout();
        },
        Qt::QueuedConnection);
}

int addGlobalFlagsChangedMonitor(FlagsChangedHandler handler)
{
    static std::vector<FlagsChangedHandler> handlers;
    handlers.push_back(std::move(handler));
    qCInfo(lcApp)
        << "addGlobalFlagsChangedMonitor: no global key monitor exists yet; modifier changes are not seen";
    return int(handlers.size());
}
