#include "state/WindowCapture.h"

#include "platform/Platform.h"

#include <QGuiApplication>

std::optional<QImage> captureWindowImage(bool bestResolution, quint32 windowNumber)
{
    if (!platform::hasCurrent())
        return std::nullopt;
    std::optional<QImage> image = platform::current().windowServer().windowImage(windowNumber);
    if (!image || image->isNull())
        return std::nullopt;
    const qreal ratio
        = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? qApp->devicePixelRatio() : 1.0;
    if (!bestResolution && ratio > 1.0)
        return image->scaled(
            (QSizeF(image->size()) / ratio).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}
