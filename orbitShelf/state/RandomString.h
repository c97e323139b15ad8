#pragma once

#include <QString>

// `length` characters drawn independently and uniformly from the 62 letters
// and digits, from the system's random source; the empty text for 0.
QString randomAlphanumericString(int length);

// A note's key: six such characters.
inline QString randomString()
{
    return randomAlphanumericString(6);
}
