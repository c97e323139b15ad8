#pragma once

#include <QFlags>
#include <QPainterPath>
#include <QRectF>

// The corners of a rectangle, as bits so that any choice of them is one value.
enum class RectCorner : int {
    topLeft = 1,
    topRight = 2,
    bottomRight = 4,
    bottomLeft = 8,
};
Q_DECLARE_FLAGS(RectCorners, RectCorner)
Q_DECLARE_OPERATORS_FOR_FLAGS(RectCorners)

inline constexpr RectCorners allRectCorners { RectCorner::topLeft | RectCorner::topRight
    | RectCorner::bottomRight | RectCorner::bottomLeft };

// A rectangle that rounds only the chosen corners with quarter circles of
// `radius`; the other corners stay sharp.
struct RoundedCornersShape final {
    qreal radius = 0;
    RectCorners corners;

    QPainterPath path(const QRectF& rect) const;
};
