#pragma once

#include <QLocale>
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

// "Average CPU: 12.35% | MEM: 3.10%", numbers in the locale's form.
QString processUsageText(float cpu, float memory, const QLocale& locale = QLocale());

// The first `length` user-perceived characters of the text, no ellipsis.
QString truncatedTitle(const QString& title, int length = previewTitleLength);
