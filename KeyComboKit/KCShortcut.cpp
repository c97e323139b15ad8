#include "KeyComboKit/KCShortcut.h"

#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/KCModifierFlagsTransformer.h"
#include "KeyComboKit/KCShortcutFormatter.h"

#include <QCborMap>
#include <QCborValue>
#include <QGuiApplication>

const KCClass KCShortcut::kcClassInfo = { "KCShortcut", nullptr };

namespace {

const QString keyCodeKey = QStringLiteral("keyCode");
const QString modifierFlagsKey = QStringLiteral("modifierFlags");
const QString charactersKey = QStringLiteral("characters");
const QString ignoringKey = QStringLiteral("charactersIgnoringModifiers");
const QString versionKey = QStringLiteral("version");

std::optional<QString> stringEntry(const QVariantMap& dictionary, const QString& key)
{
    const auto it = dictionary.constFind(key);
    if (it == dictionary.constEnd() || it->metaType().id() != QMetaType::QString)
        return std::nullopt;
    return it->toString();
}

} // namespace

KCShortcutRef KCShortcutFromVariant(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<KCShortcutRef>())
        return value.value<KCShortcutRef>();
    return nullptr;
}

KCShortcut::KCShortcut(quint16 keyCode, quint64 modifierFlags, std::optional<QString> characters,
    std::optional<QString> charactersIgnoringModifiers)
    : m_keyCode(keyCode)
    , m_modifierFlags(modifierFlags & kc::mask)
    , m_characters(std::move(characters))
    , m_charactersIgnoringModifiers(std::move(charactersIgnoringModifiers))
{
    if (keyCode == KCKeyCodeNone)
        return;
    auto& symbols = KCASCIISymbolicKeyCodeTransformer::sharedTransformer();
    if (!m_characters)
        m_characters = symbols.symbolForKeyCode(keyCode, modifierFlags, 0, Qt::LeftToRight);
    if (!m_charactersIgnoringModifiers)
        m_charactersIgnoringModifiers = symbols.symbolForKeyCode(keyCode, 0, modifierFlags, Qt::LeftToRight);
}

KCShortcutRef KCShortcut::shortcutWithCode(quint16 keyCode, quint64 modifierFlags,
    std::optional<QString> characters, std::optional<QString> charactersIgnoringModifiers)
{
    return std::make_shared<const KCShortcut>(
        keyCode, modifierFlags, std::move(characters), std::move(charactersIgnoringModifiers));
}

KCShortcutRef KCShortcut::shortcutWithEvent(const KCKeyEvent& event, bool ignoringCharacters)
{
    if (event.type != KCKeyEvent::keyDown && event.type != KCKeyEvent::keyUp
        && event.type != KCKeyEvent::flagsChanged) {
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Error aKeyboardEvent must be either NSEventTypeKeyUp, NSEventTypeKeyDown or "
                              "NSEventTypeFlagsChanged, "
                              "but got %1")
                   .arg(event.type);
        return nullptr;
    }
    quint16 keyCode = event.keyCode;
    quint64 flags = event.modifierFlags;
    std::optional<QString> characters;
    std::optional<QString> ignoring;
    if (event.type == KCKeyEvent::flagsChanged) {
        // The event reports the flags after the change, without the key that
        // was let go; the shortcut names the modifier key itself.
        switch (keyCode) {
        case 54:
        case 55:
            flags |= kc::command;
            break;
        case 58:
        case 61:
            flags |= kc::option;
            break;
        case 56:
        case 60:
            flags |= kc::shift;
            break;
        case 59:
        case 62:
            flags |= kc::control;
            break;
        default:
            break;
        }
        keyCode = KCKeyCodeNone;
        if (ignoringCharacters)
            characters = ignoring = QString();
    } else if (ignoringCharacters) {
        characters = ignoring = QString();
    } else {
        characters = event.characters;
        ignoring = event.charactersIgnoringModifiers;
    }
    return shortcutWithCode(keyCode, flags, characters, ignoring);
}

KCShortcutRef KCShortcut::shortcutWithDictionary(const QVariantMap& dictionary)
{
    const QVariant keyCode = dictionary.value(keyCodeKey);
    const QVariant flags = dictionary.value(modifierFlagsKey);
    return shortcutWithCode(KCIsNumber(keyCode) ? quint16(keyCode.toULongLong()) : KCKeyCodeNone,
        KCIsNumber(flags) ? flags.toULongLong() : 0, stringEntry(dictionary, charactersKey),
        stringEntry(dictionary, ignoringKey));
}

