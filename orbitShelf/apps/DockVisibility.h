#pragma once

#include <QMap>
#include <QString>

#include <optional>

// Sets whether one screen's bar hides itself ("autoHideDock", stored) and
// whether it is shown now (AppState::showSpaceDock), together and opposite,
// then publishes. Main thread only.
void applySpaceDockAutoHide(bool autoHide, const QString& screenID);

// The same from any thread: queued to the main thread, returns at once.
void setSpaceDockAutoHide(const QString& screenID, bool autoHide);

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

class AppState;

// When the focus moves to a window (0.5 s after it was marked focused): hides
// the screen's dock again for the full-screen window that hid it, or puts
// back the auto-hide state the screen had before. Main thread only.
void applyFullScreenAutoHide(AppState& state, qint64 windowNumber, const QString& screenId);
