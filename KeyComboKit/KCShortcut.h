#pragma once

// One keyboard shortcut: a key position and modifier flags (masked to
// Shift, Control, Option, Command), with the characters the key types with
// and without them. Immutable; passed around as KCShortcutRef.
#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCKeyCodes.h"

#include <QByteArray>
#include <QMetaType>
#include <QVariantMap>

#include <memory>
#include <optional>

class KCKeyCodeTransformer;
class KCShortcut;
using KCShortcutRef = std::shared_ptr<const KCShortcut>;
Q_DECLARE_METATYPE(KCShortcutRef)

// The platform's key event as the kit reads it.
struct KCKeyEvent {
    enum Type : quint32 { keyDown = 10, keyUp = 11, flagsChanged = 12 };
    quint32 type = keyDown;
    quint16 keyCode = KCKeyCodeNone;
    quint64 modifierFlags = 0;
    QString characters;
    QString charactersIgnoringModifiers;
};

class KCShortcut : public KCObject {
public:
    static const KCClass kcClassInfo;

    // Flags are masked; a missing string is derived from the ASCII-capable
    // layout (none for KCKeyCodeNone).
    KCShortcut(quint16 keyCode, quint64 modifierFlags, std::optional<QString> characters,
        std::optional<QString> charactersIgnoringModifiers);

    static KCShortcutRef shortcutWithCode(quint16 keyCode, quint64 modifierFlags,
        std::optional<QString> characters = std::nullopt,
        std::optional<QString> charactersIgnoringModifiers = std::nullopt);
    // Null for an event that is not a key or flags-changed event.
    static KCShortcutRef shortcutWithEvent(const KCKeyEvent& event, bool ignoringCharacters = false);
    // Never null: missing or wrongly typed entries take their defaults.
    static KCShortcutRef shortcutWithDictionary(const QVariantMap& dictionary);
    // "⇧⌘S", "⌘", "F5"; null for "" or text that does not read.
    static KCShortcutRef shortcutWithKeyEquivalent(const QString& keyEquivalent);
    // "$@s"; null when the notation does not read.
    static KCShortcutRef shortcutWithKeyBinding(const QString& keyBinding);
    // Null, after one "#Error" line, for bytes that are not a shortcut.
    static KCShortcutRef fromArchive(const QByteArray& archive);

    quint16 keyCode() const { return m_keyCode; }
    quint64 modifierFlags() const { return m_modifierFlags; }
    std::optional<QString> characters() const { return m_characters; }
    std::optional<QString> charactersIgnoringModifiers() const { return m_charactersIgnoringModifiers; }

    QVariantMap dictionaryRepresentation() const;
    // "keyCode", "modifierFlags", "characters", "charactersIgnoringModifiers";
    // invalid for any other key or an unset string.
    QVariant valueForKey(const QString& key) const;
    QByteArray archive() const;

    // The modifier words, then the key's name: "Command-Shift-A".
    QString readableStringRepresentation(bool asciiOnly) const;
    // "⇧⌘A".
    QString description() const;

    virtual bool isEqualToShortcut(const KCShortcut& other) const;
    bool isEqualToDictionary(const QVariantMap& dictionary) const;
    bool isEqualToKeyEquivalent(const QString& keyEquivalent, quint64 modifierFlags) const;
    bool isEqualToKeyEquivalent(
        const QString& keyEquivalent, quint64 modifierFlags, const KCKeyCodeTransformer& transformer) const;
    bool isEqual(const KCObject* other) const;
    bool operator==(const KCShortcut& other) const { return isEqual(&other); }
    size_t hash() const { return size_t(m_keyCode) | size_t(m_modifierFlags & kc::mask); }

    quint32 carbonKeyCode() const;
    quint32 carbonModifierFlags() const;

    const KCClass& kcClass() const override { return kcClassInfo; }
    const KCClass& equalityOwner() const override { return kcClassInfo; }

private:
    quint16 m_keyCode;
    quint64 m_modifierFlags;
    std::optional<QString> m_characters;
    std::optional<QString> m_charactersIgnoringModifiers;
};

inline size_t qHash(const KCShortcut& shortcut, size_t seed = 0)
{
    return shortcut.hash() ^ seed;
}

// The shortcut a QVariant holds; null for anything else.
KCShortcutRef KCShortcutFromVariant(const QVariant& value);
