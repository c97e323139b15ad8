#pragma once

#include <QString>

#include <optional>

// The dock watches the switcher's modifier key while another application is
// active, so the switcher learns that its modifier was released even though
// it has no keyboard focus. Key codes are the app's virtual key codes.

// "cmd", "shift", "option" or "control" for the left-hand modifier keys;
// nothing for any other key (Caps Lock and the right-hand keys included).
std::optional<QString> dockModifierName(int keyCode);

struct FlagsChangedOutcome {
    int switcherModifierState = 0;
    bool emitOptionLater = false; // emit "option" 0.1 s later if the switcher is still shown
};

// One modifier change seen by the global monitor: the switcher's configured
// modifier toggles its state between held (1) and released (0).
FlagsChangedOutcome dockFlagsChangedOutcome(
    int keyCode, const QString& configuredModifier, int switcherModifierState);

// The same from a monitor that tells presses from releases: a press only
// marks the modifier held and a release only marks it released, so a change
// the monitor missed never turns the state around.
FlagsChangedOutcome dockModifierChangeOutcome(
    int keyCode, bool pressed, const QString& configuredModifier, int switcherModifierState);
