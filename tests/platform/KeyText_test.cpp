#include "platform/x11/KeyText.h"

#include <gtest/gtest.h>

using platform::x11::textForKeysym;

TEST(KeyText, KeysymsTypeTheirCharacters)
{
    struct Row {
        quint32 keysym;
        QString text;
    };
    const Row rows[] = {
        { 0x63, QStringLiteral("c") }, // c
        { 0x43, QStringLiteral("C") }, // C (shifted column)
        { 0x78, QStringLiteral("x") }, // x
        { 0xe9, QStringLiteral("é") }, // eacute
        { 0x010000e9, QStringLiteral("é") }, // the same as a Unicode keysym
        { 0x0100263a, QStringLiteral("☺") }, // Unicode keysym
        { 0x0101f600, QStringLiteral("😀") }, // beyond the basic plane
        { 0xffe3, QString() }, // Control_L
        { 0xff0d, QString() }, // Return
        { 0xfe51, QString() }, // dead_acute
        { 0x0100007f, QString() }, // a control character
        { 0, QString() }, // NoSymbol
    };
    for (const Row& row : rows)
        EXPECT_EQ(textForKeysym(row.keysym), row.text) << std::hex << row.keysym;
}
