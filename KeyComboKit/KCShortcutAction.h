#pragma once

// A shortcut bound to something to do: a target object and a selector
// ("moveForward:" calls the target's invokable moveForward, with this action
// or without an argument), or a handler. The shortcut is fixed, or read and
// kept current from a key of another observable object.
//
// Targets may offer `bool performShortcutAction(KCShortcutAction*)` instead
// of the selector, and `bool validateUserInterfaceItem(KCShortcutAction*)`
// to refuse an action. With no target the application object receives it.
#include "KeyComboKit/KCObservable.h"
#include "KeyComboKit/KCShortcut.h"

#include <QPointer>

#include <functional>
#include <memory>

class KCShortcutAction;
using KCShortcutActionRef = std::shared_ptr<KCShortcutAction>;

// The key event kinds the monitors index by.
enum KCKeyEventType : quint32 { KCKeyEventTypeDown = 10, KCKeyEventTypeUp = 11 };

// Down or up for a key (10, 11) or modifier-change (12) event: a modifier
// change is a press when the changed modifier's bit is set. Throws
// KCInternalInconsistencyException for any other type.
KCKeyEventType KCKeyEventTypeFor(quint32 eventType, quint16 keyCode, quint64 modifierFlags);
// The modifier flag a modifier key's code stands for; 0 for other keys.
quint64 KCModifierFlagForKeyCode(quint16 keyCode);
inline KCKeyEventType KCKeyEventTypeOf(const KCKeyEvent& event)
{
    return KCKeyEventTypeFor(event.type, event.keyCode, event.modifierFlags);
}

class KCShortcutAction final : public KCObservable {
    Q_OBJECT
public:
    using Handler = std::function<bool(KCShortcutAction*)>;

    KCShortcutAction();
    ~KCShortcutAction() override;

    static KCShortcutActionRef withShortcut(
        KCShortcutRef shortcut, QObject* target, const QByteArray& action, qint64 tag = 0);
    static KCShortcutActionRef withShortcut(KCShortcutRef shortcut, Handler handler);
    static KCShortcutActionRef withKeyPath(const QString& keyPath, KCObservable* object, QObject* target,
        const QByteArray& action, qint64 tag = 0);
    static KCShortcutActionRef withKeyPath(const QString& keyPath, KCObservable* object, Handler handler);

    KCShortcutRef shortcut() const;
    // Ends observing; the stored shortcut changes only when the new one
    // differs.
    void setShortcut(KCShortcutRef shortcut);
    void setObservedObject(KCObservable* object, const QString& keyPath);
    KCObservable* observedObject() const { return m_observedObject; }
    QString observedKeyPath() const { return m_observedKeyPath; }

    // The target, or the application object when none is set.
    QObject* target() const;
    // A target clears the handler and a handler the target.
    void setTarget(QObject* target);
    Handler actionHandler() const;
    bool hasActionHandler() const;
    void setActionHandler(Handler handler);

    QByteArray action() const { return m_action; }
    void setAction(const QByteArray& action);
    qint64 tag() const { return m_tag; }
    void setTag(qint64 tag);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QString identifier() const;
    void setIdentifier(const QString& identifier);

    // Whether the action ran and reported itself handled; `target`
    // overrides the action's own.
    bool performActionOnTarget(QObject* target = nullptr);

    QVariant valueForKey(const QString& key) const override;
    QString description() const;

private:
    void invalidateObserving();
    void observedValueChanged(const QVariant& value);

    mutable QRecursiveMutex m_lock;
    KCShortcutRef m_shortcut;
    Handler m_handler;
    QPointer<QObject> m_target;
    bool m_enabled = true;
    QString m_identifier;
    qint64 m_tag = 0;
    QPointer<KCObservable> m_observedObject;
    QString m_observedKeyPath;
    int m_observation = 0;
    QByteArray m_action;
};
