#include "state/Alerts.h"
#include "state/Persistence.h"
#include "state/AppIdentity.h"
#include "state/AppState.h"
#include "state/Logging.h"
#include "state/PrivateFiles.h"
#include "state/ShownTexts.h"
#include "state/UserDefaults.h"
#include "apps/AXEventThread.h"
#include "apps/DockBadgeReader.h"
#include "platform/Services.h"
#include "platform/TerminateSignals.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/X11Services.h"
#include "shell/AppCenterApplication.h"
#include "shell/AppDelegate.h"
#include "shell/AuxiliaryWindows.h"
#include "shell/CommandLine.h"
#include "shell/FeatureWiring.h"
#include "shell/OnboardingWindow.h"
#include "shell/ProcessEnd.h"
#include "shell/SettingsScene.h"
#include "shell/SingleInstance.h"
#include "widgets/AlertBox.h"
#include "widgets/ClearTextEditors.h"

#include <QDir>
#include <QDeadlineTimer>
#include <QIcon>
#include <QPointer>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

// The external event a start names as its one argument, if any.
QString externalEventArgument(int argc, char** argv)
{
    if (argc == 2 && qstrcmp(argv[1], kOnboardingWindowEvent) == 0)
        return QString::fromLatin1(kOnboardingWindowEvent);
    return QString();
}

