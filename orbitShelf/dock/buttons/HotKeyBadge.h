#pragma once

#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// The hot-key mark drawn over a window button bound to a key: its text, where
// it sits, and its painting.

// "Alt + F" for the key f, as the key is held (W with its row's modifier).
QString hotKeyBadgeText(const QString& key);

// Where the badge of a button sits: its top-left corner 5 points above and
// left of the button's.
QRectF hotKeyBadgeRect(const QRectF& button, const QSizeF& labelSize);

// Paints the badge of a window button; nothing for an empty key.
// `within` (the bar's panel), when given, holds the whole badge.
void paintHotKeyBadge(
    QPainter& painter, const QRectF& button, const QString& key, const QRectF& within = QRectF());
// Where that badge lands when the painter's font is `font`.
QRectF hotKeyBadgeReach(const QRectF& button, const QString& key, const QRectF& within, const QFont& font);
