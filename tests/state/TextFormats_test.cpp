#include "state/TextFormats.h"

#include <gtest/gtest.h>

#include <limits>

struct DurationCase {
    const char* name;
    qint64 from, to;
    bool withHours;
    const char* expected;
};
class FormatDuration : public ::testing::TestWithParam<DurationCase> { };
TEST_P(FormatDuration, Format)
{
    const auto& c = GetParam();
    EXPECT_EQ(formatDuration(c.from, c.to, c.withHours).toStdString(), c.expected);
}
INSTANTIATE_TEST_SUITE_P(TextFormats, FormatDuration,
    ::testing::Values(DurationCase { "WithHours", 0, 3725, true, "01:02:05" },
        DurationCase { "ShortFormDropsWholeHours", 0, 3725, false, "02 : 05" },
        DurationCase { "NegativeSecond", 10, 9, true, "00:00:-1" },
        DurationCase { "NegativeMixed", 3725, 0, false, "-2 : -5" },
        DurationCase { "ManyHours", 0, 100 * 3600, true, "100:00:00" },
        DurationCase { "OverflowSaturatesInsteadOfWrapping", std::numeric_limits<qint64>::min(), 1, true,
            "2562047788015215:30:07" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatDate, UsesAsciiDigitsInLocalTime)
{
    const QDateTime t(QDate(2024, 3, 9), QTime(7, 5, 3), Qt::LocalTime);
    EXPECT_EQ(formatDate(t, "yyyy-MM-dd").toStdString(), "2024-03-09");
    EXPECT_EQ(formatDate(t, "yyyy-MM-dd HH:mm:ss").toStdString(), "2024-03-09 07:05:03");
    EXPECT_EQ(formatDate(t.toUTC(), "yyyy-MM-dd HH:mm:ss").toStdString(), "2024-03-09 07:05:03");
}

struct FloatCase {
    const char* name;
    int digits;
    float value;
    const char* locale;
    const char* expected;
};
class FormatFloat : public ::testing::TestWithParam<FloatCase> { };
TEST_P(FormatFloat, RoundsHalfToEvenInTheLocale)
{
    const auto& c = GetParam();
    EXPECT_EQ(
        formatFloat(c.value, c.digits, QLocale(QString::fromLatin1(c.locale))).toStdString(), c.expected);
}
INSTANTIATE_TEST_SUITE_P(TextFormats, FormatFloat,
    ::testing::Values(FloatCase { "English", 2, 33.333f, "en_US", "33.33" },
        FloatCase { "German", 2, 33.333f, "de_DE", "33,33" },
        FloatCase { "TieToEvenDown", 0, 2.5f, "en_US", "2" },
        FloatCase { "TieToEvenUp", 0, 3.5f, "en_US", "4" },
        FloatCase { "ExactTieInFraction", 2, 0.125f, "en_US", "0.12" },
        FloatCase { "NegativeTie", 0, -2.5f, "en_US", "-2" },
        FloatCase { "NoGrouping", 1, 12345.25f, "de_DE", "12345,2" }),
    [](const auto& info) { return std::string(info.param.name); });
