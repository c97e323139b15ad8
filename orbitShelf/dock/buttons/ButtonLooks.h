#pragma once

#include "dock/buttons/AppButtonRules.h"
#include "widgets/RoundedCornersShape.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRectF>
#include <QSize>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// Everything a bar button draws, worked out once from plain inputs: every
// rectangle in the bar's coordinates, every colour, font and text as it will
// appear. The painters in BarButtonPainter draw these and decide nothing.

// A rounded label with one line of text centred in it: the tag chip beside
// an icon, and the small label over one.
struct ButtonLabel {
    QRectF rect;
    double radius = 0;
    RectCorners corners; // the rounded ones
    QColor fill;
    QRectF textRect;
    QFont font;
    QColor textColour;
    QString text; // already cut to fit
};

// A bar under the icon and its glow: fading rings, the outermost first.
struct ButtonIndicator {
    QRectF bar;
    QColor colour;
    QColor edge;
    std::vector<QRectF> glow;
    QColor glowColour;
};

// What the state says about one window button (or one pinned application
// that is not running).
struct AppButtonFacts {
    AppButtonInput input;
    QIcon icon;
    bool focused = false;
    bool previous = false; // the application's previously active window
    bool dropTarget = false; // another application's icon is dragged over it
    // Colour settings as stored ("RRGGBB").
    QString openIndicatorColour;
    QString previousIndicatorColour;
    QString dockColour;
    QString dockTitleColour;
    QString tag; // the window's display tag
    QString tagColour; // its tag colour's name; empty for none
    QString title;
    QFont font; // the application font the labels are set in
};

struct AppButtonLook {
    QRectF frame; // the button before magnification
    double scale = 1.0; // hover magnification about the frame's centre
    std::optional<QRectF> iconRect;
    QIcon icon;
    std::optional<ButtonLabel> chip;
    std::optional<QRectF> dropHighlight;
    QColor dropFill;
    std::vector<ButtonIndicator> indicators; // in painting order
    std::optional<ButtonLabel> overlay;
    std::optional<QRectF> pinStar;
};

// The look of a button in a bar item of `itemRect` whose icon the bar's
// geometry places at `itemIconRect`.
AppButtonLook appButtonLook(const AppButtonFacts& facts, const QRectF& itemRect, const QRectF& itemIconRect);

// The stacked button of an application with many windows: four copies of
// its icon in a two-by-two grid inside a thin rounded outline.
struct StackButtonLook {
    QIcon icon;
    QSize tilePixels; // the icon's picture size for one tile
    std::array<QRectF, 4> tiles;
    QRectF outline;
    QColor outlineColour;
    double outlineWidth = 0;
    double outlineRadius = 0;
};
StackButtonLook stackButtonLook(const QIcon& icon, const QRectF& frame);

// Where the painters' drawing of a look can land, shadows, glow, pen widths
// and antialiased edges included: repainting this rectangle redraws all of
// it, and nothing outside it needs repainting when the look changes.
QRectF appButtonReach(const AppButtonLook& look, qreal ratio);
QRectF indicatorReach(const ButtonIndicator& indicator);
QRectF stackButtonReach(const StackButtonLook& look);

// At most 17 user-perceived characters, cut without a mark; never splits a
// character made of several code points (emoji, accents, surrogate pairs).
QString shortTitle(const QString& title);
