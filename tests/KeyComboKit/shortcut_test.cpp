// The shortcut value: its factories, forms, comparisons, archive and the
// formatter that shows it.
#include "tests/KeyComboKit/KitFixture.h"

#include "KeyComboKit/KCQtKeyEvent.h"
#include "KeyComboKit/KCShortcut.h"
#include "KeyComboKit/KCShortcutAction.h"
#include "KeyComboKit/KCShortcutFormatter.h"

#include <QCborMap>
#include <QCborValue>
#include <QKeyEvent>

using kctest::FakeLayouts;
using kctest::LogCapture;

namespace {
const quint64 shiftCommand = kc::shift | kc::command;
QVariant num(quint64 v)
{
    return QVariant::fromValue(v);
}
} // namespace

TEST_F(FakeLayouts, ShortcutTexts)
{
    const auto a = KCShortcut::shortcutWithCode(0, shiftCommand);
    EXPECT_EQ(a->description(), QString::fromUtf16(u"⇧⌘A"));
    EXPECT_EQ(a->readableStringRepresentation(true), "Command-Shift-A");
    EXPECT_EQ(KCShortcut::shortcutWithCode(0, kc::mask)->readableStringRepresentation(false),
        "Command-Option-Control-Shift-A");
    EXPECT_EQ(KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::command)->description(), QString(u'⌘'));
    EXPECT_EQ(KCShortcut::shortcutWithCode(55, 0)->description(), "<55>");
    // Characters derived from the ASCII layout when none are given.
    EXPECT_EQ(KCShortcut::shortcutWithCode(18, kc::shift)->characters(), "!");
    EXPECT_EQ(KCShortcut::shortcutWithCode(18, kc::shift)->charactersIgnoringModifiers(), "1");
    EXPECT_EQ(KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::shift)->characters(), std::nullopt);
}

TEST_F(FakeLayouts, FlagsOutsideTheMaskAreDropped)
{
    const auto plain = KCShortcut::shortcutWithCode(0, kc::command);
    const auto noisy = KCShortcut::shortcutWithCode(0, kc::command | 0x10000 | 0x800000 | 0x200000);
    EXPECT_EQ(noisy->modifierFlags(), kc::command);
    EXPECT_TRUE(*plain == *noisy);
    EXPECT_EQ(qHash(*plain), qHash(*noisy));
    EXPECT_TRUE(
        KCShortcut::shortcutWithDictionary({ { "keyCode", num(0) }, { "modifierFlags", num(0x1FFFFF) } })
            ->isEqualToShortcut(*KCShortcut::shortcutWithCode(0, kc::mask)));
}

TEST_F(FakeLayouts, ShortcutsFromEvents)
{
    struct Row {
        const char* name;
        KCKeyEvent event;
        bool ignoringCharacters;
        int keyCode; // -1: none
        quint64 flags;
        std::optional<QString> characters;
    };
    const Row rows[] = {
        { "RightCommandReleasedStillNamesCommand", { 12, 54, 0, {}, {} }, false, KCKeyCodeNone, kc::command,
            std::nullopt },
        { "OptionAddsItsFlag", { 12, 61, kc::shift, {}, {} }, true, KCKeyCodeNone, kc::shift | kc::option,
            "" },
        { "UnknownModifierKeyAddsNothing", { 12, 57, 0, {}, {} }, false, KCKeyCodeNone, 0, std::nullopt },
        { "KeyDownKeepsCharacters", { 10, 0, kc::command | 0x10000, "x", "y" }, false, 0, kc::command, "x" },
        { "KeyUpIgnoringCharacters", { 11, 0, 0, "x", "y" }, true, 0, 0, "" },
        { "MouseEventIsNone", { 1, 0, 0, {}, {} }, false, -1, 0, std::nullopt },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        LogCapture log;
        const auto s = KCShortcut::shortcutWithEvent(r.event, r.ignoringCharacters);
        if (r.keyCode < 0) {
            EXPECT_EQ(s, nullptr);
            EXPECT_EQ(
                log.count("#Error aKeyboardEvent must be either NSEventTypeKeyUp, NSEventTypeKeyDown or "
                          "NSEventTypeFlagsChanged, but got 1"),
                1);
            continue;
        }
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->keyCode(), r.keyCode);
        EXPECT_EQ(s->modifierFlags(), r.flags);
        EXPECT_EQ(s->characters(), r.characters);
    }
}

