#include "switcher/SwitcherStandIn.h"

#include "app/EventManager.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcSwitcherStandIn, "orbitshelf.switcher")

int switcherModifierState = -1;
bool switcherPopupShown = false;

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

void startHotKeys(HotKeyModifier main, HotKeyModifier extra)
{
    qCInfo(lcSwitcherStandIn) << "startHotKeys: global hot keys are not registered yet (modifier" << int(main)
                              << "extra" << int(extra) << ")";
}

