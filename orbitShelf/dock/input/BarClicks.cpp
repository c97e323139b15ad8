#include "dock/input/BarClicks.h"

#include "apps/ActiveApp.h"
#include "apps/ScreenPlaces.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/DockViewState.h"
#include "dock/buttons/ButtonFacts.h"
#include "dock/buttons/StackWindowList.h"
#include "dock/input/BarActions.h"
#include "dock/input/DockBarPointer.h"
#include "dock/layout/DockEdges.h"
#include "dock/menus/BarMenus.h"
#include "dock/tiles/DesktopLauncher.h"
#include "dock/tiles/DockMainButton.h"
#include "dock/tiles/ToolTiles.h"
#include "state/AppState.h"
#include "widgets/FloatingPanel.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

BarClickRule barClickRule(DockBarItem::Kind kind, Qt::MouseButton button)
{
    using Kind = DockBarItem::Kind;
    using enum BarClickAnswer;
    constexpr BarClickMoment press = BarClickMoment::Press;
    constexpr BarClickMoment release = BarClickMoment::Release;
    if (button == Qt::LeftButton) {
        switch (kind) {
        case Kind::MainButton:
            return { press, ToolHub };
        case Kind::Launchpad:
            return { release, Launcher };
        case Kind::Tool:
            return { release, ToolTile };
        case Kind::PinnedApp:
            return { release, OpenPinnedApp };
        case Kind::Window:
            return { release, ActivateWindow };
        case Kind::App:
            return { release, StackList };
        case Kind::Pomodoro:
            return {};
        }
    }
    if (button == Qt::RightButton) {
        switch (kind) {
        case Kind::MainButton:
        case Kind::Launchpad:
            return { press, SettingsMenu };
        case Kind::Tool:
            return { release, ToolTileMenu };
        case Kind::PinnedApp:
            return { release, PinnedAppMenu };
        case Kind::Window:
        case Kind::App:
            return { release, WindowMenu };
        case Kind::Pomodoro:
            return {};
        }
    }
    return {};
}

std::optional<QString> toolOfItem(
    const AppState& state, const DockBarPicture& picture, const DockBarItem& item)
{
    if (item.kind != DockBarItem::Kind::Tool)
        return std::nullopt;
    int index = 0;
    for (const DockBarItem& other : picture.items) {
        if (&other == &item)
            break;
        if (other.kind == DockBarItem::Kind::Tool)
            ++index;
    }
    const QStringList tools = pinnedToolNames(state);
    return index < tools.size() ? std::optional(tools[index]) : std::nullopt;
}

BarClicks::BarClicks(
    AppState& state, DockView& view, const BarActionServices& actions, PinnedLaunches& pinned)
    : m_state(state)
    , m_view(view)
    , m_actions(actions)
    , m_pinned(pinned)
{
}

BarClicks::~BarClicks() = default;

bool BarClicks::pressed(const QMouseEvent& event)
{
    return route(BarClickMoment::Press, event);
}

bool BarClicks::released(const QMouseEvent& event)
{
    return route(BarClickMoment::Release, event);
}

