#pragma once

#include <QString>

#include <optional>
#include <vector>

// The per-screen layout of the bar as plain functions: how multi-window
// applications are shown (list or grid), how wide window tags may be, how much
// the buttons shrink and how long a vertical bar is. The results are written
// to AppState's per-screen maps by DockLayoutPass; views only read them.

// The settings the layout reads.
struct DockLayoutSettings {
    double iconSize = 46;
    QString buttonTheme = QStringLiteral("bigIcon");
    int stackAppLimit = 8;
    bool hideMainButton = false;
    bool showLunchpadButton = true;
    int pinnedToolCount = 0;
    bool fullScreenDock = false;
};

// What is on the bar, the same for every screen.
struct DockLayoutInput {
    std::vector<int> appWindowCounts; // one entry per running application, in bar order
    std::vector<qint32> appIds; // their process ids, when known
    int pinnedNotRunningCount = 0;
    DockLayoutSettings settings;
};

// What the per-screen maps hold for one screen before the pass.
struct ScreenLayoutState {
    bool vertical = false;
    std::optional<double> screenWidth;
    std::optional<double> screenHeight;
    std::optional<double> buttonScale;
    std::optional<int> windowTagWidth;
};

// What the pass leaves in the per-screen maps for one screen.
struct ScreenLayout {
    QString listMode;
    std::optional<int> windowTagWidth;
    std::optional<double> buttonScale;
    double dockHeight = 0; // length of a vertical bar
    int totalAppCount = 0; // items + windows
    // How the count was reached.
    int items = 0;
    int windows = 0;
    int barSlots = 0;
};

enum class AppArrangement {
    Single, // fewer than two windows: one icon
    Stacked, // many windows behind one icon
    Expanded, // one button per window
};

AppArrangement appArrangement(int windowCount, int stackAppLimit);

// Number of buttons on a bar (the same on every screen).
int countBarSlots(const DockLayoutInput& input);

// Lays out one screen.
ScreenLayout layoutDockForScreen(const DockLayoutInput& input, const ScreenLayoutState& state);

// Usable size of a screen: the calibration text when it is a decimal whole
// number, else the visible size truncated toward zero.
int calibratedScreenLength(const std::optional<QString>& calibration, double visibleLength);
