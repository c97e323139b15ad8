#include "widgets/GrowingButton.h"

#include <QPainter>
#include <QPainterPath>

GrowingButton::GrowingButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    m_animation.setDuration(200);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_scale = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, [this] { animateTo(pressedScale); });
    connect(this, &QAbstractButton::released, this, [this] { animateTo(1.0); });
}

void GrowingButton::animateTo(qreal target)
{
    m_animation.stop();
    m_animation.setStartValue(m_scale);
    m_animation.setEndValue(target);
    m_animation.start();
}

QSize GrowingButton::sizeHint() const
{
    // Room for the grown capsule: a widget cannot draw beyond its bounds.
    const QSize text = fontMetrics().size(Qt::TextSingleLine, this->text());
    const QSizeF body(text.width() + 2 * padding, text.height() + 2 * padding);
    return (body * pressedScale).toSize() + QSize(1, 1);
}

void GrowingButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF body = QSizeF(size()) / pressedScale;
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(m_scale, m_scale);
    const QRectF capsule(-body.width() / 2, -body.height() / 2, body.width(), body.height());
    QPainterPath path;
    path.addRoundedRect(capsule, body.height() / 2, body.height() / 2);
    painter.fillPath(path, QColor(0, 122, 255));
    painter.setPen(Qt::white);
    painter.drawText(capsule, Qt::AlignCenter, text());
}
