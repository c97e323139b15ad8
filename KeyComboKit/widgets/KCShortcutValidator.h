#pragma once

// Decides whether a recorded shortcut may be used: its delegate first, then
// the shortcuts other programs hold (KCSystemShortcutSource), then a menu
// bar or menu with all its submenus. A refusal comes with an error whose
// texts name the shortcut and what already uses it. As a recorder control's
// delegate it refuses the shortcut while it is recorded and shows the error.
#include "KeyComboKit/KCShortcut.h"
#include "KeyComboKit/widgets/KCRecorderControl.h"

#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QWidget;
class KCShortcutValidator;

// Every callback is optional; a missing one takes the answer noted.
struct KCShortcutValidatorDelegate {
    // Wins over isKeyCodeAndFlagsTaken when both are set.
    std::function<bool(KCShortcutValidator*, const KCShortcutRef&, QString* reason)> isShortcutValid;
    // Missing (and isShortcutValid missing): the shortcut is valid.
    std::function<bool(KCShortcutValidator*, quint16 keyCode, quint64 flags, QString* reason)>
        isKeyCodeAndFlagsTaken;
    // Missing: yes.
    std::function<bool(KCShortcutValidator*)> shouldCheckSystemShortcuts;
    std::function<bool(KCShortcutValidator*)> shouldCheckMenu;
    std::function<bool(KCShortcutValidator*)> shouldUseASCIIStringForKeyCodes;
};

// A refusal, in the form the platform's errors take.
struct KCValidationError {
    QString domain = QStringLiteral("NSCocoaErrorDomain");
    int code = 0;
    QString failureReason; // short
    QString description; // long
};

class KCShortcutValidator {
public:
    KCShortcutValidator() = default;
    explicit KCShortcutValidator(const KCShortcutValidatorDelegate& delegate)
        : delegate(delegate)
    {
    }

    KCShortcutValidatorDelegate delegate;
    // Searched by validateShortcut; a QMenuBar or a QMenu, or none.
    QPointer<QWidget> menu;

    // Each returns whether the shortcut may be used; `error`, when given,
    // is filled on a refusal.
    bool validateShortcut(const KCShortcutRef& shortcut, KCValidationError* error = nullptr);
    bool validateShortcutAgainstDelegate(const KCShortcutRef& shortcut, KCValidationError* error = nullptr);
    bool validateShortcutAgainstSystemShortcuts(
        const KCShortcutRef& shortcut, KCValidationError* error = nullptr);
    // `menu` is a QMenuBar or a QMenu; submenus are searched before their
    // item's own shortcut.
    bool validateShortcutAgainstMenu(
        const KCShortcutRef& shortcut, const QWidget* menu, KCValidationError* error = nullptr);

    // Validates; a refusal is shown window-modal on the control's window
    // (application-modal when it has none).
    bool recorderControlCanRecordShortcut(KCRecorderControl* control, const KCShortcutRef& shortcut);
    // A recorder control delegate that asks this validator, which must
    // outlive the control's use of it.
    KCRecorderControlDelegate recorderControlDelegate();

private:
    QString readable(const KCShortcutRef& shortcut);
    KCValidationError makeError(const KCShortcutRef& shortcut, const QString& description);
};

// The item's titles from the top of its menus down, joined by " → ".
QString KC_path(const QAction* item);
// The key equivalent a menu item's first key combination stands for ("f",
// U+F704 for F1) with its modifier flags; an empty text for none.
QPair<QString, quint64> KCKeyEquivalentOfAction(const QAction* item);
