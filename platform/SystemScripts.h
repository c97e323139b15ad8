#pragma once

#include <QString>

namespace platform {

enum class ScriptOutcome {
    done,
    failed,
    notApplicable,  // the desktop has no such thing; nothing was done
};

// What the app used to ask of other programs through scripts. Nothing is
// assembled as script text: the application name is never pasted into code.
class SystemScripts {
public:
    virtual ~SystemScripts() = default;

    // Brings the process's front-most window forward (a window-manager
    // activation). Returns at once; the work runs off the caller's thread.
    // `name` is used only for the diagnostic line.
    virtual void bringProcessToFront(qint32 pid, const QString& name) = 0;

    // Switching on another dock's auto-hide has no X11 counterpart: the X11
    // implementation answers notApplicable and never claims success.
    virtual ScriptOutcome hideSystemDock() = 0;
};

} // namespace platform
