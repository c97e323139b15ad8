#include "dock/windows/FullScreenToast.h"

#include "platform/KeyCodes.h"
#include "state/AppState.h"
#include "state/KeyNames.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double kCardWidth = 400;
constexpr double kBackdropWidth = 500;
constexpr double kBackdropHeight = 220;
constexpr double kPadding = 16; // the platform's default padding
constexpr double kToastIconSide = 60;
constexpr double kCardRadius = 10;
constexpr int kRowPixels = 26;
constexpr int kSmallestRowPixels = 10;
constexpr double kLabelMargin = 20;
constexpr double kCapMargin = 5;
constexpr double kCapGap = 8;

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

FullScreenToastLayout fullScreenToastLayout(
    QSizeF view, const QFont& base, const QString& label, const QString& shortcut)
{
    FullScreenToastLayout l;
    l.card = QRectF((view.width() - kCardWidth) / 2, 0, kCardWidth, view.height());
    l.backdrop = QRectF(l.card.center().x() - kBackdropWidth / 2, l.card.bottom() - kBackdropHeight,
        kBackdropWidth, kBackdropHeight);
    l.painted = l.card.intersected(l.backdrop);

    // From the bottom up: shortcut row, title, icon; the content gathers at
    // the bottom of the card.
    const QRectF inner = l.card.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    l.titleFont = base;
    l.titleFont.setPixelSize(20);
    l.titleFont.setWeight(QFont::DemiBold);
    l.rowFont = l.titleFont;
    l.rowFont.setPixelSize(kRowPixels);
    // The row keeps the height of its full-size font whatever its text, so
    // that the title and the icon stand where they always do.
    const double rowHeight = QFontMetricsF(l.rowFont).height() + 2 * kLabelMargin;
    double labelWidth = 0;
    double capWidth = 0;
    for (int pixels = kRowPixels;; --pixels) {
        l.rowFont.setPixelSize(pixels);
        const QFontMetricsF metrics(l.rowFont);
        labelWidth = metrics.horizontalAdvance(label) + 2 * kLabelMargin;
        capWidth = metrics.horizontalAdvance(shortcut) + 2 * kCapMargin;
        if (labelWidth + kCapGap + capWidth <= inner.width() || pixels <= kSmallestRowPixels)
            break;
    }
    const double rowWidth = labelWidth + kCapGap + capWidth;
    const QRectF row(inner.center().x() - rowWidth / 2, inner.bottom() - rowHeight, rowWidth, rowHeight);
    l.label = QRectF(row.left(), row.top(), labelWidth, rowHeight);
    const double capHeight = QFontMetricsF(l.rowFont).height() + 2 * kCapMargin;
    l.cap = QRectF(l.label.right() + kCapGap, row.center().y() - capHeight / 2, capWidth, capHeight);

    const double titleHeight = QFontMetricsF(l.titleFont).height() + 2 * kLabelMargin;
    l.title = QRectF(inner.left(), row.top() - titleHeight, inner.width(), titleHeight);
    l.icon = QRectF(inner.center().x() - kToastIconSide / 2, l.title.top() - kToastIconSide, kToastIconSide,
        kToastIconSide);
    return l;
}

QPainterPath fullScreenToastOutline(const FullScreenToastLayout& layout)
{
    QPainterPath card;
    card.addRoundedRect(layout.card, kCardRadius, kCardRadius);
    QPainterPath painted;
    painted.addRect(layout.painted);
    return card.intersected(painted);
}

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
    return cardLayout().card;
}

QRectF FullScreenToast::backdropRect() const
{
    return cardLayout().backdrop;
}

QString FullScreenToast::shortcutText() const
{
    const auto flags = fixedHotKeyFlags(
        FixedHotKey::Autohide, AppState::shared().settings.shortcutOptionForOpenAutohide());
    return flags ? keyComboText(platform::keycode::h, *flags) : tr("None");
}

FullScreenToastLayout FullScreenToast::cardLayout() const
{
    return fullScreenToastLayout(QSizeF(toastWidth, toastHeight), font(), tr("ShortCut: "), shortcutText());
}

QRect FullScreenToast::paintedRect() const
{
    return cardLayout().painted.toAlignedRect().intersected(rect());
}

QPainterPath FullScreenToast::paintedOutline() const
{
    return fullScreenToastOutline(cardLayout());
}

void FullScreenToast::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const FullScreenToastLayout l = cardLayout();

    painter.save();
    QPainterPath cardShape;
    cardShape.addRoundedRect(l.card, kCardRadius, kCardRadius);
    painter.setClipPath(cardShape);
    painter.fillRect(l.backdrop, QColor(0, 0, 0, 128));
    painter.restore();

    painter.setPen(Qt::white);
    painter.setFont(l.rowFont);
    painter.drawText(l.label, Qt::AlignCenter, tr("ShortCut: "));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRoundedRect(l.cap, 10, 10);
    painter.drawText(l.cap, Qt::AlignCenter, shortcutText());

    painter.setFont(l.titleFont);
    painter.setPen(Qt::white);
    painter.drawText(l.title, Qt::AlignCenter, QStringLiteral("Fullscreen! Hide orbitShelf?"));
    paintIcon(painter, l.icon);
}

FullScreenToast* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height)
{
    return new FullScreenToast(spaceID, windowNumber, width, height);
}
