#include "KeyComboKit/widgets/KCShortcutValidator.h"

#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCQtKeyEvent.h"
#include "KeyComboKit/KCSystemShortcutSource.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace {

const QString pathSeparator = QStringLiteral(" → ");

// The localized text with each "%@" filled in turn.
QString localized(const char* text, const QStringList& values)
{
    QString result = KCLocalizedString(QString::fromUtf8(text));
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype at = result.indexOf(u"%@", from);
        if (at < 0)
            break;
        result.replace(at, 2, value);
        from = at + value.size();
    }
    return result;
}

// A title without its mnemonic marks: "&Edit" is "Edit", "&&" one "&".
QString plainTitle(const QString& text)
{
    QString title;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (i + 1 < text.size() && text.at(i + 1) == u'&')
                title += u'&', ++i;
            continue;
        }
        title += text.at(i);
    }
    return title;
}

// The item that opens the menu `item` sits in; none at the top.
const QAction* parentItem(const QAction* item)
{
    for (QObject* holder : item->associatedObjects())
        if (const auto* menu = qobject_cast<const QMenu*>(holder))
            if (const QAction* opener = menu->menuAction();
                opener && opener != item && !opener->associatedObjects().isEmpty())
                return opener;
    return nullptr;
}

// The key-equivalent character of a Qt key that is no printable character.
QChar specialKeyEquivalent(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(0x0D);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(0x09);
    case Qt::Key_Backspace:
        return QChar(0x08);
    case Qt::Key_Escape:
        return QChar(0x1B);
    case Qt::Key_Delete:
        return QChar(0x7F);
    case Qt::Key_Up:
        return QChar(0xF700);
    case Qt::Key_Down:
        return QChar(0xF701);
    case Qt::Key_Left:
        return QChar(0xF702);
    case Qt::Key_Right:
        return QChar(0xF703);
    case Qt::Key_Home:
        return QChar(0xF729);
    case Qt::Key_End:
        return QChar(0xF72B);
    case Qt::Key_PageUp:
        return QChar(0xF72C);
    case Qt::Key_PageDown:
        return QChar(0xF72D);
    case Qt::Key_Help:
        return QChar(0xF746);
    case Qt::Key_Clear:
        return QChar(0xF739);
    default:
        if (key >= Qt::Key_F1 && key <= Qt::Key_F20)
            return QChar(char16_t(0xF704 + (key - Qt::Key_F1)));
        return {};
    }
}

} // namespace

QString KC_path(const QAction* item)
{
    QList<const QAction*> items;
    for (const QAction* i = item; i && items.size() < 1000; i = parentItem(i))
        items.prepend(i);
    QString path;
    for (const QAction* i : std::as_const(items))
        path += plainTitle(i->text()) + pathSeparator;
    if (path.size() > pathSeparator.size())
        path.chop(pathSeparator.size());
    return path;
}

QPair<QString, quint64> KCKeyEquivalentOfAction(const QAction* item)
{
    const QKeySequence sequence = item->shortcut();
    if (sequence.isEmpty())
        return {};
    const QKeyCombination combination = sequence[0];
    const int key = combination.key();
    const quint64 flags = KCModifierFlagsFromQt(combination.keyboardModifiers());
    if (const QChar special = specialKeyEquivalent(key); !special.isNull())
        return { QString(special), flags };
    if (key <= 0 || key > 0xFFFF || key == Qt::Key_unknown)
        return {};
    return { QString(QChar(char16_t(key))).toLower(), flags };
}

QString KCShortcutValidator::readable(const KCShortcutRef& shortcut)
{
    const bool ascii
        = !delegate.shouldUseASCIIStringForKeyCodes || delegate.shouldUseASCIIStringForKeyCodes(this);
    return shortcut->readableStringRepresentation(ascii);
}

KCValidationError KCShortcutValidator::makeError(const KCShortcutRef& shortcut, const QString& description)
{
    KCValidationError error;
    error.failureReason = localized("The \"%@\" shortcut can't be used!", { readable(shortcut) });
    error.description = description;
    return error;
}

bool KCShortcutValidator::validateShortcut(const KCShortcutRef& shortcut, KCValidationError* error)
{
    KCActivity activity("-[KCShortcutValidator validateShortcut:error:]");
    if (!validateShortcutAgainstDelegate(shortcut, error))
        return false;
    if ((!delegate.shouldCheckSystemShortcuts || delegate.shouldCheckSystemShortcuts(this))
        && !validateShortcutAgainstSystemShortcuts(shortcut, error))
        return false;
    if (delegate.shouldCheckMenu && !delegate.shouldCheckMenu(this))
        return true;
    if (menu && !validateShortcutAgainstMenu(shortcut, menu, error))
        return false;
    return true;
}

