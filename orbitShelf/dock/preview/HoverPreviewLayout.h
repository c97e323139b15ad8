#pragma once

#include <QLocale>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

// What the hover preview of a window button shows and where, as a plain
// function of its inputs; the preview widget only paints the result.

struct HoverPreviewInput {
    std::optional<uint32_t> hoveredNumber; // the dock's hovered window
    std::optional<uint32_t> windowNumber; // the button's window
    std::optional<QString> title;
    std::pair<float, float> usage; // average CPU and memory share of the window's process
    bool showProcessInfo = false;
    bool disablePreview = false;
    double dockBackgroundHeight = 50;
    QString position = QStringLiteral("bottom"); // the bar's edge
    QSize thumbnailSize; // the captured picture's pixel size; empty without one
};

struct HoverPreviewLayout {
    bool visible = false;
    QString title;
    std::optional<QString> usageText; // set only when the usage chip is drawn
    bool showPicture = false;
    double previewWidth = 200; // the picture frame
    // 200, or the picture's own height when it is lower: a small window is
    // shown at its size, never enlarged.
    double previewHeight = 200;
    double offsetX = 0; // the whole preview, from the button centre; y grows downwards
    double offsetY = 0;
};

inline constexpr double previewPictureHeight = 200;
inline constexpr int previewTitleLength = 40;

HoverPreviewLayout hoverPreviewLayout(const HoverPreviewInput& input, const QLocale& locale = QLocale());

// Where the painted pieces of a preview stand, in screen coordinates. Each
// piece is a window of its own: a compositor draws its shadow around a
// window's whole rectangle, so one window for the stack would darken the
// empty room beside a title narrower than the picture.
struct HoverPreviewPieces {
    QRectF title;
    QRectF picture; // empty without a picture
    QRectF usage; // empty without the usage chip
};

// The pieces of `layout` stacked (title, picture row, usage chip, 5 apart),
// centred on the button moved by the layout's offsets and kept inside
// `screen` with room for the picture's shadow. Without a picture the row is
// an empty line of `lineHeight`: it takes room but paints nothing.
HoverPreviewPieces hoverPreviewPieces(const HoverPreviewLayout& layout, QSizeF titleChip, QSizeF usageChip,
    double lineHeight, QPointF buttonCentre, const QRectF& screen);

// The picture with the shadow painted under it (a few points soft, two
// points down): all the picture's window paints.
QRectF previewPictureWithShadow(const QRectF& picture);

// "Average CPU: 12.35% | MEM: 3.10%", numbers in the locale's form.
QString processUsageText(float cpu, float memory, const QLocale& locale = QLocale());

// The first `length` user-perceived characters of the text, no ellipsis.
QString truncatedTitle(const QString& title, int length = previewTitleLength);