// A start that finds orbitShelf running on its display hands on its event,
// says so and ends, having touched neither the settings nor the store.
int handOverToRunningInstance(int argc, char** argv)
{
    const QString event = externalEventArgument(argc, argv);
    if (!event.isEmpty()) {
        std::optional<QCoreApplication> core;
        if (!QCoreApplication::instance())
            core.emplace(argc, argv);
        QString error;
        if (!sendExternalEvent(currentDisplayName(), event, &error))
            std::fprintf(stderr, "The running orbitShelf was not given \"%s\": %s\n",
                event.toLocal8Bit().constData(), error.toLocal8Bit().constData());
    }
    std::printf("%s\n", kAlreadyRunningMessage);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before anything else: with or without a display, running or not.
    if (const std::optional<QString> answer = informationRequested(argumentsOf(argc, argv))) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
        return 0;
    }
    installLogPolicy();

    // Tests run the binary on the offscreen platform; everything else needs
    // an X server. Under Wayland with XWayland, DISPLAY is set and Qt is
    // told to use it rather than the Wayland platform.
    const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
    const bool offscreen = qpa == "offscreen";
    if (!offscreen) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            std::fprintf(stderr, "orbitShelf needs an X11 session (DISPLAY is not set).\n");
            return 1;
        }
        QString error;
        if (!platform::x11::displayReachable(&error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    // Before anything reads the settings or the store: a second instance
    // would write them too, in no order. Offscreen runs are tests, each in
    // a home of its own.
    const bool relaunched = qEnvironmentVariableIsSet(kRelaunchEnvironment);
    // Programs started from the bar must not inherit the mark.
    qunsetenv(kRelaunchEnvironment);
    std::optional<SingleInstanceLock> instanceLock;
    if (!offscreen) {
        instanceLock.emplace(currentDisplayName());
        if (!instanceLock->acquire(relaunched ? kRelaunchLockWaitMs : 0)) {
            if (instanceLock->error().isEmpty())
                return handOverToRunningInstance(argc, argv);
            // A runtime folder we cannot write is no reason not to run.
            std::fprintf(stderr, "orbitShelf cannot tell whether it is already running: %s\n",
                instanceLock->error().toLocal8Bit().constData());
        }
    }

    // The process this one replaces has ended; the window manager lets go of
    // its windows, and ours do not take its window numbers.
    std::unique_ptr<platform::x11::XConnection> oldPlaceHeld;
    if (relaunched && !offscreen)
        oldPlaceHeld = platform::x11::waitForWindowManagerToLetGoOfEndedProcesses(kRelaunchLockWaitMs);

    AppCenterApplication app(argc, argv);
    oldPlaceHeld.reset();
    // The lock only sees an instance that took it in the same runtime
    // folder; the bus name sees one that runs with another (or none).
    if (!offscreen) {
        // A relaunch gives the old process the same time to go as the lock does.
        const QDeadlineTimer deadline(relaunched ? kRelaunchLockWaitMs : 0);
        while (instanceRunsOnBus(currentDisplayName())) {
            if (deadline.hasExpired())
                return handOverToRunningInstance(argc, argv);
            QThread::msleep(50);
        }
    }
    // Before any window is made: every shown text passes through it.
    installShownTexts();
    installClearTextEditors(app);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QApplication::setOrganizationName(QString::fromLatin1(kOrganisationName));
    // A dock keeps running when its last ordinary window (the onboarding)
    // is closed.
    QApplication::setQuitOnLastWindowClosed(false);
    // Outside a desktop environment Qt reads no icon theme but "hicolor",
    // which holds application icons only, and every themed icon of the
    // pages would be blank: the freedesktop names then come from Adwaita,
    // which the install brings. A desktop's own theme still comes first.
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));

    // The one place where the desktop back-end is chosen and installed;
    // offscreen runs go without one. Whichever way main() ends, the
    // back-end goes before the application object.
    const auto uninstallBackEnd = qScopeGuard([] { platform::uninstall(); });
    if (!offscreen) {
        QString error;
        std::optional<platform::Services> x11 = platform::x11::createX11Services(&error);
        if (!x11) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
        platform::install(std::move(*x11));
    }

    AppState::shared();
    installMessageBoxAlerts();
    wireFeatures();
    registerSettingsScene();
    AppDelegate delegate;
    // A terminate signal and the display's end take the Quit's way out: the
    // same saving, the store closed before any static goes, an exit status.
    ProcessEnd processEnd(ProcessEndSteps::standard([&delegate] { delegate.applicationWillTerminate(); }));
    if (const std::shared_ptr<platform::EndRequests> requests = platform::endRequests())
        requests->watch([&processEnd](platform::EndRequest request, const QString& what) {
            processEnd.handle(request, what);
        });
    const auto stopWatchingEndRequests = qScopeGuard([] {
        if (const std::shared_ptr<platform::EndRequests> requests = platform::endRequests())
            requests->watch({});
    });

    // Folders and files made by older versions were readable by everyone.
    tightenPrivateFolder(applicationSupportFolder());
    if (const auto error = PersistenceController::openShared()) {
        const QString message = QStringLiteral("Container load failed: ") + *error;
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        std::fflush(stderr);
        // Started from a launcher or at login, nobody reads stderr: the user
        // is shown why there is no bar, and where the store lies, before the
        // process ends. The file stays exactly as it was found.
        if (!offscreen) {
            showAlert(message,
                QStringLiteral("The store %1 was left as it is.")
                    .arg(QDir::toNativeSeparators(PersistenceController::defaultStorePath())));
            waitUntilAlertsClosed();
        }
        return 1;
    }

    // Applications announce badge counts whenever they like; listen from the
    // start so that none sent before the first tick is missed.
    DockBadgeReader::shared();

    // The onboarding is built when it is first shown (on the first run, or
    // when asked for from outside), not at every launch: its tour pictures
    // alone are over 20 MB. Closed, it goes with what it holds.
    QPointer<QWidget> onboarding;
    const auto showOnboarding = [&onboarding] {
        if (!onboarding) {
            onboarding = makeOnboardingWindow().release();
            onboarding->setAttribute(Qt::WA_DeleteOnClose);
        }
        onboarding->show();
    };
    if (AppState::shared().settings.firstInstalled())
        showOnboarding();
    const auto openExternalEvent = [&onboarding, showOnboarding](const QString& identifier) {
        if (identifier != QLatin1String(kOnboardingWindowEvent))
            return false;
        showOnboarding();
        onboarding->raise();
        onboarding->activateWindow();
        return true;
    };
    ExternalEvents externalEvents(currentDisplayName(), openExternalEvent);
    if (!offscreen) {
        QString busError;
        if (!externalEvents.publish(&busError))
            qCInfo(lcApp).noquote() << "external events are not offered on the session bus:" << busError;
    }

    QTimer::singleShot(0, &app, [&delegate] { delegate.applicationDidFinishLaunching(); });
    // A settings file that could not be read was kept aside before the
    // defaults were written over it; the user hears of it once, here.
    if (const std::optional<QString> kept = UserDefaults::keptCopyOfUnreadableFile(); kept)
        QTimer::singleShot(0, &app, [copy = *kept] { showUnreadableSettingsToast(copy); });
    // After the launch routine, which closes the onboarding window outside
    // the first run.
    const QString startEvent = externalEventArgument(argc, argv);
    if (!startEvent.isEmpty())
        QTimer::singleShot(0, &app, [openExternalEvent, startEvent] { openExternalEvent(startEvent); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&processEnd] { processEnd.willTerminate(); });
    const int status = app.exec();
    // The Quit's saving has run; another request to end (Ctrl+C pressed
    // again) has nothing left to ask and must not end the process by its
    // signal once the platform has put the default handling back.
    platform::TerminateSignals::ignoreFromNowOn();
    delete onboarding.data();
    // The event thread delivers through the platform; it ends first. The
    // back-end goes while the application it reads the display through is
    // still there.
    stopAXBackgroundWork();
    PersistenceController::closeShared();
    platform::uninstall();
    return status;
}
