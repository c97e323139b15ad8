#include "dock/layout/BarEntries.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/AppOrder.h"
#include "apps/SupportFolder.h"
#include "apps/Windows.h"
#include "dock/DockViewState.h"
#include "dock/layout/DockEdges.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {

double screenScale(const AppState& state, const QString& screenID)
{
    return state.spaceButtonScale.value(screenID, 0.0);
}

std::shared_ptr<ActiveApp> appOf(const AppState& state, int32_t pid)
{
    const auto it = state.allApps.constFind(pid);
    return it == state.allApps.constEnd() ? nullptr : *it;
}

int windowCountOf(const std::shared_ptr<ActiveApp>& app)
{
    return app && app->windows ? int(app->windows->size()) : 0;
}

BarEntry stackButton(const AppState& state, const BarContext& context, std::shared_ptr<ActiveApp> app,
    int32_t pid, bool enableWindowTag)
{
    BarEntry entry;
    entry.kind = BarEntry::Kind::StackButton;
    entry.app = app ? std::move(app) : std::make_shared<ActiveApp>();
    entry.pid = pid;
    entry.windowCount = windowCountOf(entry.app);
    entry.buttonScale = screenScale(state, context.screenID);
    entry.enableWindowTag = enableWindowTag;
    return entry;
}

BarEntry windowButton(const AppState& state, const BarContext& context, const std::shared_ptr<ActiveApp>& app,
    const std::shared_ptr<Windows>& window)
{
    BarEntry entry;
    entry.kind = BarEntry::Kind::WindowButton;
    entry.app = app;
    entry.window = window;
    entry.pid = app && app->appId ? *app->appId : 0;
    const std::shared_ptr<ActiveApp> owner = appOf(state, entry.pid);
    entry.windowCount = owner && owner->windows ? int(owner->windows->size()) : -1;
    entry.buttonScale = screenScale(state, context.screenID);
    entry.enableWindowTag = !context.vertical;
    entry.badge = badgeText(state, *window);
    entry.hotKey = windowHotkey(state, *window);
    return entry;
}

std::vector<std::shared_ptr<Windows>> sortedWindows(
    const AppState& state, const std::shared_ptr<ActiveApp>& app)
{
    return app ? app->sortAppWindows(state.settings.replaceFinder())
               : std::vector<std::shared_ptr<Windows>>();
}

BarEntry simpleEntry(BarEntry::Kind kind)
{
    BarEntry entry;
    entry.kind = kind;
    return entry;
}

} // namespace

bool barIsVertical(const AppState& state, bool enableListener, const QString& screenID)
{
    return enableListener ? isMainDockVertical(state) : isDockVertical(state, screenID);
}

std::vector<std::vector<std::shared_ptr<Windows>>> chunked(
    const std::vector<std::shared_ptr<Windows>>& windows, int n)
{
    const size_t size = size_t(std::max(1, n));
    std::vector<std::vector<std::shared_ptr<Windows>>> groups;
    if (windows.size() <= size) {
        groups.push_back(windows);
        return groups;
    }
    for (size_t start = 0; start < windows.size(); start += size) {
        const size_t end = std::min(windows.size(), start + size);
        groups.emplace_back(windows.begin() + long(start), windows.begin() + long(end));
    }
    return groups;
}

std::vector<BarEntry> windowListByMode(
    const AppState& state, const BarContext& context, const std::shared_ptr<ActiveApp>& app)
{
    std::vector<BarEntry> entries;
    const QString mode = state.spaceListmode.value(context.screenID);
    const int32_t pid = app && app->appId ? *app->appId : 0;
    if (mode == QLatin1String("list")) {
        for (const auto& window : sortedWindows(state, app))
            entries.push_back(windowButton(state, context, app, window));
    } else if (mode == QLatin1String("stack")) {
        entries.push_back(stackButton(state, context, app, pid, !context.vertical));
    } else if (mode == QLatin1String("grid")) {
        if (context.stackLayoutApp.value(pid, false)) {
            entries.push_back(stackButton(state, context, app, pid, true));
        } else {
            for (const auto& column : chunked(sortedWindows(state, app), 2)) {
                int row = 0;
                for (const auto& window : column) {
                    BarEntry entry = windowButton(state, context, app, window);
                    entry.gridRow = row++;
                    entries.push_back(std::move(entry));
                }
            }
        }
    }
    // Any other mode, or none yet for the screen: nothing.
    return entries;
}

