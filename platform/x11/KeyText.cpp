#include "platform/x11/KeyText.h"

namespace platform::x11 {

QString textForKeysym(quint32 keysym)
{
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff))
        return QString(QChar(char16_t(keysym)));
    if (keysym >= 0x01000020 && keysym <= 0x0110ffff && !(keysym >= 0x0100007f && keysym < 0x010000a0)) {
        const char32_t codePoint = keysym - 0x01000000;
        return QString::fromUcs4(&codePoint, 1);
    }
    return QString();
}

} // namespace platform::x11
