// The monitor registry: index order, the four hooks, change notices and
// the hot-key monitor over the scripted backend.
#include "tests/KeyComboKit/KitFixture.h"

#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/fake/KCFakeHotKeyBackend.h"

using kctest::FakeLayouts;
using kctest::LogCapture;

namespace {

// Writes every hook and "shortcuts" notice into one journal.
class JournalMonitor : public KCShortcutMonitor {
public:
    JournalMonitor()
    {
        addObserver(QStringLiteral("shortcuts"), optionPrior,
            [this](const KCChange& c) { journal << (c.isPrior ? "will shortcuts" : "did shortcuts"); });
    }
    QStringList journal;

protected:
    void willAddShortcut(const KCShortcutRef& s) override { journal << "will add " + s->description(); }
    void didAddShortcut(const KCShortcutRef& s) override { journal << "did add " + s->description(); }
    void willRemoveShortcut(const KCShortcutRef& s) override { journal << "will remove " + s->description(); }
    void didRemoveShortcut(const KCShortcutRef& s) override { journal << "did remove " + s->description(); }
};

KCShortcutRef cmd(quint16 keyCode)
{
    return KCShortcut::shortcutWithCode(keyCode, kc::command);
}

// An action that writes its name when asked and answers `handled`.
KCShortcutActionRef named(KCShortcutRef s, const QString& name, QStringList* asked, bool handled = false)
{
    return KCShortcutAction::withShortcut(std::move(s), [=](KCShortcutAction*) {
        *asked << name;
        return handled;
    });
}

class GlobalMonitor : public FakeLayouts {
protected:
    KCFakeHotKeyBackend backend;
};

} // namespace

TEST_F(FakeLayouts, NewestActionIsAskedFirst)
{
    KCShortcutMonitor monitor;
    QStringList asked;
    auto older = named(cmd(0), "older", &asked);
    auto newer = named(cmd(0), "newer", &asked);
    monitor.addAction(older, KCKeyEventTypeDown);
    monitor.addAction(newer, KCKeyEventTypeDown);
    const auto order = [&] {
        QStringList names;
        for (const auto& a : monitor.enabledActionsForShortcut(cmd(0), KCKeyEventTypeDown))
            names << (a == older ? "older" : "newer");
        return names;
    };
    EXPECT_EQ(order(), QStringList({ "older", "newer" })); // newest last: asked first
    monitor.addAction(older, KCKeyEventTypeDown);
    EXPECT_EQ(order(), QStringList({ "newer", "older" }));
    EXPECT_EQ(monitor.actions().size(), 2);
    EXPECT_EQ(monitor.countForShortcut(cmd(0)), 2);

    // Registered for both events, it is re-added without complaint.
    monitor.addAction(older, KCKeyEventTypeUp);
    EXPECT_NO_THROW(monitor.addAction(older, KCKeyEventTypeDown));
    EXPECT_EQ(monitor.countForShortcut(cmd(0)), 3);
    // Disabled it has no entry to move; re-adding changes nothing.
    newer->setEnabled(false);
    EXPECT_NO_THROW(monitor.addAction(newer, KCKeyEventTypeDown));
    EXPECT_EQ(order(), QStringList({ "older" }));
    EXPECT_THROW(monitor.addAction(newer, KCKeyEventType(12)), KCInvalidArgumentException);
}

TEST_F(FakeLayouts, HooksBracketTheFirstAndLastUseOfAShortcut)
{
    JournalMonitor monitor;
    QStringList asked;
    auto action = named(cmd(0), "a", &asked);
    monitor.addAction(action, KCKeyEventTypeDown);
    monitor.addAction(action, KCKeyEventTypeUp);
    EXPECT_EQ(monitor.countForShortcut(cmd(0)), 2);
    EXPECT_EQ(
        monitor.journal, QStringList({ "will shortcuts", "will add ⌘A", "did add ⌘A", "did shortcuts" }));

    monitor.journal.clear();
    action->setEnabled(false);
    action->setEnabled(true);
    EXPECT_EQ(monitor.journal,
        QStringList({ "will shortcuts", "will remove ⌘A", "did remove ⌘A", "did shortcuts", "will shortcuts",
            "will add ⌘A", "did add ⌘A", "did shortcuts" }));

    monitor.journal.clear();
    action->setShortcut(cmd(11));
    EXPECT_EQ(monitor.journal,
        QStringList({ "will shortcuts", "will remove ⌘A", "did remove ⌘A", "will add ⌘B", "did add ⌘B",
            "did shortcuts" }));
    EXPECT_EQ(monitor.countForShortcut(cmd(0)), 0);
    EXPECT_EQ(monitor.countForShortcut(cmd(11)), 2);

    // Without a shortcut it is registered but indexes nothing.
    monitor.journal.clear();
    auto bare = named(nullptr, "bare", &asked);
    monitor.addAction(bare, KCKeyEventTypeDown);
    monitor.removeAction(bare);
    EXPECT_TRUE(monitor.journal.isEmpty());

    monitor.removeAction(action, KCKeyEventTypeDown);
    EXPECT_TRUE(monitor.journal.isEmpty()); // the key-up entry still uses ⌘B
    monitor.removeAction(action, KCKeyEventTypeUp);
    EXPECT_EQ(monitor.journal,
        QStringList({ "will shortcuts", "will remove ⌘B", "did remove ⌘B", "did shortcuts" }));
    EXPECT_TRUE(monitor.actions().isEmpty());
    // Changes after removal reach no monitor.
    monitor.journal.clear();
    action->setShortcut(cmd(1));
    EXPECT_TRUE(monitor.journal.isEmpty());
}

