// The tables of the key-code, modifier-flag, key-equivalent and key-binding
// transformers, over a US layout.
#include "tests/KeyComboKit/KitFixture.h"

#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/KCModifierFlagsTransformer.h"
#include "KeyComboKit/KCShortcut.h"

using kctest::FakeLayouts;
using kctest::LogCapture;

namespace {

QVariant numberValue(quint64 v)
{
    return QVariant::fromValue(v);
}

QString show(const QVariant& v)
{
    return v.isValid() ? v.toString() : QStringLiteral("<nil>");
}

} // namespace

TEST_F(FakeLayouts, LiteralAndSymbolOfSpecialKeysFollowDirectionAndShift)
{
    struct Row {
        quint16 keyCode;
        quint64 implicitFlags;
        Qt::LayoutDirection direction;
        const char16_t* literal;
        const char16_t* symbol;
    };
    const Row rows[] = {
        { 48, 0, Qt::LeftToRight, u"⇥", u"\t" },
        { 48, kc::shift, Qt::LeftToRight, u"⇤", u"\t" },
        { 48, 0, Qt::RightToLeft, u"⇤", u"\t" },
        { 48, kc::shift, Qt::RightToLeft, u"⇥", u"\t" },
        { 51, 0, Qt::LeftToRight, u"⌫", u"\b" },
        { 51, 0, Qt::RightToLeft, u"⌦", u"\b" },
        { 117, 0, Qt::LeftToRight, u"⌦", u"\x7f" },
        { 117, 0, Qt::RightToLeft, u"⌫", u"\x7f" },
        { 36, 0, Qt::LeftToRight, u"↩", u"\r" },
        { 49, 0, Qt::LeftToRight, u"Space", u" " },
        { 114, 0, Qt::LeftToRight, u"?\u20DD", u"\uF746" },
        { 122, 0, Qt::LeftToRight, u"F1", u"\uF704" },
        { 90, 0, Qt::LeftToRight, u"F20", u"\uF717" },
        { 71, 0, Qt::LeftToRight, u"⌧", u"\uF739" },
    };
    const auto& t = KCLiteralKeyCodeTransformer::sharedTransformer();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.keyCode);
        EXPECT_EQ(
            t.literalForKeyCode(r.keyCode, r.implicitFlags, 0, r.direction), QString::fromUtf16(r.literal));
        EXPECT_EQ(
            t.symbolForKeyCode(r.keyCode, r.implicitFlags, 0, r.direction), QString::fromUtf16(r.symbol));
    }
}

TEST_F(FakeLayouts, KeyCodeTransformerValuesAndTheAbstractClass)
{
    LogCapture log;
    auto& literal = KCASCIILiteralKeyCodeTransformer::sharedTransformer();
    EXPECT_EQ(show(literal.transformedValue(numberValue(0))), "A");
    EXPECT_EQ(show(literal.transformedValue(numberValue(KCKeyCodeNone))), "");
    EXPECT_EQ(show(literal.transformedValue(QStringLiteral("0"))), "<nil>");
    EXPECT_EQ(log.count("#Error Invalid key code"), 1);
    // A shortcut's flags are explicit: Shift does not turn Tab around.
    const auto shiftTab = KCShortcut::shortcutWithCode(48, kc::shift);
    EXPECT_EQ(show(literal.transformedValue(QVariant::fromValue(shiftTab))), QString(u'⇥'));

    EXPECT_EQ(&KCKeyCodeTransformer::sharedTransformer(), &KCSymbolicKeyCodeTransformer::sharedTransformer());
    EXPECT_EQ(log.count("#Developer #Error Use KCSymbolicKeyCodeTransformer instead"), 0);
    EXPECT_EQ(&KCKeyCodeTransformer::make(), &KCSymbolicKeyCodeTransformer::sharedTransformer());
    EXPECT_EQ(log.count("#Developer #Error Use KCSymbolicKeyCodeTransformer instead"), 1);
    EXPECT_EQ(KCKeyCodeTransformer::knownKeyCodes().size(), 103);
}

