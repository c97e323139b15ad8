#pragma once

// How a key is named wherever one is shown (switcher hints, the bar's menus,
// the Shortcut page, toasts, the tag editor, badges, the log): one formatter,
// in the names this desktop's keyboard carries. And the modifier flags each
// fixed hot key is registered with for its stored option, so that what is
// shown and what is grabbed come from the same rule.

#include <QMap>
#include <QString>

#include <optional>

// The hot keys whose modifier the Shortcut page sets.
enum class FixedHotKey { Tab, Pasteboard, Autohide, HideWindow };

// "Tab", "Space", "Escape", "`", "H", "1": one key's name; "key 99" for a
// code with no name here.
QString keyNameText(quint16 keyCode);

// "Alt + Shift + H": the modifiers in the order Ctrl, Super, Alt, Shift,
// then the key, joined by " + ". The app's Command is Ctrl, its Option Alt
// and its Control Super, as the X11 layer grabs them.
QString keyComboText(quint16 keyCode, quint64 flags);

// Modifier flags of a stored option text ("control", "cmd", "shift",
// "option", "alpha" as Caps Lock); any other text gives Option.
quint64 optionModifierFlags(const QString& option);

// The key code of a fixed hot key (Tab, P, H, W).
quint16 fixedHotKeyCode(FixedHotKey key);

// The flags a fixed key is registered with when its row holds `option`:
// the option's modifier, with Shift for H always and for P's "option"; none
// for "alpha" (no key at all).
std::optional<quint64> fixedHotKeyFlags(FixedHotKey key, const QString& option);

// The digits and letters a window can be bound to, but H and P, by key code.
const QMap<quint32, QString>& keyCodeCharacters();
// The key code of a one-character key name ("h" and "p" included); none for
// any other text.
std::optional<quint16> keyCodeForCharacter(const QString& text);

// The flags a window bound to `character` is registered with: Option, but
// for "w" the W row's stored `hideWindowOption` (none when that is "alpha").
std::optional<quint64> windowHotKeyFlags(const QString& character, const QString& hideWindowOption);
// "Alt + F" for a window bound to "f"; empty for text that is no key.
QString windowHotKeyText(const QString& character, const QString& hideWindowOption);