TEST_F(FakeLayouts, RemovingEverything)
{
    JournalMonitor monitor;
    EXPECT_EQ(monitor.debugDescription(), "No Shortcuts");
    QStringList asked;
    auto a = named(cmd(0), "a", &asked);
    monitor.addAction(a, KCKeyEventTypeDown);
    monitor.addAction(named(cmd(11), "b", &asked), KCKeyEventTypeUp);
    EXPECT_TRUE(
        monitor.debugDescription().startsWith("Key Down Shortcuts: {\n\t⌘A: {\n\t\t<KCShortcutAction"));
    EXPECT_TRUE(monitor.debugDescription().contains("Key Up Shortcuts: {\n\t⌘B: {\n"));
    monitor.journal.clear();
    monitor.removeAllActions();
    ASSERT_EQ(monitor.journal.size(), 6);
    EXPECT_EQ(monitor.journal.first(), "will shortcuts");
    EXPECT_TRUE(monitor.journal[1].startsWith("will remove") && monitor.journal[2].startsWith("will remove"));
    EXPECT_TRUE(monitor.journal[3].startsWith("did remove") && monitor.journal[4].startsWith("did remove"));
    EXPECT_EQ(monitor.debugDescription(), "No Shortcuts");
    EXPECT_TRUE(monitor.shortcuts().isEmpty());
    a->setEnabled(false); // observed no more
    EXPECT_EQ(monitor.journal.size(), 6);
}

TEST_F(GlobalMonitor, HotKeysFollowTheRegistry)
{
    LogCapture log;
    backend.holdElsewhere(cmd(38)->carbonKeyCode(), cmd(38)->carbonModifierFlags());
    KCGlobalShortcutMonitor monitor(&backend);
    QStringList asked;
    monitor.addAction(named(cmd(40), "k", &asked, true), KCKeyEventTypeDown);
    ASSERT_EQ(backend.registered().size(), 1);
    // Ids count up across the process; other tests may have taken some.
    const quint32 first = backend.registered()[0].id;
    EXPECT_EQ(backend.registered()[0].signature, kcHotKeySignature);
    EXPECT_TRUE(backend.hasHandler());

    monitor.addAction(named(cmd(38), "j", &asked, true), KCKeyEventTypeDown);
    EXPECT_EQ(log.count("#Critical Failed to register Carbon hot key: 10"), 1);
    monitor.addAction(named(cmd(37), "l", &asked, true), KCKeyEventTypeDown);
    QList<quint32> ids;
    for (const auto& hotKey : backend.registered())
        ids << hotKey.id;
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, QList<quint32>({ first, first + 2 })); // the failure used the one between
    EXPECT_EQ(monitor.registeredHotKeyCount(), 2);

    monitor.addAction(
        named(KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::command), "mod", &asked), KCKeyEventTypeDown);
    EXPECT_EQ(log.count("#Error Shortcut without a key code cannot be registered as Carbon hot key"), 1);
    EXPECT_EQ(monitor.registeredHotKeyCount(), 2);

    EXPECT_EQ(backend.press(*cmd(40)), 0);
    EXPECT_EQ(backend.press(*cmd(40), KCHotKeyEvent::releasedKind), kcEventNotHandled); // no key-up action
    EXPECT_EQ(log.count("No actions for the shortcut"), 1);
    EXPECT_EQ(asked, QStringList { "k" });

    monitor.removeAllActions();
    EXPECT_TRUE(backend.registered().isEmpty());
    EXPECT_FALSE(backend.hasHandler());
}

TEST_F(GlobalMonitor, PausingTakesTheKeysAway)
{
    LogCapture log;
    KCGlobalShortcutMonitor monitor(&backend);
    QStringList asked;
    monitor.addAction(named(cmd(40), "k", &asked, true), KCKeyEventTypeDown);
    ASSERT_EQ(backend.registered().size(), 1);
    const quint32 id = backend.registered()[0].id;

    monitor.pause();
    monitor.pause();
    monitor.resume();
    EXPECT_TRUE(monitor.isPaused());
    EXPECT_TRUE(backend.registered().isEmpty());
    EXPECT_FALSE(backend.hasHandler());
    KCHotKeyEvent event;
    event.signature = kcHotKeySignature;
    event.id = id;
    EXPECT_EQ(monitor.handleEvent(event), kcEventNotHandled);
    // Added while paused: registered only on resume.
    monitor.addAction(named(cmd(38), "j", &asked, true), KCKeyEventTypeDown);
    EXPECT_TRUE(backend.registered().isEmpty());

    monitor.resume();
    EXPECT_FALSE(monitor.isPaused());
    EXPECT_EQ(backend.registered().size(), 2);
    EXPECT_EQ(backend.press(*cmd(38)), 0);
    monitor.resume(); // unmatched: the counter stays at 0
    monitor.pause();
    EXPECT_TRUE(monitor.isPaused());
    EXPECT_TRUE(asked == QStringList { "j" });
}

