#include "dock/buttons/HotKeyBadge.h"

#include "dock/layout/DockBarGeometry.h"
#include "widgets/RoundedCornersShape.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

QString hotKeyBadgeText(const QString& key)
{
    QString text = key;
    bool wordStart = true;
    for (QChar& c : text) {
        if (c.isSpace()) {
            wordStart = true;
            continue;
        }
        c = wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return QCoreApplication::translate("HotKeyBadge", "\u2325 %1").arg(text);
}

QRectF hotKeyBadgeRect(const QRectF& button, const QSizeF& labelSize)
{
    return QRectF(button.topLeft() - QPointF(5, 5), labelSize);
}

void paintHotKeyBadge(QPainter& painter, const QRectF& button, const QString& key, const QRectF& within)
{
    if (key.isEmpty())
        return;
    painter.save();
    QFont font = painter.font();
    // Four points would not read on an X11 screen at 96 dpi; the badge keeps
    // its proportions at the smallest size that does.
    font.setPixelSize(8);
    painter.setFont(font);
    const QString text = hotKeyBadgeText(key);
    const QSizeF label = QFontMetricsF(font).size(Qt::TextSingleLine, text) + QSizeF(2, 2);
    // Out past the bar's edge the badge would be cut (the window ends there).
    const QRectF rect = keptInside(hotKeyBadgeRect(button, label), within);
    painter.setRenderHint(QPainter::Antialiasing);
    const RoundedCornersShape shape { 4, RectCorners(5) };
    painter.fillPath(shape.path(rect), Qt::black);
    painter.setPen(Qt::white);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}
