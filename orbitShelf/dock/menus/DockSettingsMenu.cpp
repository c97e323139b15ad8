#include "dock/menus/DockSettingsMenu.h"

#include "state/Alerts.h"
#include "state/AppState.h"
#include "state/KeyNames.h"
#include "state/UpdaterStandIn.h"
#include "state/VendorAddresses.h"
#include "apps/ActiveApp.h"
#include "apps/DockVisibility.h"
#include "apps/OpenApplication.h"
#include "apps/RunningApps.h"
#include "dock/DockHooks.h"
#include "dock/DockLog.h"
#include "dock/layout/DockEdges.h"
#include "dock/windows/DockWindows.h"
#include "network/Network.h"
#include "network/ServiceRequests.h"
#include "platform/KeyCodes.h"
#include "tools/PomodoroRun.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QHash>

namespace {

const QString checkMark = QStringLiteral(" \u2714\uFE0F");

} // namespace

QString dockMenuText(const QString& key)
{
    static const QHash<QString, QString> texts {
        { QStringLiteral("dockPosition"), QStringLiteral("Dock Position") },
        { QStringLiteral("dockLeft"), QStringLiteral("Left") },
        { QStringLiteral("dockRight"), QStringLiteral("Right") },
        { QStringLiteral("dockBottom"), QStringLiteral("Bottom") },
        { QStringLiteral("autoHide"), QStringLiteral("Auto Hide") },
        { QStringLiteral("openSettate"), QStringLiteral("Settings") },
        { QStringLiteral("hasNewVersion"), QStringLiteral("New Version Available") },
        { QStringLiteral("checkUpdate"), QStringLiteral("Check for Updates") },
        { QStringLiteral("Shortcuts"), QStringLiteral("Shortcuts") },
        { QStringLiteral("What's new"), QStringLiteral("What's New") },
        { QStringLiteral("restart"), QStringLiteral("Restart") },
        { QStringLiteral("quit"), QStringLiteral("Quit") },
    };
    return QCoreApplication::translate("DockSettingsMenu", qUtf8Printable(texts.value(key, key)));
}

