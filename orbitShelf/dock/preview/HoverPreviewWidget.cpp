#include "dock/preview/HoverPreviewWidget.h"

#include "dock/layout/DockBarGeometry.h"
#include "platform/DockWindowHints.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace {

constexpr double spacing = 5;
constexpr double chipPadX = 10;
constexpr double chipPadY = 4;
constexpr double shadowMargin = 8; // room for the picture's shadow

void paintChip(QPainter& painter, const QRectF& rect, const QString& text)
{
    QPainterPath capsule;
    capsule.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    painter.fillPath(capsule, QColor(0, 0, 0, int(0.75 * 255)));
    painter.setPen(Qt::white);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, text);
}

} // namespace

HoverPreviewWidget::HoverPreviewWidget(QWidget* parent)
    : QWidget(parent,
        Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    , m_translucent(platform::dockTranslucencyAvailable())
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Without a compositor transparent pixels would show as black: the
    // preview then draws its own dark card.
    if (m_translucent)
        setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("orbitShelf preview"));
    hide();
}

QSizeF HoverPreviewWidget::chipSize(const QString& text) const
{
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(text) + 2 * chipPadX, metrics.height() + 2 * chipPadY);
}

void HoverPreviewWidget::present(
    const HoverPreviewLayout& layout, const QImage& picture, const QPointF& buttonCentre)
{
    if (!layout.visible) {
        dismiss();
        return;
    }
    m_layout = layout;
    m_picture = layout.showPicture ? picture : QImage();

    const QSizeF title = chipSize(layout.title);
    // Without a picture the row is an empty line of text.
    const QSizeF pictureRow = m_picture.isNull() ? QSizeF(0, QFontMetricsF(font()).height())
                                                 : QSizeF(layout.previewWidth, layout.previewHeight);
    const QSizeF usage = layout.usageText ? chipSize(*layout.usageText) : QSizeF();
    const double width = std::max({ title.width(), pictureRow.width(), usage.width() }) + 2 * shadowMargin;
    double height = title.height() + spacing + pictureRow.height() + 2 * shadowMargin;
    if (layout.usageText)
        height += spacing + usage.height();

    double y = shadowMargin;
    m_titleRect = QRectF((width - title.width()) / 2, y, title.width(), title.height());
    y += title.height() + spacing;
    m_pictureRect = m_picture.isNull()
        ? QRectF()
        : QRectF((width - pictureRow.width()) / 2, y, pictureRow.width(), pictureRow.height());
    y += pictureRow.height() + spacing;
    m_usageRect
        = layout.usageText ? QRectF((width - usage.width()) / 2, y, usage.width(), usage.height()) : QRectF();

    QRectF frame(0, 0, width, height);
    frame.moveCenter(buttonCentre + QPointF(layout.offsetX, layout.offsetY));
    // A button near the screen's end would push the preview past it.
    if (QScreen* screen = QGuiApplication::screenAt(buttonCentre.toPoint()))
        frame = keptInside(frame, QRectF(screen->geometry()));
    setGeometry(frame.toAlignedRect());
    show();
    raise();
    update();
}

void HoverPreviewWidget::dismiss()
{
    m_layout = HoverPreviewLayout();
    m_picture = QImage();
    m_pictureRect = QRectF();
    hide();
}

void HoverPreviewWidget::paintEvent(QPaintEvent*)
{
    if (!m_layout.visible)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_translucent)
        painter.fillRect(rect(), QColor(36, 38, 42));
    paintChip(painter, m_titleRect, m_layout.title);
    if (!m_pictureRect.isEmpty()) {
        // Shadow: black at a third, a few points soft, two points down.
        for (int ring = 4; ring >= 1; --ring) {
            QPainterPath shade;
            shade.addRoundedRect(
                m_pictureRect.translated(0, 2).adjusted(-ring, -ring, ring, ring), ring, ring);
            painter.fillPath(shade, QColor(0, 0, 0, int(0.33 * 255 / 4)));
        }
        painter.drawImage(m_pictureRect, m_picture);
    }
    if (m_layout.usageText)
        paintChip(painter, m_usageRect, *m_layout.usageText);
}
