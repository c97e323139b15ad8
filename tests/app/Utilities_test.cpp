#include "app/Utilities.h"

#include "platform/fake/FakePlatform.h"

#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {
std::string str(const std::optional<QString>& s)
{
    return s ? s->toStdString() : "<none>";
}
} // namespace

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
INSTANTIATE_TEST_SUITE_P(Utilities, FormatDuration,
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

TEST(CaptureWindowImage, TakesTheWindowServersPictureAndNothingForHiddenWindows)
{
    EXPECT_FALSE(captureWindowImage(true, 0x400001)); // no platform installed yet
    platform::fake::FakePlatform fake;
    platform::setCurrent(&fake);
    const quint32 shown = fake.addWindow(100, QStringLiteral("shown"), QRect(0, 0, 40, 30));
    const quint32 hidden = fake.addWindow(100, QStringLiteral("hidden"), QRect(0, 0, 40, 30));
    fake.updateWindow(hidden, [](platform::ServerWindow& w) { w.minimized = true; });
    const auto image = captureWindowImage(true, shown);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(40, 30));
    EXPECT_FALSE(captureWindowImage(false, hidden));
    EXPECT_FALSE(captureWindowImage(false, 0xdead));
    platform::setCurrent(nullptr);
}
