#include "dock/windows/ScreensSettling.h"

#include "dock/DockLog.h"

ScreensSettling& ScreensSettling::shared()
{
    static ScreensSettling settling;
    return settling;
}

void ScreensSettling::setSettling(bool settling)
{
    if (settling == m_settling)
        return;
    m_settling = settling;
    qCDebug(lcDock) << (settling
            ? "the screens are changing: the bands under the bars and the auto-show strips "
              "take no pointer until they settle"
            : "the screens settled: the bands under the bars and the auto-show strips "
              "take the pointer again");
    emit changed();
}
