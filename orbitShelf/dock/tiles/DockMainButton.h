#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>

class AppState;
class QPainter;

// The main button of the bar: its label and the popover its left click opens.

// The main button's label frame: a soft two-ring shade under its rounded
// rectangle, and the painter clipped to that rectangle. The appearance
// page's pictures of the label take the same frame.
void shadeAndClipMainButtonLabel(QPainter& painter, const QRectF& label);

// Paints the label centred in the button: the picture filling its size
// (keeping its aspect), a soft shadow, rounded corners of 10.
void paintMainButtonLabel(
    QPainter& painter, const QRectF& button, const QSizeF& labelSize, const QImage& image);
// Where that label lands, its shade included.
QRectF mainButtonLabelReach(const QRectF& button, const QSizeF& labelSize);

// Where the popover stands next to the button (all in screen coordinates):
// above it on a bottom bar, beside it on a side bar, 8 points away.
QPointF toolHubPopoverOrigin(const QRectF& button, const QSizeF& popover, const QString& position);
// The popover's frame there, fitted to the room `free` (the screen's free
// part) leaves beside the button: shrunk where it does not fit, as far as
// `minimum` lets it.
QRectF toolHubPopoverFrame(const QRectF& button, const QSizeF& popover, const QSizeF& minimum,
    const QString& position, const QRectF& free);

// The popover's content: the tool hub on its dark background.
std::unique_ptr<QWidget> toolHubPopoverContent(AppState& state);