TEST_F(FakeLayouts, KeyEquivalentStrings)
{
    struct Row {
        const char16_t* text;
        int keyCode; // -1: none
        quint64 flags;
    };
    const Row rows[] = {
        { u"⌘", KCKeyCodeNone, kc::command },
        { u"", -1, 0 },
        { u"⇧⌘S", 1, shiftCommand },
        { u"F5", 96, 0 },
        { u"⌃⌥↩", 36, kc::control | kc::option },
        { u"⌘⌘S", -1, 0 },
        { u"⌘ab", -1, 0 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(QString::fromUtf16(r.text).toStdString());
        const auto s = KCShortcut::shortcutWithKeyEquivalent(QString::fromUtf16(r.text));
        if (r.keyCode < 0) {
            EXPECT_EQ(s, nullptr);
            continue;
        }
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->keyCode(), r.keyCode);
        EXPECT_EQ(s->modifierFlags(), r.flags);
        // Strings are derived from the layout, so only a keyless one has none.
        EXPECT_EQ(s->dictionaryRepresentation().size(), s->keyCode() == KCKeyCodeNone ? 2 : 4);
    }
}

TEST_F(FakeLayouts, ComparisonsWithKeyEquivalentsAndDictionaries)
{
    const auto shiftTab = KCShortcut::shortcutWithCode(48, kc::shift);
    EXPECT_TRUE(shiftTab->isEqualToKeyEquivalent(QString(QChar(25)), kc::shift));
    EXPECT_TRUE(shiftTab->isEqualToKeyEquivalent(QString(QChar(9)), kc::shift));
    const auto commandA = KCShortcut::shortcutWithCode(0, kc::command);
    EXPECT_TRUE(commandA->isEqualToKeyEquivalent("a", kc::command));
    EXPECT_FALSE(commandA->isEqualToKeyEquivalent("a", shiftCommand));
    EXPECT_FALSE(commandA->isEqualToKeyEquivalent("", kc::command));
    // Shift folded into the character: "!" with Command only.
    EXPECT_TRUE(KCShortcut::shortcutWithCode(18, shiftCommand)->isEqualToKeyEquivalent("!", kc::command));
    EXPECT_FALSE(KCShortcut::shortcutWithCode(18, kc::command)->isEqualToKeyEquivalent("!", kc::command));
    EXPECT_FALSE(
        KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::command)->isEqualToKeyEquivalent("a", kc::command));

    EXPECT_TRUE(
        commandA->isEqualToDictionary({ { "keyCode", num(0) }, { "modifierFlags", num(kc::command | 1) } }));
    EXPECT_FALSE(commandA->isEqualToDictionary(
        { { "keyCode", QStringLiteral("0") }, { "modifierFlags", num(kc::command) } }));
    const auto command = KCShortcut::shortcutWithCode(KCKeyCodeNone, kc::command);
    EXPECT_TRUE(command->isEqualToDictionary({ { "modifierFlags", num(kc::command) } }));
    EXPECT_FALSE(commandA->isEqualToDictionary({ { "modifierFlags", num(kc::command) } }));
}

TEST_F(FakeLayouts, CarbonValues)
{
    struct Row {
        quint16 keyCode;
        quint64 flags;
        quint32 carbon;
    };
    const Row rows[] = { { 96, 0, 0x800000 }, { 90, kc::command, 0x800100 }, { 0, kc::mask, 0x1B00 },
        { 0, kc::option, 0x800 } };
    for (const Row& r : rows)
        EXPECT_EQ(KCShortcut::shortcutWithCode(r.keyCode, r.flags)->carbonModifierFlags(), r.carbon)
            << r.keyCode;
    LogCapture log;
    EXPECT_EQ(KCShortcut::shortcutWithCode(KCKeyCodeNone, 0)->carbonKeyCode(), 0xFFFFu);
    EXPECT_EQ(log.count("#Critical KCKeyCodeNone has no representation in Carbon"), 1);
}

