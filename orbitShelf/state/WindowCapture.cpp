#include "state/WindowCapture.h"

#include "platform/Platform.h"
#include "platform/ScreenScale.h"

#include <QRectF>

std::optional<QImage> captureWindowImage(bool bestResolution, quint32 windowNumber)
{
    if (!platform::hasCurrent())
        return std::nullopt;
    std::optional<QImage> image = platform::current().windowServer().windowImage(windowNumber);
    if (!image || image->isNull())
        return std::nullopt;
    // The picture is in the server's pixels; shown at the size the window
    // has in Qt's, which is the scale of the screen it stands on.
    qreal ratio = 1.0;
    if (const auto window = platform::current().windowServer().window(windowNumber)) {
        const std::vector<platform::ScaledScreen> screens = platform::scaledScreens();
        if (const platform::ScaledScreen* screen
            = platform::screenOfPoint(QRectF(window->frame).center(), false, screens))
            ratio = screen->scale;
    }
    if (!bestResolution && ratio > 1.0)
        return image->scaled(
            (QSizeF(image->size()) / ratio).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}
