#include "platform/x11/WindowIcons.h"

#include <cstring>

namespace platform::x11 {

namespace {
    constexpr quint32 kLargestSide = 1024;
}

std::vector<QImage> decodeNetWmIcon(const std::vector<quint32>& data)
{
    std::vector<QImage> icons;
    size_t at = 0;
    while (data.size() - at >= 2) {
        const quint32 width = data[at];
        const quint32 height = data[at + 1];
        if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide)
            break;
        const size_t pixels = size_t(width) * height;
        if (data.size() - at - 2 < pixels)
            break;
        QImage image(int(width), int(height), QImage::Format_ARGB32);
        for (quint32 row = 0; row < height; ++row)
            std::memcpy(image.scanLine(int(row)), data.data() + at + 2 + size_t(row) * width, width * 4);
        icons.push_back(std::move(image));
        at += 2 + pixels;
    }
    return icons;
}

} // namespace platform::x11
