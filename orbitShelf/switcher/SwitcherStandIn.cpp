#include "switcher/SwitcherStandIn.h"

#include "app/EventManager.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcSwitcherStandIn, "orbitshelf.switcher")

int switcherModifierState = -1;

void closeSwitcherPopup()
{
    switcherModifierState = -1;
    EventManager::shared().emitEvent(QStringLiteral("onDestroy"), 1);
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCDebug(lcSwitcherStandIn) << "closeSwitcherPopup: the switcher is not built yet";
    }
}

std::optional<quint32> floatPanelWindowNumber()
{
    return std::nullopt;
}
