#include "dock/preview/HoverPreviewLayout.h"

#include "state/TextFormats.h"

#include <QTextBoundaryFinder>

#include <algorithm>

QString processUsageText(float cpu, float memory, const QLocale& locale)
{
    return QStringLiteral("Average CPU: ") + formatFloat(cpu, 2, locale) + QStringLiteral("% | MEM: ")
        + formatFloat(memory, 2, locale) + QStringLiteral("%");
}

QString truncatedTitle(const QString& title, int length)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, title);
    int clusters = 0;
    while (finder.toNextBoundary() != -1) {
        if (++clusters == length)
            return title.left(finder.position());
    }
    return title;
}

HoverPreviewLayout hoverPreviewLayout(const HoverPreviewInput& input, const QLocale& locale)
{
    HoverPreviewLayout layout;
    if (!input.hoveredNumber || !input.windowNumber || *input.hoveredNumber != *input.windowNumber)
        return layout;
    layout.visible = true;

    const auto [cpu, memory] = input.usage;
    // A NaN average is "not equal to 0" and shows, as the numbers say nothing
    // sensible but sampling did run.
    if (input.showProcessInfo && !(cpu == 0.0f))
        layout.usageText = processUsageText(cpu, memory, locale);

    const double w = input.thumbnailSize.width();
    const double h = input.thumbnailSize.height();
    // A picture without height (a window being unmapped) has no aspect ratio
    // to keep: it is not drawn, and the frame keeps its default width.
    const bool hasPicture = w > 0 && h > 0;
    layout.offsetY = input.disablePreview ? -50 : -150;
    if (hasPicture && !input.disablePreview) {
        const double height = std::min(previewPictureHeight, h);
        layout.previewWidth = height * w / h;
        layout.previewHeight = height;
    }
    layout.showPicture = hasPicture && !input.disablePreview;

    const double sideShift = (input.dockBackgroundHeight - 10) + layout.previewWidth * 0.5;
    if (input.position == QLatin1String("right")) {
        layout.offsetX = -sideShift;
        layout.offsetY += 50;
    } else if (input.position == QLatin1String("left")) {
        layout.offsetX = sideShift;
        layout.offsetY += 50;
    }

    layout.title = truncatedTitle(input.title.value_or(QString()));
    return layout;
}
