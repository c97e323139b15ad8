#include "dock/input/BarActions.h"

#include "apps/Activation.h"
#include "apps/ActiveApp.h"
#include "apps/OpenApplication.h"
#include "apps/Pinning.h"
#include "apps/RunningApps.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockReload.h"
#include "platform/AppLauncher.h"
#include "platform/DesktopEntry.h"
#include "state/Alerts.h"
#include "state/AppState.h"
#include "state/SerialQueue.h"

#include <algorithm>

BarActionServices BarActionServices::standard()
{
    BarActionServices services;
    services.activateWindow = [](Windows& window) { ::activateWindow(window, kClickSourceDock, true); };
    services.openApplication = [](const QString& id) { return ::openApplication(id); };
    services.startCommand = [](const QStringList& argv) {
        if (argv.isEmpty())
            return false;
        return platform::startDetachedProcess({ argv.first(), argv.mid(1), QString() }).has_value();
    };
    services.alert
        = [](const QString& message, const QString& informative) { showAlert(message, informative); };
    services.refreshRunningApps = [] { ::refreshRunningApps(); };
    services.unpinApp = [](const QString& name) { ::unpinApp(name); };
    services.scheduleDockReload = [] { ::scheduleDockReload(); };
    services.fileManagerId = []() -> std::optional<QString> {
        const std::shared_ptr<const platform::DesktopEntryIndex> index
            = platform::DesktopEntryIndex::system();
        if (!index)
            return std::nullopt;
        const std::optional<platform::DesktopEntry> entry = platform::fileManagerEntry(*index);
        if (!entry)
            return std::nullopt;
        return entry->id;
    };
    return services;
}

bool isFileManagerWindow(const Windows& window, const std::optional<QString>& fileManagerId)
{
    if (window.appBundleName && window.appBundleName->contains(QStringLiteral("Finder")))
        return true;
    if (!fileManagerId || fileManagerId->isEmpty() || !window.bundleIdentifier)
        return false;
    // The model may hold the id with or without its ".desktop" suffix.
    QString base = *fileManagerId;
    if (base.endsWith(QLatin1String(".desktop")))
        base.chop(8);
    return *window.bundleIdentifier == *fileManagerId || *window.bundleIdentifier == base;
}

void windowButtonClicked(AppState& state, Windows& window, const BarActionServices& services)
{
    if (state.settings.replaceFinder()
        && isFileManagerWindow(window, services.fileManagerId ? services.fileManagerId() : std::nullopt)) {
        // The folder browser opens in the bar's FastFinder sheet, which
        // follows the flag.
        qCInfo(lcDock) << "file manager clicked with replaceFinder on: opening the folder browser";
        state.popups[Tool::FastFinder] = true;
        state.publish();
        return;
    }
    if (services.activateWindow)
        services.activateWindow(window);
}

PinnedLaunches::PinnedLaunches(AppState& state, BarActionServices services, SerialQueue& queue)
    : m_state(state)
    , m_services(std::move(services))
    , m_queue(queue)
{
}

PinnedLaunches::~PinnedLaunches()
{
    *m_alive = false;
}

void PinnedLaunches::openPinnedApp(const ActiveApp& pinned)
{
    const QString id = pinned.bundleIdentifier.value_or(QString());
    bool opened = false;
    if (!id.isEmpty())
        opened = m_services.openApplication && m_services.openApplication(id);
    else if (pinned.launchCommand)
        opened = m_services.startCommand && m_services.startCommand(*pinned.launchCommand);
    if (!opened) {
        const QString name = pinned.appName.value_or(QString()).isEmpty()
            ? pinned.appBundleName.value_or(QStringLiteral("the program"))
            : *pinned.appName;
        qCWarning(lcDock) << "the pinned application" << name << "could not be opened (" << id
                          << "); its button stays";
        if (m_services.alert)
            m_services.alert(QStringLiteral("%1 could not be started.").arg(name),
                id.isEmpty() && !pinned.launchCommand
                    ? QStringLiteral("It has no desktop entry, and how it was started was not recorded.")
                    : QStringLiteral("Its program could not be run."));
        return;
    }
    m_state.openFromPinbar = true;
    m_pending.push_back({ pinned.bundleIdentifier, pinned.appBundleName });
    m_queue.asyncAfter(0.05, [this, alive = m_alive] {
        if (!*alive)
            return;
        if (m_services.refreshRunningApps)
            m_services.refreshRunningApps();
        settle();
    });
}

void PinnedLaunches::removePinnedApp(const ActiveApp& pinned)
{
    if (m_services.unpinApp)
        m_services.unpinApp(pinned.appBundleName.value_or(QString()));
    // The reload reads the store, so it comes only after the unpin is done.
    if (m_services.scheduleDockReload)
        m_services.scheduleDockReload();
}

