#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class Windows;

// Marks the window at `position` of application `pid`'s list as the
// application's active window (click time now) when it is `activated`, as
// not active otherwise. Called once per window of the application.
void markOpenedWindow(std::size_t position, const Windows& listed, const Windows& activated, int32_t pid);

// For switcher clicks, with the setting on, puts the pointer on the window's
// centre. A window whose place cannot be read leaves the pointer alone.
void moveCursorToWindowCenter(const Windows& window, const QString& source);

// Minimises every other window of application `pid` that is shown on every
// desktop of `spaces`. An empty `spaces` minimises nothing.
void minimizeOtherWindows(int32_t pid, const Windows& chosen, const std::vector<uint64_t>& spaces);

// The bar's full-screen auto-hide rule for the primary screen, for window `n`.
void applyFullScreenAutoHideOnMainScreen(int32_t n);

// Whether the window stands for a real desktop window that can be acted on
// (not an application's placeholder, not a window without number).
bool isActionableWindow(const Windows& window);
