#pragma once

#include "widgets/CustomWindow.h"

#include <QPointer>
#include <QString>

// The shell's own windows besides the dock bars: the full-screen toast, the
// settings and quit windows, and the clipboard strip.

// The full-screen toast's window where the platform cannot show it as a
// still picture (the scripted platform): made on the first such toast and
// reused; none before.
QPointer<CustomWindow>& toastWindow();
// The clipboard window; at most one exists, each show replaces it.
QPointer<QWidget>& pasteboardWindow();

// May be called from any thread: shows the toast on the main thread.
void showToast(const QString& spaceID, qint64 windowNumber);
// Main thread. Shows the toast for this window on the screen under the mouse
// and takes it down 2 s later; a toast shown again within those 2 s gets
// this call's content and 2 s of its own. The toast is a window only as
// large as its card, above every other window, that takes neither the
// focus nor clicks and that the window manager leaves alone.
void presentToastWindow(const QString& spaceID, qint64 windowNumber);
void dismissToastWindow();

// Main thread. A toast above the bar naming the hot keys other programs hold
// and where to choose another modifier; gone after 10 s, clicks pass
// through it. With no keys it shows nothing and frees a notice made ahead.
void showTakenHotKeysToast(const QStringList& keys);
// Main thread. Makes the notice for these keys ahead, hidden (while the bar
// starts and the notice is likely to follow), so that showing it costs
// little then; a notice told for other keys is laid out anew.
void prepareTakenHotKeysNotice(const QStringList& keys);
// Main thread. The same kind of toast telling that the settings file could
// not be read and where it was kept (`keptCopy`).
void showUnreadableSettingsToast(const QString& keptCopy);

// Main thread. The settings window: made on the first call, starting on
// "General", on the screen of `screenID` (the bar that asked for it; the
// pointer's screen when empty or gone), fitted to it (placeOnScreen); while
// it is open a call brings it to the front as it is. Freed when closed, so
// the next call makes a new one.
QPointer<CustomWindow>& settingsWindow();
CustomWindow* openSettingsWindow(const QString& screenID = {});
// Main thread. Each call opens a new window; it is freed when closed.
CustomWindow* openQuitWindow();

// Main thread. Closes the switcher and any clipboard window, then opens a new
// one along the bottom of the screen under the mouse.
QWidget* showPasteboardWindow();
// Main thread, once: Escape in any of our windows closes the clipboard window.
void installPasteboardEscapeFilter();

// Frame autosave names; the window's frame is kept in the user defaults under
// these and restored when a window with the name opens again (true when a
// saved frame was restored).
inline constexpr const char* settingsWindowAutosaveName = "OrbitShelf.SettingWindow";
inline constexpr const char* quitWindowAutosaveName = "OrbitShelf.QuitWindow";
bool setFrameAutosaveName(QWidget* window, const QString& name);
