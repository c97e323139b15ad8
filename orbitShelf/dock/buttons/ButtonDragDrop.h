#pragma once

#include "dock/layout/DockBarGeometry.h"

#include <QObject>
#include <QPointF>

#include <cstdint>
#include <optional>

class AppState;
class DockView;

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
