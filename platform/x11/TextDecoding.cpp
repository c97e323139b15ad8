#include "platform/x11/TextDecoding.h"

namespace platform::x11 {

QString decodeCompoundText(const QByteArray& bytes)
{
    QString out;
    QByteArray utf8;
    bool inUtf8 = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\x1b') {
            // ESC, intermediate bytes (0x20-0x2F), one final byte (0x30-0x7E).
            qsizetype j = i + 1;
            while (j < bytes.size() && bytes[j] >= 0x20 && bytes[j] <= 0x2F)
                ++j;
            if (j >= bytes.size())
                break; // a cut-off sequence ends the text
            const QByteArray sequence = bytes.mid(i + 1, j - i);
            if (sequence == "%G") {
                inUtf8 = true;
            } else if (sequence == "%@") {
                out += QString::fromUtf8(utf8);
                utf8.clear();
                inUtf8 = false;
            }
            i = j;
            continue;
        }
        if (inUtf8)
            utf8.append(c);
        else
            out += QChar(uchar(c));
    }
    out += QString::fromUtf8(utf8);
    return out;
}

} // namespace platform::x11
