#include "dock/WindowTagRules.h"

#include "dock/DockColors.h"

#include <QTextBoundaryFinder>

int windowTagFontSize(WindowTagSize size)
{
    return size == WindowTagSize::Tiny ? 9 : 12;
}

double windowTagHeight(WindowTagSize size, double iconSize)
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

QColor windowTagBackground(
    std::optional<bool> focused, const std::optional<QString>& tagColor, const QString& dockColor)
{
    if (focused.value_or(false))
        return QColor(56, 60, 68);
    if (tagColor && !tagColor->isEmpty())
        return colorFromHex(*tagColor, kTagFallbackColor);
    return colorFromHex(dockColor, kTagFallbackColor);
}

QColor windowTagTextColor(const QString& dockTitleColor)
{
    return colorFromHex(dockTitleColor, kTitleFallbackColor);
}

double simpleTagWidth(double iconSize, double buttonScale)
{
    return iconSize - buttonScale - 8;
}

QColor overlayTagColor(const QString& tagColorName)
{
    return colorFromHex(tagColorName, kTagFallbackColor);
}

QColor overlayTitleColor()
{
    return QColor(0, 122, 255);
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
