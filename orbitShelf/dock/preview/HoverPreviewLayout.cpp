#include "dock/preview/HoverPreviewLayout.h"

#include "dock/layout/PopUpPlacement.h"
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

HoverPreviewPieces hoverPreviewPieces(const HoverPreviewLayout& layout, QSizeF titleChip, QSizeF usageChip,
    double lineHeight, QPointF buttonCentre, const QRectF& screen)
{
    constexpr double spacing = 5;
    // The stack keeps the picture's shadow on the screen.
    constexpr double shadowMargin = 8;
    const QSizeF row
        = layout.showPicture ? QSizeF(layout.previewWidth, layout.previewHeight) : QSizeF(0, lineHeight);
    const bool usage = layout.usageText.has_value();
    const double width = std::max({ titleChip.width(), row.width(), usage ? usageChip.width() : 0.0 });
    double height = titleChip.height() + spacing + row.height();
    if (usage)
        height += spacing + usageChip.height();

    QRectF frame(0, 0, width + 2 * shadowMargin, height + 2 * shadowMargin);
    frame.moveCenter(buttonCentre + QPointF(layout.offsetX, layout.offsetY));
    frame = keptInside(frame, screen);
    const double centre = frame.center().x();
    const auto centred = [centre](double top, QSizeF size) {
        return QRectF(centre - size.width() / 2, top, size.width(), size.height());
    };

    HoverPreviewPieces pieces;
    double y = frame.top() + shadowMargin;
    pieces.title = centred(y, titleChip);
    y += titleChip.height() + spacing;
    if (layout.showPicture)
        pieces.picture = centred(y, row);
    y += row.height() + spacing;
    if (usage)
        pieces.usage = centred(y, usageChip);
    return pieces;
}

QRectF previewPictureWithShadow(const QRectF& picture)
{
    // The shadow's outermost ring: 4 points around the picture moved 2 down.
    return picture.isEmpty() ? QRectF() : picture.united(picture.translated(0, 2).adjusted(-4, -4, 4, 4));
}
