#include "platform/Clipboard.h"

#include <QBuffer>
#include <QMap>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(QSize size, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

TEST(ClipboardRead, TheOwnersTargetsAreReadByOneRule)
{
    using O = platform::ClipboardRead::Outcome;
    struct Case {
        const char* name;
        QMap<QString, QByteArray> offered;
        QStringList listed; // when empty: the keys of `offered`
        O outcome;
        QString text;
        QSize imageSize;
    };
    const QByteArray png = encoded({ 6, 4 }, "PNG");
    const std::vector<Case> cases = {
        { "utf-8 text", { { "UTF8_STRING", "gr\xc3\xbc\xc3\x9f" } }, {}, O::Text, QStringLiteral("grüß"),
            {} },
        { "latin-1 only", { { "STRING", "gr\xfc\xdf" } }, {}, O::Text, QStringLiteral("grüß"), {} },
        { "mime text before latin-1", { { "STRING", "x" }, { "text/plain;charset=utf-8", "\xc3\xa9" } }, {},
            O::Text, QStringLiteral("é"), {} },
        { "picture before text", { { "image/png", png }, { "UTF8_STRING", "alt" } }, {}, O::Image, {},
            { 6, 4 } },
        { "other picture formats", { { "image/bmp", encoded({ 3, 2 }, "BMP") } }, {}, O::Image, {},
            { 3, 2 } },
        { "broken picture falls back to text", { { "image/png", "junk" }, { "UTF8_STRING", "alt" } }, {},
            O::Text, QStringLiteral("alt"), {} },
        { "secret hint first", { { "x-kde-passwordManagerHint", "secret\n" }, { "UTF8_STRING", "pw" } }, {},
            O::Secret, {}, {} },
        { "another hint is no secret", { { "x-kde-passwordManagerHint", "public" }, { "UTF8_STRING", "pw" } },
            {}, O::Text, QStringLiteral("pw"), {} },
        { "text over the limit", { { "UTF8_STRING", QByteArray(11, 'a') } }, {}, O::TooLarge, {}, {} },
        { "picture over the limit", { { "image/png", encoded({ 20, 10 }, "PNG") } }, {}, O::TooLarge, {},
            {} },
        { "no target list: text still asked", { { "UTF8_STRING", "old" } }, { "-" }, O::Text,
            QStringLiteral("old"), {} },
        { "listed but refused", {}, { "UTF8_STRING" }, O::Empty, {}, {} },
        { "nothing of use", { { "application/x-thing", "x" } }, {}, O::Empty, {}, {} },
    };
    platform::ClipboardLimits limits;
    limits.maxTextBytes = 10;
    limits.maxImagePixels = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList listed = c.listed.isEmpty() ? c.offered.keys() : c.listed;
        if (listed == QStringList { "-" })
            listed.clear();
        const auto r = platform::readClipboardTargets(
            listed,
            [&](const QString& t) -> std::optional<QByteArray> {
                return c.offered.contains(t) ? std::optional(c.offered.value(t)) : std::nullopt;
            },
            limits);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.imageSize, c.imageSize);
        if (c.imageSize.isValid()) {
            EXPECT_EQ(r.imageData, c.offered.value("image/png", c.offered.value("image/bmp")))
                << "the picture's bytes as offered";
        }
    }
}
