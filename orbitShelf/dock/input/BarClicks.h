#pragma once

#include "dock/layout/DockBarGeometry.h"

#include <QPointF>
#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

class AppState;
struct BarActionServices;
class DockView;
class PinnedLaunches;
class QMouseEvent;
class QWidget;
class StackWindowList;

// Every click on a bar goes through one router: what a button of the mouse
// does on each kind of item, and whether it acts on the press or on the
// release. The main button's tool hub and the settings menu act on the
// press (a menu opened on the press lets the pointer, still held, pick an
// item); everything else acts on the release. Drags are the window
// buttons' own (dock/buttons/ButtonDragDrop); the break tile takes its own
// clicks.

enum class BarClickMoment { Press, Release };

enum class BarClickAnswer {
    None,
    ToolHub, // the main button's popover, opened or closed
    SettingsMenu,
    ActivateWindow, // a window button: its window (or the folder browser)
    OpenPinnedApp,
    PinnedAppMenu, // "Remove"
    WindowMenu, // a window's menu, on its button or on an application button of one window
    StackList, // a stacked button's list of windows, opened or closed
    Launcher,
    ToolTile, // raises the tile's tool, or lowers it when up
    ToolTileMenu, // "UnPin"
};

struct BarClickRule {
    BarClickMoment moment = BarClickMoment::Release;
    BarClickAnswer answer = BarClickAnswer::None;
    bool operator==(const BarClickRule&) const = default;
};

// What `button` does on an item of `kind`, and when.
BarClickRule barClickRule(DockBarItem::Kind kind, Qt::MouseButton button);

// The tool of a tool tile: tiles follow the sorted pinned tools in order.
std::optional<QString> toolOfItem(
    const AppState& state, const DockBarPicture& picture, const DockBarItem& item);

// The router of one bar. The bar hands it its presses and releases; it
// returns whether an item took the event.
class BarClicks final {
public:
    BarClicks(AppState& state, DockView& view, const BarActionServices& actions, PinnedLaunches& pinned);
    ~BarClicks();
    BarClicks(const BarClicks&) = delete;
    BarClicks& operator=(const BarClicks&) = delete;

    bool pressed(const QMouseEvent& event);
    bool released(const QMouseEvent& event);

private:
    bool route(BarClickMoment moment, const QMouseEvent& event);
    void toggleToolHub(const QRectF& button);
    // False when the item is not (or no longer) a stacked button.
    bool toggleStackList(const DockBarItem& item);

    AppState& m_state;
    DockView& m_view;
    const BarActionServices& m_actions;
    PinnedLaunches& m_pinned;
    QPointer<QWidget> m_toolHub;
    QPointer<StackWindowList> m_windowList;
};
