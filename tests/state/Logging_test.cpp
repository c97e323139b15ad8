#include "state/Logging.h"

#include <gtest/gtest.h>

TEST(LogLines, LongLinesAreCutToThreeHundredCharacters)
{
    struct Case {
        const char* name;
        QString line;
        QString expected;
    };
    const QString exact(300, u'a');
    const QString emoji = QString(298, u'b') + QString::fromUtf8("😀") + QStringLiteral("tail");
    const Case cases[] = {
        { "short", QStringLiteral("dock ready"), QStringLiteral("dock ready") },
        { "exactlyTheLimit", exact, exact },
        { "oneOver", exact + u'z', QString(299, u'a') + QChar(0x2026) },
        { "veryLong", QString(2500, u'x'), QString(299, u'x') + QChar(0x2026) },
        { "neverSplitsASurrogatePair", emoji, QString(298, u'b') + QChar(0x2026) },
    };
    for (const Case& c : cases) {
        const QString cut = limitLogLine(c.line);
        EXPECT_EQ(cut, c.expected) << c.name;
        EXPECT_LE(cut.size(), kMaxLogLineLength) << c.name;
    }
}

TEST(LogLines, CustomPrintIsQuietUnlessTheRulesAskForIt)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    testing::internal::CaptureStdout();
    customPrint(QStringLiteral("quiet"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(lcApp().isDebugEnabled());
    EXPECT_FALSE(lcApp().isInfoEnabled());
    EXPECT_TRUE(lcApp().isWarningEnabled());

    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\norbitshelf.custom.debug=true"));
    testing::internal::CaptureStdout();
    customPrint(QString(400, u'c'));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
        (QStringLiteral("[custom] -  ") + QString(287, u'c') + QChar(0x2026) + u'\n').toStdString());
    QLoggingCategory::setFilterRules(QString());
}
