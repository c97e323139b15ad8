#pragma once

#include "platform/AccessoryWindow.h"
#include "platform/AppLauncher.h"
#include "platform/ClickMonitor.h"
#include "platform/Clipboard.h"
#include "platform/DockWindowHints.h"
#include "platform/EndRequests.h"
#include "platform/HotKeys.h"
#include "platform/HoverArea.h"
#include "platform/Platform.h"
#include "platform/ScreenIdentity.h"
#include "platform/StillPictureWindow.h"

#include <memory>

class QObject;

namespace platform {

// Every piece a desktop back-end provides, installed in one call. The app
// fills it from the X11 layer (platform/x11/X11Services.h), tests from the
// scripted one (platform/fake/FakeServices.h). A piece left empty has the
// behaviour its comment gives, which is what tests on the offscreen
// platform rely on.
struct Services {
    // Windows, accessibility, running applications, the pointer and the
    // scripted requests (platform::current()). None: hasCurrent() is false.
    std::shared_ptr<Platform> desktop;
    // The CLIPBOARD reader (platform::clipboardReader()). None: nothing is
    // captured.
    std::shared_ptr<ClipboardReader> clipboardReader;
    // Global hot keys and the switcher's keyboard (platform::hotKeys()).
    // None: no key is taken from other programs.
    std::shared_ptr<HotKeys> hotKeys;
    // Makes a monitor of clicks and keys in other programs
    // (platform::createClickMonitor()); every caller owns what it gets.
    // None: nothing is monitored.
    ClickMonitorFactory clickMonitors;
    // How the bar's windows are made docks (platform::markDockWindow() and
    // its neighbours). Empty members: those calls do nothing.
    DockWindowHints dockWindowHints;
    // Keeps our windows out of taskbars and pagers
    // (platform::markAccessoryWindow()). None: windows stay as they are.
    AccessoryMarker accessoryMarker;
    // EDIDs behind the screens' outputs (platform::screenIdentity()). None:
    // screens are told apart by output name alone.
    std::shared_ptr<ScreenIdentity> screenIdentity;
    // Starts applications and opens files (platform::appLauncher()). None:
    // the desktop-entry launcher over the session's entries, which is also
    // what an X11 session uses.
    std::shared_ptr<AppLauncher> appLauncher;
    // Makes windows the display server draws by itself from a picture
    // (platform::createStillPictureWindow()). None: no such window is
    // made, and callers show their own.
    StillPictureWindowFactory stillPictureWindows;
    // Tells the app when the desktop asks the process to end: a terminate
    // signal, the display's end (platform::endRequests()). None: the
    // system's defaults end it (a signal kills it, Qt exits when the display
    // goes), and nothing is saved.
    std::shared_ptr<EndRequests> endRequests;
    // Makes areas that only notice the pointer (platform::createHoverArea()),
    // for the bar's auto-show strips where nothing composites. None: no such
    // area is made, and the bar keeps a strip window of its own.
    HoverAreaFactory hoverAreas;
    // Holds every top-level window of the process, from its creation on,
    // to size hints no window manager misreads and to sizes the screens
    // can show (platform/WindowSizes.h), for as long as it is installed.
    // None: windows keep what Qt writes and takes.
    std::shared_ptr<QObject> windowSizeGuard;
};

// Makes `services` the pieces in use, in place of whatever was installed.
// The pieces given before are released here, in the reverse of the order
// the X11 back-end makes them: the end requests, hot keys, then the
// clipboard reader, then the rest, the desktop last. The app installs once at start and calls
// uninstall() before its QApplication goes; tests install in their set-up.
void install(Services services);
// Releases every installed piece; afterwards each reads as none.
void uninstall();

// The screen identity and the launcher may be asked for on any thread;
// what is returned stays valid after an uninstall() for as long as it is
// held. The launcher is never none (see Services::appLauncher).
std::shared_ptr<ScreenIdentity> screenIdentity();
std::shared_ptr<AppLauncher> appLauncher();

} // namespace platform
