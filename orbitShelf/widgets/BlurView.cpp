#include "widgets/BlurView.h"

#include <QPainter>

BlurView::BlurView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    // The starting size; the owner's layout resizes it.
    resize(1000, 1000);
}

QColor BlurView::tint()
{
    return QColor(30, 31, 34, 215);
}

void BlurView::updateView()
{
    update();
}

void BlurView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), tint());
}
