#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

// Colour settings and tag colours are six hexadecimal digits without "#"
// ("00cec9"). The whole text is read as one base-16 number: red is bits
// 16-23, green 8-15, blue 0-7, fully opaque. A text that is not a hex number
// gives `fallback` (0xRRGGBB) instead, so a damaged setting never paints
// black or transparent by accident.
QColor colorFromHex(const QString& text, uint32_t fallback);

// The fallbacks the bar uses.
inline constexpr uint32_t kIndicatorFallbackColor = 0xffffff;
inline constexpr uint32_t kTagFallbackColor = 0xf5bc53;
inline constexpr uint32_t kTitleFallbackColor = 0xffffff;
