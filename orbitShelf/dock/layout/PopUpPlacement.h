#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

// Where the bar's pop-ups go on their screen (the tool hub, the tools'
// panels, a stacked button's window list, the hover preview), in Qt's
// pixels. One rule for all of them, the one the toolkit's menus follow: a
// pop-up too large for its screen's free part is shrunk to it, and what
// still does not fit hangs past the right and bottom edges, never the left
// and top ones, where a sidebar or a title stands.

// `rect` moved as little as needed to lie inside `within` (not resized);
// as it is when `within` is empty.
QRectF keptInside(const QRectF& rect, const QRectF& within);

// `rect` fitted to `within`: shrunk, as far as `minimum` lets it, where it
// is longer than `within` (it then starts at `within`'s left or top edge),
// and kept inside it; as it is when `within` is empty.
QRectF fittedInside(const QRectF& rect, const QRectF& within, const QSizeF& minimum = {});

// The room a pop-up beside `anchor` (a button on a bar along `edge`:
// "bottom", "top", "left", "right") has: `free` cut at the anchor's side
// facing away from the bar, `gap` before it. A bar may stand below or
// beside `free` (its own reserve taken out of it), so the room reaches the
// anchor, not only `free`'s edge.
QRectF roomBeside(const QRectF& free, const QRectF& anchor, const QString& edge, double gap = 0);