KCShortcutRef KCShortcut::shortcutWithKeyEquivalent(const QString& keyEquivalent)
{
    static const QString symbols = QStringLiteral("%1%2%3%4")
                                       .arg(QChar(0x2318))
                                       .arg(QChar(0x2325))
                                       .arg(QChar(0x21E7))
                                       .arg(QChar(0x2303));
    qsizetype split = 0;
    while (split < keyEquivalent.size() && symbols.contains(keyEquivalent.at(split)))
        ++split;
    const QString modifierPart = keyEquivalent.left(split);
    const QString keyPart = keyEquivalent.mid(split);
    if (modifierPart.isEmpty() && keyPart.isEmpty())
        return nullptr;
    quint64 flags = 0;
    if (!modifierPart.isEmpty()) {
        const QVariant parsed
            = KCSymbolicModifierFlagsTransformer::sharedTransformer().reverseTransformedValue(modifierPart);
        if (!parsed.isValid())
            return nullptr;
        flags = parsed.toULongLong();
    }
    quint16 keyCode = KCKeyCodeNone;
    if (!keyPart.isEmpty()) {
        const QVariant parsed
            = KCASCIILiteralKeyCodeTransformer::sharedTransformer().reverseTransformedValue(keyPart);
        if (!parsed.isValid())
            return nullptr;
        keyCode = parsed.value<quint16>();
    }
    return shortcutWithCode(keyCode, flags);
}

KCShortcutRef KCShortcut::shortcutWithKeyBinding(const QString& keyBinding)
{
    return KCShortcutFromVariant(KCKeyBindingTransformer::sharedTransformer().transformedValue(keyBinding));
}

QVariantMap KCShortcut::dictionaryRepresentation() const
{
    QVariantMap d;
    d.insert(keyCodeKey, QVariant::fromValue(m_keyCode));
    d.insert(modifierFlagsKey, QVariant::fromValue(m_modifierFlags));
    if (m_characters)
        d.insert(charactersKey, *m_characters);
    if (m_charactersIgnoringModifiers)
        d.insert(ignoringKey, *m_charactersIgnoringModifiers);
    return d;
}

QVariant KCShortcut::valueForKey(const QString& key) const
{
    if (key == keyCodeKey)
        return QVariant::fromValue(m_keyCode);
    if (key == modifierFlagsKey)
        return QVariant::fromValue(m_modifierFlags);
    if (key == charactersKey && m_characters)
        return *m_characters;
    if (key == ignoringKey && m_charactersIgnoringModifiers)
        return *m_charactersIgnoringModifiers;
    return {};
}

QByteArray KCShortcut::archive() const
{
    QCborMap map;
    map.insert(versionKey, KCResourceBundle().version());
    map.insert(keyCodeKey, qint64(m_keyCode));
    map.insert(modifierFlagsKey, qint64(m_modifierFlags));
    map.insert(charactersKey, m_characters ? QCborValue(*m_characters) : QCborValue(QCborValue::Null));
    map.insert(ignoringKey,
        m_charactersIgnoringModifiers ? QCborValue(*m_charactersIgnoringModifiers)
                                      : QCborValue(QCborValue::Null));
    return map.toCborValue().toCbor();
}

KCShortcutRef KCShortcut::fromArchive(const QByteArray& archive)
{
    const auto fail = [](const QString& why) -> KCShortcutRef {
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Error Unable to decode a shortcut: %1").arg(why);
        return nullptr;
    };
    QCborParserError error;
    const QCborValue value = QCborValue::fromCbor(archive, &error);
    if (error.error != QCborError::NoError)
        return fail(error.errorString());
    if (!value.isMap())
        return fail(QStringLiteral("the archive is not a map"));
    const QCborMap map = value.toMap();
    const QCborValue keyCode = map.value(keyCodeKey);
    const QCborValue flags = map.value(modifierFlagsKey);
    if (!(keyCode.isUndefined() || keyCode.isInteger()) || !(flags.isUndefined() || flags.isInteger()))
        return fail(QStringLiteral("\"keyCode\" and \"modifierFlags\" must be numbers"));
    if (keyCode.isInteger() && (keyCode.toInteger() < 0 || keyCode.toInteger() > 0xFFFF))
        return fail(QStringLiteral("\"keyCode\" %1 is out of range").arg(keyCode.toInteger()));
    std::optional<QString> strings[2];
    const QString stringKeys[2] = { charactersKey, ignoringKey };
    for (int i = 0; i < 2; ++i) {
        const QCborValue s = map.value(stringKeys[i]);
        if (s.isString())
            strings[i] = s.toString();
        else if (!s.isNull() && !s.isUndefined())
            return fail(QStringLiteral("\"%1\" must be a string").arg(stringKeys[i]));
    }
    // Without a key code the archive names no key, not the A key (code 0).
    return shortcutWithCode(keyCode.isInteger() ? quint16(keyCode.toInteger()) : KCKeyCodeNone,
        flags.isInteger() ? quint64(flags.toInteger()) : 0, strings[0], strings[1]);
}

