#pragma once

// The registry behind every monitor: actions registered for key down and/or
// key up, indexed by shortcut while they are enabled and have one. The
// hooks tell subclasses when a shortcut gains its first index entry or
// loses its last, so they can register it with the system.
//
// Dispatch rule of all monitors: the enabled actions of a shortcut are
// asked from the newest to the oldest, and the first that reports itself
// handled ends the walk.
#include "KeyComboKit/KCShortcutAction.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <unordered_map>

struct KCShortcutRefHash {
    size_t operator()(const KCShortcutRef& s) const { return s ? s->hash() : 0; }
};
struct KCShortcutRefEqual {
    bool operator()(const KCShortcutRef& a, const KCShortcutRef& b) const
    {
        return a == b || (a && b && *a == *b);
    }
};
template <class T>
using KCShortcutMap = std::unordered_map<KCShortcutRef, T, KCShortcutRefHash, KCShortcutRefEqual>;

class KCShortcutMonitor : public KCObservable {
    Q_OBJECT
public:
    KCShortcutMonitor();
    ~KCShortcutMonitor() override;

    QList<KCShortcutActionRef> actions() const;
    QList<KCShortcutRef> shortcuts() const;
    QList<KCShortcutActionRef> actionsForKeyEvent(KCKeyEventType keyEvent) const;
    // Oldest first.
    QList<KCShortcutActionRef> enabledActionsForShortcut(
        const KCShortcutRef& shortcut, KCKeyEventType keyEvent) const;
    // How many index entries use the shortcut.
    int countForShortcut(const KCShortcutRef& shortcut) const;

    void addAction(const KCShortcutActionRef& action, KCKeyEventType keyEvent);
    // A new key-down action for a key equivalent such as "⇧⌘S", with no
    // target; null (and nothing added) when the text does not read.
    KCShortcutActionRef addAction(const QByteArray& selector, const QString& keyEquivalent, qint64 tag = 0);
    void removeAction(const KCShortcutActionRef& action, KCKeyEventType keyEvent);
    void removeAction(const KCShortcutActionRef& action);
    void removeAllActions();

    QString debugDescription() const;
    QVariant valueForKey(const QString& key) const override;

protected:
    virtual void willAddShortcut(const KCShortcutRef&) { }
    virtual void didAddShortcut(const KCShortcutRef&) { }
    virtual void willRemoveShortcut(const KCShortcutRef&) { }
    virtual void didRemoveShortcut(const KCShortcutRef&) { }

    // The dispatch rule over a snapshot taken under the lock; the actions
    // run without it, so they may change the monitor.
    bool performActions(const KCShortcutRef& shortcut, KCKeyEventType keyEvent, QObject* target);

    mutable QRecursiveMutex m_lock;

private:
    struct Registration {
        KCShortcutActionRef action;
        int count = 0;
        int enabledObservation = 0;
        int shortcutObservation = 0;
    };
    using Index = KCShortcutMap<QList<KCShortcutActionRef>>;

    QSet<KCShortcutAction*>& actionsFor(KCKeyEventType keyEvent);
    const QSet<KCShortcutAction*>& actionsFor(KCKeyEventType keyEvent) const;
    Index& indexFor(KCKeyEventType keyEvent);
    const Index& indexFor(KCKeyEventType keyEvent) const;

    void enabledChanged(KCShortcutAction* action, const KCChange& change);
    void shortcutChanged(KCShortcutAction* action, const KCChange& change);
    void startObservingShortcut(KCShortcutAction* action);
    void stopObservingShortcut(KCShortcutAction* action);
    KCShortcutRef shortcutForEnabledAction(KCShortcutAction* action, const KCShortcutRef& hint) const;
    void enabledActionDidChangeShortcut(
        KCShortcutAction* action, const KCShortcutRef& oldShortcut, const KCShortcutRef& newShortcut);
    void addEnabledAction(KCShortcutAction* action, const KCShortcutRef& shortcut, KCKeyEventType keyEvent);
    void removeEnabledAction(
        KCShortcutAction* action, const KCShortcutRef& shortcut, KCKeyEventType keyEvent);
    int entriesOf(KCShortcutAction* action) const;

    QHash<KCShortcutAction*, Registration> m_actions;
    QSet<KCShortcutAction*> m_enabledActions;
    QSet<KCShortcutAction*> m_keyUpActions;
    QSet<KCShortcutAction*> m_keyDownActions;
    Index m_shortcutToEnabledKeyDownActions;
    Index m_shortcutToEnabledKeyUpActions;
    KCShortcutMap<int> m_shortcuts;
};
