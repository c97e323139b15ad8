#pragma once

#include <QSizeF>

// The stacked button of an application with many windows: a two-by-two grid
// of its icon inside a thin rounded outline, and a list of its windows.
struct StackAppButtonGeometry {
    QSizeF frame; // the whole entry on the bar: the icon size
    QSizeF label; // the grid
    QSizeF tile; // one of its four icons
    double tileSpacing = 1;
    double outlinePadding = 3; // between the grid and its outline
    double outlineRadius = 5;
    double outlineWidth = 1.5;
};

inline StackAppButtonGeometry stackAppButtonGeometry(double iconWidth, double iconHeight)
{
    StackAppButtonGeometry g;
    g.frame = QSizeF(iconWidth, iconHeight);
    g.label = QSizeF(iconWidth - 15, iconHeight - 10);
    g.tile = QSizeF(iconWidth / 3, iconHeight / 3);
    return g;
}

// The window list it opens.
inline constexpr double kStackWindowListWidth = 300;
inline constexpr double kStackWindowRowPadding = 3;
inline constexpr double kStackWindowRowSpacing = 3;
