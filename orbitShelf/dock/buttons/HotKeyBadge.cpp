#include "dock/buttons/HotKeyBadge.h"

#include "state/AppState.h"
#include "state/KeyNames.h"

#include "dock/layout/PopUpPlacement.h"
#include "widgets/RoundedCornersShape.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

QString hotKeyBadgeText(const QString& key)
{
    const QString text = windowHotKeyText(key, AppState::shared().settings.shortcutOptionForHideWindow());
    if (!text.isEmpty())
        return text;
    // A stored key that is no key of ours (an older version's, a damaged
    // store): shown as it stands, with the modifier every binding has.
    return QStringLiteral("Alt + ") + key.toUpper();
}

QRectF hotKeyBadgeRect(const QRectF& button, const QSizeF& labelSize)
{
    return QRectF(button.topLeft() - QPointF(5, 5), labelSize);
}

namespace {

QFont badgeFont(QFont font)
{
    // Four points would not read on an X11 screen at 96 dpi; the badge keeps
    // its proportions at the smallest size that does.
    font.setPixelSize(8);
    return font;
}

QRectF badgeBox(const QRectF& button, const QString& text, const QRectF& within, const QFont& font)
{
    const QSizeF label = QFontMetricsF(font).size(Qt::TextSingleLine, text) + QSizeF(2, 2);
    // Out past the bar's edge the badge would be cut (the window ends there).
    return keptInside(hotKeyBadgeRect(button, label), within);
}

} // namespace

void paintHotKeyBadge(QPainter& painter, const QRectF& button, const QString& key, const QRectF& within)
{
    if (key.isEmpty())
        return;
    painter.save();
    const QFont font = badgeFont(painter.font());
    painter.setFont(font);
    const QString text = hotKeyBadgeText(key);
    const QRectF rect = badgeBox(button, text, within, font);
    painter.setRenderHint(QPainter::Antialiasing);
    const RoundedCornersShape shape { 4, RectCorners(5) };
    painter.fillPath(shape.path(rect), Qt::black);
    painter.setPen(Qt::white);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

QRectF hotKeyBadgeReach(const QRectF& button, const QString& key, const QRectF& within, const QFont& font)
{
    if (key.isEmpty())
        return {};
    // A glyph's antialiased edge may stand a pixel past its advance.
    return badgeBox(button, hotKeyBadgeText(key), within, badgeFont(font)).adjusted(-1, -1, 1, 1);
}
