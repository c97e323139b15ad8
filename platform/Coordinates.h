#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

namespace platform {

// Three coordinate spaces meet at the platform boundary:
//  - root: X11 root window pixels, origin at the top left of the whole desktop;
//  - ax:   origin at the top left of the primary screen, y grows downwards
//          (window positions and sizes read and written as "AXPosition"/"AXSize",
//          the bounds of the window list, the pointer warp of the switcher);
//  - model: origin at the bottom left of the primary screen, y grows upwards
//          (screen frames and mouse locations the app's model keeps).
// The app keeps ax and model values; only the X11 layer speaks root.
// `primary` is the primary screen's rectangle in root coordinates.
// All three count the same pixels: ax and model values are Qt's, and so is
// a root place converted here; ScreenScale.h converts between Qt's pixels
// and the server's.

inline QPointF axFromRoot(QPointF root, const QRect& primary)
{
    return root - QPointF(primary.topLeft());
}

inline QPointF rootFromAx(QPointF ax, const QRect& primary)
{
    return ax + QPointF(primary.topLeft());
}

inline QRectF axFromRoot(const QRectF& root, const QRect& primary)
{
    return root.translated(-QPointF(primary.topLeft()));
}

inline QRectF rootFromAx(const QRectF& ax, const QRect& primary)
{
    return ax.translated(QPointF(primary.topLeft()));
}

// The primary screen's bottom edge is y = 0 in the model.
inline QPointF modelFromRoot(QPointF root, const QRect& primary)
{
    const double bottom = double(primary.y()) + double(primary.height());
    return {root.x() - primary.x(), bottom - root.y()};
}

inline QPointF rootFromModel(QPointF model, const QRect& primary)
{
    const double bottom = double(primary.y()) + double(primary.height());
    return {model.x() + primary.x(), bottom - model.y()};
}

// A rectangle keeps its size; its origin moves from the top-left corner
// (root) to the bottom-left corner (model) and back.
inline QRectF modelFromRoot(const QRectF& root, const QRect& primary)
{
    const QPointF bottomLeft = modelFromRoot(QPointF(root.left(), root.top() + root.height()), primary);
    return {bottomLeft, root.size()};
}

inline QRectF rootFromModel(const QRectF& model, const QRect& primary)
{
    const QPointF topLeft = rootFromModel(QPointF(model.left(), model.top() + model.height()), primary);
    return {topLeft, model.size()};
}

} // namespace platform
