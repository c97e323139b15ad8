#include "state/RandomString.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

// Note keys, clipboard file names and custom icon names all come from here;
// the lengths are part of what is stored.
TEST(RandomString, TheAskedLengthFromLettersAndDigitsOnly)
{
    const QRegularExpression alphanumeric(QStringLiteral("^[0-9A-Za-z]*$"));
    for (const QString& text : { randomString(), randomAlphanumericString(10), randomAlphanumericString(16) })
        EXPECT_TRUE(alphanumeric.match(text).hasMatch()) << text.toStdString();
    EXPECT_EQ(randomString().size(), 6);
    EXPECT_EQ(randomAlphanumericString(16).size(), 16);
    EXPECT_EQ(randomAlphanumericString(0), QString());
    EXPECT_NE(randomAlphanumericString(16), randomAlphanumericString(16));
}
