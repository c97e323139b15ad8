#pragma once

#include "dock/windows/ScreenNotice.h"
#include "platform/ClickMonitor.h"
#include "platform/WakeMonitor.h"
#include "platform/Workspace.h"
#include "state/Debounce.h"

#include <cstdint>
#include <functional>
#include <memory>

// The app-wide listeners: applications starting and quitting, screens added,
// removed or resized, waking from sleep, and global key and mouse monitors.
// They reload the dock, rebuild the dock windows, relaunch the process after
// wake, start the clipboard capture and feed the window click tracking.

// What the listeners set in motion. standard() binds the real operations;
// tests replace single entries.
struct ListenerActions {
    std::function<void()> loadPinnedApps;
    std::function<void()> restartDockWindows;
    // The screens as one look finds them now; whether the bars as they
    // stand are to be rebuilt for those screens (noticeRebuildsTheBars).
    std::function<ScreensReading()> readScreens;
    std::function<bool(const std::vector<DockScreen>&, bool screensReplaced)> screensRebuildTheBars;
    // From the first notice of a change of the screens until the bars stand
    // on the arrangement it settles on (true), and then (false).
    std::function<void(bool)> screensSettling;
    std::function<void()> captureClipboard;
    std::function<void()> saveAppOrdersCache;
    std::function<bool()> pomodoroRunning;
    std::function<void(
        int64_t windowNumber, std::function<void(bool)> onClickedWindowChange, uint32_t serverTime)>
        onWindowClicked;
    // Starts the new instance and quits; false when it could not start.
    std::function<bool()> relaunch;

    static ListenerActions standard();
};
ListenerActions& listenerActions();

// Where the listeners' events come from. Absent sources are skipped.
struct ListenerSources {
    platform::Workspace* workspace = nullptr;
    std::unique_ptr<platform::ClickMonitor> inputMonitor;
    std::unique_ptr<platform::WakeMonitor> wakeMonitor;
    bool watchScreens = true;

    // The platform's workspace, its input monitor and logind on the system bus.
    static ListenerSources standard();
};

// Installs the listeners once per process; later calls do nothing.
void registerAppListeners();
void registerAppListeners(ListenerSources sources);
// Removes them again and drops the debouncers (tests).
void unregisterAppListeners();

// Screen changes coalesce on one debouncer, wake on another, both on the
// "DebounceQueue" with 5 s: a screen change never cancels a pending wake.
std::shared_ptr<Debounce> sharedDebounce();
std::shared_ptr<Debounce> wakeDebounce();

void handleAppTerminated(const platform::RunningApplication& application);
void dropTerminatedApp(int32_t pid);
void handleAppLaunched(const platform::RunningApplication& application);
void handleScreenParametersChanged();
// At the end of a burst of screen notices: the screens are looked at, and
// again 1 s later; once both looks agree on an arrangement the server has
// made whole, the bars are rebuilt on it, unless they stand on it already.
// Looked at again each second while the screens are still changing. The
// screens are settling from the first notice until the last look of the
// last burst.
void rebuildAfterScreenChange();
void handleWake();
void resumeAfterWake();
void restartAfterWake();
void handleGlobalKeyDown(const platform::KeyPress& key);
void handleGlobalRightMouseUp();
void handleGlobalLeftMouseUp();
void handleWindowClick(const platform::PointerClick& click);
void handleWindowClickResult(bool clickedWindowChanged);

// Whether a right-button release has been seen since the last left one.
bool rightMouseUpSeen();
