#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

// The rules of one window button on the bar (icon, tag chip, overlay label,
// indicators, hover magnification, drag and drop) as functions of plain
// inputs. dock/ButtonLooks puts them together into what a button draws.

enum class ButtonTheme {
    BigIcon, // icon, and a tag chip beside it when an application shows several windows
    OnlyIcon, // icon only; the tag becomes a small label over it
    NoIcon, // on a horizontal bar in list mode only an application's first window carries the icon
};
// Any text other than "onlyIcon" and "noIcon" is the default theme.
ButtonTheme buttonThemeFromText(const QString& text);

enum class WindowTagSize { Tiny, Small, Normal };

// What one button is drawn from: the window, the screen's layout and the
// state the button reads.
struct AppButtonInput {
    std::optional<uint32_t> windowNumber;
    std::optional<uint32_t> hoveredWindowNumber; // the window under the pointer; absent = none
    std::optional<int> order; // the window's place among its application's windows (1, 2, ...)
    bool hasTitle = false;
    int windowCount = 0; // windows shown for the application on the bar
    double buttonScale = 0; // points the screen's buttons shrink by
    bool enableWindowTag = true;
    bool isPinned = false; // a pinned application that is not running
    bool appRunning = false; // the window's process is one of the running applications
    int appWindowCount = 0; // windows the running application has
    std::optional<QString> listMode; // the screen's list mode: "list", "grid", "stack"
    std::optional<int> screenWindowTagWidth; // the screen's tag width from the layout
    double iconSize = 46; // H
    ButtonTheme theme = ButtonTheme::BigIcon;
    bool dockVertical = false;
};

double appIconWidth(const AppButtonInput& in);
double appIconHeight(const AppButtonInput& in);
int windowTagWidth(const AppButtonInput& in);
WindowTagSize windowTagSize(const AppButtonInput& in);
// The whole button: the icon (2 points while it is not shown) and the chip.
double appButtonWidth(const AppButtonInput& in, bool showIcon);
double indicatorOffset(const AppButtonInput& in);
double hoverScale(const AppButtonInput& in);
// The chip beside the icon; it also needs a title.
bool showsWindowTagChip(const AppButtonInput& in);

// The small label over the lower part of the icon.
enum class OverlayLabel {
    None,
    DisplayTagOnTagColor, // "onlyIcon" with several windows: the tag on its colour, 4 points up
    TitleOnBlue, // tags switched off, several windows: the title on blue
};
OverlayLabel overlayLabel(const AppButtonInput& in);

// Whether the button shows its icon once it has appeared.
bool showIconOnAppear(const AppButtonInput& in);

// Drag and drop between buttons carries the dragged application's process
// id in a MIME type of our own; nothing else is accepted as a drop.
inline constexpr char kAppButtonMimeType[] = "application/x-orbitshelf-app-pid";
QByteArray appButtonDragPayload(int32_t processId);

// The process id a drop moves, or nothing when it is refused: a payload that
// is not ours (absent), empty, not a decimal 32-bit number, or the id of no
// running application.
std::optional<int32_t> droppedProcessId(
    const std::optional<QByteArray>& payload, const QList<int32_t>& runningProcessIds);
