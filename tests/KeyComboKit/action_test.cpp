// Shortcut actions: what runs when a shortcut fires, and where an observed
// shortcut comes from.
#include "tests/KeyComboKit/KitFixture.h"

#include "KeyComboKit/KCShortcutAction.h"

#include <QCoreApplication>

using kctest::FakeLayouts;
using kctest::LogCapture;

namespace {

class Receiver : public QObject {
    Q_OBJECT
public:
    QStringList calls;
    bool refuse = false;
    Q_INVOKABLE void voidSlot(KCShortcutAction*) { calls << "voidSlot"; }
    Q_INVOKABLE bool falseSlot() { return calls << "falseSlot", false; }
    Q_INVOKABLE bool trueSlot(KCShortcutAction* a)
    {
        return calls << QStringLiteral("trueSlot %1").arg(a->tag()), true;
    }
};

class Validating : public Receiver {
    Q_OBJECT
public:
    Q_INVOKABLE bool validateUserInterfaceItem(KCShortcutAction* a) { return a->tag() != 7; }
};

class Protocol : public QObject {
    Q_OBJECT
public:
    int performed = 0;
    Q_INVOKABLE bool performShortcutAction(KCShortcutAction*) { return ++performed, true; }
};

// An object with one observable value, "value".
class Holder : public KCObservable {
public:
    QVariant value;
    void set(const QVariant& v)
    {
        KCChangeNotice notice(this, QStringLiteral("value"));
        value = v;
    }
    QVariant valueForKey(const QString& key) const override
    {
        return key == QLatin1String("value") ? value : QVariant();
    }
};

// The prior notices an action sends, as "key" per change.
const QStringList& recordPriorNotices(KCShortcutAction& action)
{
    static QStringList notices;
    notices.clear();
    for (const char* key : { "shortcut", "target", "actionHandler", "observedObject", "observedKeyPath" })
        action.addObserver(QString::fromLatin1(key), KCObservable::optionPrior, [](const KCChange& c) {
            if (c.isPrior)
                notices << c.key;
        });
    return notices;
}

} // namespace

