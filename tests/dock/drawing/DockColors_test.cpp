#include "dock/drawing/DockColors.h"

#include <gtest/gtest.h>

struct HexCase {
    const char* name;
    const char16_t* text;
    uint32_t fallback;
    uint32_t expected;
};
class ColorFromHex : public ::testing::TestWithParam<HexCase> { };
TEST_P(ColorFromHex, ReadsTheLow24BitsOfASigned64BitNumber)
{
    const auto& c = GetParam();
    const QColor colour = colorFromHex(QString::fromUtf16(c.text), c.fallback);
    EXPECT_EQ(colour.rgba(), 0xff000000u | c.expected);
}
INSTANTIATE_TEST_SUITE_P(DockColors, ColorFromHex,
    ::testing::Values(HexCase { "Plain", u"00cec9", 0xf5bc53, 0x00cec9 },
        HexCase { "UpperCase", u"FF7675", 0xf5bc53, 0xff7675 },
        HexCase { "ThreeDigitsAreANumberNotShorthand", u"fff", 0xf5bc53, 0x000fff },
        HexCase { "PlusSign", u"+ff0000", 0xf5bc53, 0xff0000 },
        HexCase { "MinusOneIsAllOnes", u"-1", 0xf5bc53, 0xffffff },
        HexCase { "HighBitsIgnored", u"1ffffff", 0xf5bc53, 0xffffff },
        HexCase { "LargestPositive", u"7fffffffffffffff", 0xf5bc53, 0xffffff },
        HexCase { "SmallestNegative", u"-8000000000000000", 0xf5bc53, 0x000000 },
        HexCase { "BeyondSigned64Bits", u"ffffffffffffffff", 0xf5bc53, 0xf5bc53 },
        HexCase { "PositiveTwoToThe63", u"8000000000000000", 0xf5bc53, 0xf5bc53 },
        HexCase { "LeadingBlank", u" ffffff", 0xf5bc53, 0xf5bc53 },
        HexCase { "NumberSign", u"#ff0000", 0xffffff, 0xffffff },
        HexCase { "SignAlone", u"-", 0xf5bc53, 0xf5bc53 },
        HexCase { "HexPrefix", u"0xff", 0xf5bc53, 0xf5bc53 }, HexCase { "Empty", u"", 0xffffff, 0xffffff }),
    [](const auto& info) { return std::string(info.param.name); });
