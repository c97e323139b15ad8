#include "dock/buttons/ButtonLooks.h"

#include "dock/drawing/DockColors.h"
#include "dock/drawing/DockIcons.h"

#include <QFontMetricsF>
#include <QPointF>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

// Indicator bars stand this far below the middle of the button's content.
constexpr double kIndicatorWidth = 15;
constexpr double kIndicatorHeight = 3;
constexpr double kIndicatorDrop = 20;
constexpr double kFocusGlowRadius = 20;
constexpr double kPreviousGlowRadius = 2;
// Beside the icon while another application's icon is dragged over it.
constexpr double kDropHighlightWidth = 40;

constexpr double kChipPadding = 8;
constexpr double kChipRadius = 4;
// The smallest text that stays readable on the bar.
constexpr int kOverlayFontSize = 9;
constexpr double kOverlayRadius = 5;
// The tag over an "onlyIcon" button sits this far above the icon's bottom.
constexpr double kOverlayTagInset = 4;

QFont labelFont(const QFont& base, int pixelSize)
{
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

double chipHeight(WindowTagSize size, double iconSize)
{
    switch (size) {
    case WindowTagSize::Small:
        return 16;
    case WindowTagSize::Tiny:
        return 15;
    case WindowTagSize::Normal:
        break;
    }
    return iconSize - 10;
}

// Dark grey for the focused window, else the window's tag colour, else the
// dock colour; a text that is not hex gives amber.
QColor chipBackground(bool focused, const QString& tagColour, const QString& dockColour)
{
    if (focused)
        return QColor(56, 60, 68);
    if (!tagColour.isEmpty())
        return colorFromHex(tagColour, kTagFallbackColor);
    return colorFromHex(dockColour, kTagFallbackColor);
}

// The chip keeps its size whatever the text: a long tag ends in an ellipsis
// inside the padding, and the rounded shape clips the rest.
ButtonLabel chipLabel(const AppButtonFacts& facts, const QRectF& rect)
{
    const AppButtonInput& in = facts.input;
    ButtonLabel chip;
    chip.rect = rect;
    chip.radius = kChipRadius;
    chip.corners = allRectCorners;
    chip.fill = chipBackground(facts.focused, facts.tagColour, facts.dockColour);
    chip.textRect = rect.adjusted(kChipPadding, 0, -kChipPadding, 0);
    chip.font = labelFont(facts.font, windowTagSize(in) == WindowTagSize::Tiny ? 9 : 12);
    chip.textColour = colorFromHex(facts.dockTitleColour, kTitleFallbackColor);
    chip.text = QFontMetricsF(chip.font).elidedText(
        facts.tag, Qt::ElideRight, std::max(0.0, chip.textRect.width()));
    return chip;
}

// The thin label over the lower part of the icon: white text, bottom
// corners rounded; none where the shrunk icon leaves it no width.
std::optional<ButtonLabel> overlayLabelLook(
    const AppButtonFacts& facts, const QRectF& content, OverlayLabel kind)
{
    const AppButtonInput& in = facts.input;
    const double width = in.iconSize - in.buttonScale - 8;
    if (width <= 0)
        return std::nullopt;
    const QFont font = labelFont(facts.font, kOverlayFontSize);
    const double height = std::ceil(QFontMetricsF(font).height());
    const double bottomInset = kind == OverlayLabel::DisplayTagOnTagColor ? kOverlayTagInset : 0;
    ButtonLabel label;
    label.rect
        = QRectF(content.center().x() - width / 2, content.bottom() - bottomInset - height, width, height);
    label.radius = kOverlayRadius;
    label.corners = RectCorner::bottomRight | RectCorner::bottomLeft;
    label.textRect = label.rect;
    label.font = font;
    label.textColour = Qt::white;
    const QFontMetricsF metrics(font);
    const double room = std::max(0.0, width - 4);
    if (kind == OverlayLabel::DisplayTagOnTagColor) {
        label.fill = colorFromHex(facts.tagColour, kTagFallbackColor);
        label.text = metrics.elidedText(shortTitle(facts.tag), Qt::ElideRight, room);
    } else {
        label.fill = QColor(0, 122, 255);
        label.text = metrics.elidedText(shortTitle(facts.title), Qt::ElideRight, room);
    }
    return label;
}

ButtonIndicator indicator(const QPointF& centre, const QColor& colour, double glow)
{
    ButtonIndicator look;
    look.bar = QRectF(centre.x() - kIndicatorWidth / 2, centre.y() - kIndicatorHeight / 2, kIndicatorWidth,
        kIndicatorHeight);
    look.colour = colour;
    look.edge = QColor(0, 122, 255);
    look.edge.setAlphaF(colour.alpha() == 0 ? 0 : 0.3);
    const int rings = std::max(1, int(glow / 2));
    for (int i = rings; i >= 1; --i) {
        const double spread = glow * i / rings;
        look.glow.push_back(look.bar.adjusted(-spread / 2, -spread / 4, spread / 2, spread / 4));
    }
    look.glowColour = colour;
    look.glowColour.setAlphaF(colour.alphaF() * 0.5 / rings);
    return look;
}

} // namespace

