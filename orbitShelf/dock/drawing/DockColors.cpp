#include "dock/drawing/DockColors.h"

#include <limits>
#include <optional>

namespace {

// The whole text as a signed 64-bit base-16 number: an optional sign, then
// digits only. QString::toLongLong would also take "0x" and blanks, which a
// stored colour never holds.
std::optional<int64_t> parseSignedHex(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i >= text.size())
        return std::nullopt;
    // Magnitudes up to 2^63 fit; 2^63 itself only as a negative number.
    constexpr uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + 1;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0 || magnitude > (limit - uint64_t(digit)) / 16)
            return std::nullopt;
        magnitude = magnitude * 16 + uint64_t(digit);
    }
    if (!negative && magnitude == limit)
        return std::nullopt;
    // Two's complement: the low bits of -v are those of the wrapped unsigned.
    return int64_t(negative ? uint64_t(0) - magnitude : magnitude);
}

} // namespace

bool isColorText(const QString& text)
{
    return parseSignedHex(text).has_value();
}

QColor colorFromHex(const QString& text, uint32_t fallback)
{
    const std::optional<int64_t> parsed = parseSignedHex(text);
    const uint32_t rgb = parsed ? uint32_t(uint64_t(*parsed) & 0xffffff) : (fallback & 0xffffff);
    return QColor(int((rgb >> 16) & 0xff), int((rgb >> 8) & 0xff), int(rgb & 0xff));
}