TEST_F(FakeLayouts, DictionaryAndArchiveRoundTripsAndDefaults)
{
    const auto s = KCShortcut::shortcutWithCode(0, shiftCommand, QStringLiteral("A"), std::nullopt);
    const QVariantMap d = s->dictionaryRepresentation();
    EXPECT_EQ(d.value("keyCode").toInt(), 0);
    EXPECT_EQ(d.value("characters").toString(), "A");
    EXPECT_TRUE(KCShortcut::shortcutWithDictionary(d)->isEqualToShortcut(*s));
    EXPECT_EQ(s->valueForKey("modifierFlags").toULongLong(), shiftCommand);
    EXPECT_FALSE(s->valueForKey("keycode").isValid());

    // Wrongly typed values are ignored; a missing key code is no key, not A.
    const auto odd = KCShortcut::shortcutWithDictionary({ { "keyCode", QStringLiteral("0") },
        { "modifierFlags", QStringLiteral("x") }, { "characters", num(3) } });
    EXPECT_EQ(odd->keyCode(), KCKeyCodeNone);
    EXPECT_EQ(odd->modifierFlags(), 0u);
    EXPECT_EQ(odd->characters(), std::nullopt);

    const QByteArray archive = s->archive();
    const QCborMap map = QCborValue::fromCbor(archive).toMap();
    EXPECT_EQ(map.value(QStringLiteral("version")).toString(), "1");
    const auto back = KCShortcut::fromArchive(archive);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isEqualToShortcut(*s));
    EXPECT_EQ(back->characters(), "A");
    EXPECT_EQ(back->charactersIgnoringModifiers(), s->charactersIgnoringModifiers());

    QCborMap noKey;
    noKey.insert(QStringLiteral("modifierFlags"), qint64(kc::command));
    const auto withoutKey = KCShortcut::fromArchive(noKey.toCborValue().toCbor());
    ASSERT_NE(withoutKey, nullptr);
    EXPECT_EQ(withoutKey->keyCode(), KCKeyCodeNone);
    EXPECT_EQ(withoutKey->modifierFlags(), kc::command);

    QCborMap wrong;
    wrong.insert(QStringLiteral("keyCode"), QStringLiteral("0"));
    QCborMap wrongString = QCborValue::fromCbor(archive).toMap();
    wrongString.insert(QStringLiteral("characters"), 5);
    for (const QByteArray& bad :
        { archive.left(archive.size() - 3), QByteArray("\xff\x00", 2), QCborValue(7).toCbor(),
            wrong.toCborValue().toCbor(), wrongString.toCborValue().toCbor(), QByteArray() }) {
        LogCapture log;
        EXPECT_EQ(KCShortcut::fromArchive(bad), nullptr) << bad.toHex().toStdString();
        EXPECT_EQ(log.countStartingWith("#Error"), 1);
    }
}

