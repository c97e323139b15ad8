#pragma once

#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

// Reports a widget's size to onChange once it is first shown and again with
// every new size. The reader lives and dies with the widget.
void readSize(QWidget* view, std::function<void(QSize)> onChange);

// The same for the widget's frame in the coordinates of `space` (an
// ancestor), or in global coordinates when `space` is null.
void readFrame(QWidget* view, const QWidget* space, std::function<void(QRect)> onChange);
