#pragma once

#include "platform/Accessibility.h"
#include "platform/Pointer.h"
#include "platform/SystemScripts.h"
#include "platform/WindowServer.h"
#include "platform/Workspace.h"

namespace platform {

// The seam between the app and the desktop's windows and applications. The
// app runs on the X11 implementation (platform/x11/X11Platform.h), tests on
// the scripted one (platform/fake/FakePlatform.h).
class Platform {
public:
    virtual ~Platform() = default;
    virtual WindowServer& windowServer() = 0;
    virtual Accessibility& accessibility() = 0;
    virtual Workspace& workspace() = 0;
    virtual Pointer& pointer() = 0;
    virtual SystemScripts& scripts() = 0;
};

// The desktop installed with platform::install() (platform/Services.h).
// current() must not be called while none is.
Platform& current();
bool hasCurrent();

} // namespace platform
