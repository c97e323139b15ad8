#pragma once

#include <QImage>

#include <vector>

namespace platform::x11 {

// The pictures of a _NET_WM_ICON value: width, height, then width × height
// ARGB pixels, repeated. A size that is zero, absurdly large or longer than
// what is left ends the list (clients do write damaged values).
std::vector<QImage> decodeNetWmIcon(const std::vector<quint32>& data);

} // namespace platform::x11