bool PinnedLaunches::sameApplication(const Pending& pending, const ActiveApp& app)
{
    if (pending.bundleIdentifier && !pending.bundleIdentifier->isEmpty() && app.bundleIdentifier
        && *pending.bundleIdentifier == *app.bundleIdentifier) {
        return true;
    }
    return pending.appBundleName && !pending.appBundleName->isEmpty() && app.appBundleName
        && *pending.appBundleName == *app.appBundleName;
}

bool PinnedLaunches::settle()
{
    bool changed = false;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        const bool running = std::any_of(m_state.allApps.cbegin(), m_state.allApps.cend(),
            [&](const std::shared_ptr<ActiveApp>& app) { return app && sameApplication(*it, *app); });
        if (!running) {
            ++it;
            continue;
        }
        const qsizetype before = m_state.pinnedAnNotRunning.size();
        m_state.pinnedAnNotRunning.removeIf(
            [&](const std::shared_ptr<ActiveApp>& app) { return app && sameApplication(*it, *app); });
        changed = changed || m_state.pinnedAnNotRunning.size() != before;
        it = m_pending.erase(it);
    }
    if (changed)
        m_state.publish();
    return changed;
}

BarHoverHide::BarHoverHide(AppState& state, QString screenID, SerialQueue& queue)
    : m_state(state)
    , m_screenID(std::move(screenID))
    , m_queue(queue)
    , m_generation(std::make_shared<uint64_t>(0))
{
}

BarHoverHide::~BarHoverHide()
{
    // A hide still queued must not touch a bar that is gone.
    ++*m_generation;
}

void BarHoverHide::hovering(bool inside)
{
    ++*m_generation;
    if (inside || held())
        return;
    hideLater();
}

void BarHoverHide::stripLeft(bool overBar)
{
    // A pointer that went elsewhere never crosses the bar, so no leave of
    // the bar would come. One that went onto the bar may not be heard there
    // either: the bar's input area can appear under it as the bar comes
    // back, with no enter. With a pointer check at hand it is looked at as
    // for any hide, until the bar's own enter or leave takes over.
    if (held() || (overBar && !m_overBar))
        return;
    ++*m_generation;
    hideLater();
}

void BarHoverHide::hold()
{
    ++m_holds;
    ++*m_generation; // a hide already queued must not close the bar under its menu
}

void BarHoverHide::release(bool overBar)
{
    if (m_holds == 0)
        return;
    --m_holds;
    ++*m_generation;
    // The menu's own entry may just have turned auto-hide on: whether the
    // bar auto-hides is asked when the hide is due.
    if (!overBar && !held())
        hideLater(true);
}

namespace {

// A hide on its way, looked at again while the pointer stays near the bar.
struct PendingHide {
    std::weak_ptr<uint64_t> alive; // the hider's generation
    uint64_t generation = 0;
    AppState* state = nullptr;
    QString screenID;
    // Called only while the hider (and the bar that owns it) lives.
    std::function<bool()> overBar;
    SerialQueue* queue = nullptr; // the bar's, which outlives the hider
};

void hideWhenDue(const std::shared_ptr<const PendingHide>& hide)
{
    hide->queue->asyncAfter(0.3, [hide] {
        const std::shared_ptr<uint64_t> current = hide->alive.lock();
        if (!current || *current != hide->generation)
            return; // the pointer came back, a menu opened, or the bar is gone
        AppState* state = hide->state;
        if (state->showSpaceDock.value(hide->screenID, true) == false
            || state->settings.autoHideSpaceDock().value(hide->screenID) != QLatin1String("true"))
            return;
        // Never from under the pointer. It may rest on a panel past the
        // strip, or have reached the bar unheard: no leave need come from
        // there, so it is looked at again until one does.
        if (hide->overBar && hide->overBar()) {
            hideWhenDue(hide);
            return;
        }
        qCDebug(lcDock) << "auto-hidden bar of" << hide->screenID << "hides";
        state->showSpaceDock[hide->screenID] = false;
        state->publish();
    });
}

} // namespace

void BarHoverHide::hideLater(bool askWhenDue)
{
    if (!askWhenDue && m_state.settings.autoHideSpaceDock().value(m_screenID) != QLatin1String("true"))
        return;
    auto hide = std::make_shared<PendingHide>();
    hide->alive = m_generation;
    hide->generation = *m_generation;
    hide->state = &m_state;
    hide->screenID = m_screenID;
    hide->overBar = m_overBar;
    hide->queue = &m_queue;
    hideWhenDue(hide);
}
