#pragma once

#include "dock/layout/DockBarGeometry.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>

#include <cstdint>
#include <optional>

class AppState;
class DockView;
class DockViewState;
class QPainter;
class StackWindowList;

// Where the window buttons, tag chips and stacked buttons meet the bar of a
// dock view: which application each item of the bar's picture stands for,
// how it is painted, and drag and drop between the items.

// The running applications in bar order: by their order value, then any
// application that has none yet, by process id.
QList<int32_t> barAppPids(const AppState& state);

// The width the window buttons of a screen's bar take: every button's width
// once shown plus 5 points, summed once per layout pass.
double appButtonsBarWidth(const AppState& state, const QString& screenID);

// The process id of the running application `item` stands for, if any.
std::optional<int32_t> itemProcessId(const DockBarItem& item, const QList<int32_t>& pids);

// Paints one item of the bar. `pinnedIndex` counts the pinned applications
// painted so far; `dropTarget` is the application an icon is dragged over.
void paintDockBarItem(QPainter& painter, const AppState& state, const DockViewState& view,
    const DockBarItem& item, const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget);

// What paintDockBarItem would draw, as bytes that differ whenever the
// drawing would: a repaint can leave alone the items whose look is the same.
QByteArray dockBarItemLook(const AppState& state, const DockViewState& view, const DockBarItem& item,
    const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget);

// Drag and drop and the stacked buttons' window lists on a dock view.
// Installed on the view as an event filter; the view asks it for the
// current drop target when it paints.
class DockBarInput final : public QObject {
    Q_OBJECT
public:
    DockBarInput(AppState& state, DockView& view);

    std::optional<int32_t> dropTarget() const { return m_dropTarget; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<DockBarItem> itemAt(const QPointF& position) const;
    void setDropTarget(std::optional<int32_t> target);

    AppState& m_state;
    DockView& m_view;
    std::optional<QPointF> m_pressAt;
    std::optional<DockBarItem> m_pressedItem;
    std::optional<int32_t> m_dropTarget;
    QPointer<StackWindowList> m_windowList;
};
