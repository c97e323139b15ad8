#pragma once

#include <QRectF>
#include <QString>
#include <QVariantMap>

#include <optional>
#include <vector>

// One entry of the window server's list. `bounds` is the window's frame in
// the coordinates of the primary screen's top-left corner, y downwards.
struct WindowInfo {
    std::optional<QString> name;
    QString ownerName;
    qint32 ownerProcessID = 0;
    qint64 layer = 0;
    QRectF bounds;
    double alpha = 1.0;
    bool isOnscreen = false;
    qint64 memoryUsage = 0;     // bytes; X11 does not tell, always 0
    qint64 windowNumber = 0;
    quint32 sharingState = 1;   // read-only: other clients may read its picture
    quint32 backingStoreType = 2;
    QVariantMap otherAttributes; // "windowClass", "windowInstance", "windowKind", "desktop"
};

// The managed windows, front to back (our own windows, docks, desktops and
// skip-taskbar windows are not listed).
std::vector<WindowInfo> getWindowInfoList();