bool BarClicks::route(BarClickMoment moment, const QMouseEvent& event)
{
    const DockBarItem* hit = m_view.itemAt(event.position());
    if (!hit)
        return false;
    const BarClickRule rule = barClickRule(hit->kind, event.button());
    if (rule.answer == BarClickAnswer::None || rule.moment != moment)
        return false;
    // Copies: an answer may publish, and the bar then rebuilds its picture.
    const DockBarItem item = *hit;
    const std::vector<BarEntry>& entries = m_view.barEntries();
    const std::optional<BarEntry> entry = item.entryIndex >= 0 && item.entryIndex < int(entries.size())
        ? std::optional(entries[size_t(item.entryIndex)])
        : std::nullopt;
    const QPoint globalPos = event.globalPosition().toPoint();
    DockViewState& dock = m_view.viewState();

    switch (rule.answer) {
    case BarClickAnswer::None:
        return false;
    case BarClickAnswer::ToolHub:
        toggleToolHub(item.rect);
        return true;
    case BarClickAnswer::SettingsMenu:
        m_view.keepShownWhileOpen(showSettingsMenu(m_state, dock, &m_view, globalPos));
        return true;
    case BarClickAnswer::ActivateWindow:
        if (!entry || !entry->window)
            return false;
        qCDebug(lcDock) << "window button clicked: window" << entry->window->num.value_or(0) << "of"
                        << entry->pid;
        windowButtonClicked(m_state, *entry->window, m_actions);
        return true;
    case BarClickAnswer::OpenPinnedApp:
        if (!entry || !entry->app)
            return false;
        m_pinned.openPinnedApp(*entry->app);
        return true;
    case BarClickAnswer::PinnedAppMenu: {
        if (!entry || !entry->app)
            return false;
        const std::shared_ptr<ActiveApp> app = entry->app;
        PinnedLaunches* pinned = &m_pinned;
        m_view.keepShownWhileOpen(popUpBarMenu(
            pinnedAppMenu(), &m_view, globalPos,
            [pinned, app](const QString& action) {
                if (action == BarMenuAction::removePinned)
                    pinned->removePinnedApp(*app);
            },
            QStringLiteral("pinned menu:")));
        return true;
    }
    case BarClickAnswer::WindowMenu: {
        // An application button stands for one window only while it has
        // just one; a stacked one has no menu.
        std::shared_ptr<Windows> window = dockBarWindow(m_state, m_view.appIds(), item);
        if (!window)
            return false;
        m_view.keepShownWhileOpen(showWindowMenu(dock, m_state, std::move(window), globalPos, &m_view));
        return true;
    }
    case BarClickAnswer::StackList:
        return toggleStackList(item);
    case BarClickAnswer::Launcher:
        launchLaunchpad();
        return true;
    case BarClickAnswer::ToolTile: {
        const std::optional<QString> tool = toolOfItem(m_state, m_view.picture(), *hit);
        if (!tool)
            return false;
        // The tile on screen: the click's offset inside the bar moved to
        // where the click is on screen.
        toolTileClicked(*tool, dock, m_state, item.rect.translated(QPointF(globalPos) - event.position()));
        return true;
    }
    case BarClickAnswer::ToolTileMenu: {
        const std::optional<QString> tool = toolOfItem(m_state, m_view.picture(), *hit);
        if (!tool)
            return false;
        AppState* state = &m_state;
        // The tile's own tool, not the last one clicked on this bar.
        m_view.keepShownWhileOpen(popUpBarMenu(
            toolTileMenu(), &m_view, globalPos,
            [state, name = *tool](const QString& action) {
                if (action == BarMenuAction::unpinTool)
                    unpinTool(name, *state);
            },
            QStringLiteral("tool menu:")));
        return true;
    }
    }
    return false;
}

void BarClicks::toggleToolHub(const QRectF& button)
{
    if (m_toolHub) {
        m_toolHub->close();
        return;
    }
    const DockViewState& dock = m_view.viewState();
    QWidget* content = toolHubPopoverContent(m_state).release();
    const QSize size = content->sizeHint().expandedTo(QSize(320, 240));
    const QRectF global(m_view.toScreen(button));
    const QString edge = dockPositionForScreen(m_state, dock.enableListener, dock.screenID);
    // Centred on a button at the screen's end, or wider than a small (or
    // scaled) screen, the panel would start off it.
    const QScreen* screen = screenAtPoint(global.center().toPoint());
    const QRectF frame = toolHubPopoverFrame(global, QSizeF(size), QSizeF(content->minimumSizeHint()), edge,
        screen ? QRectF(screenAvailableGeometry(screen)) : QRectF());
    // A floating panel rather than a popup: it closes when another window
    // takes the focus, and that window still gets the click (a popup's
    // pointer grab would swallow it).
    auto* panel = new FloatingPanel(content, frame.toRect(), {});
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowTitle(QStringLiteral("orbitShelf tools"));
    m_toolHub = panel;
    m_view.keepShownWhileOpen(panel);
    panel->show();
    panel->activateWindow();
}

bool BarClicks::toggleStackList(const DockBarItem& item)
{
    const std::vector<qint32>& ids = m_view.appIds();
    const std::optional<int32_t> pid = itemProcessId(item, QList<int32_t>(ids.begin(), ids.end()));
    const auto app = pid ? m_state.allApps.value(*pid) : nullptr;
    const int count = app && app->windows ? int(app->windows->size()) : 0;
    if (!app || !showsStackedButton(count, m_state.settings.stackAppLimit()))
        return false;
    // A stacked button opens the list of its windows; a second click closes it.
    if (m_windowList) {
        m_windowList->close();
        return true;
    }
    const QRect anchor = m_view.toScreen(item.rect);
    m_windowList = openStackWindowList(m_state, *app, anchor, activateStackedWindow);
    m_view.keepShownWhileOpen(m_windowList);
    qCDebug(lcDock) << "listing the windows of application" << *pid;
    return true;
}
