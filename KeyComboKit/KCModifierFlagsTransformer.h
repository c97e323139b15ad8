#pragma once

// Modifier flags <-> text ("Control-Command", "⌃⌘"), the key equivalent and
// modifier mask a menu item takes, and the key-binding notation ("$@a").
#include "KeyComboKit/KCValueTransformer.h"

#include <Qt>

class KCModifierFlagsTransformer : public KCValueTransformer {
public:
    // The shared symbolic transformer; also what the abstract class hands out.
    static KCModifierFlagsTransformer& sharedTransformer();
    QVariant transformedValue(const QVariant& flags) const override
    {
        return transformedValue(flags, Qt::LeftToRight);
    }
    // Right-to-left reverses the order Control, Option, Shift, Command.
    virtual QVariant transformedValue(const QVariant& flags, Qt::LayoutDirection direction) const = 0;
};

class KCLiteralModifierFlagsTransformer final : public KCModifierFlagsTransformer {
public:
    static KCLiteralModifierFlagsTransformer& sharedTransformer();
    using KCModifierFlagsTransformer::transformedValue;
    QVariant transformedValue(const QVariant& flags, Qt::LayoutDirection direction) const override;
};

class KCSymbolicModifierFlagsTransformer final : public KCModifierFlagsTransformer {
public:
    static KCSymbolicModifierFlagsTransformer& sharedTransformer();
    using KCModifierFlagsTransformer::transformedValue;
    QVariant transformedValue(const QVariant& flags, Qt::LayoutDirection direction) const override;
    bool allowsReverseTransformation() const override { return true; }
    // Glyphs in any order, each at most once -> flags; "" gives 0.
    QVariant reverseTransformedValue(const QVariant& glyphs) const override;
};

// A shortcut or its dictionary -> the unshifted character of its key in
// the ASCII-capable layout (or the fixed symbol of a special key).
class KCKeyEquivalentTransformer final : public KCValueTransformer {
public:
    static KCKeyEquivalentTransformer& sharedTransformer();
    QVariant transformedValue(const QVariant& value) const override;
};

// A shortcut or its dictionary -> its "modifierFlags".
class KCKeyEquivalentModifierMaskTransformer final : public KCValueTransformer {
public:
    static KCKeyEquivalentModifierMaskTransformer& sharedTransformer();
    QVariant transformedValue(const QVariant& value) const override;
};

// "^~$@#" prefixes and one key character <-> shortcut.
class KCKeyBindingTransformer final : public KCValueTransformer {
public:
    static KCKeyBindingTransformer& sharedTransformer();
    QVariant transformedValue(const QVariant& keyBinding) const override;
    bool allowsReverseTransformation() const override { return true; }
    QVariant reverseTransformedValue(const QVariant& shortcutOrDictionary) const override;
};
