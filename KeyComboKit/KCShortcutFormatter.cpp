#include "KeyComboKit/KCShortcutFormatter.h"

#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/KCModifierFlagsTransformer.h"

#include <QGuiApplication>

KCShortcutFormatter::KCShortcutFormatter()
    : m_direction(QGuiApplication::layoutDirection())
{
}

QVariant KCShortcutFormatter::stringForObjectValue(const QVariant& value) const
{
    const KCShortcutRef shortcut = KCShortcutFromVariant(value);
    return shortcut ? QVariant(stringForShortcut(*shortcut)) : QVariant();
}

QString KCShortcutFormatter::stringForShortcut(const KCShortcut& shortcut) const
{
    const KCKeyCodeTransformer* keys = nullptr;
    if (m_keyCodeLiteral)
        keys = m_ascii
            ? static_cast<const KCKeyCodeTransformer*>(&KCASCIILiteralKeyCodeTransformer::sharedTransformer())
            : &KCLiteralKeyCodeTransformer::sharedTransformer();
    else
        keys = m_ascii ? static_cast<const KCKeyCodeTransformer*>(
                   &KCASCIISymbolicKeyCodeTransformer::sharedTransformer())
                       : &KCSymbolicKeyCodeTransformer::sharedTransformer();
    const KCModifierFlagsTransformer& modifiers = m_modifierFlagsLiteral
        ? static_cast<const KCModifierFlagsTransformer&>(
            KCLiteralModifierFlagsTransformer::sharedTransformer())
        : KCSymbolicModifierFlagsTransformer::sharedTransformer();
    const auto key = keys->transformedValue(QVariant::fromValue(shortcut.keyCode()), QVariant(),
        QVariant::fromValue(shortcut.modifierFlags()), m_direction);
    // The modifiers keep the left-to-right order in either direction.
    const QString flags
        = modifiers.transformedValue(QVariant::fromValue(shortcut.modifierFlags())).toString();
    return flags + (key ? *key : QStringLiteral("<%1>").arg(shortcut.keyCode()));
}

bool KCShortcutFormatter::getObjectValue(KCShortcutRef* shortcut, const QString& string) const
{
    if (!m_keyCodeLiteral || !m_ascii || m_direction != Qt::LeftToRight)
        return false;
    KCShortcutRef parsed = KCShortcut::shortcutWithKeyEquivalent(string);
    if (shortcut && parsed)
        *shortcut = parsed;
    return parsed != nullptr;
}