TEST_F(FakeLayouts, AsciiLiteralParser)
{
    struct Row {
        const char16_t* text;
        int keyCode; // -1: rejected
    };
    const Row rows[] = {
        { u"F12", 111 },
        { u"f12", 111 },
        { u"f1", 122 },
        { u"F20", 90 },
        { u"f0", -1 },
        { u"f21", -1 },
        { u"f05", -1 },
        { u"Esc", 53 },
        { u"escape", 53 },
        { u"TAB", 48 },
        { u"Help", 114 },
        { u"?\u20DD", 114 },
        { u"enter", 36 },
        { u"⌅", 76 },
        { u"Space", 49 },
        { u" ", 49 },
        { u"1", 18 },
        { u"0", 29 },
        { u"-", 27 },
        { u"/", 44 },
        { u"⇤", 48 },
        { u"A", 0 },
        { u"z", 6 },
        { u"[", 33 },
        { u"", -1 },
        { u"ab", -1 },
    };
    const auto& t = KCASCIILiteralKeyCodeTransformer::sharedTransformer();
    for (const Row& r : rows) {
        const QString text = QString::fromUtf16(r.text);
        SCOPED_TRACE(text.toStdString());
        const QVariant v = t.reverseTransformedValue(text);
        EXPECT_EQ(v.isValid() ? v.toInt() : -1, r.keyCode);
    }
    LogCapture log;
    EXPECT_FALSE(t.reverseTransformedValue(numberValue(3)).isValid());
    EXPECT_EQ(log.count("#Error Invalid ASCII literal"), 1);
    EXPECT_EQ(log.count("#Error Invalid value for reverse transformation"), 1);
}

TEST_F(FakeLayouts, AsciiSymbolParser)
{
    struct Row {
        const char16_t* text;
        int keyCode;
    };
    const Row rows[] = {
        { u"\uF704", 122 },
        { u"\uF717", 90 },
        { u"\x19", 48 },
        { u"\uF700", 126 },
        { u"1", 18 },
        { u"=", 24 },
        { u"a", 0 },
        { u"A", 0 },
        { u" ", 49 },
        { u"\r", 36 },
        { u"\t", 48 },
        { u"", -1 },
        { u"ab", -1 },
        { u"\uF739", -1 },
    };
    const auto& t = KCASCIISymbolicKeyCodeTransformer::sharedTransformer();
    for (const Row& r : rows) {
        const QString text = QString::fromUtf16(r.text);
        SCOPED_TRACE(text.toStdString());
        const QVariant v = t.reverseTransformedValue(text);
        EXPECT_EQ(v.isValid() ? v.toInt() : -1, r.keyCode);
    }
}

TEST(ModifierFlags, WordsAndGlyphsInBothDirections)
{
    struct Row {
        quint64 flags;
        Qt::LayoutDirection direction;
        const char* words;
        const char16_t* glyphs;
    };
    const Row rows[] = {
        { kc::control | kc::command, Qt::LeftToRight, "Control-Command", u"⌃⌘" },
        { kc::control | kc::command, Qt::RightToLeft, "Command-Control", u"⌘⌃" },
        { kc::mask, Qt::LeftToRight, "Control-Option-Shift-Command", u"⌃⌥⇧⌘" },
        { kc::shift, Qt::LeftToRight, "Shift", u"⇧" },
        { 0, Qt::LeftToRight, "", u"" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.words);
        EXPECT_EQ(KCLiteralModifierFlagsTransformer::sharedTransformer().transformedValue(
                      numberValue(r.flags), r.direction),
            QString::fromLatin1(r.words));
        EXPECT_EQ(KCSymbolicModifierFlagsTransformer::sharedTransformer().transformedValue(
                      numberValue(r.flags), r.direction),
            QString::fromUtf16(r.glyphs));
    }
    LogCapture log;
    EXPECT_FALSE(KCLiteralModifierFlagsTransformer::sharedTransformer()
                     .transformedValue(QStringLiteral("x"))
                     .isValid());
    EXPECT_EQ(log.count("#Error Invalid value for transformation"), 1);
}

