#pragma once

#include "platform/DockWindowHints.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace platform {

enum class ScriptOutcome {
    done,
    failed,
    notApplicable,  // the desktop has no such thing; nothing was done
};

// The other docks in the bar's way, each by the name a user knows it by:
// those whose auto-hide is still to be switched on, and those whose own
// settings hide them already.
struct OtherDocksFound {
    QStringList toHide;
    QStringList hiding;
    bool empty() const { return toHide.isEmpty() && hiding.isEmpty(); }
    friend bool operator==(const OtherDocksFound&, const OtherDocksFound&) = default;
};

// What switching on other docks' auto-hide did, each dock by the name a
// user knows it by: done when every dock left to hide took it, failed when
// one did not (`failed` says which and why), notApplicable when nothing was
// left to set: no other dock runs, or each hides already (`hidingAlready`).
struct HideDocksReport {
    ScriptOutcome outcome = ScriptOutcome::notApplicable;
    QStringList hidden;
    QStringList failed;
    QStringList hidingAlready;
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

    // The other programs' docks that run now where a bar on one of
    // `barSides` would lie over them (platform/OtherDocks.h), by name.
    virtual OtherDocksFound otherDocks(const std::vector<ReservedEdge::Side>& barSides) = 0;

    // Switches on the auto-hide of those docks in their own settings, where
    // it is not on already, and changes nothing else of theirs. Waits for
    // their settings' answers (a few seconds at most), since the caller
    // reports what happened.
    virtual HideDocksReport hideSystemDock(const std::vector<ReservedEdge::Side>& barSides) = 0;
};

} // namespace platform
