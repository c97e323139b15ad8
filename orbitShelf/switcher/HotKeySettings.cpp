#include "switcher/HotKeySettings.h"

#include "app/AppState.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "switcher/Hotkey.h"

#include <QCoreApplication>

namespace {

struct Row {
    quint16 keyCode;
    QMap<qint64, quint32>& (*refs)();
    bool withShift;
};

Row rowOf(FixedHotKey key)
{
    switch (key) {
    case FixedHotKey::Tab:
        return { platform::keycode::tab, &switcherHotKeyRefs, false };
    case FixedHotKey::Pasteboard:
        return { platform::keycode::p, &toolHotKeyRefs, false };
    case FixedHotKey::Autohide:
        return { platform::keycode::h, &toolHotKeyRefs, true };
    case FixedHotKey::HideWindow:
        break;
    }
    return { platform::keycode::w, &switcherHotKeyRefs, false };
}

QString tr(const char* text)
{
    return QCoreApplication::translate("ShortCutView", text);
}

} // namespace

QList<HotKeyChoice> hotKeyChoicesFor(FixedHotKey key)
{
    const QString none = tr("None");
    switch (key) {
    case FixedHotKey::Tab: {
        const QString tab = tr("Tab");
        return { { tr("Option + ") + tab, QStringLiteral("option") },
            { tr("Contrl + ") + tab, QStringLiteral("control") },
            { tr("Shift + ") + tab, QStringLiteral("shift") }, { none, QStringLiteral("alpha") } };
    }
    case FixedHotKey::Pasteboard:
        // Option is taken with Shift, as the keys are registered at start.
        return { { tr("Option + Shift + P"), QStringLiteral("option") },
            { tr("Command + P"), QStringLiteral("cmd") }, { tr("Contrl + P"), QStringLiteral("control") },
            { none, QStringLiteral("alpha") } };
    case FixedHotKey::Autohide:
        return { { tr("Option + Shift + H"), QStringLiteral("option") },
            { tr("Command + Shift + H"), QStringLiteral("cmd") },
            { tr("Contrl + Shift + H"), QStringLiteral("control") }, { none, QStringLiteral("alpha") } };
    case FixedHotKey::HideWindow:
        break;
    }
    return { { tr("Option + W"), QStringLiteral("option") }, { tr("Command + W"), QStringLiteral("cmd") },
        { tr("Contrl + W"), QStringLiteral("control") }, { none, QStringLiteral("alpha") } };
}

quint64 fixedHotKeyFlags(FixedHotKey key, const QString& option)
{
    const Row row = rowOf(key);
    if (key == FixedHotKey::Pasteboard && option == QLatin1String("option"))
        return optionFlags(option, true);
    return optionFlags(option, row.withShift);
}

bool hotKeyRefused(FixedHotKey key)
{
    const QString option = storedHotKeyOption(key);
    if (option == QLatin1String("alpha"))
        return false;
    return takenHotKeys().contains(hotKeyName(rowOf(key).keyCode, fixedHotKeyFlags(key, option)));
}

bool hotKeyWaitsForClipboardTool(FixedHotKey key)
{
    if (key != FixedHotKey::Pasteboard && key != FixedHotKey::Autohide)
        return false;
    return storedHotKeyOption(key) != QLatin1String("alpha") && !toolHotKeyRefs().contains(rowOf(key).keyCode)
        && !hotKeyRefused(key);
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
    const Row row = rowOf(key);
    QMap<qint64, quint32>& refs = row.refs();
    if (const auto held = refs.constFind(row.keyCode); held != refs.constEnd()) {
        if (platform::HotKeys* hotKeys = platform::hotKeys())
            hotKeys->unregisterHotKey(*held);
        refs.remove(row.keyCode);
    }
    // A key that was never registered is registered now too: the choice
    // would otherwise be stored and never take effect.
    if (option == QLatin1String("alpha"))
        return true;
    // W is held only while a window is bound to "w".
    if (key == FixedHotKey::HideWindow
        && !AppState::shared().windowHotkeyCache().contains(QStringLiteral("w")))
        return true;
    const auto reference = registerHotKey(row.keyCode, fixedHotKeyFlags(key, option));
    if (!reference)
        return false;
    refs.insert(row.keyCode, *reference);
    return true;
}

namespace {

QString symbolsOf(quint64 flags)
{
    QString text;
    if (flags & platform::appkit::control)
        text += QStringLiteral("\u2303 + ");
    if (flags & platform::appkit::option)
        text += QStringLiteral("\u2325 + ");
    if (flags & platform::appkit::shift)
        text += QStringLiteral("\u21E7 + ");
    if (flags & platform::appkit::command)
        text += QStringLiteral("\u2318 + ");
    return text;
}

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
    const auto keyText = [](FixedHotKey key) {
        const QString option = storedHotKeyOption(key);
        return symbolsOf(
            fixedHotKeyFlags(key, option == QLatin1String("alpha") ? QStringLiteral("option") : option));
    };
    HotKeyMenuTexts texts;
    texts.autoHide = QStringLiteral(" ") + keyText(FixedHotKey::Autohide) + QStringLiteral("H")
        + stateNote(FixedHotKey::Autohide);
    const QString escape = hotKeyName(platform::keycode::escape, platform::appkit::option);
    const QString escapeNote = takenHotKeys().contains(escape)
        ? QCoreApplication::translate("HotKeyMenu", " (taken by another program)")
        : QString();
    texts.shortcuts = {
        keyText(FixedHotKey::Tab) + QStringLiteral("tab   (Fast Tab)") + stateNote(FixedHotKey::Tab),
        QStringLiteral("\u2325 + Escape     (Minimized Current Window) ") + escapeNote,
        keyText(FixedHotKey::Autohide) + QStringLiteral("H (Show/Hide)") + stateNote(FixedHotKey::Autohide),
        keyText(FixedHotKey::Pasteboard) + QStringLiteral("P (Pasteboard)")
            + stateNote(FixedHotKey::Pasteboard),
    };
    return texts;
}
