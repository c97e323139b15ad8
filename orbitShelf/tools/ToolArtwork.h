#pragma once

// Pictures of the built-in tools, drawn here rather than shipped as files.

#include <QColor>
#include <QIcon>
#include <QImage>

class QPainter;
class QRectF;

// "Directory": the folder picture of the favourite rows.
QImage directoryImage(int side);
// "Finder": the stand-in icon of a favourite application without its own.
QImage finderImage(int side);

// The star of a sidebar row: yellow for a favourite, gray otherwise.
QColor starColor(bool favourite);
void paintStar(QPainter& painter, const QRectF& box, const QColor& color);

// The folder symbol of a sidebar row: the theme's home or folder icon, or our
// drawing when the theme has none.
QIcon sidebarFolderIcon(bool home);

// "Todo": a checklist of three lines, the first two ticked, in `color`.
QImage todoImage(int side, const QColor& color);

// A push pin leaning right, in `color`: the tool panels' "pin to the bar"
// where the icon theme has no pin of its own.
QImage pinImage(int side, const QColor& color);

// A plain page: the icon of a file whose type the theme has no icon for.
QIcon genericFileIcon();
