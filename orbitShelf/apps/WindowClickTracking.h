#pragma once

#include "apps/WindowClickedOrder.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

// The most-recently-used order of windows: every click on a known window and
// every activation for the user, newest last. No two adjacent entries name the
// same window. Main thread only.
std::deque<WindowClickedOrder>& windowClickOrder();

// The history keeps at most this many entries: it lives as long as the
// process, and its readers only look at the newest few.
inline constexpr std::size_t kWindowClickOrderLimit = 512;

// Appends an entry, dropping the oldest beyond the limit. The adjacency rule
// is the caller's (recordWindowActivation, onWindowClicked).
void appendWindowClick(const WindowClickedOrder& entry);

// The newest entry of the order came from the bar itself (an activation it
// asked for) and the window manager has not yet reported that window in
// front. Until it does, or a moment has passed, the window the server has in
// front is older news than the order: a key that catches up with the focus
// (followWindowInFrontNow) leaves the order alone, or a second Alt+Tab typed
// right after the first would go back to where the first one started.
// A report of another window in that time is an earlier activation's
// (applyFocusChange leaves it out too).
void noteActivationAsked(int32_t windowNumber);
// The window manager reports `windowNumber` in front.
void noteWindowManagerReport(int32_t windowNumber);
bool activationUnanswered();
// How long the bar still waits for that report (ms); 0 when it waits for none.
qint64 activationUnansweredForMs();

// The window of the latest primary-button release; read by the window
// notification handler. Both run on the main thread today; it stays atomic
// so that a handler moved to an observer thread reads it safely.
extern std::atomic<int32_t> lastClickedWindowNumber;

// Handles one primary-button release over window `windowNumber` (0 over the
// desktop) at the desktop's time `serverTime` (0: unknown): records it when
// the model knows the window, marks it focused, closes the switcher (unless
// the click is on it or came before the switcher's modifier was pressed),
// the clipboard panel and the bar's tool popups, and 0.2 s later calls
// `onClickedWindowChange` with false for the first click, true when the
// window differs from the previous click's, and not at all for the same
// window again.
void onWindowClicked(
    int64_t windowNumber, std::function<void(bool)> onClickedWindowChange, uint32_t serverTime = 0);

// The delayed second step of onWindowClicked.
void notifyIfClickedWindowChanged(
    int64_t windowNumber, const std::function<void(bool)>& onClickedWindowChange);

// Forgets the click state (tests start each case from a fresh process state).
void resetWindowClickTracking();
