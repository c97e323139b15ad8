#pragma once

#include "dock/layout/DockBarGeometry.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

class AppState;
class DockViewState;
class QPainter;

// A window button's facts as the state holds them, and where they meet the
// bar of a dock view: which application each item of the bar's picture
// stands for, and what it paints (its look, then the painter).

// The running applications in bar order: by their order value, then any
// application that has none yet, by process id.
QList<int32_t> barAppPids(const AppState& state);

// An application reaching the stack limit is one stacked button, also with
// a single window (or none) when the limit is 1 or less.
bool showsStackedButton(int windowCount, int stackAppLimit);

// The process id of the running application `item` stands for, if any.
std::optional<int32_t> itemProcessId(const DockBarItem& item, const QList<int32_t>& pids);

// Paints one item of the bar. `pinnedIndex` counts the pinned applications
// painted so far; `dropTarget` is the application an icon is dragged over;
// icons cast their shadows only inside `shadowBounds` when it is given.
void paintDockBarItem(QPainter& painter, const AppState& state, const DockViewState& view,
    const DockBarItem& item, const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget,
    const QRectF& shadowBounds = QRectF());

// What paintDockBarItem would draw, as bytes that differ whenever the
// drawing would: a repaint can leave alone the items whose look is the same.
QByteArray dockBarItemLook(const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget);

// Where paintDockBarItem's drawing lands on a device of pixel ratio `ratio`.
QRectF dockBarItemReach(const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget, qreal ratio);

// The text a button shows beside or over its icon (its tag chip's or its
// label's), empty when it shows none.
QString dockBarItemLabel(
    const AppState& state, const DockViewState& view, const DockBarItem& item, const QList<int32_t>& pids);

// The icon of a magnified (hovered) window button as it is drawn, grown
// about its button's centre; empty for an item drawn at its own size.
QRectF dockBarItemGrownIcon(const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, std::optional<int32_t> dropTarget);
