#include "state/ImageFiles.h"

#include "state/PrivateFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QLoggingCategory>
#include <QPainter>

#include <cmath>

Q_LOGGING_CATEGORY(lcImageFiles, "orbitshelf.app.images")

QImage resized(const QImage& image, const QSizeF& size)
{
    const int width = static_cast<int>(std::lround(size.width()));
    const int height = static_cast<int>(std::lround(size.height()));
    if (image.isNull() || width < 1 || height < 1)
        return {};

    QImage target(width, height, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Source replaces what is below, like a copy: transparent parts of the
    // icon stay transparent instead of blending with the fill.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(0, 0, width, height), image, QRectF(image.rect()));
    painter.end();
    return target;
}

bool savePNG(const QImage& image, const QString& path)
{
    if (image.isNull()) {
        qCWarning(lcImageFiles) << "no PNG written to" << path << ": the image is empty";
        return false;
    }
    // Encode first so that an encoder failure never leaves a file behind.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") || png.isEmpty()) {
        qCWarning(lcImageFiles) << "no PNG written to" << path << ": the image could not be encoded";
        return false;
    }

    return savePrivateFile(png, path);
}
