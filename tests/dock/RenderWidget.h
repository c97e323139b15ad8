#pragma once

#include <QImage>
#include <QWidget>

// A widget and its children as they would paint, on a transparent image, so
// that tests can check pixels without a display.
inline QImage renderWidget(QWidget& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}
