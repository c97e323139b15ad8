#pragma once

#include <QPoint>

namespace platform {

// The mouse pointer in root coordinates (Coordinates.h converts).
class Pointer {
public:
    virtual ~Pointer() = default;
    virtual QPoint position() = 0;
    virtual void warp(QPoint rootPoint) = 0;
};

} // namespace platform
