#pragma once

// Key code -> text: literal (what the key cap reads: "F5", "Space", "↩",
// "A") or symbolic (the character of the key in key equivalents: U+000D,
// U+F704, "a"), over the current layout or the ASCII-capable one.
#include "KeyComboKit/KCKeyCodeTranslator.h"
#include "KeyComboKit/KCValueTransformer.h"

#include <Qt>

#include <memory>

class KCKeyCodeTransformer : public KCValueTransformer {
public:
    // The shared symbolic transformer.
    static KCKeyCodeTransformer& sharedTransformer();
    // Asking the abstract class for an instance is a mistake of the caller:
    // logged, and the symbolic transformer stands in.
    static KCKeyCodeTransformer& make();
    static std::unique_ptr<KCKeyCodeTransformer> makeWithInputSource(KCInputSourceRef source);

    static const QList<quint16>& knownKeyCodes();

    KCInputSourceRef inputSource() const { return m_translator->inputSource(); }
    KCKeyCodeTranslator& translator() const { return *m_translator; }

    // keyCode a number; the flags numbers or invalid (0). Nullopt for a key
    // without text, or for a key code that is not a number.
    std::optional<QString> transformedValue(const QVariant& keyCode, const QVariant& implicitModifierFlags,
        const QVariant& explicitModifierFlags, Qt::LayoutDirection direction) const;
    // A shortcut: its key with its flags as explicit flags; anything else is
    // taken as a key code without flags.
    QVariant transformedValue(const QVariant& value) const override;

    std::optional<QString> literalForKeyCode(
        quint16 keyCode, quint64 implicitFlags, quint64 explicitFlags, Qt::LayoutDirection direction) const;
    std::optional<QString> symbolForKeyCode(
        quint16 keyCode, quint64 implicitFlags, quint64 explicitFlags, Qt::LayoutDirection direction) const;

protected:
    KCKeyCodeTransformer(KCKeyCodeTranslator& shared, bool literal, const char* activity);
    KCKeyCodeTransformer(KCInputSourceRef source, bool literal, const char* activity);

private:
    std::unique_ptr<KCKeyCodeTranslator> m_owned;
    KCKeyCodeTranslator* m_translator;
    bool m_literal;
    const char* m_activity;
};

class KCLiteralKeyCodeTransformer final : public KCKeyCodeTransformer {
public:
    KCLiteralKeyCodeTransformer();
    explicit KCLiteralKeyCodeTransformer(KCInputSourceRef source);
    static KCLiteralKeyCodeTransformer& sharedTransformer();
};

class KCSymbolicKeyCodeTransformer final : public KCKeyCodeTransformer {
public:
    KCSymbolicKeyCodeTransformer();
    explicit KCSymbolicKeyCodeTransformer(KCInputSourceRef source);
    static KCSymbolicKeyCodeTransformer& sharedTransformer();
};

class KCASCIILiteralKeyCodeTransformer final : public KCKeyCodeTransformer {
public:
    KCASCIILiteralKeyCodeTransformer();
    // A plain translator without a reverse map: texts that need the map do
    // not parse.
    explicit KCASCIILiteralKeyCodeTransformer(KCInputSourceRef source);
    static KCASCIILiteralKeyCodeTransformer& sharedTransformer();
    bool allowsReverseTransformation() const override { return true; }
    // A key name ("F12", "Esc", "↩", "a") -> the key code as a number.
    QVariant reverseTransformedValue(const QVariant& value) const override;
};

class KCASCIISymbolicKeyCodeTransformer final : public KCKeyCodeTransformer {
public:
    KCASCIISymbolicKeyCodeTransformer();
    explicit KCASCIISymbolicKeyCodeTransformer(KCInputSourceRef source);
    static KCASCIISymbolicKeyCodeTransformer& sharedTransformer();
    bool allowsReverseTransformation() const override { return true; }
    // One key-equivalent character -> the key code as a number.
    QVariant reverseTransformedValue(const QVariant& value) const override;
};
