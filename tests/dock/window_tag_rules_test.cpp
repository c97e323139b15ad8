#include "dock/DockColors.h"
#include "dock/StackAppButtonRules.h"
#include "dock/WindowTagRules.h"

#include <gtest/gtest.h>

namespace {

TEST(DockColors, HexTextsAndTheirFallbacks)
{
    struct Row {
        const char* text;
        QColor expected;
    } rows[] = {
        { "00cec9", QColor(0x00, 0xce, 0xc9) },
        { "FFEAA7", QColor(0xff, 0xea, 0xa7) },
        { "ff", QColor(0, 0, 0xff) },
        { "#00cec9", QColor(0x12, 0x34, 0x56) },
        { "0x00cec9", QColor(0x12, 0x34, 0x56) },
        { "", QColor(0x12, 0x34, 0x56) },
        { "red", QColor(0x12, 0x34, 0x56) },
        { " 00cec9", QColor(0x12, 0x34, 0x56) },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(colorFromHex(QString::fromLatin1(row.text), 0x123456), row.expected);
    }
}

TEST(WindowTagRules, SizeGivesFontAndHeight)
{
    EXPECT_EQ(windowTagFontSize(WindowTagSize::Tiny), 9);
    EXPECT_EQ(windowTagFontSize(WindowTagSize::Small), 12);
    EXPECT_EQ(windowTagFontSize(WindowTagSize::Normal), 12);
    EXPECT_DOUBLE_EQ(windowTagHeight(WindowTagSize::Tiny, 46), 15);
    EXPECT_DOUBLE_EQ(windowTagHeight(WindowTagSize::Small, 46), 16);
    EXPECT_DOUBLE_EQ(windowTagHeight(WindowTagSize::Normal, 46), 36);
}

TEST(WindowTagRules, ChipBackground)
{
    const QColor focusedGrey(56, 60, 68);
    EXPECT_EQ(windowTagBackground(true, QStringLiteral("ff0000"), "00cec9"), focusedGrey)
        << "focus overrides the tag colour";
    EXPECT_EQ(windowTagBackground(false, QStringLiteral("ff0000"), "00cec9"), QColor(255, 0, 0));
    EXPECT_EQ(windowTagBackground(std::nullopt, QString(), "00cec9"), QColor(0, 0xce, 0xc9))
        << "an empty tag colour takes the dock colour";
    EXPECT_EQ(windowTagBackground(std::nullopt, std::nullopt, "00cec9"), QColor(0, 0xce, 0xc9));
    EXPECT_EQ(windowTagBackground(false, QStringLiteral("not hex"), "00cec9"), QColor(0xf5, 0xbc, 0x53));
    EXPECT_EQ(windowTagBackground(false, std::nullopt, "zz"), QColor(0xf5, 0xbc, 0x53));
    EXPECT_EQ(windowTagTextColor("white"), QColor(255, 255, 255));
    EXPECT_EQ(windowTagTextColor("bad"), QColor(0, 0x0b, 0xad)) << "short hex texts are numbers too";
    EXPECT_EQ(overlayTagColor(""), QColor(0xf5, 0xbc, 0x53));
}

TEST(WindowTagRules, ShortTitleCutsWholeCharactersAt17)
{
    struct Row {
        const char* name;
        QString title;
        QString shown;
    } rows[] = {
        { "empty", QString(), QString() },
        { "exactly 17", QStringLiteral("abcdefghijklmnopq"), QStringLiteral("abcdefghijklmnopq") },
        { "18 cut to 17", QStringLiteral("abcdefghijklmnopqr"), QStringLiteral("abcdefghijklmnopq") },
        // Family emoji: several code points joined, one character.
        { "joined emoji count once",
            QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7")
                + QStringLiteral("abcdefghijklmnopqrst"),
            QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7")
                + QStringLiteral("abcdefghijklmnop") },
        // "e" with a combining acute accent at the cut stays whole.
        { "combining accent at the cut", QStringLiteral("abcdefghijklmnope\u0301xyz"),
            QStringLiteral("abcdefghijklmnope\u0301") },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(shortTitle(row.title), row.shown);
    }
}

TEST(WindowTagRules, SimpleTagWidth)
{
    EXPECT_DOUBLE_EQ(simpleTagWidth(46, 0), 38);
    EXPECT_DOUBLE_EQ(simpleTagWidth(46, 6), 32);
}

TEST(StackAppButtonRules, DefaultIconSizeGivesA31By36GridOfThirds)
{
    const StackAppButtonGeometry g = stackAppButtonGeometry(46, 46);
    EXPECT_EQ(g.frame, QSizeF(46, 46));
    EXPECT_EQ(g.label, QSizeF(31, 36));
    EXPECT_DOUBLE_EQ(g.tile.width(), 46.0 / 3);
    EXPECT_DOUBLE_EQ(g.tile.height(), 46.0 / 3);
}

} // namespace
