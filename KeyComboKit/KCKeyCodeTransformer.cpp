#include "KeyComboKit/KCKeyCodeTransformer.h"

#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCKeyCodes.h"
#include "KeyComboKit/KCShortcut.h"

#include <QHash>

bool KCIsNumber(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

namespace {

quint64 flagsOf(const QVariant& v)
{
    return KCIsNumber(v) ? v.toULongLong() : 0;
}

int functionKeyNumber(quint16 keyCode)
{
    return int(KCFunctionKeyCodes().indexOf(keyCode)) + 1;
}

QString chr(char16_t c)
{
    return QString(QChar(c));
}

std::optional<QString> fixedLiteral(quint16 keyCode, quint64 implicitFlags, Qt::LayoutDirection direction)
{
    const bool ltr = direction == Qt::LeftToRight;
    switch (keyCode) {
    case 36:
        return chr(u'↩');
    case 48: {
        const bool shifted = implicitFlags & kc::shift;
        return chr(ltr != shifted ? u'⇥' : u'⇤');
    }
    case 49:
        return KCLocalizedString(QStringLiteral("Space"));
    case 51:
        return chr(ltr ? u'⌫' : u'⌦');
    case 53:
        return chr(u'⎋');
    case 71:
        return chr(u'⌧');
    case 76:
        return chr(u'⌅');
    case 93:
        return chr(u'¥');
    case 94:
        return chr(u'＿');
    case 95:
        return chr(u'、');
    case 114:
        return QStringLiteral("?\u20DD");
    case 115:
        return chr(u'↖');
    case 116:
        return chr(u'⇞');
    case 117:
        return chr(ltr ? u'⌦' : u'⌫');
    case 119:
        return chr(u'↘');
    case 121:
        return chr(u'⇟');
    case 123:
        return chr(u'←');
    case 124:
        return chr(u'→');
    case 125:
        return chr(u'↓');
    case 126:
        return chr(u'↑');
    default:
        if (const int n = functionKeyNumber(keyCode))
            return QStringLiteral("F%1").arg(n);
        return std::nullopt;
    }
}

std::optional<QString> fixedSymbol(quint16 keyCode)
{
    switch (keyCode) {
    case 36:
        return chr(0x0D);
    case 48:
        return chr(0x09);
    case 49:
        return chr(0x20);
    case 51:
        return chr(0x08);
    case 53:
        return chr(0x1B);
    case 71:
        return chr(0xF739);
    case 76:
        return chr(0x03);
    case 93:
        return chr(0xA5);
    case 94:
        return chr(0xFF3F);
    case 95:
        return chr(0x3001);
    case 114:
        return chr(0xF746);
    case 115:
        return chr(0xF729);
    case 116:
        return chr(0xF72C);
    case 117:
        return chr(0x7F);
    case 119:
        return chr(0xF72B);
    case 121:
        return chr(0xF72D);
    case 123:
        return chr(0xF702);
    case 124:
        return chr(0xF703);
    case 125:
        return chr(0xF701);
    case 126:
        return chr(0xF700);
    default:
        if (const int n = functionKeyNumber(keyCode))
            return chr(char16_t(0xF703 + n));
        return std::nullopt;
    }
}

// Digits and the punctuation that the keypad repeats: the main row wins,
// whatever order the reverse map would pick.
const QHash<QChar, quint16>& mainRowKeys()
{
    static const QHash<QChar, quint16> keys = {
        { u'-', 27 },
        { u'.', 47 },
        { u'/', 44 },
        { u'=', 24 },
        { u'0', 29 },
        { u'1', 18 },
        { u'2', 19 },
        { u'3', 20 },
        { u'4', 21 },
        { u'5', 23 },
        { u'6', 22 },
        { u'7', 26 },
        { u'8', 28 },
        { u'9', 25 },
    };
    return keys;
}

const QHash<QChar, quint16>& literalCharacters()
{
    static const QHash<QChar, quint16> keys = [] {
        QHash<QChar, quint16> k = mainRowKeys();
        k.insert({
            { u' ', 49 },
            { u'¥', 93 },
            { u'←', 123 },
            { u'↑', 126 },
            { u'→', 124 },
            { u'↓', 125 },
            { u'↖', 115 },
            { u'↘', 119 },
            { u'↩', 36 },
            { u'⇞', 116 },
            { u'⇟', 121 },
            { u'⇤', 48 },
            { u'⇥', 48 },
            { u'⌅', 76 },
            { u'⌦', 117 },
            { u'⌧', 71 },
            { u'⌫', 51 },
            { u'⎋', 53 },
            { u'、', 95 },
            { u'＿', 94 },
        });
        return k;
    }();
    return keys;
}

const QHash<QChar, quint16>& symbolCharacters()
{
    static const QHash<QChar, quint16> keys = [] {
        QHash<QChar, quint16> k = mainRowKeys();
        k.insert({
            { QChar(0x19), 48 },
            { QChar(0xA5), 93 },
            { QChar(0x3001), 95 },
            { QChar(0xFF3F), 94 },
            { QChar(0xF700), 126 },
            { QChar(0xF701), 125 },
            { QChar(0xF702), 123 },
            { QChar(0xF703), 124 },
            { QChar(0xF729), 115 },
            { QChar(0xF72B), 119 },
            { QChar(0xF72C), 116 },
            { QChar(0xF72D), 121 },
            { QChar(0xF746), 114 },
        });
        for (int n = 1; n <= 20; ++n)
            k.insert(QChar(char16_t(0xF703 + n)), KCFunctionKeyCodes().at(n - 1));
        return k;
    }();
    return keys;
}

std::optional<quint16> fromReverseMap(const KCKeyCodeTranslator& translator, const QString& lowercase)
{
    auto* ascii = dynamic_cast<KCKeyCodeASCIITranslator*>(const_cast<KCKeyCodeTranslator*>(&translator));
    if (!ascii)
        return std::nullopt;
    return ascii->keyCodeForTranslation(lowercase);
}

QVariant rejected()
{
    qCCritical(lcKeyComboKit) << "#Error Invalid value for reverse transformation";
    return {};
}

} // namespace

KCKeyCodeTransformer::KCKeyCodeTransformer(KCKeyCodeTranslator& shared, bool literal, const char* activity)
    : m_translator(&shared)
    , m_literal(literal)
    , m_activity(activity)
{
}

KCKeyCodeTransformer::KCKeyCodeTransformer(KCInputSourceRef source, bool literal, const char* activity)
    : m_owned(std::make_unique<KCKeyCodeTranslator>(std::move(source)))
    , m_translator(m_owned.get())
    , m_literal(literal)
    , m_activity(activity)
{
}

KCKeyCodeTransformer& KCKeyCodeTransformer::sharedTransformer()
{
    return KCSymbolicKeyCodeTransformer::sharedTransformer();
}

KCKeyCodeTransformer& KCKeyCodeTransformer::make()
{
    qCCritical(lcKeyComboKit) << "#Developer #Error Use KCSymbolicKeyCodeTransformer instead";
    return sharedTransformer();
}

std::unique_ptr<KCKeyCodeTransformer> KCKeyCodeTransformer::makeWithInputSource(KCInputSourceRef source)
{
    qCCritical(lcKeyComboKit) << "#Developer #Error Use KCSymbolicKeyCodeTransformer instead";
    return std::make_unique<KCSymbolicKeyCodeTransformer>(std::move(source));
}

const QList<quint16>& KCKeyCodeTransformer::knownKeyCodes()
{
    return KCKnownKeyCodes();
}

std::optional<QString> KCKeyCodeTransformer::transformedValue(const QVariant& keyCode,
    const QVariant& implicitModifierFlags, const QVariant& explicitModifierFlags,
    Qt::LayoutDirection direction) const
{
    KCActivity activity(m_activity);
    if (!KCIsNumber(keyCode)) {
        qCCritical(lcKeyComboKit) << "#Error Invalid key code";
        return std::nullopt;
    }
    const auto code = quint16(keyCode.toULongLong());
    const quint64 implicitFlags = flagsOf(implicitModifierFlags);
    const quint64 explicitFlags = flagsOf(explicitModifierFlags);
    return m_literal ? literalForKeyCode(code, implicitFlags, explicitFlags, direction)
                     : symbolForKeyCode(code, implicitFlags, explicitFlags, direction);
}

QVariant KCKeyCodeTransformer::transformedValue(const QVariant& value) const
{
    std::optional<QString> text;
    if (const KCShortcutRef shortcut = KCShortcutFromVariant(value))
        text = transformedValue(shortcut->keyCode(), QVariant(), shortcut->modifierFlags(), Qt::LeftToRight);
    else
        text = transformedValue(value, QVariant(), QVariant(), Qt::LeftToRight);
    return text ? QVariant(*text) : QVariant();
}

std::optional<QString> KCKeyCodeTransformer::literalForKeyCode(
    quint16 keyCode, quint64 implicitFlags, quint64 explicitFlags, Qt::LayoutDirection direction) const
{
    if (auto fixed = fixedLiteral(keyCode, implicitFlags, direction))
        return fixed;
    const auto text = m_translator->translateKeyCode(keyCode, implicitFlags, explicitFlags, true);
    if (!text)
        return std::nullopt;
    return text->toUpper();
}

std::optional<QString> KCKeyCodeTransformer::symbolForKeyCode(
    quint16 keyCode, quint64 implicitFlags, quint64 explicitFlags, Qt::LayoutDirection) const
{
    if (auto fixed = fixedSymbol(keyCode))
        return fixed;
    return m_translator->translateKeyCode(keyCode, implicitFlags, explicitFlags, true);
}

KCLiteralKeyCodeTransformer::KCLiteralKeyCodeTransformer()
    : KCKeyCodeTransformer(KCKeyCodeTranslator::shared(), true, "Key Code -> Literal")
{
}
KCLiteralKeyCodeTransformer::KCLiteralKeyCodeTransformer(KCInputSourceRef source)
    : KCKeyCodeTransformer(std::move(source), true, "Key Code -> Literal")
{
}
KCLiteralKeyCodeTransformer& KCLiteralKeyCodeTransformer::sharedTransformer()
{
    static KCLiteralKeyCodeTransformer shared;
    return shared;
}

KCSymbolicKeyCodeTransformer::KCSymbolicKeyCodeTransformer()
    : KCKeyCodeTransformer(KCKeyCodeTranslator::shared(), false, "Key Code -> Symbol")
{
}
KCSymbolicKeyCodeTransformer::KCSymbolicKeyCodeTransformer(KCInputSourceRef source)
    : KCKeyCodeTransformer(std::move(source), false, "Key Code -> Symbol")
{
}
KCSymbolicKeyCodeTransformer& KCSymbolicKeyCodeTransformer::sharedTransformer()
{
    static KCSymbolicKeyCodeTransformer shared;
    return shared;
}

KCASCIILiteralKeyCodeTransformer::KCASCIILiteralKeyCodeTransformer()
    : KCKeyCodeTransformer(KCKeyCodeASCIITranslator::shared(), true, "Key Code -> ASCII Literal")
{
}
KCASCIILiteralKeyCodeTransformer::KCASCIILiteralKeyCodeTransformer(KCInputSourceRef source)
    : KCKeyCodeTransformer(std::move(source), true, "Key Code -> ASCII Literal")
{
}
KCASCIILiteralKeyCodeTransformer& KCASCIILiteralKeyCodeTransformer::sharedTransformer()
{
    static KCASCIILiteralKeyCodeTransformer shared;
    return shared;
}

QVariant KCASCIILiteralKeyCodeTransformer::reverseTransformedValue(const QVariant& value) const
{
    KCActivity activity("ASCII Literal -> Key Code");
    if (value.metaType().id() != QMetaType::QString || value.toString().isEmpty()) {
        qCCritical(lcKeyComboKit) << "#Error Invalid ASCII literal";
        return rejected();
    }
    const QString original = value.toString();
    const QString text = original.toLower();
    if (text.size() == 1) {
        const auto fixed = literalCharacters().constFind(text.at(0));
        if (fixed != literalCharacters().constEnd())
            return QVariant::fromValue(*fixed);
    } else {
        if (text.startsWith(u'f') && text.size() <= 3) {
            bool ok = false;
            const int n = text.mid(1).toInt(&ok);
            if (ok && ((text.size() == 2 && n >= 1 && n <= 9) || (text.size() == 3 && n >= 10 && n <= 20)))
                return QVariant::fromValue(KCFunctionKeyCodes().at(n - 1));
        }
        if (original.compare(KCLocalizedString(QStringLiteral("Space")), Qt::CaseInsensitive) == 0
            || text == QLatin1String("space"))
            return QVariant::fromValue(quint16(49));
        if (text == QLatin1String("esc") || text == QLatin1String("escape"))
            return QVariant::fromValue(quint16(53));
        if (text == QLatin1String("tab"))
            return QVariant::fromValue(quint16(48));
        if (text == QLatin1String("help") || text == QStringLiteral("?\u20DD"))
            return QVariant::fromValue(quint16(114));
        if (text == QLatin1String("enter"))
            return QVariant::fromValue(quint16(36));
    }
    if (const auto code = fromReverseMap(translator(), text))
        return QVariant::fromValue(*code);
    return rejected();
}

KCASCIISymbolicKeyCodeTransformer::KCASCIISymbolicKeyCodeTransformer()
    : KCKeyCodeTransformer(KCKeyCodeASCIITranslator::shared(), false, "Key Code -> ASCII Symbol")
{
}
KCASCIISymbolicKeyCodeTransformer::KCASCIISymbolicKeyCodeTransformer(KCInputSourceRef source)
    : KCKeyCodeTransformer(std::move(source), false, "Key Code -> ASCII Symbol")
{
}
KCASCIISymbolicKeyCodeTransformer& KCASCIISymbolicKeyCodeTransformer::sharedTransformer()
{
    static KCASCIISymbolicKeyCodeTransformer shared;
    return shared;
}

QVariant KCASCIISymbolicKeyCodeTransformer::reverseTransformedValue(const QVariant& value) const
{
    KCActivity activity("ASCII Symbol -> Key Code");
    if (value.metaType().id() != QMetaType::QString || value.toString().size() != 1) {
        qCCritical(lcKeyComboKit) << "#Error Invalid ASCII symbol";
        return rejected();
    }
    const QString text = value.toString();
    const auto fixed = symbolCharacters().constFind(text.at(0));
    if (fixed != symbolCharacters().constEnd())
        return QVariant::fromValue(*fixed);
    if (const auto code = fromReverseMap(translator(), text.toLower()))
        return QVariant::fromValue(*code);
    return rejected();
}