TEST_F(FakeLayouts, Formatter)
{
    KCShortcutFormatter f;
    f.setLayoutDirection(Qt::LeftToRight);
    const auto shiftCommandA = QVariant::fromValue(KCShortcut::shortcutWithCode(0, shiftCommand));
    EXPECT_EQ(f.stringForObjectValue(shiftCommandA), QString::fromUtf16(u"⇧⌘A"));
    EXPECT_FALSE(f.stringForObjectValue(QStringLiteral("⌘A")).isValid());
    f.setModifierFlagsLiteral(true);
    EXPECT_EQ(f.stringForObjectValue(shiftCommandA), "Shift-CommandA");
    f.setModifierFlagsLiteral(false);

    KCShortcutRef parsed;
    EXPECT_TRUE(f.getObjectValue(&parsed, QString::fromUtf16(u"⌃⌥⇥")));
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(parsed->keyCode(), 48);
    EXPECT_FALSE(f.getObjectValue(&parsed, QStringLiteral("⌘?")));

    KCShortcutFormatter rtl;
    rtl.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(rtl.stringForShortcut(*KCShortcut::shortcutWithCode(48, kc::control | kc::option)),
        QString::fromUtf16(u"⌃⌥⇤"));
    EXPECT_EQ(rtl.stringForShortcut(*KCShortcut::shortcutWithCode(48, kc::shift)), QString::fromUtf16(u"⇧⇤"));
    EXPECT_FALSE(rtl.getObjectValue(nullptr, QString::fromUtf16(u"⌘A")));

    KCShortcutFormatter symbolic;
    symbolic.setLayoutDirection(Qt::LeftToRight);
    symbolic.setKeyCodeLiteral(false);
    symbolic.setUsesASCIICapableKeyboardInputSource(false);
    EXPECT_EQ(symbolic.stringForShortcut(*KCShortcut::shortcutWithCode(36, kc::command)),
        QString::fromUtf16(u"⌘\r"));
    EXPECT_FALSE(symbolic.getObjectValue(nullptr, QString::fromUtf16(u"⌘A")));
}

TEST_F(FakeLayouts, QtKeyEventsReadAsKeyPositionsWithTheAppsModifiers)
{
    // X keycode 38 is the A position, 37 the left Control key.
    const QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, 38, 0, 0, "A");
    const KCKeyEvent e = KCKeyEventFromQKeyEvent(a);
    EXPECT_EQ(e.type, KCKeyEvent::keyDown);
    EXPECT_EQ(e.keyCode, 0);
    EXPECT_EQ(e.modifierFlags, shiftCommand);
    EXPECT_EQ(e.characters, "A");
    EXPECT_EQ(e.charactersIgnoringModifiers, "A");

    const QKeyEvent meta(QEvent::KeyRelease, Qt::Key_Q, Qt::MetaModifier | Qt::AltModifier, 24, 0, 0, "q");
    EXPECT_EQ(KCKeyEventFromQKeyEvent(meta).modifierFlags, kc::control | kc::option);
    EXPECT_EQ(KCKeyEventFromQKeyEvent(meta).type, KCKeyEvent::keyUp);

    const QKeyEvent control(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, 37, 0, 0);
    const auto s = KCShortcut::shortcutWithEvent(KCKeyEventFromQKeyEvent(control));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->keyCode(), KCKeyCodeNone);
    EXPECT_EQ(s->modifierFlags(), kc::command);

    // Qt leaves Super's and AltGr's own bit out of the state: a press must
    // still read as the modifier going down, a release as it going up.
    const struct {
        const char* name;
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 scan;
        quint64 flags;
    } modifierRows[] = {
        { "Super_L down", QEvent::KeyPress, Qt::Key_Super_L, Qt::NoModifier, 133, kc::control },
        { "Super_L up", QEvent::KeyRelease, Qt::Key_Super_L, Qt::MetaModifier, 133, 0 },
        { "Super_R down with Shift", QEvent::KeyPress, Qt::Key_Super_R, Qt::ShiftModifier, 134,
            kc::control | kc::shift },
        { "AltGr down", QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier, 108, kc::option },
        { "AltGr up", QEvent::KeyRelease, Qt::Key_AltGr, Qt::GroupSwitchModifier, 108, 0 },
    };
    for (const auto& row : modifierRows) {
        SCOPED_TRACE(row.name);
        const QKeyEvent e(row.type, row.key, row.modifiers, row.scan, 0, 0);
        const KCKeyEvent k = KCKeyEventFromQKeyEvent(e);
        EXPECT_EQ(k.type, KCKeyEvent::flagsChanged);
        EXPECT_EQ(k.modifierFlags, row.flags);
        EXPECT_EQ(KCKeyEventTypeOf(k), row.flags ? KCKeyEventTypeDown : KCKeyEventTypeUp);
    }

    const QKeyEvent unknown(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 400, 0, 0, "a");
    EXPECT_EQ(KCKeyEventFromQKeyEvent(unknown).keyCode, KCKeyCodeNone);
}
