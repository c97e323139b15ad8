// Key names through real xkb layouts compiled from their names.
#include "tests/KeyComboKit/KitFixture.h"

#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/KCKeyCodeTranslator.h"
#include "KeyComboKit/KCKeyCodes.h"
#include "KeyComboKit/KCModifierFlagsTransformer.h"
#include "KeyComboKit/x11/KCXkbInputSource.h"

using kctest::FakeLayouts;
using kctest::LogCapture;

namespace {

using Translation = KCInputSource::Translation;

std::optional<QString> literal(quint16 keyCode, quint64 implicitFlags = 0)
{
    return KCLiteralKeyCodeTransformer::sharedTransformer().literalForKeyCode(
        keyCode, implicitFlags, 0, Qt::LeftToRight);
}
std::optional<QString> asciiLiteral(quint16 keyCode)
{
    return KCASCIILiteralKeyCodeTransformer::sharedTransformer().literalForKeyCode(
        keyCode, 0, 0, Qt::LeftToRight);
}
std::optional<QString> symbol(quint16 keyCode, quint64 implicitFlags = 0)
{
    return KCSymbolicKeyCodeTransformer::sharedTransformer().symbolForKeyCode(
        keyCode, implicitFlags, 0, Qt::LeftToRight);
}

// A source whose keys never have text, counting its translations.
class Mute final : public KCInputSource {
public:
    QString identifier() const override { return QStringLiteral("mute"); }
    Translation translate(quint16, quint32) const override
    {
        ++calls;
        return {};
    }
    mutable int calls = 0;
};

} // namespace

struct LayoutRow {
    const char* name;
    const char* layouts;
    quint32 group;
    quint16 keyCode;
    quint64 implicitFlags;
    const char* literal; // over the current layout
    const char* symbol;
    const char* asciiLiteral;
};

class LayoutKeyNames : public FakeLayouts, public ::testing::WithParamInterface<LayoutRow> { };

TEST_P(LayoutKeyNames, FollowTheSelectedLayout)
{
    const LayoutRow& row = GetParam();
    ASSERT_TRUE(source.select(QString::fromUtf8(row.layouts), row.group));
    EXPECT_EQ(literal(row.keyCode, row.implicitFlags).value_or("<nil>"), QString::fromUtf8(row.literal));
    EXPECT_EQ(symbol(row.keyCode, row.implicitFlags).value_or("<nil>"), QString::fromUtf8(row.symbol));
    EXPECT_EQ(asciiLiteral(row.keyCode).value_or("<nil>"), QString::fromUtf8(row.asciiLiteral));
}

