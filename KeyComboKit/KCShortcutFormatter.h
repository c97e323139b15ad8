#pragma once

// Shows a shortcut as one string ("⇧⌘A", "Control-CommandA") and reads a
// key equivalent back.
#include "KeyComboKit/KCShortcut.h"

#include <Qt>

class KCShortcutFormatter final {
public:
    // Literal key codes, symbolic modifiers, the ASCII-capable layout and
    // the application's layout direction.
    KCShortcutFormatter();

    bool isKeyCodeLiteral() const { return m_keyCodeLiteral; }
    void setKeyCodeLiteral(bool literal) { m_keyCodeLiteral = literal; }
    bool areModifierFlagsLiteral() const { return m_modifierFlagsLiteral; }
    void setModifierFlagsLiteral(bool literal) { m_modifierFlagsLiteral = literal; }
    bool usesASCIICapableKeyboardInputSource() const { return m_ascii; }
    void setUsesASCIICapableKeyboardInputSource(bool ascii) { m_ascii = ascii; }
    Qt::LayoutDirection layoutDirection() const { return m_direction; }
    void setLayoutDirection(Qt::LayoutDirection direction) { m_direction = direction; }

    // Invalid for a value that is not a shortcut.
    QVariant stringForObjectValue(const QVariant& value) const;
    QString stringForShortcut(const KCShortcut& shortcut) const;
    // Only a literal, ASCII-capable, left-to-right formatter parses.
    bool getObjectValue(KCShortcutRef* shortcut, const QString& string) const;

private:
    bool m_keyCodeLiteral = true;
    bool m_modifierFlagsLiteral = false;
    bool m_ascii = true;
    Qt::LayoutDirection m_direction;
};
