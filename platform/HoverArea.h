#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <Qt>

#include <functional>
#include <memory>

namespace platform {

// The pointer moved, or a button went down or up, inside an area that
// takes the pointer there.
struct HoverAreaPointer {
    enum class Kind { move, press, release };
    Kind kind = Kind::move;
    QPoint position; // the area's own coordinates, the server's pixels
    Qt::MouseButton button = Qt::NoButton; // of a press or release
    Qt::MouseButtons buttons; // held after the event
};

// Where a hover area stands, what it is called and whom it tells.
struct HoverAreaSpec {
    QRect geometry; // root coordinates
    QString title; // for tools that look windows up by name
    // The pointer crossed into (true) or out of (false) the area's input
    // region. Main thread; the area may be freed from here.
    std::function<void(bool entered)> crossed;
    // Optional: the pointer's moves and clicks where the area takes it.
    // Main thread; the area may be freed from here.
    std::function<void(const HoverAreaPointer&)> pointer;
};

// A part of the screen that draws nothing and only notices the pointer. It
// stands above the windows the window manager manages (panels included), as
// it was when made; while it takes the pointer somewhere, it goes back
// above any of those the window manager maps or restacks over it. Where its input
// region lies it takes the pointer (a click there reaches no window, the
// desktop's neither); elsewhere the pointer passes through to what lies
// beneath. Main thread. Freeing it takes it off the screen.
class HoverArea {
public:
    virtual ~HoverArea() = default;
    // The part that takes the pointer, in the area's own coordinates; empty
    // (as it starts): none.
    virtual void setInputRegion(const QRegion& region) = 0;
    // Moves the area (root coordinates); its input region stays in its own.
    virtual void setGeometry(const QRect& geometry) = 0;
};

// Makes one; none when the display cannot (no SHAPE extension to give it an
// input region). The X11 layer gives its factory with the platform's
// services (platform/Services.h).
using HoverAreaFactory = std::function<std::unique_ptr<HoverArea>(const HoverAreaSpec&)>;

// Through the installed factory; none without one (tests on the offscreen
// platform) or when the factory cannot make it.
std::unique_ptr<HoverArea> createHoverArea(const HoverAreaSpec& spec);

} // namespace platform
