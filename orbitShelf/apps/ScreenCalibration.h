#pragma once

#include <QString>

class QRect;

// The room a screen offers the bar, by screen key: its calibrated width or
// height ("spaceWidth" / "spaceHeight" entry, a whole number), else the
// visible frame's. The bar's own form takes the screen itself.
int calibratedScreenWidth(const QString& screenKey, const QRect& visibleFrame);
int calibratedScreenHeight(const QString& screenKey, const QRect& visibleFrame);
