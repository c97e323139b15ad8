#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

// What a still picture window shows and where: `picture` in premultiplied
// ARGB at the window's size (device pixels), cut to `shape` (window
// coordinates; empty: the whole picture), its top-left at `position` (root
// coordinates), named `title` for tools that look windows up by name.
struct StillPicture {
    QImage picture;
    QRegion shape;
    QPoint position;
    QString title;
};

// A window that shows one picture that never changes, takes no input (clicks
// go through to what lies beneath) and is left alone by the window manager.
// The display server keeps the picture and draws the window by itself
// whenever it is uncovered, so a window shown costs the application nothing
// until it goes: nothing to paint, nothing to answer. Freeing it takes it
// off the screen. Main thread.
class StillPictureWindow {
public:
    virtual ~StillPictureWindow() = default;
    // Shows it above every other window.
    virtual void show() = 0;
};

// Makes one from a picture; none when the display cannot (no suitable
// visual, no shape support), and the caller then shows its own window. The
// X11 layer gives its factory with the platform's services
// (platform/Services.h).
using StillPictureWindowFactory = std::function<std::unique_ptr<StillPictureWindow>(const StillPicture&)>;

// Through the installed factory; none without one (tests on the offscreen
// platform) or when the factory cannot make it.
std::unique_ptr<StillPictureWindow> createStillPictureWindow(const StillPicture& still);

} // namespace platform
