#include "dock/windows/FullScreenToast.h"

#include "state/AppState.h"
#include "state/KeyNames.h"
#include "platform/KeyCodes.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double kCardWidth = 400;
constexpr double kBackdropWidth = 500;
constexpr double kBackdropHeight = 220;
constexpr double kPadding = 16; // the platform's default padding
constexpr double kIconSide = 60;

// The file manager's picture from the icon theme, else a drawn folder.
void paintIcon(QPainter& painter, const QRectF& rect)
{
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(rect, 10, 10);
    // Soft shadow below the icon.
    painter.fillPath(clip.translated(0, 2), QColor(0, 0, 0, 84));
    painter.setClipPath(clip);
    const QIcon icon = QIcon::fromTheme(QStringLiteral("system-file-manager"));
    if (!icon.isNull()) {
        icon.paint(&painter, rect.toAlignedRect());
    } else {
        painter.fillPath(clip, QColor(0x74, 0xb9, 0xff));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xf5, 0xf6, 0xfa));
        painter.drawRoundedRect(rect.adjusted(10, 18, -10, -12), 4, 4);
        painter.drawRoundedRect(QRectF(rect.left() + 10, rect.top() + 13, 18, 8), 3, 3);
    }
    painter.restore();
}

} // namespace

FullScreenToast::FullScreenToast(
    QString spaceID_, qint64 winnum_, double width, double height, QWidget* parent)
    : QWidget(parent)
    , spaceID(std::move(spaceID_))
    , winnum(winnum_)
    , toastWidth(width)
    , toastHeight(height)
{
    setObjectName(QStringLiteral("FullScreenToast"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    // Read by the toast window's owner and its checks.
    setProperty("spaceID", spaceID);
    setProperty("winnum", winnum);
    setProperty("toastWidth", width);
    setProperty("toastHeight", height);
    resize(QSizeF(width, height).toSize());
}

QSize FullScreenToast::sizeHint() const
{
    return QSizeF(toastWidth, toastHeight).toSize();
}

QRectF FullScreenToast::cardRect() const
{
    return { (toastWidth - kCardWidth) / 2, 0, kCardWidth, toastHeight };
}

QRectF FullScreenToast::backdropRect() const
{
    const QRectF card = cardRect();
    return { card.center().x() - kBackdropWidth / 2, card.bottom() - kBackdropHeight, kBackdropWidth,
        kBackdropHeight };
}

void FullScreenToast::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF card = cardRect();

    painter.save();
    QPainterPath cardShape;
    cardShape.addRoundedRect(card, 10, 10);
    painter.setClipPath(cardShape);
    painter.fillRect(backdropRect(), QColor(0, 0, 0, 128));
    painter.restore();

    // From the bottom up: shortcut row, title, icon; the content gathers at
    // the bottom of the card.
    const QRectF inner = card.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    QFont title = font();
    title.setPixelSize(20);
    title.setWeight(QFont::DemiBold);
    QFont row = title;
    row.setPixelSize(26);

    const QString shortcutLabel = tr("ShortCut: ");
    const auto flags = fixedHotKeyFlags(
        FixedHotKey::Autohide, AppState::shared().settings.shortcutOptionForOpenAutohide());
    const QString shortcut = flags ? keyComboText(platform::keycode::h, *flags) : tr("None");
    const QFontMetricsF rowMetrics(row);
    const double rowHeight = rowMetrics.height() + 2 * 20;
    const double labelWidth = rowMetrics.horizontalAdvance(shortcutLabel) + 2 * 20;
    const double capWidth = rowMetrics.horizontalAdvance(shortcut) + 2 * 5;
    const double rowWidth = labelWidth + 8 + capWidth;
    const QRectF rowRect(inner.center().x() - rowWidth / 2, inner.bottom() - rowHeight, rowWidth, rowHeight);

    painter.setPen(Qt::white);
    painter.setFont(row);
    painter.drawText(
        QRectF(rowRect.left(), rowRect.top(), labelWidth, rowHeight), Qt::AlignCenter, shortcutLabel);
    const QRectF cap(rowRect.left() + labelWidth + 8, rowRect.center().y() - (rowMetrics.height() + 10) / 2,
        capWidth, rowMetrics.height() + 10);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRoundedRect(cap, 10, 10);
    painter.drawText(cap, Qt::AlignCenter, shortcut);

    const QFontMetricsF titleMetrics(title);
    const double titleHeight = titleMetrics.height() + 2 * 20;
    const QRectF titleRect(inner.left(), rowRect.top() - titleHeight, inner.width(), titleHeight);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(titleRect, Qt::AlignCenter, QStringLiteral("Fullscreen! Hide orbitShelf?"));

    const QRectF icon(inner.center().x() - kIconSide / 2, titleRect.top() - kIconSide, kIconSide, kIconSide);
    paintIcon(painter, icon);
}

QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height)
{
    return new FullScreenToast(spaceID, windowNumber, width, height);
}
