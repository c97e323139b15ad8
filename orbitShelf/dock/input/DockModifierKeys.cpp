#include "dock/input/DockModifierKeys.h"

std::optional<QString> dockModifierName(int keyCode)
{
    switch (keyCode) {
    case 55:
        return QStringLiteral("cmd");
    case 56:
        return QStringLiteral("shift");
    case 58:
        return QStringLiteral("option");
    case 59:
        return QStringLiteral("control");
    default:
        return std::nullopt;
    }
}

FlagsChangedOutcome dockFlagsChangedOutcome(
    int keyCode, const QString& configuredModifier, int switcherModifierState)
{
    FlagsChangedOutcome outcome { switcherModifierState, false };
    const std::optional<QString> name = dockModifierName(keyCode);
    if (!name || *name != configuredModifier)
        return outcome;
    if (switcherModifierState == 0 || switcherModifierState == -1) {
        outcome.switcherModifierState = 1;
    } else if (switcherModifierState == 1) {
        outcome.switcherModifierState = 0;
        outcome.emitOptionLater = true;
    }
    return outcome;
}

FlagsChangedOutcome dockModifierChangeOutcome(
    int keyCode, bool pressed, const QString& configuredModifier, int switcherModifierState)
{
    const FlagsChangedOutcome toggled
        = dockFlagsChangedOutcome(keyCode, configuredModifier, switcherModifierState);
    if (toggled.switcherModifierState == (pressed ? 1 : 0))
        return toggled;
    return { switcherModifierState, false };
}