QString KCShortcut::readableStringRepresentation(bool asciiOnly) const
{
    const KCKeyCodeTransformer& transformer = asciiOnly
        ? static_cast<const KCKeyCodeTransformer&>(KCASCIILiteralKeyCodeTransformer::sharedTransformer())
        : KCLiteralKeyCodeTransformer::sharedTransformer();
    const QVariant name = transformer.transformedValue(QVariant::fromValue(m_keyCode));
    const QString key = name.isValid() ? name.toString() : QStringLiteral("<%1>").arg(m_keyCode);
    const auto word = [this](quint64 flag, const char* text) {
        return (m_modifierFlags & flag) ? KCLocalizedString(QString::fromLatin1(text)) : QString();
    };
    return word(kc::command, "Command-") + word(kc::option, "Option-") + word(kc::control, "Control-")
        + word(kc::shift, "Shift-") + key;
}

QString KCShortcut::description() const
{
    static const KCShortcutFormatter formatter = [] {
        KCShortcutFormatter f;
        f.setUsesASCIICapableKeyboardInputSource(true);
        f.setKeyCodeLiteral(true);
        f.setModifierFlagsLiteral(false);
        f.setLayoutDirection(Qt::LeftToRight);
        return f;
    }();
    return formatter.stringForShortcut(*this);
}

bool KCShortcut::isEqualToShortcut(const KCShortcut& other) const
{
    return &other == this || (other.m_keyCode == m_keyCode && other.m_modifierFlags == m_modifierFlags);
}

bool KCShortcut::isEqual(const KCObject* other) const
{
    return KC_isEqual<KCShortcut>(*this, other, &KCShortcut::isEqualToShortcut, kcClassInfo);
}

bool KCShortcut::isEqualToDictionary(const QVariantMap& dictionary) const
{
    const QVariant flags = dictionary.value(modifierFlagsKey);
    const quint64 masked = (KCIsNumber(flags) ? flags.toULongLong() : 0) & kc::mask;
    const auto keyCode = dictionary.constFind(keyCodeKey);
    if (keyCode != dictionary.constEnd() && KCIsNumber(*keyCode))
        return keyCode->toULongLong() == m_keyCode && masked == m_modifierFlags;
    if (keyCode == dictionary.constEnd() && m_keyCode == KCKeyCodeNone)
        return masked == m_modifierFlags;
    return false;
}

bool KCShortcut::isEqualToKeyEquivalent(const QString& keyEquivalent, quint64 modifierFlags) const
{
    if (keyEquivalent.isEmpty() || m_keyCode == KCKeyCodeNone)
        return false;
    return isEqualToKeyEquivalent(
               keyEquivalent, modifierFlags, KCASCIISymbolicKeyCodeTransformer::sharedTransformer())
        || isEqualToKeyEquivalent(
            keyEquivalent, modifierFlags, KCSymbolicKeyCodeTransformer::sharedTransformer());
}

bool KCShortcut::isEqualToKeyEquivalent(
    const QString& keyEquivalent, quint64 modifierFlags, const KCKeyCodeTransformer& transformer) const
{
    if (keyEquivalent.isEmpty() || m_keyCode == KCKeyCodeNone)
        return false;
    const quint64 explicitMask = modifierFlags & kc::mask;
    if (m_keyCode == 48 && m_modifierFlags == explicitMask && keyEquivalent.size() == 1
        && (keyEquivalent.at(0) == QChar(9) || keyEquivalent.at(0) == QChar(25)))
        return true;
    const Qt::LayoutDirection direction = QGuiApplication::layoutDirection();
    const auto text = [&](quint64 implicitFlags, quint64 explicitFlags) {
        return transformer.transformedValue(QVariant::fromValue(m_keyCode),
            QVariant::fromValue(implicitFlags), QVariant::fromValue(explicitFlags), direction);
    };
    const std::optional<QString> plain = text(0, m_modifierFlags);
    if (plain && *plain == keyEquivalent && m_modifierFlags == explicitMask)
        return true;
    if (explicitMask & ~m_modifierFlags)
        return false;
    using namespace kc;
    static constexpr quint64 combinations[]
        = { 0, control, command, shift, option, control | command, shift | control, control | option,
              shift | command, option | command, shift | option, shift | control | command,
              control | option | command, shift | option | command, shift | control | option | command };
    for (quint64 combination : combinations) {
        if (combination & ~explicitMask)
            continue;
        const auto candidate = text(combination | (m_modifierFlags & ~explicitMask), explicitMask);
        if (candidate && candidate != plain && *candidate == keyEquivalent)
            return true;
    }
    return false;
}

quint32 KCShortcut::carbonKeyCode() const
{
    if (m_keyCode == KCKeyCodeNone)
        qCCritical(lcKeyComboKit) << "#Critical KCKeyCodeNone has no representation in Carbon";
    return m_keyCode;
}

quint32 KCShortcut::carbonModifierFlags() const
{
    quint32 carbon = 0;
    if (m_modifierFlags & kc::command)
        carbon |= 0x100;
    if (m_modifierFlags & kc::shift)
        carbon |= 0x200;
    if (m_modifierFlags & kc::option)
        carbon |= 0x800;
    if (m_modifierFlags & kc::control)
        carbon |= 0x1000;
    if (KCFunctionKeyCodes().contains(quint16(carbonKeyCode())))
        carbon |= 0x800000;
    return carbon;
}