std::vector<MenuEntry> dockSettingsMenu(const DockSettingsMenuInput& input)
{

    const bool autoHide = input.autoHideSpaceDock.value(input.screenID) == QLatin1String("true");
    MenuEntry on = MenuEntry::item(
        dockMenuText(QStringLiteral("On")) + (autoHide ? checkMark : QString()), DockMenuAction::autoHideOn);
    on.checked = autoHide;
    MenuEntry off = MenuEntry::item(
        autoHide ? dockMenuText(QStringLiteral("Off")) : dockMenuText(QStringLiteral("Off") + checkMark),
        DockMenuAction::autoHideOff);
    off.checked = !autoHide;

    // The keys as the hot keys hold them, when the switcher told us; else
    // the keys a first start registers.
    const bool held = input.hotKeyLines.size() == 5;
    const auto keyLine = [&](int index, quint16 keyCode, quint64 flags, const char* what) {
        if (held)
            return input.hotKeyLines.at(index);
        const QString key = keyComboText(keyCode, flags);
        return what ? key + QStringLiteral("   (") + QCoreApplication::translate("HotKeyMenu", what)
                + QLatin1Char(')')
                    : key;
    };
    namespace keycode = platform::keycode;
    constexpr quint64 alt = platform::appkit::option;
    constexpr quint64 altShift = platform::appkit::option | platform::appkit::shift;

    const QString updateTitle = input.needUpdate
        ? QStringLiteral("\U0001F525") + dockMenuText(QStringLiteral("hasNewVersion"))
        : dockMenuText(QStringLiteral("checkUpdate"));

    // The bar's edge is marked as the auto-hide choice is.
    const auto edge = [&](const QString& key, const QString& position, const QString& action) {
        const bool current = input.dockPosition == position;
        MenuEntry entry = MenuEntry::item(dockMenuText(key) + (current ? checkMark : QString()), action);
        entry.checked = current;
        return entry;
    };

    return {
        MenuEntry::submenu(dockMenuText(QStringLiteral("dockPosition")),
            {
                edge(QStringLiteral("dockLeft"), QStringLiteral("left"), DockMenuAction::dockLeft),
                edge(QStringLiteral("dockRight"), QStringLiteral("right"), DockMenuAction::dockRight),
                edge(QStringLiteral("dockBottom"), QStringLiteral("bottom"), DockMenuAction::dockBottom),
            }),
        MenuEntry::separator(),
        MenuEntry::submenu(dockMenuText(QStringLiteral("autoHide")),
            { on, off, MenuEntry::text(keyLine(0, keycode::h, altShift, nullptr)) }),
        MenuEntry::separator(),
        MenuEntry::item(dockMenuText(QStringLiteral("openSettate")), DockMenuAction::openSettings),
        MenuEntry::separator(),
        MenuEntry::item(updateTitle, DockMenuAction::checkUpdate),
        MenuEntry::separator(),
        MenuEntry::submenu(dockMenuText(QStringLiteral("Shortcuts")),
            {
                MenuEntry::text(keyLine(1, keycode::tab, alt, "Fast Tab")),
                MenuEntry::text(keyLine(2, keycode::escape, alt, "Minimize Current Window")),
                MenuEntry::text(keyLine(3, keycode::h, altShift, "Show/Hide")),
                MenuEntry::text(keyLine(4, keycode::p, altShift, "Clipboard")),
            }),
        MenuEntry::separator(),
        MenuEntry::item(dockMenuText(QStringLiteral("What's new")), DockMenuAction::whatsNew),
        MenuEntry::separator(),
        MenuEntry::item(dockMenuText(QStringLiteral("restart")), DockMenuAction::restart),
        MenuEntry::separator(),
        MenuEntry::item(dockMenuText(QStringLiteral("quit")), DockMenuAction::quit),
    };
}

DockSettingsMenuInput dockSettingsMenuInput(const AppState& state, const QString& screenID)
{
    DockSettingsMenuInput input;
    input.screenID = screenID;
    input.autoHideSpaceDock = state.settings.autoHideSpaceDock();
    input.dockPosition = dockPositionForScreen(state, screenID == mainDockScreenID(), screenID);
    input.needUpdate = state.needUpdate;
    if (dockHooks().hotKeyMenuLines)
        input.hotKeyLines = dockHooks().hotKeyMenuLines();
    return input;
}

DockMenuServices standardDockMenuServices()
{
    DockMenuServices s;
    s.restartDockWindows = [] { ::restartDockWindows(); };
    s.setSpaceDockShown
        = [](const QString& screenID, bool autoHide) { setSpaceDockAutoHide(screenID, autoHide); };
    s.openSettingsWindow = [](const QString& screenID) {
        if (dockHooks().openSettingsWindow)
            dockHooks().openSettingsWindow(screenID);
    };
    s.applicationVersion = [] {
        const QString set = QCoreApplication::applicationVersion();
        return set.isEmpty() ? applicationVersionText() : set;
    };
    s.checkUpdate = [](const QString& version, std::function<void(bool)> onReply,
                        std::function<void(const QString&)> onFailure) {
        // The client answers on the main thread, once, after this returns.
        Network::shared().checkUpdate(
            version,
            [onReply = std::move(onReply)](const CheckUpdateCodeResponse& reply) { onReply(reply.update); },
            std::move(onFailure));
    };
    s.showAlert
        = [](const QString& message, const QString& informative) { ::showAlert(message, informative); };
    s.ownBundleIdentifier = [] {
        const std::shared_ptr<ActiveApp>& own = placeholderApp();
        return own && own->bundleIdentifier ? *own->bundleIdentifier : QString();
    };
    s.openApplication = [](const QString& bundleIdentifier) { ::openApplication(bundleIdentifier); };
    s.showUpdaterWindow = [] { ::showUpdaterWindow(); };
    s.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    s.saveAppOrdersCache = [] { ::saveAppOrdersCache(); };
    s.relaunch = [] { return dockHooks().relaunch && dockHooks().relaunch(); };
    s.trackFeature = [](const QString& feature) { ::trackFeature(feature); };
    s.openQuitWindow = [] { runDockHook(dockHooks().openQuitWindow); };
    return s;
}

