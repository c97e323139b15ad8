#include "Persistence.h"
#include "app/AppCenterApplication.h"
#include "app/AppDelegate.h"
#include "app/AppIdentity.h"
#include "app/AppState.h"
#include "app/OnboardingWindow.h"
#include "platform/AccessoryWindow.h"
#include "platform/x11/SkipTaskbar.h"
#include "platform/x11/X11ClickMonitor.h"

#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// The one place where the desktop platform is chosen and started; the
// platform layer's own set-up joins here when it lands.
void installX11Platform()
{
    platform::setAccessoryMarker(platform::x11::markSkipTaskbar);
    platform::setClickMonitorFactory(platform::x11::createX11ClickMonitor);
}

} // namespace

int main(int argc, char** argv)
{
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
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    AppCenterApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QApplication::setOrganizationName(QString::fromLatin1(kOrganisationName));
    // A dock keeps running when its last ordinary window (the onboarding)
    // is closed.
    QApplication::setQuitOnLastWindowClosed(false);

    if (!offscreen)
        installX11Platform();

    AppState::shared();
    AppDelegate delegate;

    if (const auto error = PersistenceController::openShared()) {
        std::fprintf(stderr, "Container load failed: %s\n", error->toLocal8Bit().constData());
        std::fflush(stderr);
        return 1;
    }

    const std::unique_ptr<QWidget> onboarding = makeOnboardingWindow();
    onboarding->show();

    QTimer::singleShot(0, &app, [&delegate] { delegate.applicationDidFinishLaunching(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&delegate] { delegate.applicationWillTerminate(); });
    return app.exec();
}
