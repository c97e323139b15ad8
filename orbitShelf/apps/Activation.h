#pragma once

#include "apps/RunningApps.h" // findWindowByNumber, windowIndexInApps, refreshFocusedWindows

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class Windows;

// Where a click came from: the bar's buttons, or the switcher and the
// per-window hot keys. Any other source only updates the bookkeeping.
inline const QString kClickSourceDock = QStringLiteral("Dock");
inline const QString kClickSourceSwitcher = QStringLiteral("FloatDock");

// Brings `window` forward for a click from `source`: un-minimises it,
// activates it (or, for an application shown without windows, its
// application), marks it as its application's active window, records the
// click and the focus, closes the switcher for switcher clicks and puts the
// pointer on the window when the settings ask for it. With
// `minimiseIfActive`, a repeat click on the window that was clicked last and
// is shown as active minimises it instead. Main thread.
void activateWindow(Windows& window, const QString& source, std::optional<bool> minimiseIfActive);

// Marks window `n` as the focused one (and its application's other windows
// as not focused) and publishes; nothing when it is focused already. 500 ms
// later the main screen's full-screen bar rule is applied for `n`.
void focusWindow(int32_t n);
// The same without publishing, for a caller that publishes next; returns
// whether anything changed.
bool markFocusedWindow(int32_t n);

// To be called when a full-screen window first sets a bar flag: the
// full-screen looks of focus changes in the last 500 ms, which had nothing
// to act on until then, run at their time after all.
void startWaitingFullScreenChecks();

// Remembers the window used before the newest one (when there are two).
void rememberPreviousWindow();

// Activates the window bound to hot key `key` (any letter case), as a
// switcher click. A binding whose value is not a window number is ignored.
void activateWindowForHotkey(const QString& key);
