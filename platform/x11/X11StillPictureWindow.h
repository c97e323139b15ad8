#pragma once

#include "platform/StillPictureWindow.h"

namespace platform::x11 {

// A still picture window on the application's connection: an
// override-redirect window of the 32-bit visual whose background is the
// picture, kept by the server in a pixmap, shaped once, with no input area
// and no events selected. None without that visual, an image format that
// takes a QImage's words as they are, or SHAPE.
std::unique_ptr<StillPictureWindow> createX11StillPictureWindow(const StillPicture& still);

} // namespace platform::x11
