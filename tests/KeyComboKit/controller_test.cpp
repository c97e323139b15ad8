#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/widgets/KCRecorderControl.h"
#include "KeyComboKit/widgets/KCShortcutController.h"
#include "tests/KeyComboKit/KitFixture.h"

#include <QApplication>

namespace {

using kctest::keyK;
using kctest::keyY;

class Preferences final : public KCObservable { };

class Target final : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE bool performShortcutAction(KCShortcutAction*) { return ++performed, true; }
    int performed = 0;
};

using Controller = kctest::FakeLayouts;

int monitorHolds(const KCShortcutActionRef& action)
{
    return int(KCGlobalShortcutMonitor::sharedMonitor().actions().count(action));
}

} // namespace

TEST_F(Controller, ValuesFollowTheContentAndTheLayout)
{
    KCShortcutController empty;
    for (const char* key :
        { "selection.keyEquivalent", "literalKeyCode", "selection.symbolicModifierFlags" }) {
        SCOPED_TRACE(key);
        const QVariant value = empty.valueForKey(QString::fromLatin1(key));
        ASSERT_TRUE(KCShortcutController::isMarker(value));
        EXPECT_EQ(value.value<KCShortcutController::Marker>(), KCShortcutController::noSelection);
    }
    EXPECT_FALSE(empty.isObservingKeyboardLayout());
    EXPECT_THROW(
        {
            try {
                empty.newObject();
            } catch (const KCInternalInconsistencyException& e) {
                EXPECT_EQ(e.reason(), "newObject is not implemented");
                throw;
            }
        },
        KCInternalInconsistencyException);

    KCShortcutController controller(KCShortcut::shortcutWithCode(keyY, kc::command | kc::shift));
    EXPECT_TRUE(controller.isObservingKeyboardLayout());
    EXPECT_EQ(controller.valueForKey("selection.keyEquivalent").toString(), "y");
    EXPECT_EQ(controller.valueForKey("keyEquivalentModifierMask").toULongLong(), kc::command | kc::shift);
    EXPECT_EQ(controller.valueForKey("selection.literalKeyCode").toString(), "Y");
    EXPECT_EQ(controller.valueForKey("literalASCIIKeyCode").toString(), "Y");
    EXPECT_EQ(controller.valueForKey("selection.symbolicKeyCode").toString(), "y");
    EXPECT_EQ(controller.valueForKey("literalModifierFlags").toString(), "Shift-Command");
    EXPECT_EQ(controller.valueForKey("selection.symbolicModifierFlags").toString(), "⇧⌘");

    QStringList notices;
    for (const char* key :
        { "selection.keyEquivalent", "selection.keyEquivalentModifierMask", "selection.literalKeyCode",
            "selection.symbolicKeyCode", "selection.literalASCIIKeyCode", "selection.symbolicASCIIKeyCode",
            "selection.literalModifierFlags", "selection.symbolicModifierFlags" })
        controller.addObserver(
            QString::fromLatin1(key), KCObservable::optionPrior, [&](const KCChange& change) {
                notices.append((change.isPrior ? "will " : "did ") + change.key);
            });
    ASSERT_TRUE(source.select(QStringLiteral("de")));
    EXPECT_EQ(notices,
        QStringList({ "will selection.keyEquivalent", "will selection.literalKeyCode",
            "will selection.symbolicKeyCode", "will selection.literalASCIIKeyCode",
            "will selection.symbolicASCIIKeyCode", "did selection.symbolicASCIIKeyCode",
            "did selection.literalASCIIKeyCode", "did selection.symbolicKeyCode",
            "did selection.literalKeyCode", "did selection.keyEquivalent" }));
    EXPECT_EQ(controller.valueForKey("literalASCIIKeyCode").toString(), "Z");
    EXPECT_EQ(controller.valueForKey("literalKeyCode").toString(), "Z");

    // Without content it stops listening and shows the marker again.
    controller.setContent(nullptr);
    EXPECT_FALSE(controller.isObservingKeyboardLayout());
    EXPECT_TRUE(KCShortcutController::isMarker(controller.valueForKey("literalKeyCode")));
    notices.clear();
    ASSERT_TRUE(source.select(QStringLiteral("us")));
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(Controller, TargetsShareOneSystemWideAction)
{
    Target first, second;
    KCShortcutAction* action = nullptr;
    // Outside the controller's scope: it tells its observers as it goes.
    int targetNotices = 0;
    {
        KCShortcutController controller(KCShortcut::shortcutWithCode(keyK, kc::command | kc::option));
        controller.setIdentifier(QStringLiteral("open-notes"));
        controller.addObserver(
            QStringLiteral("shortcutActionTarget"), 0, [&](const KCChange&) { ++targetNotices; });

        controller.setShortcutActionTarget(&first);
        controller.setShortcutActionTarget(&first);
        const KCShortcutActionRef kept = controller.shortcutAction();
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(targetNotices, 1);
        EXPECT_EQ(monitorHolds(kept), 1);
        EXPECT_EQ(kept->identifier(), "open-notes");
        ASSERT_NE(kept->shortcut(), nullptr);
        EXPECT_EQ(kept->shortcut()->keyCode(), keyK);
        // The action follows the content.
        controller.setContent(KCShortcut::shortcutWithCode(keyY, kc::command));
        EXPECT_EQ(kept->shortcut()->keyCode(), keyY);
        EXPECT_TRUE(kept->performActionOnTarget());
        EXPECT_EQ(first.performed, 1);

        controller.setShortcutActionTarget(&second);
        EXPECT_EQ(controller.shortcutAction(), kept);
        EXPECT_EQ(controller.shortcutActionTarget(), &second);
        EXPECT_EQ(monitorHolds(kept), 1);

        controller.setShortcutActionTarget(nullptr);
        EXPECT_EQ(controller.shortcutAction(), nullptr);
        EXPECT_EQ(monitorHolds(kept), 0);
        EXPECT_EQ(targetNotices, 3);

        controller.setShortcutActionTarget(&first);
        action = controller.shortcutAction().get();
    }
    // Gone with its controller, which says so.
    EXPECT_EQ(targetNotices, 5);
    for (const auto& a : KCGlobalShortcutMonitor::sharedMonitor().actions())
        EXPECT_NE(a.get(), action);

    // A target that goes away takes the action with it.
    KCShortcutController controller(KCShortcut::shortcutWithCode(keyK, kc::command));
    auto target = std::make_unique<Target>();
    controller.setShortcutActionTarget(target.get());
    const KCShortcutActionRef kept = controller.shortcutAction();
    target.reset();
    EXPECT_EQ(controller.shortcutAction(), nullptr);
    EXPECT_EQ(monitorHolds(kept), 0);
}

TEST_F(Controller, ARecorderControlWritesWhereTheContentComesFrom)
{
    Preferences preferences;
    preferences.setProperty("notes", QVariant::fromValue(KCShortcut::shortcutWithCode(keyK, kc::command)));
    KCShortcutController controller;
    controller.bindContent(&preferences, QStringLiteral("notes"));
    EXPECT_EQ(controller.valueForKey("literalKeyCode").toString(), "K");

    QWidget window;
    auto* control = new KCRecorderControl(&window);
    controller.setRecorderControl(control);
    EXPECT_EQ(control->stringValue(), "⌘K");
    window.show();
    QApplication::setActiveWindow(&window);
    control->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(control->beginRecording());
    KCKeyEvent y;
    y.keyCode = keyY;
    y.modifierFlags = kc::command | kc::shift;
    control->performKeyEquivalent(y);
    const auto stored = KCShortcutFromVariant(preferences.property("notes"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->keyCode(), keyY);
    EXPECT_EQ(controller.valueForKey("selection.symbolicModifierFlags").toString(), "⇧⌘");
    EXPECT_EQ(controller.valueForKey("literalKeyCode").toString(), "Y");

    // Another control takes over; the first is let go.
    auto* other = new KCRecorderControl(&window);
    controller.setRecorderControl(other);
    preferences.willChangeValueForKey("notes");
    preferences.setProperty("notes", QVariant::fromValue(KCShortcut::shortcutWithCode(keyK, kc::option)));
    preferences.didChangeValueForKey("notes");
    EXPECT_EQ(other->stringValue(), "⌥K");
    EXPECT_EQ(control->stringValue(), "⇧⌘Y");
}

#include "controller_test.moc"
