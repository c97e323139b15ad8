#pragma once

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>

class AppState;
class Windows;

// The pictures of the bar's buttons.

// The picture of an application the bar knows nothing better for: the icon
// theme's file manager, or a drawn folder on a blue tile when the theme has
// none.
QIcon fallbackAppIcon();

// The icon of a window's button: its running application's icon, for a
// pinned application its stored icon file, else the fallback.
QIcon appButtonIcon(const AppState& state, const Windows& window, bool isPinned);
// The icon of a running application by process id, else the fallback.
QIcon runningAppIcon(const AppState& state, int32_t processId);

// Draws `icon` filling `frame` (keeping its aspect, overflowing the shorter
// side), with the bar's soft drop shadow under it when `shadow` is set; the
// shadow only inside `shadowBounds` when that is given.
void paintIconFilling(QPainter& painter, const QIcon& icon, const QRectF& frame, bool shadow,
    const QRectF& shadowBounds = QRectF());
// Where that drawing lands on a device of pixel ratio `ratio`.
QRectF iconFillingReach(const QIcon& icon, const QRectF& frame, bool shadow, qreal ratio);

// A copy of `image` blurred over about `radius` pixels (two box passes).
QImage blurredImage(const QImage& image, int radius);

// The small yellow star that marks a pinned application.
void paintPinStar(QPainter& painter, const QRectF& box);
