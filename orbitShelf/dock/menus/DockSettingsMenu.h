#pragma once

#include "dock/menus/MenuEntry.h"

#include <QMap>
#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

class AppState;

// The bar's own settings menu (main button, Launchpad button, and the
// window menu's "More"): its entries as data, and what each entry does.

// The menu's words for their keys; a key without an entry is shown as it is.
QString dockMenuText(const QString& key);

struct DockSettingsMenuInput {
    QString screenID;
    QMap<QString, QString> autoHideSpaceDock; // screen id → "true" / "false"
    QString dockPosition; // this bar's edge: "left", "right" or "bottom"
    bool needUpdate = false;
    // The keys as held now (the Auto Hide line, then Tab, Escape, H, P);
    // empty: the default texts.
    QStringList hotKeyLines;
};

// Action ids of the entries.
namespace DockMenuAction {
inline const QString dockLeft = QStringLiteral("dockPosition:left");
inline const QString dockRight = QStringLiteral("dockPosition:right");
inline const QString dockBottom = QStringLiteral("dockPosition:bottom");
inline const QString autoHideOn = QStringLiteral("autoHide:on");
inline const QString autoHideOff = QStringLiteral("autoHide:off");
inline const QString openSettings = QStringLiteral("openSettings");
inline const QString checkUpdate = QStringLiteral("checkUpdate");
inline const QString whatsNew = QStringLiteral("whatsNew");
inline const QString restart = QStringLiteral("restart");
inline const QString quit = QStringLiteral("quit");
} // namespace DockMenuAction

std::vector<MenuEntry> dockSettingsMenu(const DockSettingsMenuInput& input);
DockSettingsMenuInput dockSettingsMenuInput(const AppState& state, const QString& screenID);

// What the menu's actions need of the rest of the program.
struct DockMenuServices {
    std::function<void()> restartDockWindows;
    std::function<void(const QString& screenID, bool autoHide)> setSpaceDockShown;
    // On the screen of the bar whose menu asked (its id).
    std::function<void(const QString& screenID)> openSettingsWindow;
    std::function<QString()> applicationVersion;
    // Asks the update service; exactly one of the two replies comes, on the
    // main thread: whether there is a newer version, or why there is no answer.
    std::function<void(const QString& version, std::function<void(bool update)> onReply,
        std::function<void(const QString& message)> onFailure)>
        checkUpdate;
    std::function<void(const QString& message, const QString& informative)> showAlert;
    std::function<QString()> ownBundleIdentifier;
    std::function<void(const QString& bundleIdentifier)> openApplication;
    std::function<void()> showUpdaterWindow;
    std::function<bool(const QUrl& url)> openUrl;
    std::function<void()> saveAppOrdersCache;
    std::function<bool()> relaunch;
    std::function<void(const QString& feature)> trackFeature;
    std::function<void()> openQuitWindow;
};

DockMenuServices standardDockMenuServices();

// The dock the menu was opened on.
struct DockMenuContext {
    bool enableListener = false; // the main dock
    QString screenID;
};

// Runs the entry with that action id; false for an unknown id.
bool performDockMenuAction(
    const QString& action, const DockMenuContext& dock, AppState& state, const DockMenuServices& services);

// The pieces of the actions, for the window menu and for tests.
void setDockPosition(
    const QString& position, const DockMenuContext& dock, AppState& state, const DockMenuServices& services);
void checkUpdateFromDock(const DockMenuServices& services);
void showDockUpdateResult(bool update, const DockMenuServices& services);
void openWhatsNew(const DockMenuServices& services);
void openURLString(const QString& text, const DockMenuServices& services);
void restartFromMenu(AppState& state, const DockMenuServices& services);
void quitFromMenu(const DockMenuServices& services);

// The web page that tells what changed in this version.
QString whatsNewAddress();
