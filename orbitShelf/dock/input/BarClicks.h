#pragma once

#include "dock/layout/DockBarGeometry.h"

#include <QPoint>
#include <QPointF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class AppState;
class DockViewState;
class QWidget;

// Clicks on the items of a bar that open menus and tiles: a right click on a
// window button opens its menu; the launcher tile opens the desktop's
// launcher; a tool tile raises its tool (right click: "UnPin"). Other clicks are left to the buttons' owners.

// The tool of a tool tile: tiles follow the sorted pinned tools in order.
std::optional<QString> toolOfItem(
    const AppState& state, const DockBarPicture& picture, const DockBarItem& item);

// Handles a release of `button` at `position` (bar coordinates); returns
// whether an item here took it.
bool handleDockItemClick(AppState& state, DockViewState& dock, const DockBarPicture& picture,
    const std::vector<qint32>& appIds, QPointF position, Qt::MouseButton button, QPoint globalPos,
    QWidget* parent);
