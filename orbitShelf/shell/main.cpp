#include "Persistence.h"
#include "app/AppIdentity.h"
#include "app/AppState.h"
#include "apps/AXEventThread.h"
#include "apps/DockBadgeReader.h"
#include "apps/ScreenIdentifier.h"
#include "platform/AccessoryWindow.h"
#include "platform/Clipboard.h"
#include "platform/Platform.h"
#include "platform/x11/SkipTaskbar.h"
#include "platform/x11/X11ClickMonitor.h"
#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11DockWindowHints.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11ScreenIdentity.h"
#include "shell/AppCenterApplication.h"
#include "shell/AppDelegate.h"
#include "shell/FeatureWiring.h"
#include "shell/OnboardingWindow.h"
#include "widgets/AlertBox.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace {

// The one place where the desktop platform is chosen and started. Without
// an X11 display to talk to it says why and gives nothing.
std::unique_ptr<platform::Platform> installX11Platform()
{
    platform::setAccessoryMarker(platform::x11::markSkipTaskbar);
    platform::setClickMonitorFactory(platform::x11::createX11ClickMonitor);
    platform::setDockWindowHints(platform::x11::dockWindowHints());
    QString error;
    std::unique_ptr<platform::Platform> desktop = platform::x11::createX11Platform(&error);
    if (!desktop) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return nullptr;
    }
    platform::setCurrent(desktop.get());
    // Monitors are told apart by their EDID where RandR has one.
    setScreenIdentitySource(platform::x11::createX11ScreenIdentity());
    return desktop;
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
        QString error;
        if (!platform::x11::displayReachable(&error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
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

    std::unique_ptr<platform::Platform> desktop;
    std::unique_ptr<platform::ClipboardReader> clipboard;
    std::unique_ptr<platform::HotKeys> hotKeys;
    if (!offscreen) {
        desktop = installX11Platform();
        if (!desktop)
            return 1;
        clipboard = platform::x11::createX11ClipboardReader();
        hotKeys = platform::x11::createX11HotKeys();
        platform::setHotKeys(hotKeys.get());
        platform::setClipboardReader(clipboard.get());
    }

    AppState::shared();
    installMessageBoxAlerts();
    wireFeatures();
    AppDelegate delegate;

    if (const auto error = PersistenceController::openShared()) {
        std::fprintf(stderr, "Container load failed: %s\n", error->toLocal8Bit().constData());
        std::fflush(stderr);
        return 1;
    }

    // Applications announce badge counts whenever they like; listen from the
    // start so that none sent before the first tick is missed.
    DockBadgeReader::shared();

    // Only the first run shows the onboarding, so only it builds one: its
    // tour pictures alone are over 20 MB. Closed, it goes with what it holds.
    QPointer<QWidget> onboarding;
    if (AppState::shared().settings.firstInstalled()) {
        onboarding = makeOnboardingWindow().release();
        onboarding->setAttribute(Qt::WA_DeleteOnClose);
        onboarding->show();
    }

    QTimer::singleShot(0, &app, [&delegate] { delegate.applicationDidFinishLaunching(); });
    QObject::connect(
        &app, &QCoreApplication::aboutToQuit, [&delegate] { delegate.applicationWillTerminate(); });
    const int status = app.exec();
    delete onboarding.data();
    // The event thread delivers through the platform; it ends first.
    stopAXBackgroundWork();
    platform::setClipboardReader(nullptr);
    platform::setCurrent(nullptr);
    return status;
}
