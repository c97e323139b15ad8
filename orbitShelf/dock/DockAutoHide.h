#pragma once

#include <QMap>
#include <QString>

#include <optional>

// Decisions of the auto-show strip and of the full-screen auto-hide, apart
// from the views and from AppState so that they can be checked directly.

// What hovering an auto-show strip does.
struct StripHoverOutcome {
    bool showDock = false; // set the screen's showSpaceDock entry true
    double opacity = 0; // the strip's new grey opacity
};

// The pointer entered (or left) the strip of a screen whose autoHideSpaceDock
// entry is autoHideEntry. Entering shows an auto-hidden dock and lights the
// strip; entering the strip of a dock that is not auto-hidden changes
// nothing; leaving only dims the strip (hiding is the bar's business).
StripHoverOutcome stripHoverOutcome(
    bool entered, const std::optional<QString>& autoHideEntry, double currentOpacity);

// Which dock a full-screen window hid, per screen and per window. Kept on the
// main thread: the window-notification handler hands its changes over.
struct FullScreenAutoHideFlags {
    QMap<QString, QString>
        dockScreenFlags; // screen id → autoHideSpaceDock text before a full-screen window hid it
    QMap<qint64, bool> dockHiddenFlags; // window number → this full-screen window hid the dock
};

FullScreenAutoHideFlags& fullScreenAutoHideFlags();

// When the focus moves to windowNumber on the screen screenId: the flag to
// hand to setSpaceDockShown (true = auto-hide on; the screen's showSpaceDock
// entry becomes its opposite), or nothing when the dock stays as it is.
std::optional<bool> fullScreenAutoHideDecision(bool enableAutoHideWhenFullScreen,
    const FullScreenAutoHideFlags& flags, qint64 windowNumber, const QString& screenId);

// The dock's opacity: 0 while the screen's dock is auto-hidden and not shown
// by its strip, 1 in every other case (missing entries included).
double dockOpacity(const std::optional<QString>& autoHideEntry, const std::optional<bool>& showSpaceDock);

// The screen's showSpaceDock entry each time its dock appears.
bool showSpaceDockOnAppear(const std::optional<QString>& autoHideEntry);

class AppState;

// When the focus moves to a window (0.5 s after it was marked focused): hides
// the screen's dock again for the full-screen window that hid it, or puts
// back the auto-hide state the screen had before. Main thread only.
void applyFullScreenAutoHide(AppState& state, qint64 windowNumber, const QString& screenId);
