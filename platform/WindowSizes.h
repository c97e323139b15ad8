#pragma once

// The sizes our top-level windows announce to the window manager, and the
// sizes we take from it. Qt 6.4's xcb back-end writes WM_NORMAL_HINTS from a
// window's size constraints, scaled to the server's pixels; whenever Qt
// scales at all it writes a resize increment, and with it the base size,
// whose unset value (-1, -1) comes out scaled as a negative size. A window
// manager that reads that as unsigned (Debian 12's fluxbox does) makes the
// window 65534 pixels square, and a toolkit that paints its whole window
// then asks for a picture of gigabytes. These are the rules that keep both
// ends sane; platform/x11 applies them to every top-level window.

#include <QSize>
#include <QStringList>

#include <optional>

namespace platform {

// A top-level window's size constraints as Qt holds them (QWindow's
// minimumSize, maximumSize, baseSize and sizeIncrement), in Qt's pixels.
// The defaults are a new QWindow's.
struct SizeConstraints {
    QSize minimum { 0, 0 };
    QSize maximum { (1 << 24) - 1, (1 << 24) - 1 }; // QWINDOWSIZE_MAX: none
    QSize base { -1, -1 }; // unset
    QSize increment { 0, 0 }; // unset
    bool fixedSize() const { return minimum == maximum; }
};

// How Qt scales a window: its screen's factor, and whether Qt scales at all.
// A screen's factor of 1 under QT_SCREEN_SCALE_FACTORS counts as scaling:
// Qt then writes an increment (of 1) and the base size too.
struct WindowScaling {
    qreal factor = 1.0;
    bool active = false;
};

// The size fields of WM_NORMAL_HINTS (ICCCM 4.1.2.3) in the server's
// pixels; a field the flags leave out is absent.
struct NormalSizeHints {
    std::optional<QSize> minimum;
    std::optional<QSize> maximum;
    std::optional<QSize> base;
    std::optional<QSize> increment;
};

// The base size a window should carry so that whatever Qt writes is read
// alike by every window manager: a base that is set stays; an unset one is
// the minimum size, so that a window of fixed size is one of the sizes its
// increments lead to (a base of 0 with an increment of 2 at a scale of 1.5
// would leave an odd width unreachable).
QSize readableBaseSize(const SizeConstraints& constraints);

// What Qt 6.4's xcb back-end writes into WM_NORMAL_HINTS for a window with
// these constraints at this scaling (QXcbWindow::propagateSizeHints).
NormalSizeHints writtenSizeHints(const SizeConstraints& constraints, WindowScaling scaling);

// What a window manager could misread in `hints`, one line per fault: a
// negative field, a minimum above the maximum, a window of fixed size whose
// minimum and maximum differ or whose size its base and increment never
// reach. Empty when every window manager reads them alike.
QStringList misreadableSizeHints(const NormalSizeHints& hints, bool fixedSize);

// What becomes of a size the window manager gives one of our top-level
// windows (a ConfigureNotify), in the server's pixels.
enum class GivenSize {
    // Qt takes it, as any size the window manager chooses.
    taken,
    // Larger than every screen together and not what we asked for: Qt never
    // hears of it (it would size the window's picture to it).
    refused,
    // Refused, and the size we meant asked for once more.
    refusedAndAskedBack,
};

// How many times a window's meant size is asked back before we leave the
// window manager be: never a loop with one that insists.
inline constexpr int kAskBackLimit = 3;

// `given` against `meant` (what Qt asked for last) and `screens` (the size
// of the box round every screen). `askedBack` counts the asks made since
// Qt last asked for a size of its own.
GivenSize judgeGivenSize(QSize given, QSize meant, QSize screens, int askedBack);

} // namespace platform
