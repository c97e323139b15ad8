#pragma once

#include <QStringList>

#include <functional>
#include <memory>

class QWidget;
class Windows;

// What the bar sets in motion outside itself: the switcher's modifier
// monitor and hot keys when its windows are built, the tools' hot keys once
// a tool is installed, and the settings and quit windows and the relaunch of
// its menu. The shell installs them at start; until then (and in tests that
// leave them empty) the bar does without.
struct DockHooks {
    std::function<void()> installModifierMonitor;
    std::function<void()> startHotKeys;
    std::function<void()> startToolHotKeys;
    // On the screen of the bar that asked (its id).
    std::function<void(const QString& screenID)> openSettingsWindow;
    std::function<void()> openQuitWindow;
    // Starts the new instance and quits; false when it could not start.
    std::function<bool()> relaunch;
    // The tag editor's picker that binds one window to a hot key.
    std::function<QWidget*(std::shared_ptr<Windows>, QWidget*)> makeWindowHotKeyPicker;
    // The menus' texts for the keys as they are held now: the Auto Hide
    // line, then the Shortcuts lines (Tab, Escape, H, P).
    std::function<QStringList()> hotKeyMenuLines;
};
DockHooks& dockHooks();

// Runs a hook when it is installed.
inline void runDockHook(const std::function<void()>& hook)
{
    if (hook)
        hook();
}
