#pragma once

// What every benchmark program reports its times with.
#include <algorithm>
#include <vector>

// The middle value (the upper one of an even count); `values` must not be empty.
inline double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
