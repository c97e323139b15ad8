#include "platform/x11/TextDecoding.h"

#include <gtest/gtest.h>

using platform::x11::decodeCompoundText;

TEST(CompoundText, DecodesTheSegmentsClientsWrite)
{
    struct Row {
        const char* meaning;
        QByteArray bytes;
        QString text;
    };
    const Row rows[] = {
        {"plain ASCII", "hello", QStringLiteral("hello")},
        {"Latin-1 right half", "\xfcn\xef", QStringLiteral("ünï")},
        {"UTF-8 segment", "a \x1b%G\xe2\x80\x94\x1b%@ b", QStringLiteral("a — b")},
        {"UTF-8 segment left open runs to the end", "x\x1b%G\xe2\x9c\x93", QStringLiteral("x✓")},
        {"other charset switches are skipped", "\x1b-Aab\x1b(Bc", QStringLiteral("abc")},
        {"a cut-off escape ends the text", "ok\x1b%", QStringLiteral("ok")},
        {"broken UTF-8 becomes a replacement, not a crash", "\x1b%G\xff\x1b%@", QString(QChar::ReplacementCharacter)},
        {"empty", "", QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.meaning);
        EXPECT_EQ(decodeCompoundText(row.bytes), row.text);
    }
}
