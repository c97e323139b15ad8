#include "apps/AppIcons.h"
#include "apps/AppModelLog.h"
#include "apps/AppsModel.h"
#include "apps/ModelSettings.h"

#include <QSet>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

const QString kFeishuBundle = QStringLiteral("com.bytedance.macos.feishu");

// State of one pass, handed from application to application.
struct Pass {
    QSet<QString> seenAppNames;
    std::unordered_map<uint32_t, QDateTime> clickTimesByWindow;
    std::vector<uint32_t> seenWindowNumbers;
    std::unordered_map<int32_t, std::vector<uint32_t>> serverWindowsByPid;
    bool modelChanged = false;
    AppMap newApps;
};

enum class Built { Window, Nothing, Aborted };

// The windows an application had before this pass, by number, so that a
// rebuilt window keeps its subscription and only the application's own
// windows are ever carried over.
using PreviousWindows = std::unordered_map<uint32_t, std::shared_ptr<Windows>>;

Built buildWindow(const AxElement& element, const RunningApp& running,
    const std::optional<QString>& shortName, const Pass& pass, AppsSource& source,
    std::vector<std::shared_ptr<Windows>>& into)
{
    const auto number = source.windowNumber(element);
    if (number.cannotComplete)
        return Built::Aborted;
    if (!number.value)
        return Built::Nothing;
    const auto title = source.stringAttribute(element, QStringLiteral("AXTitle"));
    if (title.cannotComplete)
        return Built::Aborted;
    const auto pid = source.processId(element);
    if (pid.cannotComplete)
        return Built::Aborted;
    const auto subrole = source.stringAttribute(element, QStringLiteral("AXSubrole"));
    if (subrole.cannotComplete)
        return Built::Aborted;
    if (subrole.value == QLatin1String("AXSystemDialog") || subrole.value == QLatin1String("AXUnknown"))
        return Built::Nothing;
    if (!title.value || title.value->isEmpty())
        return Built::Nothing;

    auto window = std::make_shared<Windows>();
    window->appName = running.localizedName;
    window->appId = pid.value;
    window->title = title.value;
    window->num = number.value;
    window->appBundleName = shortName;
    window->bundleIdentifier = running.bundleIdentifier;
    window->element = element;

    const auto clicked = pass.clickTimesByWindow.find(*number.value);
    if (clicked != pass.clickTimesByWindow.end())
        window->clickTime = clicked->second;
    into.push_back(std::move(window));
    return Built::Window;
}

// Gives every window of a committed list its subscription. A window that was
// known before keeps the one it had: it still watches the same window.
void observe(const std::vector<std::shared_ptr<Windows>>& windows, const PreviousWindows& previous,
    AppsSource& source, const WindowNotificationHandler& handler)
{
    for (const auto& window : windows) {
        const auto old = previous.find(*window->num);
        if (old != previous.end() && old->second->axObserver)
            window->axObserver = std::move(old->second->axObserver);
        else
            window->startObservingWindow(source, handler);
    }
}

void appendNumbersOf(const ActiveApp& app, std::vector<uint32_t>& numbers)
{
    if (!app.windows)
        return;
    for (const auto& w : *app.windows) {
        if (w->num)
            numbers.push_back(*w->num);
    }
}