void setDockPosition(
    const QString& position, const DockMenuContext& dock, AppState& state, const DockMenuServices& services)
{
    if (dock.enableListener) {
        state.settings.setMainDockPosition(position);
    } else {
        StringMap positions = state.settings.spaceDockPosition();
        positions.insert(dock.screenID, position);
        state.settings.setSpaceDockPosition(positions);
    }
    services.restartDockWindows();
}

void showDockUpdateResult(bool update, const DockMenuServices& services)
{
    if (!update) {
        services.showAlert(
            QStringLiteral("Congratulations\uFF01"), QStringLiteral("Your orbitShelf is up-to-date!"));
        return;
    }
    services.openApplication(services.ownBundleIdentifier());
    services.showUpdaterWindow();
}

void checkUpdateFromDock(const DockMenuServices& services)
{
    const QString version = services.applicationVersion();
    // A silent failure would leave the user waiting for an answer that
    // never comes: every failure gets an alert.
    auto failed = [services](const QString& message) {
        services.showAlert(QStringLiteral("Update check failed"), message);
    };
    if (version.isEmpty()) {
        failed(QStringLiteral("This build of orbitShelf does not know its own version."));
        return;
    }
    services.checkUpdate(
        version, [services](bool update) { showDockUpdateResult(update, services); }, failed);
}

QString whatsNewAddress()
{
    const QString site = vendorSiteAddress();
    return site.isEmpty() ? QString() : site + QStringLiteral("/whatsnew");
}

void openURLString(const QString& text, const DockMenuServices& services)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return;
    services.openUrl(url);
}

void openWhatsNew(const DockMenuServices& services)
{
    const QString address = whatsNewAddress();
    if (address.isEmpty()) {
        services.showAlert(QStringLiteral("No release notes page is configured for this build."), QString());
        return;
    }
    openURLString(address, services);
}

void restartFromMenu(AppState& state, const DockMenuServices& services)
{
    services.saveAppOrdersCache();
    state.setNeedRestoreOrderRestarted(true);
    const bool restoreBefore = markPomodoroForRestart(state);
    if (!services.relaunch())
        state.setNeedRestorePomodoro(restoreBefore);
}

void quitFromMenu(const DockMenuServices& services)
{
    services.trackFeature(QStringLiteral("QuitButton"));
    services.openQuitWindow();
}

bool performDockMenuAction(
    const QString& action, const DockMenuContext& dock, AppState& state, const DockMenuServices& services)
{

    if (action == DockMenuAction::dockLeft)
        setDockPosition(QStringLiteral("left"), dock, state, services);
    else if (action == DockMenuAction::dockRight)
        setDockPosition(QStringLiteral("right"), dock, state, services);
    else if (action == DockMenuAction::dockBottom)
        setDockPosition(QStringLiteral("bottom"), dock, state, services);
    else if (action == DockMenuAction::autoHideOn)
        services.setSpaceDockShown(dock.screenID, true);
    else if (action == DockMenuAction::autoHideOff)
        services.setSpaceDockShown(dock.screenID, false);
    else if (action == DockMenuAction::openSettings)
        services.openSettingsWindow(dock.screenID);
    else if (action == DockMenuAction::checkUpdate)
        checkUpdateFromDock(services);
    else if (action == DockMenuAction::whatsNew)
        openWhatsNew(services);
    else if (action == DockMenuAction::restart)
        restartFromMenu(state, services);
    else if (action == DockMenuAction::quit)
        quitFromMenu(services);
    else
        return false;
    return true;
}
