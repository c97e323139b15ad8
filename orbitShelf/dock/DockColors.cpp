#include "dock/DockColors.h"

QColor colorFromHex(const QString& text, uint32_t fallback)
{
    // QString::toULongLong would also take "0x", blanks and signs; the
    // stored form is bare digits, so only those count.
    bool digitsOnly = !text.isEmpty() && text.size() <= 16;
    for (const QChar c : text)
        digitsOnly = digitsOnly
            && ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
    bool ok = false;
    const qulonglong parsed = digitsOnly ? text.toULongLong(&ok, 16) : 0;
    const uint32_t rgb = ok ? uint32_t(parsed & 0xffffff) : (fallback & 0xffffff);
    return QColor(int((rgb >> 16) & 0xff), int((rgb >> 8) & 0xff), int(rgb & 0xff));
}
