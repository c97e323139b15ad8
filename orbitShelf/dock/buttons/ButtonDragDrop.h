#pragma once

#include "dock/layout/DockBarGeometry.h"

#include <QList>
#include <QObject>
#include <QPointF>

#include <cstdint>
#include <optional>

class AppState;
class DockView;

// Where a dropped application goes: right before or right after `target`.
struct AppDropPlace {
    int32_t target = 0;
    bool before = false;
    bool operator==(const AppDropPlace&) const = default;
};

// The place of a drop at `position` on a bar whose running applications'
// buttons stand for `pids`: before the button it fell on when it fell on
// the button's leading half (left, or top on a side bar), after it on the
// trailing half; before the first running application when it fell on one
// of the items ahead of them (main button, launcher, tools, pinned
// applications). Nothing anywhere else.
std::optional<AppDropPlace> appDropPlace(
    const DockBarPicture& picture, const QList<int32_t>& pids, const QPointF& position);

// Drag and drop between the buttons of a dock view: a window or stacked
// button dragged far enough carries its application; a drop on another
// button moves it there in the bar's order. Installed on the view as an
// event filter; the view asks it for the current drop target when it
// paints.
class ButtonDragDrop final : public QObject {
    Q_OBJECT
public:
    ButtonDragDrop(AppState& state, DockView& view);

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
};
