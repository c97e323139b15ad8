#pragma once

#include <QDateTime>

#include <cstdint>

// Records that window `windowNumber` was brought forward at `time`: appends
// it to the most-recently-used history unless it is already the newest
// entry. Main thread.
void recordWindowActivation(int32_t windowNumber, const QDateTime& time);