void buildActiveApp(const RunningApp& running, const std::optional<QString>& ownBundleIdentifier,
    int32_t ownPid, Pass& pass, const AppsModel& model, AppsSource& source, const ModelSettings& settings,
    const WindowNotificationHandler& handler)
{
    const auto shortName = shortAppName(running.executablePath, running.localizedName);

    // The program itself is told apart by its process id as well: a program
    // without bundle identifier is not taken for this one.
    const bool isSelf
        = running.pid == ownPid || (ownBundleIdentifier && running.bundleIdentifier == ownBundleIdentifier);
    if (isSelf) {
        auto self = std::make_shared<ActiveApp>();
        self->bundleIdentifier = running.bundleIdentifier;
        self->app = running;
        model.placeholderApp = std::move(self);
        return;
    }

    const auto known = model.allApps.constFind(running.pid);
    const bool wasKnown = known != model.allApps.cend();
    std::shared_ptr<ActiveApp> app;
    if (wasKnown) {
        app = *known;
    } else {
        app = std::make_shared<ActiveApp>();
        app->windows.emplace();
        app->appName = running.localizedName;
        app->appBundleName = shortName;
        app->appId = running.pid;
        app->hasMenubar = running.ownsMenuBar;
        app->bundleUrl = running.bundleUrl;
        app->app = running;
        app->index = 100;
        app->bundleIdentifier = running.bundleIdentifier;
    }

    // Decided afresh on every pass: when the first instance quits, the one
    // left is no longer a further instance.
    const QString name = app->appName.value_or(QString());
    app->isMulti = pass.seenAppNames.contains(name);
    pass.seenAppNames.insert(name);

    app->element = source.applicationElement(running.pid);

    PreviousWindows previous;
    std::vector<std::shared_ptr<Windows>> previousList;
    if (app->windows) {
        previousList = *app->windows;
        for (const auto& w : previousList) {
            if (w->num && !w->isPlaceholder)
                previous.emplace(*w->num, w);
        }
    }

    bool rebuilt = false;
    const auto listed = source.windowsOf(app->element);
    if (!listed.cannotComplete) {
        std::vector<std::shared_ptr<Windows>> fresh;
        bool aborted = false;
        for (const auto& element : listed.value.value_or(std::vector<AxElement> {})) {
            if (buildWindow(element, running, shortName, pass, source, fresh) == Built::Aborted) {
                aborted = true;
                break;
            }
        }
        if (!aborted) {
            rebuilt = true;
            if (fresh.empty()) {
                auto placeholder = std::make_shared<Windows>();
                placeholder->isPlaceholder = true;
                placeholder->appName = running.localizedName;
                placeholder->title = running.localizedName;
                placeholder->appId = running.pid;
                placeholder->num = static_cast<uint32_t>(running.pid);
                placeholder->appBundleName = shortName;
                placeholder->bundleIdentifier = running.bundleIdentifier;
                placeholder->element = app->element;
                app->windows = std::vector<std::shared_ptr<Windows>> { std::move(placeholder) };
            } else if (running.bundleIdentifier != kFeishuBundle || settings.enableFeishuMultipleTask()) {
                observe(fresh, previous, source, handler);
                app->windows = std::move(fresh);
            } else {
                rebuilt = false;
            }
        }
    }
    // A program that did not answer keeps last pass's windows; their numbers
    // count as seen so that its silence alone does not republish the bar.
    appendNumbersOf(*app, pass.seenWindowNumbers);
    // Looked up once, and again when the first real windows come: a window's
    // own picture may be all the application has.
    if (!wasKnown || (app->icon.isNull() && previous.empty()))
        resolveAppIcon(*app, running, source);

    // Carry-over: windows the window server still shows for this process but
    // the accessibility layer no longer lists (another desktop, for example)
    // stay, as long as the application itself had them before.
    if (wasKnown && rebuilt && app->windows && app->windows->size() >= 2) {
        const auto server = pass.serverWindowsByPid.find(running.pid);
        if (server != pass.serverWindowsByPid.end()) {
            std::unordered_set<uint32_t> current;
            for (const auto& w : *app->windows)
                current.insert(w->num.value_or(0));
            for (uint32_t number : server->second) {
                if (current.contains(number))
                    continue;
                const auto old = std::find_if(previousList.begin(), previousList.end(),
                    [&](const auto& w) { return !w->isPlaceholder && w->num == number; });
                if (old == previousList.end())
                    continue;
                app->windows->push_back(*old);
                current.insert(number);
                pass.modelChanged = true;
            }
        }
    }

    pass.newApps[running.pid] = app;
    if (!model.appOrders.contains(running.pid))
        model.appOrders[running.pid] = nextAppOrder(model.appOrders);
}

