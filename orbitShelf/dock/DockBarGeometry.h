#pragma once

#include "dock/DockLayout.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

// Where the bar and its buttons are drawn inside a dock window, from the
// layout of its screen. The dock view paints this and takes input only
// inside barRect; everything else of the window lets clicks through.

struct DockBarItem {
    enum class Kind { MainButton, Launchpad, Tool, PinnedApp, App, Window };
    Kind kind = Kind::App;
    QRectF rect; // the whole button, window coordinates
    QRectF iconRect; // its icon
    int appIndex = -1; // running application (position in DockLayoutInput::appWindowCounts)
    int windowIndex = -1;
};

struct DockBarGeometryInput {
    QSizeF windowSize;
    QRectF onScreen; // the part of the window on its screen, window coordinates
    QString edge; // "left" or "right" for a side bar; anything else is a bottom bar
    bool vertical = false;
    double screenWidth = 0;
    double thickness = 50; // dockBackgroundHeight
    std::optional<double> dockHeight; // spaceDockHeight of the screen
    QString listMode = QStringLiteral("list");
    double buttonScale = 0;
    int windowTagWidth = 140;
    DockLayoutInput content;
    bool shown = true; // false while the screen's dock is auto-hidden
};

struct DockBarPicture {
    QRectF barRect; // empty while the dock is hidden
    std::vector<DockBarItem> items;
};

DockBarPicture dockBarPicture(const DockBarGeometryInput& input);
