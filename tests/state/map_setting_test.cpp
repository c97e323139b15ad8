#include "state/MapSetting.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

TEST(MapSetting, RoundTripsAnyCharacters)
{
    const StringMap map {
        { QStringLiteral("Optional(6F1A-22)"), QStringLiteral("true") },
        { QStringLiteral("quote \" key"), QStringLiteral("say \"hi\"") },
        { QStringLiteral("back\\slash"), QStringLiteral("C:\\path\\") },
        { QStringLiteral("a/b"), QStringLiteral("</script>//") },
        { QStringLiteral("ключ"), QStringLiteral("値 😀 ümlaut") },
        { QStringLiteral("control\t\n"), QStringLiteral("\u0001") },
        { QString(), QString() },
    };
    const QString text = mapRawValue(map);
    ASSERT_NE(text, QStringLiteral("[:]"));
    EXPECT_FALSE(text.contains(QLatin1Char('\n'))) << "compact output";
    const auto back = mapFromRawValue(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, map);
    EXPECT_EQ(mapRawValue({}), QStringLiteral("{}"));
    EXPECT_EQ(mapFromRawValue(QStringLiteral("{}")), StringMap());
    // A lone surrogate has no UTF-8 form: the stored marker stands instead.
    EXPECT_EQ(mapRawValue({ { QStringLiteral("k"), QString(QChar(0xD800)) } }), QStringLiteral("[:]"));
}

TEST(MapSetting, UndecodableTextsGiveNoMap)
{
    const char* cases[] = {
        "[:]",
        "",
        "{",
        "[]",
        "{\"a\": 1}",
        "{\"a\": true}",
        "{\"a\": null}",
        "{\"a\": [\"x\"]}",
        "{\"a\": {\"b\": \"c\"}}",
        "\"text\"",
        "42",
        "{\"a\": \"b\",}",
        "{'a': 'b'}",
        "null",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(mapFromRawValue(QString::fromUtf8(text)).has_value());
    }
}

TEST(MapSetting, ReadsWhatOtherJsonWritersProduce)
{
    const auto map = mapFromRawValue(
        QStringLiteral("{\n  \"b\" : \"http:\\/\\/x\\/y\",\n  \"a\" : \"\\u00e9\\n\"\n}\n"));
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(map->value(QStringLiteral("a")), QStringLiteral("é\n"));
    EXPECT_EQ(map->value(QStringLiteral("b")), QStringLiteral("http://x/y"));
    EXPECT_EQ(map->size(), 2);
}