// Drops the stored tags of windows that are gone, so that a window that
// later gets the same number starts untagged.
void forgetTagsOfVanishedWindows(
    const std::vector<uint32_t>& before, const AppMap& after, ModelSettings& settings)
{
    std::unordered_set<uint32_t> alive;
    for (const auto& app : after) {
        if (app->windows) {
            for (const auto& w : *app->windows) {
                if (w->num && !w->isPlaceholder)
                    alive.insert(*w->num);
            }
        }
    }
    QStringList gone;
    for (uint32_t number : before) {
        if (!alive.contains(number))
            gone.append(windowTagKey(number));
    }
    if (gone.isEmpty())
        return;
    auto names = settings.windowTagNames();
    auto colors = settings.windowTagColors();
    bool namesChanged = false;
    bool colorsChanged = false;
    for (const QString& key : gone) {
        namesChanged |= names.remove(key) > 0;
        colorsChanged |= colors.remove(key) > 0;
    }
    if (namesChanged)
        settings.setWindowTagNames(names);
    if (colorsChanged)
        settings.setWindowTagColors(colors);
}

} // namespace

bool isAppWindowOwner(const ListedWindow& window)
{
    return window.ownerName != QLatin1String("SystemUIServer")
        && window.ownerName != QLatin1String("Control Center");
}

bool refreshRunningApps(const AppsModel& model, AppsSource& source, ModelSettings& settings,
    std::optional<int32_t> excludedWindowNumber, bool forcePublish,
    const WindowNotificationHandler& onWindowNotification)
{
    const auto batch = source.beginReadBatch();
    std::vector<RunningApp> regularApps = source.runningApplications();
    std::erase_if(regularApps, [](const RunningApp& app) { return !app.regular; });
    const auto ownBundleIdentifier = source.ownBundleIdentifier();
    const int32_t ownPid = source.ownProcessId();

    Pass pass;
    model.windowOrders.clear();
    model.allOldWindows.clear();
    // Captured now: the reused applications get their new windows during the
    // pass, and the tags of windows that are gone must be told apart after it.
    std::vector<uint32_t> realWindowsBefore;
    for (auto it = model.appOrders.cbegin(); it != model.appOrders.cend(); ++it) {
        const auto known = model.allApps.constFind(it.key());
        if (known == model.allApps.cend() || !(*known)->windows)
            continue;
        for (const auto& w : *(*known)->windows) {
            if (!w->num)
                continue;
            pass.clickTimesByWindow[*w->num] = w->clickTime;
            model.allOldWindows.push_back(*w->num);
            if (!w->isPlaceholder)
                realWindowsBefore.push_back(*w->num);
        }
    }

    // Applications that quit give up their place before newcomers are
    // numbered, so a newcomer goes right after those still running.
    model.appOrders.removeIf([&](AppOrders::iterator entry) {
        return std::none_of(regularApps.begin(), regularApps.end(),
            [&](const RunningApp& app) { return app.pid == entry.key(); });
    });

    model.placeholderApp = std::make_shared<ActiveApp>();
    model.placeholderApp->bundleIdentifier = ownBundleIdentifier;

    for (const ListedWindow& record : source.windowList()) {
        if (!isAppWindowOwner(record))
            continue;
        auto& numbers = pass.serverWindowsByPid[record.ownerPid];
        if (excludedWindowNumber && *excludedWindowNumber == record.windowNumber)
            continue;
        numbers.push_back(static_cast<uint32_t>(record.windowNumber));
    }

    for (const RunningApp& running : regularApps)
        buildActiveApp(
            running, ownBundleIdentifier, ownPid, pass, model, source, settings, onWindowNotification);

    std::vector<uint32_t> before(model.allOldWindows.cbegin(), model.allOldWindows.cend());
    std::vector<uint32_t> after = pass.seenWindowNumbers;
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    const bool published = before != after || pass.modelChanged || forcePublish;
    if (published) {
        forgetTagsOfVanishedWindows(realWindowsBefore, pass.newApps, settings);
        model.allApps = std::move(pass.newApps);
        settings.publish();
    }

    if (settings.needRestoreOrderRestarted()) {
        restoreAppOrders(model.appOrders, settings.appOrdersCache());
        settings.setNeedRestoreOrderRestarted(false);
    }
    return published;
}
