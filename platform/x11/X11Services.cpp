#include "platform/x11/X11Services.h"

#include "platform/x11/SkipTaskbar.h"
#include "platform/x11/X11ClickMonitor.h"
#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11DockWindowHints.h"
#include "platform/x11/X11EndRequests.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11HoverArea.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11ScreenIdentity.h"
#include "platform/x11/X11StillPictureWindow.h"
#include "platform/x11/X11WindowSizeGuard.h"

namespace platform::x11 {

std::optional<Services> createX11Services(QString* error)
{
    Services services;
    services.desktop = createX11Platform(error);
    if (!services.desktop)
        return std::nullopt;
    // Before the first window is made.
    services.windowSizeGuard = createX11WindowSizeGuard();
    services.accessoryMarker = markSkipTaskbar;
    services.clickMonitors = createX11ClickMonitor;
    services.dockWindowHints = dockWindowHints();
    services.stillPictureWindows = createX11StillPictureWindow;
    services.hoverAreas = createX11HoverArea;
    // Monitors are told apart by their EDID where RandR has one.
    services.screenIdentity = createX11ScreenIdentity();
    services.clipboardReader = createX11ClipboardReader();
    services.hotKeys = createX11HotKeys();
    // Last: the session's end requests are heard from here on.
    services.endRequests = createX11EndRequests();
    // Applications start from their desktop entries: the launcher left
    // empty is that one.
    return services;
}

} // namespace platform::x11