TEST_F(FakeLayouts, HandlerAndTargetExcludeEachOther)
{
    Receiver receiver;
    auto action = KCShortcutAction::withShortcut(
        KCShortcut::shortcutWithCode(0, kc::command), &receiver, "voidSlot:");
    QStringList notices;
    for (const char* key : { "target", "actionHandler" })
        action->addObserver(QString::fromLatin1(key), KCObservable::optionPrior,
            [&](const KCChange& c) { notices << (c.isPrior ? "will " : "did ") + c.key; });

    action->setActionHandler([](KCShortcutAction*) { return true; });
    EXPECT_EQ(
        notices, QStringList({ "will actionHandler", "will target", "did target", "did actionHandler" }));
    EXPECT_EQ(action->target(), qApp); // no target of its own
    notices.clear();

    action->setTarget(&receiver);
    EXPECT_EQ(
        notices, QStringList({ "will target", "will actionHandler", "did actionHandler", "did target" }));
    EXPECT_FALSE(action->hasActionHandler());
    notices.clear();
    action->setTarget(&receiver);
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(FakeLayouts, PerformingReportsWhetherTheTargetHandledIt)
{
    Receiver plain;
    Validating validating;
    Protocol protocol;
    struct Row {
        QObject* target;
        QByteArray selector;
        qint64 tag;
        bool handled;
        QStringList calls;
    } rows[] = {
        { &plain, "voidSlot:", 0, true, { "voidSlot" } },
        { &plain, "falseSlot:", 0, false, { "falseSlot" } },
        { &plain, "trueSlot:", 3, true, { "trueSlot 3" } },
        { &plain, "missing:", 0, false, {} },
        { &validating, "trueSlot:", 7, false, {} }, // refused by validation: not called
        { &validating, "trueSlot:", 1, true, { "trueSlot 1" } },
        { &protocol, "missing:", 0, true, {} },
        { &protocol, "", 0, true, {} },
    };
    for (const Row& row : rows) {
        plain.calls.clear();
        validating.calls.clear();
        auto action = KCShortcutAction::withShortcut(nullptr, row.target, row.selector, row.tag);
        EXPECT_EQ(action->performActionOnTarget(), row.handled) << row.selector.constData() << row.tag;
        auto* receiver = qobject_cast<Receiver*>(row.target);
        if (receiver) {
            EXPECT_EQ(receiver->calls, row.calls) << row.selector.constData();
        }
    }
    EXPECT_EQ(protocol.performed, 2);

    // A disabled action runs nothing; a given target overrides the own one.
    auto action = KCShortcutAction::withShortcut(nullptr, &plain, "voidSlot:");
    action->setEnabled(false);
    plain.calls.clear();
    EXPECT_FALSE(action->performActionOnTarget());
    action->setEnabled(true);
    EXPECT_TRUE(action->performActionOnTarget(&validating));
    EXPECT_TRUE(plain.calls.isEmpty());
    EXPECT_EQ(validating.calls, QStringList { "voidSlot" });
    // Without a target the application object is asked, and it has no such slot.
    EXPECT_FALSE(KCShortcutAction::withShortcut(nullptr, nullptr, "voidSlot:")->performActionOnTarget());
}

TEST(ShortcutActionKinds, KeyEventKindOfEachEvent)
{
    LogCapture log;
    EXPECT_EQ(KCKeyEventTypeFor(10, 0, 0), KCKeyEventTypeDown);
    EXPECT_EQ(KCKeyEventTypeFor(11, 0, 0), KCKeyEventTypeUp);
    EXPECT_EQ(KCKeyEventTypeFor(12, 60, kc::shift), KCKeyEventTypeDown);
    EXPECT_EQ(KCKeyEventTypeFor(12, 60, 0), KCKeyEventTypeUp);
    EXPECT_EQ(KCKeyEventTypeFor(12, 54, kc::command | kc::shift), KCKeyEventTypeDown);
    EXPECT_EQ(KCKeyEventTypeFor(12, 62, kc::command), KCKeyEventTypeUp);
    EXPECT_EQ(KCKeyEventTypeFor(12, 0, 0), KCKeyEventTypeDown);
    EXPECT_EQ(log.count("#Error Unexpected key code 0 for the FlagsChanged event"), 1);
    try {
        KCKeyEventTypeFor(1, 0, 0);
        ADD_FAILURE() << "no exception";
    } catch (const KCInternalInconsistencyException& e) {
        EXPECT_EQ(e.reason(), "Expected a key event, got 1");
    }
}

TEST_F(FakeLayouts, ObservedShortcutFollowsTheValue)
{
    LogCapture log;
    const auto a = KCShortcut::shortcutWithCode(0, kc::command);
    const auto b = KCShortcut::shortcutWithCode(11, kc::option);
    Holder holder;
    holder.value = QVariant::fromValue(a);
    auto action = KCShortcutAction::withKeyPath(QStringLiteral("value"), &holder, nullptr, "x:");
    ASSERT_TRUE(action->shortcut());
    EXPECT_EQ(action->shortcut().get(), a.get()); // the initial value at once

    struct Row {
        QVariant value;
        KCShortcutRef expected;
    } rows[] = {
        { b->dictionaryRepresentation(), b }, { a->archive(), a }, { QVariant::fromValue(b), b },
        { QVariant::fromValue(nullptr), nullptr }, { QVariant(), nullptr }, { QVariant::fromValue(a), a },
        { QVariant(42), nullptr }, // not a shortcut at all
    };
    for (const Row& row : rows) {
        holder.set(row.value);
        const auto got = action->shortcut();
        EXPECT_EQ(bool(got), bool(row.expected)) << row.value.typeName();
        if (got && row.expected) {
            EXPECT_EQ(*got, *row.expected);
        }
    }
    EXPECT_EQ(log.countStartingWith("#Error Observed value of type int"), 1);

    // Destroying the holder leaves the action without an observation to undo.
    holder.set(QVariant::fromValue(a));
}

TEST_F(FakeLayouts, SettingAnEqualShortcutOnlyStopsObserving)
{
    const auto a = KCShortcut::shortcutWithCode(0, kc::command);
    Holder holder;
    holder.value = QVariant::fromValue(a);
    auto action = KCShortcutAction::withKeyPath(QStringLiteral("value"), &holder, nullptr, "x:");
    const QStringList& notices = recordPriorNotices(*action);

    action->setShortcut(KCShortcut::shortcutWithCode(0, kc::command));
    EXPECT_EQ(notices, QStringList({ "observedObject", "observedKeyPath" }));
    EXPECT_EQ(action->observedObject(), nullptr);
    EXPECT_EQ(holder.observerCount(QStringLiteral("value")), 0);

    holder.set(QVariant());
    EXPECT_TRUE(action->shortcut()); // no longer follows the holder
}

#include "action_test.moc"
