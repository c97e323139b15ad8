#include "shell/AppDelegate.h"

#include "state/AppState.h"
#include "state/Logging.h"
#include "state/QuitSaving.h"
#include "apps/AXEventThread.h"
#include "dock/windows/DockWindows.h"
#include "shell/AccessoryPolicy.h"
#include "shell/AppListeners.h"
#include "shell/AppWindows.h"
#include "tools/PomodoroRun.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

LaunchSteps LaunchSteps::standard()
{
    LaunchSteps steps;
    // What the bar needs to draw runs at once; the rest follows on the event
    // loop, in the same order, once the dock window is on its way to the
    // screen.
    const auto later = [](void (*step)()) {
        return [step] { QTimer::singleShot(0, QCoreApplication::instance(), step); };
    };
    steps.buildDockWindows = [] { ::buildDockWindows(); };
    steps.registerAppListeners = later([] { ::registerAppListeners(); });
    steps.recordPomodoroRun = later([] {
        ::recordPomodoroRun();
        qCDebug(lcApp) << "Pomodoro resumed at second" << AppState::shared().pomodoro.secondsElapsed();
    });
    steps.setAccessoryActivationPolicy = later([] { ::setAccessoryActivationPolicy(); });
    steps.startAXBackgroundWork = later([] { ::startAXBackgroundWork(); });
    return steps;
}

AppDelegate::AppDelegate(LaunchSteps steps)
    : m_steps(std::move(steps))
{
}

void AppDelegate::applicationDidFinishLaunching()
{
    finishLaunching();
}

void AppDelegate::applicationWillTerminate()
{
    keepPomodoroAtQuit(AppState::shared());
    QuitSaving::shared().run();
}

void AppDelegate::finishLaunching()
{
    AppState& state = AppState::shared();
    const CustomSettings& settings = state.settings;

    const bool firstRun = settings.firstInstalled();
    if (firstRun) {
        // Each at once through its own key.
        settings.setButtonTheme(QStringLiteral("onlyIcon"));
        settings.setDisablePreview(true);
        settings.setFullScreenDock(true);
        settings.setDockBackgroundHeight(50.0);
    } else {
        const QList<QWidget*> windows = appWindows();
        if (!windows.isEmpty())
            windows.first()->close();
    }

    m_steps.buildDockWindows();
    m_steps.registerAppListeners();
    if (state.needRestorePomodoro())
        m_steps.recordPomodoroRun();
    // Qt windows never join tab groups, so there is no window tabbing to
    // switch off here.
    m_steps.setAccessoryActivationPolicy();
    m_steps.startAXBackgroundWork();
    // The first run ends once its steps are done: a later launch keeps what
    // the user chose since and no longer shows the onboarding.
    if (firstRun)
        settings.setFirstInstalled(false);
}
