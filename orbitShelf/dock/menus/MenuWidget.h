#pragma once

#include "dock/menus/MenuEntry.h"

#include <QString>

#include <functional>
#include <vector>

class QMenu;
class QWidget;

// Makes a QMenu from menu data; choosing an entry calls onAction with its id.
// Text entries show greyed out; the check mark is part of their titles.
QMenu* buildMenu(
    const std::vector<MenuEntry>& entries, QWidget* parent, std::function<void(const QString&)> onAction);

// Where each item of a shown menu stands on screen, "text@x,y,wxh" joined by
// "; ": people reading the log, and the end-to-end tests that click the
// items, find them there.
QString menuItemGeometries(const QMenu* menu);
