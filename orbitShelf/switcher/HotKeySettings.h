#pragma once

// The modifier of each fixed hot key as the "Shortcut" settings page sets
// it: stored at once and applied at once. Main thread.

#include <QString>
#include <QStringList>

enum class FixedHotKey { Tab, Pasteboard, Autohide, HideWindow };

struct HotKeyChoice {
    QString label;
    QString option; // "option", "cmd", "control", "shift" or "alpha" (none)
};

// The four choices of a row, in the page's order.
QList<HotKeyChoice> hotKeyChoicesFor(FixedHotKey key);
QString storedHotKeyOption(FixedHotKey key);

// Stores `option` and registers the key again with it ("alpha": not at
// all). False when the desktop refused the key.
bool applyHotKeyOption(FixedHotKey key, const QString& option);
