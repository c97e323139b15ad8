#pragma once

#include <QObject>

#include <memory>

namespace platform::x11 {

// Holds every top-level window of the process to the rules of
// platform/WindowSizes.h, from its creation on: before it maps, its size
// hints say nothing a window manager can misread; and a size the window
// manager gives it that is larger than all the screens together never
// reaches Qt, which would size the window's picture to it. Watches Qt's own
// connection, on the main thread, for as long as it lives (one per
// application).
std::shared_ptr<QObject> createX11WindowSizeGuard();

} // namespace platform::x11
