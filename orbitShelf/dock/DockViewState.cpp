#include "dock/DockViewState.h"

DockViewState::DockViewState(bool enableListener, double screenWidth, double screenHeight, QString screenID)
    : enableListener(enableListener)
    , screenWidth(screenWidth)
    , screenHeight(screenHeight)
    , screenID(std::move(screenID))
{
}

void findWindowKeyForHotkey(const QStringList& keys, quint32 windowNumber,
    const QMap<QString, QString>& windowHotkeyCache, QString& slot)
{
    const QString number = QString::number(windowNumber);
    for (const QString& key : keys) {
        const auto bound = windowHotkeyCache.constFind(key);
        if (bound != windowHotkeyCache.constEnd() && *bound == number)
            slot = key;
    }
}

bool needsToolHotKeys(bool enableListener, const std::vector<std::optional<QString>>& installedPluginNames)
{
    if (!enableListener)
        return false;
    for (const std::optional<QString>& name : installedPluginNames) {
        if (name && *name == QLatin1String("Pasteboard"))
            return true;
    }
    return false;
}