bool KCShortcutValidator::validateShortcutAgainstDelegate(
    const KCShortcutRef& shortcut, KCValidationError* error)
{
    KCActivity activity("-[KCShortcutValidator validateShortcutAgainstDelegate:error:]");
    QString reason;
    bool valid = true;
    if (delegate.isShortcutValid)
        valid = delegate.isShortcutValid(this, shortcut, &reason);
    else if (delegate.isKeyCodeAndFlagsTaken)
        valid
            = !delegate.isKeyCodeAndFlagsTaken(this, shortcut->keyCode(), shortcut->modifierFlags(), &reason);
    if (valid)
        return true;
    if (error) {
        const QString text = reason.isEmpty()
            ? localized("The \"%@\" shortcut is already in use.", { readable(shortcut) })
            : localized("The \"%@\" shortcut can't be used because %@.", { readable(shortcut), reason });
        *error = makeError(shortcut, text);
    }
    return false;
}

bool KCShortcutValidator::validateShortcutAgainstSystemShortcuts(
    const KCShortcutRef& shortcut, KCValidationError* error)
{
    KCActivity activity("-[KCShortcutValidator validateShortcutAgainstSystemShortcuts:error:]");
    KCSystemShortcutSource* source = KCCurrentSystemShortcutSource();
    bool taken = false;
    const qint32 status = source ? source->isShortcutTaken(*shortcut, &taken) : kcNoSystemShortcutSource;
    if (status) {
        // What other programs hold can't be known; refusing every shortcut
        // for it would leave the user nothing to record.
        qCWarning(lcKeyComboKit).noquote()
            << QStringLiteral("#Error Unable to read System Shortcuts: %1").arg(status);
        return true;
    }
    if (!taken)
        return true;
    if (error)
        *error = makeError(shortcut,
            localized(
                "The \"%@\" shortcut can't be used because it's already used by a system-wide keyboard "
                "shortcut. If you really want to use this shortcut, most shortcuts can be changed in the "
                "Keyboard panel in System Preferences.",
                { readable(shortcut) }));
    return false;
}

bool KCShortcutValidator::validateShortcutAgainstMenu(
    const KCShortcutRef& shortcut, const QWidget* menu, KCValidationError* error)
{
    KCActivity activity("-[KCShortcutValidator validateShortcut:againstMenu:error:]");
    if (!menu)
        return true;
    for (const QAction* item : menu->actions()) {
        if (const QMenu* submenu = item->menu(); submenu && submenu != menu)
            if (!validateShortcutAgainstMenu(shortcut, submenu, error))
                return false;
        const auto [keyEquivalent, flags] = KCKeyEquivalentOfAction(item);
        if (keyEquivalent.isEmpty() || !shortcut->isEqualToKeyEquivalent(keyEquivalent, flags))
            continue;
        if (error)
            *error = makeError(shortcut,
                localized(
                    "The \"%@\" shortcut can't be used because it's already used by the \"%@\" menu item.",
                    { readable(shortcut), KC_path(item) }));
        return false;
    }
    return true;
}

bool KCShortcutValidator::recorderControlCanRecordShortcut(
    KCRecorderControl* control, const KCShortcutRef& shortcut)
{
    KCValidationError error;
    const bool valid = validateShortcut(shortcut, &error);
    // A refusal always comes with its texts; nothing else is shown.
    if (valid || error.failureReason.isEmpty())
        return valid;
    QWidget* window = control ? control->window() : nullptr;
    const bool inWindow = window && window != control && window->isVisible();
    auto* box = new QMessageBox(QMessageBox::Warning, error.failureReason, error.description, QMessageBox::Ok,
        inWindow ? window : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(inWindow ? Qt::WindowModal : Qt::ApplicationModal);
    box->setObjectName(QStringLiteral("KCShortcutValidatorError"));
    box->open();
    return false;
}

KCRecorderControlDelegate KCShortcutValidator::recorderControlDelegate()
{
    KCRecorderControlDelegate d;
    d.canRecordShortcut = [this](KCRecorderControl* control, const KCShortcutRef& shortcut) {
        return recorderControlCanRecordShortcut(control, shortcut);
    };
    return d;
}