std::vector<BarEntry> appWindowEntry(const AppState& state, const BarContext& context, int32_t pid)
{
    const std::shared_ptr<ActiveApp> app = appOf(state, pid);
    const int count = windowCountOf(app);
    if (count >= state.settings.stackAppLimit())
        return { stackButton(state, context, app, pid, !context.vertical) };
    const std::vector<std::shared_ptr<Windows>> sorted = sortedWindows(state, app);
    const int shown = context.vertical ? count : int(sorted.size());
    if (shown >= 2)
        return windowListByMode(state, context, app);
    std::vector<BarEntry> entries;
    for (const auto& window : sorted)
        entries.push_back(windowButton(state, context, app, window));
    return entries;
}

std::vector<BarEntry> dockBarEntries(const AppState& state, const BarContext& context)
{
    std::vector<BarEntry> entries;
    if (state.pomodoro.startPomodoroTask) {
        entries.push_back(simpleEntry(BarEntry::Kind::PomodoroTile));
        return entries;
    }
    if (!state.settings.hideMainButton())
        entries.push_back(simpleEntry(BarEntry::Kind::MainButton));
    if (state.settings.showLunchpadButton())
        entries.push_back(simpleEntry(BarEntry::Kind::Launchpad));

    QStringList tools = state.settings.pinedPlugins().keys();
    std::sort(tools.begin(), tools.end());
    for (const QString& tool : tools) {
        BarEntry entry = simpleEntry(BarEntry::Kind::Tool);
        entry.toolName = tool;
        entries.push_back(std::move(entry));
    }

    for (const std::shared_ptr<ActiveApp>& pinned : state.pinnedAnNotRunning) {
        if (!pinned)
            continue;
        BarEntry entry = simpleEntry(BarEntry::Kind::PinnedApp);
        entry.app = pinned;
        auto window = std::make_shared<Windows>();
        window->appBundleName = pinned->appBundleName.value_or(QString());
        window->appIconUrl = pinned->appIconUrl;
        window->bundleIdentifier = pinned->bundleIdentifier;
        window->num = 0;
        entry.window = std::move(window);
        entry.windowCount = 1;
        entry.enableWindowTag = !context.vertical;
        entry.isPinned = true;
        entries.push_back(std::move(entry));
    }

    for (const int32_t pid : pidsInAppOrder(state.appOrders)) {
        for (BarEntry& entry : appWindowEntry(state, context, pid))
            entries.push_back(std::move(entry));
    }
    return entries;
}

QString cleanBadgeValue(const QString& stored)
{
    static const QRegularExpression optionalWrapper(
        QStringLiteral("^\\s*Optional\\((.*)\\)\\s*$"), QRegularExpression::CaseInsensitiveOption);
    QString text = stored.trimmed();
    // Peel wrappers until none is left: Optional(...), a pair of quotes, and
    // the words for "no value" when they are the whole text.
    for (;;) {
        const QRegularExpressionMatch match = optionalWrapper.match(text);
        if (match.hasMatch()) {
            text = match.captured(1).trimmed();
            continue;
        }
        if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
            text = text.mid(1, text.size() - 2);
            continue;
        }
        if (text.size() >= 2 && text.startsWith(QLatin1Char('<')) && text.endsWith(QLatin1Char('>'))) {
            const QString inner = text.mid(1, text.size() - 2);
            if (inner.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0
                || inner.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
                return QString();
            }
        }
        break;
    }
    if (text.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0
        || text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
        return QString();
    }
    return text;
}

QString badgeText(const AppState& state, const Windows& window)
{
    if (!state.settings.dockBadge())
        return QString();
    const std::shared_ptr<ActiveApp> app = appOf(state, window.appId.value_or(0));
    if (!app || !app->bundleUrl)
        return QString();
    const auto it = state.appBadge.constFind(*app->bundleUrl);
    if (it == state.appBadge.constEnd())
        return QString();
    return cleanBadgeValue(*it);
}

QString windowHotkey(const AppState& state, const Windows& window)
{
    const StringMap cache = state.windowHotkeyCache();
    QString key;
    findWindowKeyForHotkey(cache.keys(), window.num.value_or(0), cache, key);
    return key;
}

MainButtonIcon mainButtonIcon(const AppState& state)
{
    MainButtonIcon icon;
    if (state.settings.isDockIconCustomUpload()) {
        // The stored text is a path with escapes ("%20" and others); all of
        // them are decoded, not only spaces.
        icon.file = localPathFromStored(state.settings.dockIconCustomUploadURL());
        icon.builtinName = QStringLiteral("Finder");
        icon.inset = 7;
    } else {
        icon.builtinName = state.settings.dockIcon();
    }
    return icon;
}

bool barShowsTitleOf(const AppState& state, quint32 windowNumber)
{
    for (const auto& app : state.allApps) {
        if (!app || !app->windows)
            continue;
        for (const auto& window : *app->windows) {
            if (window && window->num == windowNumber)
                return app->windows->size() >= 2;
        }
    }
    return false;
}
