#pragma once

// The modifier of each fixed hot key as the "Shortcut" settings page sets
// it: stored at once and applied at once. Main thread.

#include "state/KeyNames.h"

#include <QString>
#include <QStringList>

struct HotKeyChoice {
    QString label;
    QString option; // "option", "cmd", "control", "shift" or "alpha" (none)
};

// The four choices of a row, in the page's order, each labelled with the
// key it registers ("Super + Tab"), the last "None".
QList<HotKeyChoice> hotKeyChoicesFor(FixedHotKey key);
// The row's title on the Shortcut page ("Open the window switcher").
QString hotKeyRowTitle(FixedHotKey key);
QString storedHotKeyOption(FixedHotKey key);

// Stores `option` and registers the key again with it ("alpha": not at
// all; H and P not before the clipboard tool's install, which registers the
// stored choice). False when the desktop refused the key.
bool applyHotKeyOption(FixedHotKey key, const QString& option);

// The row's stored key was asked for and another program holds it.
bool hotKeyRefused(FixedHotKey key);
// H and P are registered only once the clipboard tool is installed.
bool hotKeyWaitsForClipboardTool(FixedHotKey key);

// The bar's menus' lines for the fixed keys, as they are held now: the
// modifiers that are grabbed, and whether a key is off, refused or waits for
// the clipboard tool. `shortcuts`: Tab, Escape, H, P.
struct HotKeyMenuTexts {
    QString autoHide;
    QStringList shortcuts;
};
HotKeyMenuTexts hotKeyMenuTexts();

// For the start-up notice: each fixed key another program holds, with where
// the user moves it ("Alt + Tab (Settings > Shortcut > Open the window
// switcher)"). Keys the page cannot move are left out.
QStringList takenKeysToMove();
