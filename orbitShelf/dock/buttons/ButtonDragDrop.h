#pragma once

#include "dock/layout/DockBarGeometry.h"

#include <QObject>
#include <QPointF>
#include <QPointer>

#include <cstdint>
#include <optional>

class AppState;
class DockView;
class StackWindowList;

// Drag and drop and the stacked buttons' window lists on a dock view.
// Installed on the view as an event filter; the view asks it for the
// current drop target when it paints.
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
    QPointer<StackWindowList> m_windowList;
};