INSTANTIATE_TEST_SUITE_P(Kit, LayoutKeyNames,
    ::testing::Values(LayoutRow { "UsA", "us", 0, 0, 0, "A", "a", "A" },
        LayoutRow { "UsShiftedOneIsBang", "us", 0, 18, kc::shift, "!", "!", "1" },
        LayoutRow { "MacOptionAIsRing", "us(mac)", 0, 0, kc::option, "Å", "å", "A" },
        LayoutRow { "GermanYKeyReadsZ", "de", 0, 16, 0, "Z", "z", "Z" },
        LayoutRow { "GermanDeadAcuteShowsSpacingAccent", "de", 0, 24, 0, "´", "´", "´" },
        LayoutRow { "RussianIsCyrillicButAsciiStaysLatin", "ru", 0, 0, 0, "Ф", "ф", "A" },
        LayoutRow { "SecondGroupSelected", "us,ru", 1, 0, 0, "Ф", "ф", "A" },
        LayoutRow { "KeypadTypesDigits", "us", 0, 83, 0, "1", "1", "1" },
        LayoutRow { "FixedNamesIgnoreTheLayout", "ru", 0, 96, 0, "F5", "\uF708", "F5" },
        LayoutRow { "NoKeyIsEmpty", "de", 0, KCKeyCodeNone, 0, "", "", "" },
        LayoutRow { "ModifierKeyHasNoText", "us", 0, 55, 0, "<nil>", "<nil>", "<nil>" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeLayouts, ReverseMapIsRebuiltForANewAsciiLayout)
{
    auto& translator = KCKeyCodeASCIITranslator::shared();
    LogCapture log;
    EXPECT_EQ(translator.keyCodeForTranslation("a"), quint16(0));
    EXPECT_EQ(translator.keyCodeForTranslation("z"), quint16(6));
    ASSERT_TRUE(source.select("de"));
    EXPECT_EQ(translator.keyCodeForTranslation("z"), quint16(16));
    EXPECT_GE(log.count("Updating translation -> key code mapping"), 1);
    // The list order decides: the main key wins for "-", the keypad for the
    // digits.
    EXPECT_EQ(translator.keyCodeForTranslation("-"), quint16(44));
    EXPECT_EQ(translator.keyCodeForTranslation("5"), quint16(87));

    const int rebuilds = log.count("Updating translation -> key code mapping");
    EXPECT_EQ(translator.keyCodeForTranslation("y"), quint16(6));
    EXPECT_EQ(log.count("Updating translation -> key code mapping"), rebuilds);
    EXPECT_THROW(
        {
            try {
                translator.keyCodeForTranslation("A");
            } catch (const KCAssertionFailure& e) {
                EXPECT_EQ(e.description, "aTranslation must be a lowercase string");
                throw;
            }
        },
        KCAssertionFailure);
}

TEST_F(FakeLayouts, FailuresAreLoggedAndNotCached)
{
    LogCapture log;
    KCSetKeyLayoutSource(nullptr);
    EXPECT_EQ(KCKeyCodeTranslator::shared().translateKeyCode(KCKeyCodeNone, 0, 0, true), QString());
    EXPECT_EQ(KCKeyCodeTranslator::shared().translateKeyCode(0, 0, 0, true), std::nullopt);
    EXPECT_EQ(log.count("#Critical Failed to create an input source"), 1);

    auto mute = std::make_shared<Mute>();
    KCKeyCodeTranslator fixed(mute);
    EXPECT_EQ(fixed.translateKeyCode(0, 0, 0, true), std::nullopt);
    EXPECT_EQ(fixed.translateKeyCode(0, 0, 0, true), std::nullopt);
    EXPECT_EQ(mute->calls, 2);
    EXPECT_EQ(fixed.cacheSize(), 0);
    EXPECT_EQ(log.count("#Error No translation exists for keyCode 0 and modifierFlags 0"), 2);

    KCSetKeyLayoutSource(&source);
    source.setIdentifiersMissing(true);
    KCKeyCodeTranslator anonymous([this] { return source.currentKeyboardLayout(); });
    EXPECT_EQ(anonymous.translateKeyCode(0, 0, 0, true), "a");
    EXPECT_EQ(anonymous.cacheSize(), 0);
    EXPECT_EQ(log.count("#Error Input source misses an ID"), 1);
}

TEST_F(FakeLayouts, ExplicitFlagsSeparateCacheEntriesWithoutChangingText)
{
    LogCapture log;
    KCKeyCodeTranslator translator([this] { return source.currentKeyboardLayout(); });
    EXPECT_EQ(translator.translateKeyCode(18, 0, 0, true), "1");
    EXPECT_EQ(translator.translateKeyCode(18, 0, kc::command, true), "1");
    EXPECT_EQ(translator.translateKeyCode(18, kc::shift, 0, true), "!");
    EXPECT_EQ(translator.cacheSize(), 3);
    EXPECT_EQ(translator.translateKeyCode(18, kc::shift | 0x10000, 0, true), "!");
    EXPECT_EQ(log.count("Translation cache hit"), 1);
    EXPECT_EQ(log.count("Translation cache miss"), 3);
}

TEST(XkbSymbols, LayoutNamesOfTheServersKeymap)
{
    struct Row {
        const char* symbols;
        quint32 count;
        QStringList layouts;
    };
    const Row rows[] = {
        { "pc+de+inet(evdev)", 1, { "de" } },
        { "pc+us(mac)+inet(evdev)", 1, { "us(mac)" } },
        { "pc+us+ru:2+inet(evdev)+group(alt_shift_toggle)", 2, { "us", "ru" } },
        { "pc+ru+us:2+de(nodeadkeys):3+inet(evdev)", 3, { "ru", "us", "de(nodeadkeys)" } },
        { "", 1, { "" } },
    };
    for (const Row& r : rows)
        EXPECT_EQ(KCXkbInputSource::layoutsOfSymbols(QString::fromLatin1(r.symbols), r.count), r.layouts)
            << r.symbols;
}