TEST_F(GlobalMonitor, EventsThatAreNotOurs)
{
    LogCapture log;
    KCGlobalShortcutMonitor monitor(&backend);
    QStringList asked;
    auto first = named(cmd(40), "first", &asked, false);
    monitor.addAction(first, KCKeyEventTypeDown);
    EXPECT_EQ(backend.press(*cmd(40)), kcEventNotHandled); // its only action said no
    const quint32 id = backend.registered()[0].id;
    struct Row {
        KCHotKeyEvent event;
        QString line;
    } rows[] = {
        { { KCHotKeyEvent::keyboardClass, 5, -50, kcHotKeySignature, id },
            "#Critical Failed to get hot key ID: -50" },
        { { KCHotKeyEvent::keyboardClass, 5, 0, 0x41424344, id },
            QStringLiteral("#Error Unexpected hot key with id %1 and signature: 1094861636").arg(id) },
        { { KCHotKeyEvent::keyboardClass, 5, 0, kcHotKeySignature, 0 },
            QStringLiteral("#Error Unexpected hot key with id 0 and signature: %1").arg(kcHotKeySignature) },
        { { KCHotKeyEvent::keyboardClass, 5, 0, kcHotKeySignature, 999 },
            QStringLiteral("Unregistered hot key with id 999 and signature %1").arg(kcHotKeySignature) },
        { { KCHotKeyEvent::keyboardClass, 7, 0, kcHotKeySignature, id },
            "#Error Unexpected key event of type 7" },
        { { 0x6d6f7573, 5, 0, kcHotKeySignature, id }, "#Error Not a keyboard event" },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(monitor.dispatchHotKeyEvent(&row.event), kcEventNotHandled);
        EXPECT_EQ(log.count(row.line), 1) << row.line.toStdString();
    }
    EXPECT_EQ(monitor.dispatchHotKeyEvent(nullptr), kcEventNotHandled);
    EXPECT_EQ(log.count("#Error Event is NULL"), 1);
}

TEST_F(GlobalMonitor, ActionsMayChangeTheMonitor)
{
    KCGlobalShortcutMonitor monitor(&backend);
    QStringList asked;
    KCShortcutActionRef self;
    self = KCShortcutAction::withShortcut(cmd(40), [&](KCShortcutAction*) {
        // Runs outside the lock, on a snapshot: both calls are safe.
        monitor.addAction(named(cmd(38), "added", &asked, true), KCKeyEventTypeDown);
        monitor.removeAction(self);
        return true;
    });
    monitor.addAction(self, KCKeyEventTypeDown);
    EXPECT_EQ(backend.press(*cmd(40)), 0);
    EXPECT_EQ(monitor.actions().size(), 1);
    EXPECT_EQ(backend.press(*cmd(38)), 0);
    EXPECT_EQ(asked, QStringList { "added" });
}

TEST_F(FakeLayouts, TheSharedMonitorMovesToABackendInstalledLater)
{
    // The shared monitor exists before any backend, as when a recorder
    // paused it before the program installed one.
    auto& shared = KCGlobalShortcutMonitor::sharedMonitor();
    KCFakeHotKeyBackend first, second;
    int performed = 0;
    const auto action
        = KCShortcutAction::withShortcut(cmd(40), [&](KCShortcutAction*) { return ++performed, true; });
    shared.addAction(action, KCKeyEventTypeDown);

    KCSetHotKeyBackend(&first);
    EXPECT_EQ(first.registered().size(), 1);
    EXPECT_EQ(first.press(*cmd(40)), 0);
    EXPECT_EQ(performed, 1);

    // Hot keys and handler move: the old backend holds nothing afterwards.
    KCSetHotKeyBackend(&second);
    EXPECT_TRUE(first.registered().isEmpty());
    EXPECT_FALSE(first.hasHandler());
    EXPECT_EQ(second.registered().size(), 1);
    EXPECT_EQ(second.press(*cmd(40)), 0);
    EXPECT_EQ(performed, 2);

    // Paused, the move registers nothing until the resume.
    shared.pause();
    KCSetHotKeyBackend(&first);
    EXPECT_TRUE(second.registered().isEmpty());
    EXPECT_TRUE(first.registered().isEmpty());
    shared.resume();
    EXPECT_EQ(first.registered().size(), 1);

    shared.removeAction(action);
    KCSetHotKeyBackend(nullptr);
    EXPECT_TRUE(first.registered().isEmpty());
}