TEST(ModifierFlags, GlyphParser)
{
    struct Row {
        const char16_t* glyphs;
        qint64 flags; // -1: rejected
    };
    const Row rows[] = {
        { u"⌘⇧", 0x120000 },
        { u"⇧⌘", 0x120000 },
        { u"", 0 },
        { u"⌃⌥⇧⌘", 0x1E0000 },
        { u"⌘⌘", -1 },
        { u"⌘x", -1 },
        { u"⌘\u0301", -1 },
    };
    for (const Row& r : rows) {
        const QVariant v = KCSymbolicModifierFlagsTransformer::sharedTransformer().reverseTransformedValue(
            QString::fromUtf16(r.glyphs));
        EXPECT_EQ(v.isValid() ? v.toLongLong() : -1, r.flags) << QString::fromUtf16(r.glyphs).toStdString();
    }
}

TEST_F(FakeLayouts, KeyBindingsReadAndWritten)
{
    struct Row {
        const char* binding;
        int keyCode; // -1: rejected
        quint64 flags;
    };
    const Row rows[] = {
        { "A", 0, kc::shift },
        { "$a", 0, kc::shift },
        { "@~a", 0, kc::option | kc::command },
        { "#5", 87, 0 },
        { "#.", 47, 0 },
        { "^^a", 0, kc::control },
        { "^~", -1, 0 },
        { "^ab", -1, 0 },
        { "@\uF704", 122, kc::command },
    };
    auto& t = KCKeyBindingTransformer::sharedTransformer();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.binding);
        LogCapture log;
        const KCShortcutRef s = KCShortcutFromVariant(t.transformedValue(QString::fromUtf8(r.binding)));
        if (r.keyCode < 0) {
            EXPECT_EQ(s, nullptr);
            EXPECT_EQ(log.count("#Error unexpected key symbol"), 1);
            continue;
        }
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->keyCode(), r.keyCode);
        EXPECT_EQ(s->modifierFlags(), r.flags);
    }
    EXPECT_FALSE(t.transformedValue(QString()).isValid());

    struct Back {
        quint16 keyCode;
        quint64 flags;
        const char* binding;
    };
    const Back back[] = { { 0, kc::shift | kc::command, "$@a" }, { 83, 0, "#1" }, { 71, 0, "#\uF739" },
        { 0, kc::mask, "^~$@a" } };
    for (const Back& b : back)
        EXPECT_EQ(show(t.reverseTransformedValue(
                      QVariant::fromValue(KCShortcut::shortcutWithCode(b.keyCode, b.flags)))),
            QString::fromUtf8(b.binding));
    LogCapture log;
    EXPECT_FALSE(t.reverseTransformedValue(QStringLiteral("$@a")).isValid());
    EXPECT_FALSE(t.reverseTransformedValue(QVariantMap { { "modifierFlags", numberValue(0) } }).isValid());
    EXPECT_EQ(log.lines, QStringList({ "#Error invalid class of the value", "#Error invalid key code" }));
}

TEST_F(FakeLayouts, KeyEquivalentAndMaskOfDictionariesAndShortcuts)
{
    auto& equivalent = KCKeyEquivalentTransformer::sharedTransformer();
    auto& mask = KCKeyEquivalentModifierMaskTransformer::sharedTransformer();
    EXPECT_EQ(show(equivalent.transformedValue(QVariantMap { { "keyCode", numberValue(0) } })), "a");
    EXPECT_EQ(show(equivalent.transformedValue(QVariantMap { { "modifierFlags", numberValue(kc::shift) } })),
        "<nil>");
    const auto shiftOne = KCShortcut::shortcutWithCode(18, kc::shift);
    EXPECT_EQ(show(equivalent.transformedValue(QVariant::fromValue(shiftOne))), "1");
    EXPECT_EQ(mask.transformedValue(QVariant::fromValue(shiftOne)).toULongLong(), kc::shift);
    EXPECT_FALSE(mask.transformedValue(QVariantMap { { "modifierFlags", QStringLiteral("1") } }).isValid());
    EXPECT_FALSE(equivalent.transformedValue(numberValue(0)).isValid());
}
