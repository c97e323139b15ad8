// The in-application monitor and its standard sets, with the user's text
// key bindings.
#include "tests/KeyComboKit/KitFixture.h"

#include "KeyComboKit/KCLocalShortcutMonitor.h"

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

using kctest::LogCapture;

namespace {

class Editor : public QObject {
    Q_OBJECT
public:
    QStringList calls;
    Q_INVOKABLE void moveForward(KCShortcutAction*) { calls << "moveForward"; }
    Q_INVOKABLE void moveRight(KCShortcutAction*) { calls << "moveRight"; }
    Q_INVOKABLE void selectAll(KCShortcutAction*) { calls << "selectAll"; }
    Q_INVOKABLE void first(KCShortcutAction*) { calls << "first"; }
    Q_INVOKABLE bool second(KCShortcutAction*) { return calls << "second", false; }
};

KCKeyEvent key(quint16 keyCode, quint64 flags, quint32 type = KCKeyEvent::keyDown)
{
    KCKeyEvent e;
    e.type = type;
    e.keyCode = keyCode;
    e.modifierFlags = flags;
    return e;
}

class LocalMonitor : public kctest::FakeLayouts {
protected:
    void SetUp() override
    {
        FakeLayouts::SetUp();
        KCLocalShortcutMonitor::setUserKeyBindingsPath(dir.filePath("DefaultKeyBinding.json"));
    }
    void TearDown() override
    {
        KCLocalShortcutMonitor::setUserKeyBindingsPath(QString());
        FakeLayouts::TearDown();
    }
    void writeBindings(const QByteArray& json)
    {
        QFile file(dir.filePath("DefaultKeyBinding.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }
    QTemporaryDir dir;
    Editor editor;
};

} // namespace

TEST_F(LocalMonitor, StandardSetsHaveEveryRow)
{
    LogCapture log;
    EXPECT_EQ(KCLocalShortcutMonitor::standardShortcuts()->actions().size(), 61);
    EXPECT_EQ(log.count("#Error unable to read system key bindings"), 1);
    EXPECT_EQ(log.countStartingWith("#Error unable to read user key bindings"), 1);
    EXPECT_EQ(KCLocalShortcutMonitor::mainMenuShortcuts()->actions().size(), 47);
    EXPECT_EQ(KCLocalShortcutMonitor::clipboardShortcuts()->actions().size(), 6);
    EXPECT_EQ(KCLocalShortcutMonitor::windowShortcuts()->actions().size(), 3);
    EXPECT_EQ(KCLocalShortcutMonitor::documentShortcuts()->actions().size(), 7);
    EXPECT_EQ(KCLocalShortcutMonitor::appShortcuts()->actions().size(), 3);

    const auto standard = KCLocalShortcutMonitor::standardShortcuts();
    EXPECT_TRUE(standard->handleEvent(key(3, kc::control), &editor));
    EXPECT_TRUE(standard->handleEvent(key(124, 0), &editor));
    EXPECT_TRUE(standard->handleEvent(key(0, kc::command), &editor));
    EXPECT_FALSE(standard->handleEvent(key(3, kc::control, KCKeyEvent::keyUp), &editor)); // key-down only
    EXPECT_EQ(editor.calls, QStringList({ "moveForward", "moveRight", "selectAll" }));
    // Document set: Shift-Command-S duplicates.
    const auto document = KCLocalShortcutMonitor::documentShortcuts();
    const auto duplicate = document->enabledActionsForShortcut(
        KCShortcut::shortcutWithCode(1, kc::shift | kc::command), KCKeyEventTypeDown);
    ASSERT_EQ(duplicate.size(), 1);
    EXPECT_EQ(duplicate[0]->action(), "duplicateDocument:");
}

TEST_F(LocalMonitor, UserBindingsOverTheStandardSet)
{
    writeBindings(R"({"^f": "noop:", "^j": "first:", "^k": ["first:"], "^l": ["first:", "second:"],
                      "": "first:", "not a binding ☃": "first:", "^m": [5, "first:"]})");
    const auto monitor = KCLocalShortcutMonitor::standardShortcuts();
    EXPECT_FALSE(monitor->handleEvent(key(3, kc::control), &editor));
    EXPECT_TRUE(
        monitor->enabledActionsForShortcut(KCShortcut::shortcutWithCode(3, kc::control), KCKeyEventTypeDown)
            .isEmpty());
    EXPECT_EQ(monitor->actions().size(), 61 - 1 + 1 + 1 + 2 + 1);
    EXPECT_TRUE(monitor->handleEvent(key(38, kc::control), &editor)); // ^j: a string
    EXPECT_TRUE(monitor->handleEvent(key(40, kc::control), &editor)); // ^k: a one-element array
    // ^l: the second is asked first and says no, so the first runs too.
    EXPECT_TRUE(monitor->handleEvent(key(37, kc::control), &editor));
    EXPECT_EQ(editor.calls, QStringList({ "first", "first", "second", "first" }));
}

TEST_F(LocalMonitor, OnlyKeyEventsAreHandled)
{
    LogCapture log;
    const auto monitor = KCLocalShortcutMonitor::appShortcuts();
    const QMouseEvent click(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(monitor->handleEvent(&click, &editor));
    EXPECT_EQ(log.count("#Error Not a keyboard event"), 1);
    EXPECT_FALSE(monitor->handleEvent(key(0, 0, 5), &editor));
    EXPECT_EQ(log.count("#Error Not a keyboard event"), 2);
}

TEST_F(LocalMonitor, QtKeysAreMatchedWithoutAskingTheLayout)
{
    const auto standard = KCLocalShortcutMonitor::standardShortcuts();
    LogCapture log;
    // X keycode 38 is the A position; Control acts as Command.
    const QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, 38, 0, 0, "a");
    EXPECT_TRUE(standard->handleEvent(&selectAll, &editor));
    const QKeyEvent plain(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 56, 0, 0, "b");
    EXPECT_FALSE(standard->handleEvent(&plain, &editor));
    EXPECT_EQ(editor.calls, QStringList({ "selectAll" }));
    // Matching reads key codes: what the keys type is never looked up.
    EXPECT_EQ(log.countStartingWith("Translation cache"), 0);
}

#include "local_test.moc"
