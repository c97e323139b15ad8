#include "app/Utilities.h"

#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <gtest/gtest.h>


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
    platform::install(platform::fake::services(&fake));
    const quint32 shown = fake.addWindow(100, QStringLiteral("shown"), QRect(0, 0, 40, 30));
    const quint32 hidden = fake.addWindow(100, QStringLiteral("hidden"), QRect(0, 0, 40, 30));
    fake.updateWindow(hidden, [](platform::ServerWindow& w) { w.minimized = true; });
    const auto image = captureWindowImage(true, shown);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(40, 30));
    EXPECT_FALSE(captureWindowImage(false, hidden));
    EXPECT_FALSE(captureWindowImage(false, 0xdead));
    platform::uninstall();
}

TEST(ShowAlert, AnInstalledPresenterGoesBeforeTheDefaultAndWithNeitherItIsOnlyLogged)
{
    QStringList seen;
    setDefaultAlertPresenter([&](const QString& m, const QString&) { seen << "default:" + m; });
    setAlertPresenter([&](const QString& m, const QString& i) { seen << m << i; });
    showAlert("Title", "Details");
    setAlertPresenter({});
    showAlert("Second", "");
    setDefaultAlertPresenter({});
    showAlert("Third", "");
    EXPECT_EQ(seen, QStringList({ "Title", "Details", "default:Second" }));
}

// The id leaves this program (the web client sends it); machine-id(5) asks
// that the raw id never does.
TEST(DeviceUUID, StableUppercaseAndNotTheRawMachineId)
{
    const QByteArray id = "0123456789abcdef0123456789abcdef\n";
    const auto a = deviceUUIDFromMachineId(id);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, deviceUUIDFromMachineId(id.toUpper()));
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$")
                    .match(*a)
                    .hasMatch())
        << a->toStdString();
    EXPECT_FALSE(QString(*a).remove(QChar(0x2d)).contains("0123456789ABCDEF"));
    EXPECT_NE(a, deviceUUIDFromMachineId("fedcba9876543210fedcba9876543210"));
    EXPECT_FALSE(deviceUUIDFromMachineId(""));
    EXPECT_FALSE(deviceUUIDFromMachineId("0123456789abcdef0123456789abcdeg"));
    EXPECT_FALSE(deviceUUIDFromMachineId("0123456789abcdef"));
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
INSTANTIATE_TEST_SUITE_P(Utilities, FormatFloat,
    ::testing::Values(FloatCase { "English", 2, 33.333f, "en_US", "33.33" },
        FloatCase { "German", 2, 33.333f, "de_DE", "33,33" },
        FloatCase { "TieToEvenDown", 0, 2.5f, "en_US", "2" },
        FloatCase { "TieToEvenUp", 0, 3.5f, "en_US", "4" },
        FloatCase { "ExactTieInFraction", 2, 0.125f, "en_US", "0.12" },
        FloatCase { "NegativeTie", 0, -2.5f, "en_US", "-2" },
        FloatCase { "NoGrouping", 1, 12345.25f, "de_DE", "12345,2" }),
    [](const auto& info) { return std::string(info.param.name); });
