#pragma once

// The shape of what a window paints: where nothing composites its clear
// pixels show black, so it is cut to the pixels it covers.

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QSize>

// The pixels of `image` at least `minimumAlpha` opaque, in the image's
// coordinates moved by `offset`. Shown without a compositor, a pixel shows
// its colour times its opacity: below half it reads as a dark smudge, and a
// soft black shadow as pure black.
QRegion opaquePart(const QImage& image, QPoint offset, int minimumAlpha = 128);

// What a window of `size` that shows one card with corners rounded by
// `radius` keeps as its shape (QWidget::setMask): every pixel the card
// covers, none it leaves clear. Where nothing composites, a window's clear
// pixels show black and its shape is what shows; a compositor draws its
// shadow around the window's rectangle, so the card fills it.
QRegion cardShape(const QSize& size, qreal radius);
