#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// The translucent panel behind the bar: its rules, and its painting.

// The dock colour text as one base-16 number (no "#"), at 15 % opacity; an
// empty or non-hexadecimal text gives the amber F5BC53.
QColor dockTint(const QString& dockColor);

struct BarPanel {
    QRectF rect;
    double cornerRadius = 8;
};

// Paints a panel: the backdrop, the tint and a soft shadow, which falls on
// the panel only: nothing is painted past its rounded outline.
void paintBarPanel(QPainter& painter, const BarPanel& panel, const QString& dockColor);
