#pragma once

#include "dock/MenuEntry.h"

#include <QString>

#include <functional>
#include <vector>

class QMenu;
class QWidget;

// Makes a QMenu from menu data; choosing an entry calls onAction with its id.
// Text entries show greyed out; the check mark is part of their titles.
QMenu* buildMenu(
    const std::vector<MenuEntry>& entries, QWidget* parent, std::function<void(const QString&)> onAction);
