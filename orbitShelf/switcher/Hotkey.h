#pragma once

// The global hot keys: which keys are taken, with which modifiers, and what
// a press of each does. Key codes are the app's virtual key codes; the
// desktop behind them is platform::hotKeys(). Main thread only.

#include "state/KeyNames.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Hot-key modifiers, in the order the switcher numbers them.
enum class HotKeyModifier { Control = 0, Cmd = 1, Shift = 2, Option = 3, Alpha = 4, None = 5 };

// The signature every hot key carries ("swat").
inline constexpr quint32 kHotKeySignature = 0x73776174;
// The text encoded as Mac OS Roman, one byte after the other; 0 for text
// with characters outside it.
quint32 fourCharCode(const QString& text);

const std::vector<quint16>& switcherKeyCodes(); // Tab, Space, W, Escape
const std::vector<quint16>& toolKeyCodes(); // H, P

quint64 modifierFlags(HotKeyModifier modifier);
// Carbon modifier bits of modifier flags; other bits are ignored.
quint32 carbonModifiers(quint64 flags);

// References of the registrations, by key code: the switcher and per-window
// keys, and H and P. Unregistering leaves the entry in place.
QMap<qint64, quint32>& switcherHotKeyRefs();
QMap<qint64, quint32>& toolHotKeyRefs();

// Registers one key; none when it is taken (the key is then listed in
// takenHotKeys(), and logged when it was not already) or there is no desktop
// to register with.
std::optional<quint32> registerHotKey(quint16 keyCode, quint64 flags);
// "Alt + Space" and the like: keyComboText(), the one name of a key.
QString hotKeyName(quint16 keyCode, quint64 flags);
// The combinations other programs held when we asked for them.
QStringList takenHotKeys();

// Registers the switcher keys Tab and Escape with `main`, the per-window
// keys with `main` and, unless `extra` is None, H and P with `main` +
// `extra`. A key whose stored option is not "option" uses that option
// instead; "alpha" stores no key. Space is not held: nothing uses it, and
// it is the window manager's window-menu key. Connects the press handler on
// first use.
void startHotKeys(HotKeyModifier main, HotKeyModifier extra = HotKeyModifier::None);

// H and P with their stored options, as the clipboard tool's install
// brings them; and both given back at its removal.
void registerToolHotKeys();
void releaseToolHotKeys();
// Whether H and P are wanted: the clipboard tool's keys came with a start
// or its install and were not given back since. Until then a choice of
// theirs is only stored.
bool toolHotKeysWanted();

// The flags a window bound to `keyCode` is registered with: Option, but W's
// stored option for W (none when that is "alpha").
std::optional<quint64> windowKeyFlags(quint16 keyCode);
// Gives back the switcher or per-window key held under `keyCode`.
void releaseSwitcherKey(quint16 keyCode);
// Drops every binding whose window no longer exists on the desktop, or whose
// window number now belongs to another application (X reuses window ids),
// and gives its key back.
void dropClosedWindowHotKeys();

// What names a bound window beyond its number, kept beside the binding: its
// number, its process and its application ("1234 5678 xterm.XTerm",
// WM_CLASS's two parts); without the process ("1234 xterm.XTerm") for a
// window that names none. Empty when the window is not there.
QString windowHotKeyOwner(quint32 number);
// Keeps the owner of the window bound to `character` (empty `owner`: forgets
// it).
void setWindowHotKeyOwner(const QString& character, const QString& owner);
// Whether the binding under `character` still names its window: the window
// is there and, where an owner was kept, it is that application's and that
// process's. A binding stored without an owner matches while its window is
// there; one whose owner was kept without a process (an older version's)
// while its window is that application's. Either learns the rest at the
// next look (dropClosedWindowHotKeys).
bool windowBindingStillMatches(const QString& character);

// Tells the pages and menus that a key was registered or refused.
class HotKeyStatus final : public QObject {
    Q_OBJECT
signals:
    void changed();
};
HotKeyStatus& hotKeyStatus();

// Registers Tab again with its stored option, as the switcher does when it
// closes.
void registerSwitcherTabKey();

// One press, routed by key code; the Tab action follows 20 ms later, and
// the switcher's cycle (SwitcherCycle) decides it.
void handleHotKeyPress(quint16 keyCode);
void handleSwitcherHotKey(quint16 keyCode);

// What the hot keys ask of the shell.
struct HotKeyHooks {
    std::function<void()> showPasteboardWindow;
    // Once per start, after the refused keys were asked for again: the names
    // of those that stayed with other programs (empty when none did).
    std::function<void(const QStringList&)> tellTakenKeys;
};
HotKeyHooks& hotKeyHooks();

// Forgets references, taken keys and the handler (tests).
void resetHotKeysForTesting();
