#pragma once

#include <QRectF>
#include <QString>

class QPainter;

// The pictures of the launcher tile and of the tool tiles, drawn into the
// icon rectangle the bar's geometry gives them. Tools show the icon theme's
// picture for what they do, or a lettered tile when the theme has none.
void paintLauncherTile(QPainter& painter, const QRectF& iconRect);
void paintToolTile(QPainter& painter, const QRectF& iconRect, const QString& tool);
