#include "KeyComboKit/KCModifierFlagsTransformer.h"

#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/KCKeyCodes.h"
#include "KeyComboKit/KCShortcut.h"

#include <QStringList>

namespace {

struct Modifier {
    quint64 flag;
    const char* word;
    char16_t glyph;
};
// The display order.
constexpr Modifier modifiers[] = {
    { kc::control, "Control", u'⌃' },
    { kc::option, "Option", u'⌥' },
    { kc::shift, "Shift", u'⇧' },
    { kc::command, "Command", u'⌘' },
};

QVariant invalidValue()
{
    qCCritical(lcKeyComboKit) << "#Error Invalid value for transformation";
    return {};
}

// The keyed value of a shortcut or a dictionary; invalid for anything else
// (container reports which it was).
QVariant entry(const QVariant& value, const QString& key, bool* container)
{
    if (const KCShortcutRef shortcut = KCShortcutFromVariant(value)) {
        *container = true;
        return shortcut->valueForKey(key);
    }
    if (value.metaType().id() == QMetaType::QVariantMap) {
        *container = true;
        return value.toMap().value(key);
    }
    *container = false;
    return {};
}

} // namespace

KCModifierFlagsTransformer& KCModifierFlagsTransformer::sharedTransformer()
{
    return KCSymbolicModifierFlagsTransformer::sharedTransformer();
}

KCLiteralModifierFlagsTransformer& KCLiteralModifierFlagsTransformer::sharedTransformer()
{
    static KCLiteralModifierFlagsTransformer shared;
    return shared;
}

QVariant KCLiteralModifierFlagsTransformer::transformedValue(
    const QVariant& flags, Qt::LayoutDirection direction) const
{
    if (!KCIsNumber(flags))
        return invalidValue();
    const quint64 f = flags.toULongLong();
    QStringList words;
    for (const Modifier& m : modifiers)
        if (f & m.flag)
            words.append(KCLocalizedString(QString::fromLatin1(m.word)));
    if (direction == Qt::RightToLeft)
        std::reverse(words.begin(), words.end());
    return words.isEmpty() ? QString() : words.join(KCLocalizedString(QStringLiteral("-")));
}

KCSymbolicModifierFlagsTransformer& KCSymbolicModifierFlagsTransformer::sharedTransformer()
{
    static KCSymbolicModifierFlagsTransformer shared;
    return shared;
}

QVariant KCSymbolicModifierFlagsTransformer::transformedValue(
    const QVariant& flags, Qt::LayoutDirection direction) const
{
    if (!KCIsNumber(flags))
        return invalidValue();
    const quint64 f = flags.toULongLong();
    QString glyphs;
    for (const Modifier& m : modifiers)
        if (f & m.flag)
            glyphs.append(QChar(m.glyph));
    if (direction == Qt::RightToLeft)
        std::reverse(glyphs.begin(), glyphs.end());
    return glyphs;
}

QVariant KCSymbolicModifierFlagsTransformer::reverseTransformedValue(const QVariant& glyphs) const
{
    if (glyphs.metaType().id() != QMetaType::QString) {
        qCCritical(lcKeyComboKit) << "#Error Invalid value for reverse transformation";
        return {};
    }
    // Every glyph is one UTF-16 unit, so a sequence of any other length
    // (a glyph with a combining mark) is no glyph.
    quint64 flags = 0;
    for (const QChar c : glyphs.toString()) {
        const Modifier* found = nullptr;
        for (const Modifier& m : modifiers)
            if (c == QChar(m.glyph))
                found = &m;
        if (!found || (flags & found->flag)) {
            qCCritical(lcKeyComboKit) << "#Error Invalid value for reverse transformation";
            return {};
        }
        flags |= found->flag;
    }
    return QVariant::fromValue(flags);
}

KCKeyEquivalentTransformer& KCKeyEquivalentTransformer::sharedTransformer()
{
    static KCKeyEquivalentTransformer shared;
    return shared;
}

QVariant KCKeyEquivalentTransformer::transformedValue(const QVariant& value) const
{
    bool container = false;
    const QVariant keyCode = entry(value, QStringLiteral("keyCode"), &container);
    if (!container || !KCIsNumber(keyCode))
        return {};
    const QVariant flags = entry(value, QStringLiteral("modifierFlags"), &container);
    const auto text = KCASCIISymbolicKeyCodeTransformer::sharedTransformer().transformedValue(
        keyCode, QVariant(), KCIsNumber(flags) ? flags : QVariant::fromValue(quint64(0)), Qt::LeftToRight);
    return text ? QVariant(*text) : QVariant();
}

