#pragma once

#include "apps/DockEdgeReserve.h"
#include "dock/DockTick.h"
#include "dock/DockViewState.h"
#include "dock/input/BarActions.h"
#include "dock/layout/BarEntries.h"
#include "dock/layout/DockBarGeometry.h"
#include "state/SerialQueue.h"

#include <QByteArray>
#include <QRectF>
#include <QRegion>

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class AppState;
class QPainter;
class BarClicks;
class BarEdgeCatch;
class ButtonDragDrop;
class PomodoroTile;

// The bar of one screen: paints the picture that dockBarPicture computes
// from AppState and this dock's state, and takes input only inside the bar.
// Repaints whenever AppState publishes.
class DockView final : public QWidget {
    Q_OBJECT
public:
    DockView(AppState& state, bool enableListener, double screenWidth, double screenHeight,
        const QString& screenID, QWidget* parent = nullptr);
    ~DockView() override;

    const DockViewState& viewState() const { return m_view; }
    DockViewState& viewState() { return m_view; }
    const DockBarPicture& picture() const { return m_picture; }
    // The process id of each running application of the picture, in bar
    // order; DockBarItem::appIndex points into it.
    const std::vector<qint32>& appIds() const { return m_appIds; }
    // The bar rows' items; DockBarItem::entryIndex points into it.
    const std::vector<BarEntry>& barEntries() const { return m_entries; }
    // The item a point of this widget acts as, if any: its button, or what
    // it draws past it (a badge over the panel, a grown icon).
    const DockBarItem* itemAt(const QPointF& point) const;

    // Where the program placed the bar's window, root coordinates, the part
    // of it that lies on its screen, window coordinates, and the edge of the
    // screen it placed the window for: the bar is laid out and reserves for
    // that edge. A setting that names another edge moves the bar only with
    // the window made anew for it; laid out in the old window, a bar on the
    // other side of the screen reserved everything between.
    void setPlace(const QPoint& windowOrigin, const QRectF& screenArea, const QString& edge);
    // The edge the bar stands on: its window's, else the setting's.
    QString barEdge() const;

    // The bar's window is leaving (made anew elsewhere): the bar follows
    // nothing and tells the server nothing any more. Its window keeps what
    // it was last given.
    void leave();
    // Called with each reserve the shown bar sets, just before it sets it.
    void setReserveHandOver(std::function<void(const std::optional<platform::ReservedEdge>&)> handOver)
    {
        m_reserveHandOver = std::move(handOver);
    }
    // A point of this widget on the screen. Taken from the window's place
    // as the program gave it, not from Qt's idea of where the window is:
    // that follows every ConfigureNotify, a stale one included, and once
    // put the whole bar's reserve and pop-ups hundreds of rows off.
    QPoint toScreen(const QPointF& point) const;
    QRect toScreen(const QRectF& rect) const;

    // Recomputes the picture from the state and repaints.
    void refreshPicture();

    // An auto-hidden bar stays while `popup` (its menu, tool hub or window
    // list) is open, and hides once it closes unless the pointer is on it.
    void keepShownWhileOpen(QWidget* popup);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Every click goes to the bar's click router (dock/input/BarClicks).
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    DockBarGeometryInput geometryInput() const;
    bool pointerOverBar() const;
    // Schedules a repaint of the bar, where it was and where it is now.
    void updateBar();
    // What each item and the panel draw, to repaint only the items whose
    // look changed (an activation moves two indicators, not the bar).
    QByteArray itemLook(const DockBarItem& item, const QList<int32_t>& pids) const;
    QByteArray panelLook() const;
    void updateChangedItems();
    std::vector<QByteArray> currentLooks() const;
    // Where an item's drawing lands (glow, shadows, badges included).
    QRect itemReach(const DockBarItem& item, const QList<int32_t>& pids) const;
    void recordLooks(std::vector<QByteArray> looks);
    void forgetLooks();
    // How far past its item a button draws (hover growth, shadows, badges).
    double itemPaintMargin() const;
    QRect barPaintArea() const;
    QRect m_paintedArea;
    std::vector<QByteArray> m_itemLooks;
    std::vector<QRect> m_itemReaches; // of the recorded looks
    QByteArray m_panelLook;
    // What updateChangedItems asked to repaint since the last paint.
    QRegion m_requestedArea;
    bool m_looksPending = false;
    std::optional<std::pair<WId, BarWindowShape>> m_shape; // as last sent
    std::vector<DockBarExtra> m_extras; // what the items draw past their own rectangles
    std::optional<std::pair<WId, std::optional<platform::ReservedEdge>>> m_reservedEdge; // as last sent
    // The pixels the items `indices` paint at least half opaque inside
    // `area`; kept for as long as what they paint.
    QRegion opaquePaint(const std::vector<size_t>& indices, const QRect& area, const QList<int32_t>& pids);
    std::optional<std::pair<QByteArray, QRegion>> m_opaquePaint;
    void paintItem(QPainter& painter, const DockBarItem& item, const QList<int32_t>& pids);
    void applyInputRegion();
    void applyEdgeReserve(WId native);
    // The rows between the bar and its screen's edge, the bar's too; made
    // with the bar's first shape.
    BarEdgeCatch* m_edgeCatch = nullptr;
    void applyEdgeCatch();

    AppState& m_state;
    DockViewState m_view;
    DockBarPicture m_picture;
    std::vector<qint32> m_appIds; // the process id of each running application of the picture
    QRectF m_screenArea;
    std::optional<PlacedDockWindow> m_placed;
    bool m_leaving = false;
    std::function<void(const std::optional<platform::ReservedEdge>&)> m_reserveHandOver;
    bool m_refreshedOnce = false;

    // Bar rows.
    void logPicture();
    void logButtons();
    MainQueue m_queue;
    BarActionServices m_actions;
    std::vector<BarEntry> m_entries;
    PinnedLaunches m_pinnedLaunches;
    std::unique_ptr<BarClicks> m_clicks;
    BarHoverHide m_hoverHide;
    DockTickServices m_tickServices;
    // The main dock's; the others do not tick.
    std::unique_ptr<DockTickClock> m_tickClock;
    int m_hoveredItem = -1;
    QString m_loggedPicture;
    QString m_loggedFocus; // the focused window as last logged
    // Window buttons: drag and drop, stacked buttons' window lists.
    ButtonDragDrop* m_dragDrop = nullptr;
    QString m_loggedButtons;
    // Hook: the break tile shown alone on the bar.
    PomodoroTile* m_pomodoroTile = nullptr;
};
