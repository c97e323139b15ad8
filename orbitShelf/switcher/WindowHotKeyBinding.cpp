#include "switcher/WindowHotKeyBinding.h"

#include "app/AppState.h"
#include "apps/SupportFolder.h"
#include "apps/Windows.h"
#include "network/ServiceRequests.h"
#include "platform/HotKeys.h"
#include "switcher/Hotkey.h"

#include <QCoreApplication>

namespace {

void releaseKey(quint16 keyCode)
{
    const auto reference = switcherHotKeyRefs().constFind(keyCode);
    if (reference == switcherHotKeyRefs().constEnd())
        return;
    if (platform::HotKeys* hotKeys = platform::hotKeys())
        hotKeys->unregisterHotKey(*reference);
    switcherHotKeyRefs().remove(keyCode);
}

} // namespace

QString hotKeyChoiceLabel(const QString& choice)
{
    if (choice == QLatin1String("-"))
        return choice;
    if (choice == QLatin1String("disable"))
        return QStringLiteral("Disable");
    return QCoreApplication::translate("WindowHotKeyBinding", "Option %1")
        .arg(choice.left(1).toUpper() + choice.mid(1));
}

QString boundHotKeyOfWindow(quint32 windowNumber)
{
    const StringMap cache = AppState::shared().windowHotkeyCache();
    const QString number = QString::number(windowNumber);
    QString key;
    for (auto it = cache.constBegin(); it != cache.constEnd(); ++it) {
        if (it.value() == number)
            key = it.key();
    }
    return key;
}

std::optional<QString> bindWindowHotKey(std::optional<quint32> number, const QString& choice)
{
    if (!number)
        return std::nullopt;
    AppState& state = AppState::shared();
    StringMap cache = state.windowHotkeyCache();
    const QString oldKey = boundHotKeyOfWindow(*number);
    if (!oldKey.isEmpty()) {
        cache.remove(oldKey);
        state.setWindowHotkeyCache(cache);
        // A key no window holds would otherwise stay grabbed, swallowing
        // Alt+<key> in every other program.
        if (oldKey != choice) {
            if (const auto code = keyCodeForCharacter(oldKey))
                releaseKey(*code);
        }
    }
    if (choice == QLatin1String("disable"))
        return QString();
    const auto code = keyCodeForCharacter(choice);
    // H and P are the bar's and the clipboard window's keys.
    if (!code || !keyCodeCharacters().contains(*code))
        return boundHotKeyOfWindow(*number);
    releaseKey(*code);
    cache.insert(choice, QString::number(*number));
    state.setWindowHotkeyCache(cache);
    if (const auto reference = registerHotKey(*code, 0x80000))
        switcherHotKeyRefs().insert(*code, *reference);
    const QString current = boundHotKeyOfWindow(*number);
    trackFeature(QStringLiteral("Binding Hotkey-") + current);
    return current;
}

ShortcutRegisterView::ShortcutRegisterView(std::shared_ptr<Windows> window, QWidget* parent)
    : QComboBox(parent)
    , m_window(std::move(window))
{
    setToolTip(tr("Select Key"));
    for (const QString& key : hotKeyChoices())
        addItem(hotKeyChoiceLabel(key), key);
    const QString current = m_window && m_window->num ? boundHotKeyOfWindow(*m_window->num) : QString();
    setCurrentIndex(findData(current));
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_window)
            return;
        const auto bound = bindWindowHotKey(m_window->num, itemData(index).toString());
        if (bound) {
            QSignalBlocker block(this);
            setCurrentIndex(findData(*bound));
        }
    });
}
