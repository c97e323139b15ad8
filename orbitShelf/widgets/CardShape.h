#pragma once

#include <QRegion>
#include <QSize>

// What a window of `size` that shows one card with corners rounded by
// `radius` keeps as its shape (QWidget::setMask): every pixel the card
// covers, none it leaves clear. Where nothing composites, a window's clear
// pixels show black and its shape is what shows; a compositor draws its
// shadow around the window's rectangle, so the card fills it.
QRegion cardShape(const QSize& size, qreal radius);
