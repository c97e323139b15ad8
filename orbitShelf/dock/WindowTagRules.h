#pragma once

#include "dock/AppButtonRules.h"

#include <QColor>
#include <QString>

#include <optional>

// The window tag chip beside an icon and the small label laid over one, as
// plain values.

// Chip: font size in pixels and height, by size.
int windowTagFontSize(WindowTagSize size);
double windowTagHeight(WindowTagSize size, double iconSize);
inline constexpr double kWindowTagPadding = 8;
inline constexpr double kWindowTagRadius = 4;

// The chip's colour: dark grey for the focused window, else the window's tag
// colour, else the dock colour; a text that is not hex gives amber.
QColor windowTagBackground(
    std::optional<bool> focused, const std::optional<QString>& tagColor, const QString& dockColor);
QColor windowTagTextColor(const QString& dockTitleColor);

// The label over an icon.
inline constexpr int kSimpleTagFontSize = 6;
inline constexpr double kSimpleTagRadius = 5;
double simpleTagWidth(double iconSize, double buttonScale);
// Its colour for the "onlyIcon" theme: the tag colour, amber when empty or
// not hex.
QColor overlayTagColor(const QString& tagColorName);
// Its colour when tags are off.
QColor overlayTitleColor();

// At most 17 user-perceived characters, cut without a mark; never splits a
// character made of several code points (emoji, accents, surrogate pairs).
QString shortTitle(const QString& title);
