#include "switcher/WindowHotKeyBinding.h"

#include "state/AppState.h"
#include "apps/SupportFolder.h"
#include "apps/Windows.h"
#include "network/ServiceRequests.h"
#include "platform/HotKeys.h"
#include "switcher/Hotkey.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcBinding, "orbitshelf.switcher.binding")

QString hotKeyChoiceLabel(const QString& choice)
{
    if (choice == QLatin1String("-"))
        return choice;
    if (choice == QLatin1String("disable"))
        return QStringLiteral("Disable");
    const QString text = windowHotKeyText(choice, AppState::shared().settings.shortcutOptionForHideWindow());
    return text.isEmpty() ? choice : text;
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

namespace {

QString rebindWindowHotKey(quint32 number, const QString& choice)
{
    AppState& state = AppState::shared();
    StringMap cache = state.windowHotkeyCache();
    const QString oldKey = boundHotKeyOfWindow(number);
    if (!oldKey.isEmpty()) {
        cache.remove(oldKey);
        state.setWindowHotkeyCache(cache);
        setWindowHotKeyOwner(oldKey, QString());
        // A key no window holds would otherwise stay grabbed, swallowing
        // Alt+<key> in every other program.
        if (oldKey != choice) {
            if (const auto code = keyCodeForCharacter(oldKey))
                releaseSwitcherKey(*code);
        }
    }
    if (choice == QLatin1String("disable"))
        return QString();
    const auto code = keyCodeForCharacter(choice);
    // H and P are the bar's and the clipboard window's keys.
    if (!code || !keyCodeCharacters().contains(*code))
        return boundHotKeyOfWindow(number);
    releaseSwitcherKey(*code);
    cache.insert(choice, QString::number(number));
    state.setWindowHotkeyCache(cache);
    // The number alone would follow the id to whatever window the X server
    // gives it next.
    setWindowHotKeyOwner(choice, windowHotKeyOwner(number));
    // W carries the modifier its settings row chose; the others Option.
    if (const auto flags = windowKeyFlags(*code))
        if (const auto reference = registerHotKey(*code, *flags))
            switcherHotKeyRefs().insert(*code, *reference);
    const QString current = boundHotKeyOfWindow(number);
    trackFeature(QStringLiteral("Binding Hotkey-") + current);
    return current;
}

} // namespace

std::optional<QString> bindWindowHotKey(std::optional<quint32> number, const QString& choice)
{
    if (!number)
        return std::nullopt;
    AppState& state = AppState::shared();
    const StringMap before = state.windowHotkeyCache();
    const QString bound = rebindWindowHotKey(*number, choice);
    // The bar draws its buttons' keys from the bindings: it shows a change
    // at once, not only at the next change of something else (the focus
    // going back to a window that had it before the editor opened).
    if (state.windowHotkeyCache() != before)
        state.publish();
    return bound;
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
    view()->installEventFilter(this);
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

void ShortcutRegisterView::showEvent(QShowEvent* event)
{
    QComboBox::showEvent(event);
    // In its window: the window manager places the window after this.
    const QRect at(mapTo(window(), QPoint(0, 0)), size());
    qCDebug(lcBinding).noquote() << QStringLiteral("hot key picker in its window at %1,%2 %3x%4")
                                        .arg(at.x())
                                        .arg(at.y())
                                        .arg(at.width())
                                        .arg(at.height());
}

int ShortcutRegisterView::choiceTyped(const QKeyEvent& event) const
{
    if (event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return -1;
    const QString text = event.text().toLower();
    return text.size() == 1 && text != QLatin1String("-") ? findData(text) : -1;
}

void ShortcutRegisterView::keyPressEvent(QKeyEvent* event)
{
    const int index = choiceTyped(*event);
    if (index < 0) {
        QComboBox::keyPressEvent(event);
        return;
    }
    if (index != currentIndex()) {
        setCurrentIndex(index);
        emit activated(index);
    }
}

bool ShortcutRegisterView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view() && event->type() == QEvent::KeyPress) {
        const int index = choiceTyped(*static_cast<QKeyEvent*>(event));
        if (index >= 0) {
            view()->setCurrentIndex(model()->index(index, modelColumn()));
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void ShortcutRegisterView::showPopup()
{
    QComboBox::showPopup();
    qCDebug(lcBinding) << "hot key picker opened";
}