AppButtonLook appButtonLook(const AppButtonFacts& facts, const QRectF& itemRect, const QRectF& itemIconRect)
{
    const AppButtonInput& in = facts.input;
    const bool showIcon = showIconOnAppear(in);
    const bool chip = showsWindowTagChip(in);
    // The icon follows its slot: where the bar squeezes its buttons (many
    // windows, a short screen) a full-sized icon would cover its neighbours.
    const double fullWidth = appIconWidth(in);
    const double fullHeight = appIconHeight(in);
    double fit = 1;
    if (!itemIconRect.isEmpty() && fullWidth > 0 && fullHeight > 0)
        fit = std::min({ 1.0, itemIconRect.width() / fullWidth, itemIconRect.height() / fullHeight });
    const double iconWidth = fullWidth * fit;
    const double iconHeight = fullHeight * fit;
    const QSizeF chipSize(std::max(0, windowTagWidth(in)), chipHeight(windowTagSize(in), in.iconSize));

    AppButtonLook look;
    look.icon = facts.icon;
    look.scale = hoverScale(in);
    // The frame starts at the icon's left edge (the chip follows it), or is
    // centred on the icon when it is the narrower one.
    const double frameWidth = appButtonWidth(in, showIcon) - (showIcon ? fullWidth - iconWidth : 0);
    const QSizeF frame(frameWidth, iconHeight);
    const double left = frame.width() >= itemIconRect.width() ? itemIconRect.left()
                                                              : itemIconRect.center().x() - frame.width() / 2;
    look.frame = QRectF(QPointF(left, itemRect.center().y() - frame.height() / 2), frame);

    // Icon, chip and drop highlight side by side, centred in the frame.
    double contentWidth = showIcon ? iconWidth : 0;
    double contentHeight = showIcon ? iconHeight : 0;
    if (chip) {
        contentWidth += windowTagWidth(in);
        contentHeight = std::max(contentHeight, chipSize.height());
    }
    if (facts.dropTarget) {
        contentWidth += kDropHighlightWidth;
        contentHeight = std::max(contentHeight, in.iconSize - 10);
    }
    const QPointF middle = look.frame.center();
    const QRectF content(
        middle.x() - contentWidth / 2, middle.y() - contentHeight / 2, contentWidth, contentHeight);

    double x = content.left();
    if (showIcon) {
        look.iconRect = QRectF(content.left(), content.center().y() - iconHeight / 2, iconWidth, iconHeight);
        x = look.iconRect->right();
    }
    if (chip) {
        const QRectF rect(QPointF(x, content.center().y() - chipSize.height() / 2), chipSize);
        if (rect.width() > 0 && rect.height() > 0)
            look.chip = chipLabel(facts, rect);
        x += chipSize.width();
    }
    if (facts.dropTarget) {
        const double h = in.iconSize - 10;
        look.dropHighlight = QRectF(x, content.center().y() - h / 2, kDropHighlightWidth, h);
        look.dropFill = in.isPinned ? QColor(Qt::transparent) : QColor(Qt::white);
    }
    // A pinned application that is not running has no window to mark.
    if (!in.isPinned) {
        const QPointF centre = content.center() + QPointF(indicatorOffset(in), kIndicatorDrop);
        if (facts.previous)
            look.indicators.push_back(indicator(centre,
                colorFromHex(facts.previousIndicatorColour, kIndicatorFallbackColor), kPreviousGlowRadius));
        if (facts.focused)
            look.indicators.push_back(indicator(
                centre, colorFromHex(facts.openIndicatorColour, kIndicatorFallbackColor), kFocusGlowRadius));
    }
    const OverlayLabel overlay = overlayLabel(in);
    if (overlay != OverlayLabel::None)
        look.overlay = overlayLabelLook(facts, content, overlay);
    if (in.isPinned)
        look.pinStar = QRectF(content.left() + 1, content.bottom() - 8 - 5, 5, 5);
    return look;
}

