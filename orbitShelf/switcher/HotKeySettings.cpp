#include "switcher/HotKeySettings.h"

#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "state/AppState.h"
#include "switcher/Hotkey.h"

#include <QCoreApplication>

namespace {

bool isToolKey(FixedHotKey key)
{
    return key == FixedHotKey::Pasteboard || key == FixedHotKey::Autohide;
}

QMap<qint64, quint32>& refsOf(FixedHotKey key)
{
    return isToolKey(key) ? toolHotKeyRefs() : switcherHotKeyRefs();
}

QString tr(const char* text)
{
    return QCoreApplication::translate("ShortCutView", text);
}

// The name of the key a row's option registers; "alpha" names none.
QString keyTextOf(FixedHotKey key, const QString& option)
{
    const auto flags = fixedHotKeyFlags(key, option);
    return flags ? keyComboText(fixedHotKeyCode(key), *flags) : QString();
}

} // namespace

QList<HotKeyChoice> hotKeyChoicesFor(FixedHotKey key)
{
    // The Tab row offers Shift and no Ctrl (Ctrl + Tab is the programs'
    // own tab switching); the others Ctrl and no Shift.
    const QStringList options = key == FixedHotKey::Tab
        ? QStringList { QStringLiteral("option"), QStringLiteral("control"), QStringLiteral("shift") }
        : QStringList { QStringLiteral("option"), QStringLiteral("cmd"), QStringLiteral("control") };
    QList<HotKeyChoice> choices;
    for (const QString& option : options)
        choices.append({ keyTextOf(key, option), option });
    choices.append({ tr("None"), QStringLiteral("alpha") });
    return choices;
}

QString hotKeyRowTitle(FixedHotKey key)
{
    switch (key) {
    case FixedHotKey::Tab:
        return tr("Open the window switcher");
    case FixedHotKey::Pasteboard:
        return tr("Open the clipboard window");
    case FixedHotKey::Autohide:
        return tr("Show or hide the bar");
    case FixedHotKey::HideWindow:
        break;
    }
    return tr("Bring forward the window bound to W");
}

bool hotKeyRefused(FixedHotKey key)
{
    const QString option = storedHotKeyOption(key);
    if (option == QLatin1String("alpha") || (isToolKey(key) && !toolHotKeysWanted()))
        return false;
    return takenHotKeys().contains(keyTextOf(key, option));
}

bool hotKeyWaitsForClipboardTool(FixedHotKey key)
{
    return isToolKey(key) && storedHotKeyOption(key) != QLatin1String("alpha") && !toolHotKeysWanted();
}

QString storedHotKeyOption(FixedHotKey key)
{
    const CustomSettings& settings = AppState::shared().settings;
    switch (key) {
    case FixedHotKey::Tab:
        return settings.shortcutOptionForOpenFloatWindow();
    case FixedHotKey::Pasteboard:
        return settings.shortcutOptionForPasteboardWindow();
    case FixedHotKey::Autohide:
        return settings.shortcutOptionForOpenAutohide();
    case FixedHotKey::HideWindow:
        break;
    }
    return settings.shortcutOptionForHideWindow();
}

bool applyHotKeyOption(FixedHotKey key, const QString& option)
{
    CustomSettings& settings = AppState::shared().settings;
    switch (key) {
    case FixedHotKey::Tab:
        settings.setShortcutOptionForOpenFloatWindow(option);
        break;
    case FixedHotKey::Pasteboard:
        settings.setShortcutOptionForPasteboardWindow(option);
        break;
    case FixedHotKey::Autohide:
        settings.setShortcutOptionForOpenAutohide(option);
        break;
    case FixedHotKey::HideWindow:
        settings.setShortcutOptionForHideWindow(option);
        break;
    }
    const quint16 code = fixedHotKeyCode(key);
    QMap<qint64, quint32>& refs = refsOf(key);
    if (const auto held = refs.constFind(code); held != refs.constEnd()) {
        if (platform::HotKeys* hotKeys = platform::hotKeys())
            hotKeys->unregisterHotKey(*held);
        refs.remove(code);
    }
    // H and P chosen before the clipboard tool is installed: the choice is
    // kept for the install, and until then the key stays the programs'.
    const auto flags = fixedHotKeyFlags(key, option);
    if (!flags || (isToolKey(key) && !toolHotKeysWanted())) {
        emit hotKeyStatus().changed();
        return true;
    }
    // A key that was never registered is registered now too: the choice
    // would otherwise be stored and never take effect.
    // W is held only while a window is bound to "w".
    if (key == FixedHotKey::HideWindow
        && !AppState::shared().windowHotkeyCache().contains(QStringLiteral("w")))
        return true;
    const auto reference = registerHotKey(code, *flags);
    if (!reference)
        return false;
    refs.insert(code, *reference);
    return true;
}

namespace {

// What a row's key is now: off, refused, waiting for the clipboard tool, or
// nothing to add when it is held.
QString stateNote(FixedHotKey key)
{
    if (storedHotKeyOption(key) == QLatin1String("alpha"))
        return QCoreApplication::translate("HotKeyMenu", " (off)");
    if (hotKeyRefused(key))
        return QCoreApplication::translate("HotKeyMenu", " (taken by another program)");
    if (hotKeyWaitsForClipboardTool(key))
        return QCoreApplication::translate("HotKeyMenu", " (with the clipboard tool)");
    return QString();
}

} // namespace

HotKeyMenuTexts hotKeyMenuTexts()
{
    // A key that is off is named with the modifier it had by default, and
    // the note says it is off.
    const auto keyText = [](FixedHotKey key) {
        const QString option = storedHotKeyOption(key);
        return keyTextOf(key, option == QLatin1String("alpha") ? QStringLiteral("option") : option);
    };
    const auto line = [](const QString& key, const char* what) {
        return key + QStringLiteral("   (") + QCoreApplication::translate("HotKeyMenu", what)
            + QLatin1Char(')');
    };
    HotKeyMenuTexts texts;
    texts.autoHide = keyText(FixedHotKey::Autohide) + stateNote(FixedHotKey::Autohide);
    // Escape goes with the switcher's main modifier, whatever the rows hold.
    const QString escape = keyComboText(platform::keycode::escape, platform::appkit::option);
    const QString escapeNote = takenHotKeys().contains(escape)
        ? QCoreApplication::translate("HotKeyMenu", " (taken by another program)")
        : QString();
    texts.shortcuts = {
        line(keyText(FixedHotKey::Tab), "Fast Tab") + stateNote(FixedHotKey::Tab),
        line(escape, "Minimize Current Window") + escapeNote,
        line(keyText(FixedHotKey::Autohide), "Show/Hide") + stateNote(FixedHotKey::Autohide),
        line(keyText(FixedHotKey::Pasteboard), "Clipboard") + stateNote(FixedHotKey::Pasteboard),
    };
    return texts;
}

QStringList takenKeysToMove()
{
    QStringList keys;
    for (const FixedHotKey key :
        { FixedHotKey::Tab, FixedHotKey::Pasteboard, FixedHotKey::Autohide, FixedHotKey::HideWindow }) {
        if (hotKeyRefused(key))
            keys << QCoreApplication::translate("HotKeys", "%1 (Settings > Shortcut > %2)")
                        .arg(keyTextOf(key, storedHotKeyOption(key)), hotKeyRowTitle(key));
    }
    return keys;
}
