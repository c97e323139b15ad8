#include "apps/WindowActions.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/ScreenIdentifier.h"
#include "apps/Windows.h"
#include "apps/DockVisibility.h"
#include "platform/Platform.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#include <algorithm>

Q_LOGGING_CATEGORY(lcWindowActions, "orbitshelf.apps.actions")

bool isActionableWindow(const Windows& window)
{
    return window.num.has_value() && !window.isPlaceholder;
}

void markOpenedWindow(std::size_t position, const Windows& listed, const Windows& activated, int32_t pid)
{
    const auto app = AppState::shared().allApps.value(pid);
    if (!app || !app->windows || position >= app->windows->size())
        return;
    Windows& entry = *(*app->windows)[position];
    if (listed.num == activated.num) {
        entry.clickTime = QDateTime::currentDateTimeUtc();
        entry.opened = true;
    } else {
        entry.opened = false;
    }
}

void moveCursorToWindowCenter(const Windows& window, const QString& source)
{
    if (source != QStringLiteral("FloatDock") || !AppState::shared().settings.mouseMoveToWindowCenter())
        return;
    if (!isActionableWindow(window) || !platform::hasCurrent())
        return;
    // Without the window's place there is no centre to go to; jumping to the
    // corner of the screen would only lose the pointer.
    const auto state = platform::current().windowServer().window(*window.num);
    if (!state || !state->frame.isValid()) {
        qCDebug(lcWindowActions) << "pointer left alone: the place of window" << *window.num << "is unknown";
        return;
    }
    const QRect& frame = state->frame;
    platform::current().pointer().warp(QPoint(frame.x() + frame.width() / 2, frame.y() + frame.height() / 2));
}

void minimizeOtherWindows(int32_t pid, const Windows& chosen, const std::vector<uint64_t>& spaces)
{
    // No desktops to compare means the chosen window's desktops are unknown,
    // not "every window matches": nothing is minimised.
    if (spaces.empty() || !platform::hasCurrent())
        return;
    const auto app = AppState::shared().allApps.value(pid);
    if (!app || !app->windows)
        return;
    auto& server = platform::current().windowServer();
    for (const auto& window : *app->windows) {
        if (window->num == chosen.num || !isActionableWindow(*window))
            continue;
        const std::vector<quint64> shownOn = server.spacesOfWindow(*window->num);
        const bool onAll = std::all_of(spaces.begin(), spaces.end(), [&](uint64_t space) {
            return std::find(shownOn.begin(), shownOn.end(), space) != shownOn.end();
        });
        if (onAll)
            server.minimize(*window->num);
    }
}

void applyFullScreenAutoHideOnMainScreen(int32_t n)
{
    // Without any screen there is no bar to show or hide.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        applyFullScreenAutoHide(AppState::shared(), n, screenIdentifierKey(screen));
}
