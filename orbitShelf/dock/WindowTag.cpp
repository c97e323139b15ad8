#include "dock/WindowTag.h"

#include "widgets/RoundedCornersShape.h"
#include "dock/WindowTagRules.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

QFont tagFont(int pixelSize)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

QSizeF windowTagChipSize(const WindowTagLook& look)
{
    return QSizeF(std::max(0, look.width), windowTagHeight(look.size, look.iconSize));
}

void paintWindowTag(QPainter& painter, const QRectF& rect, const WindowTagLook& look)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    painter.save();
    const QPainterPath shape = RoundedCornersShape { kWindowTagRadius, allRectCorners }.path(rect);
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.fillRect(rect, look.background);
    const QFont font = tagFont(windowTagFontSize(look.size));
    painter.setFont(font);
    painter.setPen(look.textColor);
    // The chip keeps its size whatever the text: a long tag ends in an
    // ellipsis inside the padding, and the shape clips the rest.
    const QRectF text = rect.adjusted(kWindowTagPadding, 0, -kWindowTagPadding, 0);
    const QString shown
        = QFontMetricsF(font).elidedText(look.tag, Qt::ElideRight, std::max(0.0, text.width()));
    painter.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, shown);
    painter.restore();
}

void paintSimpleTag(QPainter& painter, const QRectF& area, const SimpleTagLook& look, double bottomInset)
{
    if (!look.show || look.width <= 0)
        return;
    const QFont font = tagFont(kSimpleTagFontSize);
    const double height = std::ceil(QFontMetricsF(font).height());
    const QRectF label(
        area.center().x() - look.width / 2, area.bottom() - bottomInset - height, look.width, height);
    painter.save();
    const RectCorners bottom = RectCorner::bottomRight | RectCorner::bottomLeft;
    painter.setClipPath(RoundedCornersShape { kSimpleTagRadius, bottom }.path(label), Qt::IntersectClip);
    painter.fillRect(label, look.color);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, shortTitle(look.title));
    painter.restore();
}

WindowTag::WindowTag(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void WindowTag::setLook(const WindowTagLook& look)
{
    m_look = look;
    updateGeometry();
    update();
}

QSize WindowTag::sizeHint() const
{
    return windowTagChipSize(m_look).toSize();
}

void WindowTag::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintWindowTag(painter, QRectF(QPointF(0, 0), windowTagChipSize(m_look)), m_look);
}

SimpleTag::SimpleTag(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void SimpleTag::setLook(const SimpleTagLook& look, double bottomInset)
{
    m_look = look;
    m_bottomInset = bottomInset;
    update();
}

QSize SimpleTag::sizeHint() const
{
    return QSize(int(std::ceil(m_look.width)), 46);
}

void SimpleTag::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSimpleTag(painter, QRectF(rect()), m_look, m_bottomInset);
}
