#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

// Colour settings and tag colours are six hexadecimal digits without "#"
// ("00cec9"), stored as typed. The whole text is read as one signed 64-bit
// base-16 number (an optional sign, then digits; a negative number counts in
// two's complement): red is bits 16-23, green 8-15, blue 0-7, fully opaque,
// higher bits ignored. A text that is not such a number ("#ff0000", a blank,
// a value beyond 64 bits) gives `fallback` (0xRRGGBB) instead, so a damaged
// setting never paints black or transparent by accident.
QColor colorFromHex(const QString& text, uint32_t fallback);
// Whether `text` reads as such a number (and so is a colour of its own).
bool isColorText(const QString& text);

// The fallbacks the bar uses.
inline constexpr uint32_t kIndicatorFallbackColor = 0xffffff;
// Tags, and the colour rows of the appearance page other than the title.
inline constexpr uint32_t kTagFallbackColor = 0xf5bc53;
inline constexpr uint32_t kTitleFallbackColor = 0xffffff;
