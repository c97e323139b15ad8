#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>

#include <functional>

class QPainter;

// Drawing the bar repeats unchanged on every repaint (the main button's
// label, the window indicators' glow), drawn once into a picture and copied.

// Whether a picture drawn at whole pixels lands on `painter`'s device as the
// drawing itself would: no scaling, no part-pixel offset, full opacity,
// plain composition.
bool copiesAtWholePixels(const QPainter& painter);

// Where the top-left corner of a picture of `reach` goes: `reach`'s, rounded
// down to whole pixels.
QPointF keptLayerOrigin(const QRectF& reach);

// A transparent picture of what `draw` paints inside `reach`, in the same
// coordinates as a direct drawing (the picture's corner is that origin).
// Copied at the origin of another reach with the same part-pixel offset it
// shows that drawing moved by whole pixels.
QImage drawKeptLayer(const QRectF& reach, const std::function<void(QPainter&)>& draw);
