#include "shell/FeatureWiring.h"

#include "state/AppState.h"
#include "state/EventManager.h"
#include "apps/Activation.h"
#include "apps/ModelEvents.h"
#include "dock/DockHooks.h"
#include "platform/HotKeys.h"
#include "settings/SettingsHooks.h"
#include "shell/AuxiliaryWindows.h"
#include "shell/Relaunch.h"
#include "switcher/FloatDock.h"
#include "switcher/HotKeySettings.h"
#include "switcher/Hotkey.h"
#include "switcher/SwitcherCycle.h"
#include "switcher/SwitcherPopup.h"
#include "switcher/SwitcherThumbnails.h"
#include "switcher/WindowHotKeyBinding.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <utility>

void closePanelsAfterClick(qint64 windowNumber, quint32 serverTime)
{
    SwitcherCycle& cycle = switcherCycle();
    // A click read only after an Alt press the desktop saw later (a busy
    // main thread reads the hot keys' connection first) is older than the
    // hold: letting Alt go for it would turn the Alt+Tab after it into a
    // quick switch, and ending the cycle would close the switcher it opens.
    const bool olderThanHold = cycle.clickPrecedesHold(serverTime);
    if (!olderThanHold)
        cycle.forgetModifier();
    const auto panel = floatPanelWindowNumber();
    if (panel && static_cast<qint64>(*panel) == windowNumber)
        return;
    if (!olderThanHold && (cycle.open() || switcherPopupShown))
        closeSwitcherPopup();
    if (auto& window = pasteboardWindow()) {
        window->close();
        window = nullptr;
    }
}

void wireFeatures()
{
    static bool wired = false;
    if (wired)
        return;
    wired = true;

    DockHooks& hooks = dockHooks();
    hooks.makeWindowHotKeyPicker = [](std::shared_ptr<Windows> window, QWidget* parent) -> QWidget* {
        return new ShortcutRegisterView(std::move(window), parent);
    };
    hooks.installModifierMonitor = [] {
        // Connected once, however often the bar's windows are built again.
        static bool connected = false;
        platform::HotKeys* hotKeys = platform::hotKeys();
        if (connected || !hotKeys || !hotKeys->startModifierMonitor())
            return;
        connected = true;
        QObject::connect(hotKeys, &platform::HotKeys::modifierChanged, hotKeys,
            [](quint16 keyCode, bool pressed, quint32 serverTime) {
                switcherCycle().modifierChanged(keyCode, pressed, serverTime);
            });
    };
    hooks.startHotKeys = [] {
        startHotKeys(HotKeyModifier::Option);
        prepareSwitcherThumbnails(false);
        // A key refused at the start is told a few seconds later unless it
        // comes back (once per start, as the telling). Its window is made
        // once the bar's own is on its way to the screen.
        static bool started = false;
        if (!std::exchange(started, true) && !takenKeysToMove().isEmpty())
            QTimer::singleShot(
                0, QCoreApplication::instance(), [] { prepareTakenHotKeysNotice(takenKeysToMove()); });
    };
    hooks.startToolHotKeys = [] { startHotKeys(HotKeyModifier::Option, HotKeyModifier::Shift); };
    hotKeyHooks().showPasteboardWindow = [] { showPasteboardWindow(); };
    // Only the keys the Shortcut page moves, each with its place there: a
    // user can do nothing about the others from the notice.
    hotKeyHooks().tellTakenKeys = [](const QStringList&) { showTakenHotKeysToast(takenKeysToMove()); };
    hooks.hotKeyMenuLines = [] {
        const HotKeyMenuTexts texts = hotKeyMenuTexts();
        return QStringList { texts.autoHide } + texts.shortcuts;
    };
    hooks.openSettingsWindow = [](const QString& screenID) { openSettingsWindow(screenID); };
    hooks.openQuitWindow = [] { openQuitWindow(); };
    hooks.relaunch = [] { return relaunchApp(); };
    settingsHooks().relaunch = [] { return relaunchApp(); };

    ModelEvents& model = ModelEvents::shared();
    QObject::connect(&model, &ModelEvents::activationStarted, [](const QString&) { switcherCycle().forgetModifier(); });
    QObject::connect(&model, &ModelEvents::windowActivated, [](quint32, const QString& source) {
        if (source == kClickSourceSwitcher)
            closeSwitcherPopup();
    });
    QObject::connect(&model, &ModelEvents::windowClicked, &closePanelsAfterClick);
    QObject::connect(&model, &ModelEvents::fullScreenOverBar, &showToast);
    // New windows get their switcher picture before the next Tab press; a
    // closed window's hot key goes back to the programs (once per burst).
    QObject::connect(&AppState::shared(), &AppState::changed, [] {
        prepareSwitcherThumbnails(true);
        static bool queued = false;
        if (std::exchange(queued, true))
            return;
        QTimer::singleShot(0, QCoreApplication::instance(), [] {
            queued = false;
            dropClosedWindowHotKeys();
        });
    });
}