StackButtonLook stackButtonLook(const QIcon& icon, const QRectF& frame)
{
    const QSizeF label(frame.width() - 15, frame.height() - 10);
    const QSizeF tile(frame.width() / 3, frame.height() / 3);
    constexpr double spacing = 1;
    constexpr double outlinePadding = 3;
    const QRectF labelRect(frame.center().x() - label.width() / 2, frame.center().y() - label.height() / 2,
        label.width(), label.height());
    // The grid keeps its natural size (it may overhang the label by a
    // fraction of a point) and is centred on it.
    const QSizeF grid(2 * tile.width() + spacing, 2 * tile.height() + spacing);
    const QPointF origin(
        labelRect.center().x() - grid.width() / 2, labelRect.center().y() - grid.height() / 2);

    StackButtonLook look;
    look.icon = icon;
    const int side = std::max(1, int(std::ceil(std::max(tile.width(), tile.height()))));
    look.tilePixels = QSize(side, side);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            look.tiles[size_t(2 * row + column)] = QRectF(origin.x() + column * (tile.width() + spacing),
                origin.y() + row * (tile.height() + spacing), tile.width(), tile.height());
        }
    }
    look.outline = labelRect.adjusted(-outlinePadding, -outlinePadding, outlinePadding, outlinePadding);
    look.outlineColour = Qt::white;
    look.outlineColour.setAlphaF(0.5);
    look.outlineWidth = 1.5;
    look.outlineRadius = 5;
    return look;
}

QRectF indicatorReach(const ButtonIndicator& indicator)
{
    // The edge is stroked half a point wide about the bar's outline.
    QRectF reach = indicator.bar.adjusted(-0.25, -0.25, 0.25, 0.25);
    for (const QRectF& ring : indicator.glow)
        reach |= ring;
    return reach.adjusted(-1, -1, 1, 1);
}

QRectF appButtonReach(const AppButtonLook& look, qreal ratio)
{
    QRectF reach;
    if (look.iconRect)
        reach |= iconFillingReach(look.icon, *look.iconRect, true, ratio);
    if (look.chip)
        reach |= look.chip->rect;
    if (look.dropHighlight)
        reach |= *look.dropHighlight;
    for (const ButtonIndicator& i : look.indicators)
        reach |= indicatorReach(i);
    if (look.overlay)
        reach |= look.overlay->rect;
    if (look.pinStar)
        reach |= *look.pinStar;
    if (reach.isNull())
        return reach;
    if (look.scale != 1.0) {
        const QPointF c = look.frame.center();
        reach = QRectF(c + (reach.topLeft() - c) * look.scale, reach.size() * look.scale);
    }
    // Antialiased edges and smoothly scaled pictures touch the pixels around.
    return reach.adjusted(-1, -1, 1, 1);
}

QRectF stackButtonReach(const StackButtonLook& look)
{
    QRectF reach;
    for (const QRectF& tile : look.tiles)
        reach |= tile;
    const double pen = look.outlineWidth / 2;
    reach |= look.outline.adjusted(-pen, -pen, pen, pen);
    return reach.adjusted(-1, -1, 1, 1);
}

QString shortTitle(const QString& title)
{
    constexpr int limit = 17;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, title);
    int count = 0;
    while (graphemes.toNextBoundary() != -1) {
        ++count;
        if (count == limit)
            return title.left(graphemes.position());
    }
    return title;
}
