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

TEST(CustomPrint, PrefixesOneLine)
{
    testing::internal::CaptureStdout();
    customPrint(QStringLiteral("x"));
    customPrint(42);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[custom] -  x\n[custom] -  42\n");
}

struct HexCase {
    const char* name;
    QColor color;
    const char* expected;
};
class HexString : public ::testing::TestWithParam<HexCase> { };
TEST_P(HexString, Format)
{
    EXPECT_EQ(str(hexString(GetParam().color)), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Utilities, HexString,
    ::testing::Values(HexCase { "OpaqueRed", QColor::fromRgbF(1, 0, 0), "FF0000" },
        HexCase { "HalfAlphaRoundsAwayFromZero", QColor::fromRgbF(1, 0, 0, 0.5f), "FF000080" },
        HexCase { "LowerCaseNeverUsed", QColor(0xab, 0xcd, 0xef), "ABCDEF" },
        HexCase { "HsvIsConverted", QColor::fromHsv(120, 255, 255), "00FF00" },
        HexCase { "ExtendedRangeClamped", QColor::fromRgbF(1.5f, -0.2f, 0.5f).toExtendedRgb(), "FF0080" },
        HexCase { "InvalidGivesNothing", QColor(), "<none>" }),
    [](const auto& info) { return std::string(info.param.name); });

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

TEST(ShowAlert, GoesToTheInstalledPresenter)
{
    QStringList seen;
    setAlertPresenter([&](const QString& m, const QString& i) { seen << m << i; });
    showAlert("Title", "Details");
    setAlertPresenter({});
    EXPECT_EQ(seen, QStringList({ "Title", "Details" }));
}

TEST(AccessibilitySettings, NeverClaimsToHaveOpenedAnything)
{
    EXPECT_FALSE(openAccessibilitySettings());
}

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

TEST(ScreenContaining, FramesHoldTheirLeftAndTopEdgesOnly)
{
    const QList<QRect> frames { QRect(0, 0, 1400, 1050), QRect(1400, 0, 1920, 1080) };
    EXPECT_EQ(indexOfFrameContaining(frames, { 0, 0 }), 0);
    EXPECT_EQ(indexOfFrameContaining(frames, { 1399.5, 1049.9 }), 0);
    EXPECT_EQ(indexOfFrameContaining(frames, { 1400, 10 }), 1);
    EXPECT_EQ(indexOfFrameContaining(frames, { 100, 1050 }), std::nullopt);
    EXPECT_EQ(indexOfFrameContaining(frames, { 3320, 10 }), std::nullopt);
    EXPECT_EQ(indexOfFrameContaining(frames, { -1, 10 }), std::nullopt);
    EXPECT_EQ(indexOfFrameContaining({}, { 0, 0 }), std::nullopt);
}

TEST(RandomString, SixCharactersOfTheAlphabet)
{
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString s = randomString();
        EXPECT_TRUE(QRegularExpression("^[0-9A-Za-z]{6}$").match(s).hasMatch()) << s.toStdString();
        seen.insert(s);
    }
    EXPECT_GT(seen.size(), 190);
}

TEST(QualityOfService, MapsEveryDispatchClass)
{
    EXPECT_EQ(int(qualityOfService(DispatchQoS::userInteractive)), 0x21);
    EXPECT_EQ(int(qualityOfService(DispatchQoS::userInitiated)), 0x19);
    EXPECT_EQ(int(qualityOfService(DispatchQoS::utility)), 0x11);
    EXPECT_EQ(int(qualityOfService(DispatchQoS::background)), 0x09);
    EXPECT_EQ(int(qualityOfService(DispatchQoS::defaultQoS)), -1);
    EXPECT_EQ(int(qualityOfService(DispatchQoS::unspecified)), -1);
    EXPECT_GT(threadPriority(ThreadQoS::userInteractive), threadPriority(ThreadQoS::defaultQoS));
    EXPECT_LT(threadPriority(ThreadQoS::background), threadPriority(ThreadQoS::utility));
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
