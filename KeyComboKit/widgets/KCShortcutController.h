#pragma once

// Holds one shortcut (its content) and offers its texts for binding: the key
// equivalent and modifier mask a menu item takes, the key's literal and
// symbolic names in the current and the ASCII-capable layout, the modifier
// words and glyphs. The key names follow keyboard layout changes. A
// recorder control given to the controller writes straight to what the
// content is bound to; a target makes the shortcut a system-wide action.
#include "KeyComboKit/KCObservable.h"
#include "KeyComboKit/KCShortcut.h"
#include "KeyComboKit/KCShortcutAction.h"

#include <QMetaObject>
#include <QPointer>

class KCRecorderControl;
class KCValueTransformer;

class KCShortcutController final : public KCObservable {
    Q_OBJECT
public:
    // What a computed value holds when there is no single shortcut to
    // compute it from.
    enum Marker { noSelection, multipleValues, notApplicable };
    Q_ENUM(Marker)

    explicit KCShortcutController(KCShortcutRef content = nullptr, QObject* parent = nullptr);
    ~KCShortcutController() override;

    KCShortcutRef content() const { return m_content; }
    void setContent(const KCShortcutRef& content);
    // The content follows `key` of `object` (through the transformer), as
    // long as the object lives.
    void bindContent(
        KCObservable* object, const QString& key, const KCValueTransformer* transformer = nullptr);
    void unbindContent();

    const KCClass& objectClass() const { return KCShortcut::kcClassInfo; }
    // Throws KCInternalInconsistencyException: the controller never makes
    // shortcuts itself.
    [[noreturn]] KCShortcutRef newObject() const;

    // "content", "selection", "selection.keyCode" and "selection.modifierFlags",
    // the eight computed values with or without "selection.", and
    // "shortcutAction" / "shortcutActionTarget".
    QVariant valueForKey(const QString& key) const override;
    static bool isMarker(const QVariant& value);

    KCRecorderControl* recorderControl() const;
    void setRecorderControl(KCRecorderControl* control);

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier);

    KCShortcutActionRef shortcutAction() const { return m_action; }
    QObject* shortcutActionTarget() const;
    // A target registers the action with the shared global monitor for key
    // down; none removes it.
    void setShortcutActionTarget(QObject* target);

    bool isObservingKeyboardLayout() const { return m_layoutObservation; }

private:
    void contentDidChange();
    void updateComputedKeyPaths();
    void addSelectedKeyboardInputSourceObserverIfNeeded();
    void removeSelectedKeyboardInputSourceObserverIfNeeded();
    void onSelectedKeyboardInputSourceObserverChange();
    void updateRecorderControlValueBinding();
    void readBoundContent();

    KCShortcutRef m_content;
    QHash<QString, QVariant> m_computed;
    QMetaObject::Connection m_layoutObservation;
    QPointer<KCRecorderControl> m_recorderControl;
    QString m_identifier;
    KCShortcutActionRef m_action;
    QPointer<QObject> m_target;
    QMetaObject::Connection m_targetDestroyed;

    struct ContentBinding {
        QPointer<KCObservable> object;
        QString key;
        const KCValueTransformer* transformer = nullptr;
        int token = 0;
    };
    ContentBinding m_binding;
};
