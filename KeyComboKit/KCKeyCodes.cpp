#include "KeyComboKit/KCKeyCodes.h"

#include <array>

namespace {

struct Row {
    quint16 keyCode;
    quint16 evdev; // linux/input-event-codes.h
};

// Positions, not symbols: the key where a Mac keyboard has A is KEY_A
// whatever the layout puts on it. The modifier rows follow the app's
// mapping (the Control keys act as Command, Super as Control).
constexpr Row rows[] = {
    { 0, 30 },
    { 1, 31 },
    { 2, 32 },
    { 3, 33 },
    { 4, 35 },
    { 5, 34 },
    { 6, 44 },
    { 7, 45 },
    { 8, 46 },
    { 9, 47 },
    { 10, 86 },
    { 11, 48 },
    { 12, 16 },
    { 13, 17 },
    { 14, 18 },
    { 15, 19 },
    { 16, 21 },
    { 17, 20 },
    { 18, 2 },
    { 19, 3 },
    { 20, 4 },
    { 21, 5 },
    { 22, 7 },
    { 23, 6 },
    { 24, 13 },
    { 25, 10 },
    { 26, 8 },
    { 27, 12 },
    { 28, 9 },
    { 29, 11 },
    { 30, 27 },
    { 31, 24 },
    { 32, 22 },
    { 33, 26 },
    { 34, 23 },
    { 35, 25 },
    { 36, 28 },
    { 37, 38 },
    { 38, 36 },
    { 39, 40 },
    { 40, 37 },
    { 41, 39 },
    { 42, 43 },
    { 43, 51 },
    { 44, 53 },
    { 45, 49 },
    { 46, 50 },
    { 47, 52 },
    { 48, 15 },
    { 49, 57 },
    { 50, 41 },
    { 51, 14 },
    { 53, 1 },
    { 54, 97 },
    { 55, 29 },
    { 56, 42 },
    { 57, 58 },
    { 58, 56 },
    { 59, 125 },
    { 60, 54 },
    { 61, 100 },
    { 62, 126 },
    { 64, 187 },
    { 65, 83 },
    { 67, 55 },
    { 69, 78 },
    { 71, 69 },
    { 72, 115 },
    { 73, 114 },
    { 74, 113 },
    { 75, 98 },
    { 76, 96 },
    { 78, 74 },
    { 79, 188 },
    { 80, 189 },
    { 81, 117 },
    { 82, 82 },
    { 83, 79 },
    { 84, 80 },
    { 85, 81 },
    { 86, 75 },
    { 87, 76 },
    { 88, 77 },
    { 89, 71 },
    { 90, 190 },
    { 91, 72 },
    { 92, 73 },
    { 93, 124 },
    { 94, 89 },
    { 95, 121 },
    { 96, 63 },
    { 97, 64 },
    { 98, 65 },
    { 99, 61 },
    { 100, 66 },
    { 101, 67 },
    { 103, 87 },
    { 105, 183 },
    { 106, 186 },
    { 107, 184 },
    { 109, 68 },
    { 111, 88 },
    { 113, 185 },
    { 114, 110 },
    { 115, 102 },
    { 116, 104 },
    { 117, 111 },
    { 118, 62 },
    { 119, 107 },
    { 120, 60 },
    { 121, 109 },
    { 122, 59 },
    { 123, 105 },
    { 124, 106 },
    { 125, 108 },
    { 126, 103 },
};

constexpr quint32 evdevOffset = 8;

} // namespace

std::optional<quint32> KCXKeycodeForKeyCode(quint16 keyCode)
{
    for (const Row& row : rows)
        if (row.keyCode == keyCode)
            return row.evdev + evdevOffset;
    return std::nullopt;
}

quint16 KCKeyCodeForXKeycode(quint32 xKeycode)
{
    for (const Row& row : rows)
        if (row.evdev + evdevOffset == xKeycode)
            return row.keyCode;
    return KCKeyCodeNone;
}

const QList<quint16>& KCKnownKeyCodes()
{
    static const QList<quint16> codes = { 29, 18, 19, 20, 21, 23, 22, 26, 28, 25, 0, 11, 42, 8, 43, 2, 14, 24,
        3, 5, 50, 4, 34, 38, 40, 82, 83, 84, 85, 86, 87, 88, 89, 91, 92, 65, 75, 76, 81, 78, 67, 69, 37, 33,
        46, 27, 45, 31, 35, 47, 12, 39, 15, 30, 1, 41, 44, 17, 32, 9, 13, 7, 16, 6, 51, 125, 119, 53, 122,
        120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90, 117, 114, 115,
        10, 95, 94, 93, 123, 121, 116, 36, 124, 49, 48, 126 };
    return codes;
}

const QList<quint16>& KCFunctionKeyCodes()
{
    static const QList<quint16> codes
        = { 122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90 };
    return codes;
}

bool KCIsKeypadKeyCode(quint16 keyCode)
{
    static constexpr std::array<quint16, 18> keypad
        = { 65, 67, 69, 71, 75, 76, 78, 81, 82, 83, 84, 85, 86, 87, 88, 89, 91, 92 };
    for (quint16 k : keypad)
        if (k == keyCode)
            return true;
    return false;
}
