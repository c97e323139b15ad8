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
        return { { tr("Option + P"), QStringLiteral("option") }, { tr("Command + P"), QStringLiteral("cmd") },
            { tr("Contrl + P"), QStringLiteral("control") }, { none, QStringLiteral("alpha") } };
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
    const auto reference = registerHotKey(row.keyCode, optionFlags(option, row.withShift));
    if (!reference)
        return false;
    refs.insert(row.keyCode, *reference);
    return true;
}
