#pragma once

#include <QDateTime>

#include <cstdint>

// One entry of the most-recently-used window history: a window and when it
// was last clicked or activated.
class WindowClickedOrder final {
public:
    int32_t windowNum = 0;
    QDateTime time = QDateTime::currentDateTimeUtc();
};