KCKeyEquivalentModifierMaskTransformer& KCKeyEquivalentModifierMaskTransformer::sharedTransformer()
{
    static KCKeyEquivalentModifierMaskTransformer shared;
    return shared;
}

QVariant KCKeyEquivalentModifierMaskTransformer::transformedValue(const QVariant& value) const
{
    bool container = false;
    const QVariant flags = entry(value, QStringLiteral("modifierFlags"), &container);
    return container && KCIsNumber(flags) ? flags : QVariant();
}

KCKeyBindingTransformer& KCKeyBindingTransformer::sharedTransformer()
{
    static KCKeyBindingTransformer shared;
    return shared;
}

QVariant KCKeyBindingTransformer::transformedValue(const QVariant& keyBinding) const
{
    if (keyBinding.metaType().id() != QMetaType::QString || keyBinding.toString().isEmpty())
        return {};
    const QString text = keyBinding.toString();
    qsizetype split = 0;
    while (split < text.size() && QStringLiteral("^~$@#").contains(text.at(split)))
        ++split;
    const QString prefix = text.left(split);
    const QString key = text.mid(split);
    if (key.size() != 1) {
        qCCritical(lcKeyComboKit) << "#Error unexpected key symbol";
        return {};
    }
    quint64 flags = 0;
    if (prefix.contains(u'^'))
        flags |= kc::control;
    if (prefix.contains(u'~'))
        flags |= kc::option;
    if (prefix.contains(u'$') || key != key.toLower())
        flags |= kc::shift;
    if (prefix.contains(u'@'))
        flags |= kc::command;
    const QVariant code
        = KCASCIISymbolicKeyCodeTransformer::sharedTransformer().reverseTransformedValue(key.toLower());
    if (!code.isValid()) {
        qCCritical(lcKeyComboKit) << "#Error unexpected key symbol";
        return {};
    }
    auto keyCode = code.value<quint16>();
    if (prefix.contains(u'#')) {
        // Main-row keys 18..29 to the keypad key of the same character.
        static constexpr quint16 keypad[] = { 83, 84, 85, 86, 88, 87, 81, 92, 89, 78, 91, 82 };
        if (keyCode >= 18 && keyCode <= 29)
            keyCode = keypad[keyCode - 18];
    }
    auto& symbols = KCASCIISymbolicKeyCodeTransformer::sharedTransformer();
    const auto characters = symbols.symbolForKeyCode(keyCode, flags, 0, Qt::LeftToRight);
    const auto ignoring = symbols.symbolForKeyCode(keyCode, 0, flags, Qt::LeftToRight);
    return QVariant::fromValue(KCShortcut::shortcutWithCode(keyCode, flags, characters, ignoring));
}

QVariant KCKeyBindingTransformer::reverseTransformedValue(const QVariant& value) const
{
    bool container = false;
    const QVariant keyCode = entry(value, QStringLiteral("keyCode"), &container);
    if (!container) {
        qCCritical(lcKeyComboKit) << "#Error invalid class of the value";
        return {};
    }
    if (!KCIsNumber(keyCode)) {
        qCCritical(lcKeyComboKit) << "#Error invalid key code";
        return {};
    }
    const QVariant keyText = KCASCIISymbolicKeyCodeTransformer::sharedTransformer().transformedValue(keyCode);
    if (!keyText.isValid()) {
        qCCritical(lcKeyComboKit) << "#Error unexpected key code";
        return {};
    }
    const QVariant flagsValue = entry(value, QStringLiteral("modifierFlags"), &container);
    const quint64 flags = KCIsNumber(flagsValue) ? flagsValue.toULongLong() : 0;
    QString binding;
    if (flags & kc::control)
        binding += u'^';
    if (flags & kc::option)
        binding += u'~';
    if (flags & kc::shift)
        binding += u'$';
    if (flags & kc::command)
        binding += u'@';
    if (KCIsKeypadKeyCode(quint16(keyCode.toULongLong())))
        binding += u'#';
    return binding + keyText.toString();
}
