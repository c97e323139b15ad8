#include "KeyComboKit/fake/KCFakeSystemShortcutSource.h"
#include "KeyComboKit/widgets/KCRecorderControl.h"
#include "KeyComboKit/widgets/KCShortcutValidator.h"
#include "tests/KeyComboKit/KitFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace {

using kctest::keyA;
using kctest::keyF;
using kctest::keyG;
using kctest::keyT;
const quint64 commandShift = kc::command | kc::shift;

class Validator : public kctest::FakeLayouts {
protected:
    void SetUp() override
    {
        FakeLayouts::SetUp();
        KCSetSystemShortcutSource(&system);
    }
    void TearDown() override
    {
        KCSetSystemShortcutSource(nullptr);
        FakeLayouts::TearDown();
    }
    KCFakeSystemShortcutSource system;
};

// Edit → Find → Find Next (Ctrl+G), Edit → Find (its own Ctrl+F), and a
// top-level item without a title (Ctrl+T).
struct Menus {
    Menus()
    {
        QMenu* edit = bar.addMenu(QStringLiteral("&Edit"));
        QMenu* find = edit->addMenu(QStringLiteral("Find"));
        find->menuAction()->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
        find->addAction(QStringLiteral("Find &Next"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
        // The same key inside the submenu: found there first.
        find->addAction(QStringLiteral("Find Again"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
        untitled = bar.addAction(QString());
        untitled->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    }
    QMenuBar bar;
    QAction* untitled;
};

} // namespace

TEST_F(Validator, DelegateAnswersAndTheirTexts)
{
    const auto shortcut = KCShortcut::shortcutWithCode(keyA, commandShift);
    const QString readable = shortcut->readableStringRepresentation(true);
    EXPECT_EQ(readable, "Command-Shift-A");

    KCShortcutValidator plain;
    KCValidationError error;
    EXPECT_TRUE(plain.validateShortcut(shortcut, &error));
    EXPECT_TRUE(error.description.isEmpty());

    int validAsked = 0, takenAsked = 0;
    KCShortcutValidatorDelegate both;
    both.isShortcutValid = [&](KCShortcutValidator*, const KCShortcutRef&, QString* reason) {
        ++validAsked;
        *reason = QStringLiteral("it opens the clipboard");
        return false;
    };
    both.isKeyCodeAndFlagsTaken = [&](KCShortcutValidator*, quint16, quint64, QString*) {
        ++takenAsked;
        return false;
    };
    KCShortcutValidator asksBoth(both);
    EXPECT_FALSE(asksBoth.validateShortcut(shortcut, &error));
    EXPECT_EQ(validAsked, 1);
    EXPECT_EQ(takenAsked, 0);
    EXPECT_EQ(error.domain, "NSCocoaErrorDomain");
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(error.failureReason, "The \"" + readable + "\" shortcut can't be used!");
    EXPECT_EQ(
        error.description, "The \"" + readable + "\" shortcut can't be used because it opens the clipboard.");

    KCShortcutValidatorDelegate taken;
    taken.isKeyCodeAndFlagsTaken = [&](KCShortcutValidator*, quint16 code, quint64 flags, QString*) {
        return code == keyA && flags == commandShift;
    };
    KCShortcutValidator asksTaken(taken);
    EXPECT_FALSE(asksTaken.validateShortcut(shortcut, &error));
    EXPECT_EQ(error.description, "The \"" + readable + "\" shortcut is already in use.");
    EXPECT_TRUE(asksTaken.validateShortcut(KCShortcut::shortcutWithCode(keyA, kc::command), &error));
    // Without an error to fill, the same answers.
    EXPECT_FALSE(asksTaken.validateShortcut(shortcut));
    EXPECT_FALSE(asksBoth.validateShortcut(shortcut));

    // The readable text follows the delegate's choice of layout.
    ASSERT_TRUE(source.select(QStringLiteral("de")));
    taken.shouldUseASCIIStringForKeyCodes = [](KCShortcutValidator*) { return false; };
    KCShortcutValidator local(taken);
    const auto y = KCShortcut::shortcutWithCode(16, commandShift);
    local.delegate.isKeyCodeAndFlagsTaken
        = [](KCShortcutValidator*, quint16, quint64, QString*) { return true; };
    EXPECT_FALSE(local.validateShortcut(y, &error));
    EXPECT_EQ(error.failureReason,
        "The \"" + y->readableStringRepresentation(false) + "\" shortcut can't be used!");
    EXPECT_TRUE(error.failureReason.contains("Z"));
}

TEST_F(Validator, OtherProgramsShortcuts)
{
    const auto t = KCShortcut::shortcutWithCode(keyT, kc::command | kc::option);
    system.taken = { { keyT, kc::command | kc::option } };
    KCShortcutValidator validator;
    KCValidationError error;
    EXPECT_FALSE(validator.validateShortcut(t, &error));
    const QString readable = t->readableStringRepresentation(true);
    EXPECT_EQ(error.failureReason, "The \"" + readable + "\" shortcut can't be used!");
    // The English table sends the user to the desktop's settings.
    EXPECT_EQ(error.description,
        "The \"" + readable
            + "\" shortcut can't be used because it's already used by a system-wide keyboard shortcut. If "
              "you really want to use this shortcut, most shortcuts can be changed in your desktop's "
              "keyboard settings.");
    EXPECT_FALSE(validator.validateShortcutAgainstSystemShortcuts(t));

    // An extra modifier is another combination.
    EXPECT_TRUE(
        validator.validateShortcut(KCShortcut::shortcutWithCode(keyT, kc::command | kc::option | kc::shift)));

    // Asked not to look, the validator does not ask.
    KCShortcutValidatorDelegate skip;
    skip.shouldCheckSystemShortcuts = [](KCShortcutValidator*) { return false; };
    const int asked = system.questions;
    EXPECT_TRUE(KCShortcutValidator(skip).validateShortcut(t));
    EXPECT_EQ(system.questions, asked);
}

TEST_F(Validator, UnreadableSystemShortcutsAreSkippedNotRefused)
{
    kctest::LogCapture log;
    system.status = 2;
    system.taken = { { keyT, kc::command } };
    KCShortcutValidator validator;
    KCValidationError error;
    EXPECT_TRUE(validator.validateShortcut(KCShortcut::shortcutWithCode(keyT, kc::command), &error));
    EXPECT_EQ(log.count("#Error Unable to read System Shortcuts: 2"), 1);
    KCSetSystemShortcutSource(nullptr);
    EXPECT_TRUE(validator.validateShortcut(KCShortcut::shortcutWithCode(keyT, kc::command), &error));
    EXPECT_EQ(log.count("#Error Unable to read System Shortcuts: -1"), 1);
}

TEST_F(Validator, MenuItemsAndTheirPaths)
{
    Menus menus;
    KCShortcutValidator validator;
    validator.menu = &menus.bar;
    KCValidationError error;

    const auto g = KCShortcut::shortcutWithCode(keyG, kc::command);
    EXPECT_FALSE(validator.validateShortcut(g, &error));
    EXPECT_EQ(error.description,
        "The \"Command-G\" shortcut can't be used because it's already used by the \"Edit → Find → Find "
        "Next\" "
        "menu item.");
    // The submenu is searched before the item that opens it.
    EXPECT_FALSE(validator.validateShortcut(KCShortcut::shortcutWithCode(keyF, kc::command), &error));
    EXPECT_EQ(error.description,
        "The \"Command-F\" shortcut can't be used because it's already used by the \"Edit → Find → Find "
        "Again\" "
        "menu item.");

    EXPECT_EQ(KC_path(menus.untitled), " → ");
    EXPECT_FALSE(validator.validateShortcut(KCShortcut::shortcutWithCode(keyT, kc::command), &error));
    EXPECT_EQ(error.description,
        "The \"Command-T\" shortcut can't be used because it's already used by the \" → \" menu item.");

    // Another modifier, or no menu check at all: valid.
    EXPECT_TRUE(validator.validateShortcut(KCShortcut::shortcutWithCode(keyG, commandShift)));
    KCShortcutValidatorDelegate noMenu;
    noMenu.shouldCheckMenu = [](KCShortcutValidator*) { return false; };
    validator.delegate = noMenu;
    EXPECT_TRUE(validator.validateShortcut(g, &error));
    EXPECT_TRUE(validator.validateShortcut(g));
}

TEST_F(Validator, MenuKeyEquivalentsOfSpecialKeys)
{
    QMenu menu;
    const struct {
        const char* sequence;
        quint16 keyCode;
        quint64 flags;
    } rows[] = {
        { "Ctrl+F5", 96, kc::command },
        { "Alt+Return", 36, kc::option },
        { "Meta+Left", 123, kc::control },
        { "Ctrl+Shift+Tab", 48, commandShift },
        { "Ctrl+Space", 49, kc::command },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sequence);
        menu.clear();
        menu.addAction(QStringLiteral("Item"))->setShortcut(QKeySequence(QString::fromLatin1(row.sequence)));
        KCShortcutValidator validator;
        EXPECT_FALSE(validator.validateShortcutAgainstMenu(
            KCShortcut::shortcutWithCode(row.keyCode, row.flags), &menu));
        EXPECT_TRUE(validator.validateShortcutAgainstMenu(
            KCShortcut::shortcutWithCode(row.keyCode, row.flags ^ kc::option), &menu));
    }
}

TEST_F(Validator, ARecorderControlShowsTheRefusal)
{
    system.taken = { { keyT, kc::command | kc::option } };
    KCShortcutValidator validator;
    QWidget window;
    auto* control = new KCRecorderControl(&window);
    control->setDelegate(validator.recorderControlDelegate());
    window.show();
    QApplication::setActiveWindow(&window);
    control->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(control->beginRecording());
    KCKeyEvent t;
    t.keyCode = keyT;
    t.modifierFlags = kc::command | kc::option;
    control->performKeyEquivalent(t);
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(control->shortcut(), nullptr);
    auto* box = window.findChild<QMessageBox*>(QStringLiteral("KCShortcutValidatorError"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(box->text().startsWith(
        "The \"Command-Option-T\" shortcut can't be used because it's already used by a system-wide"));
    box->close();

    // A free one ends recording with no message.
    t.keyCode = keyA;
    control->performKeyEquivalent(t);
    EXPECT_FALSE(control->isRecording());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<QMessageBox*>(QStringLiteral("KCShortcutValidatorError")), nullptr);
}
