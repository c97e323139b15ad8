#pragma once

#include "dock/windows/DockWindows.h"
#include "platform/DockWindowHints.h"

#include <QRect>
#include <QWidget>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class AppState;
class QScreen;
class PlaceKeeper;

// The attached screens in dock space, keyed by their screen id.
std::vector<DockScreen> currentDockScreens();

// The real windows of the dock: frameless, above normal windows, on every
// desktop, out of taskbars and pagers, and taking input only where they draw.
// A strip is an InputStrip, which draws nothing; where the platform makes
// no such strip (no SHAPE extension, a desktop Qt scales) a window of ours.
std::unique_ptr<DockHostWindow> makeDockHostWindow(AppState& state, const DockWindowSpec& spec);

class DockView;
class FullScreenStepAside;
class ClearRootView;

class DockHostWidget final : public QWidget, public DockHostWindow {
    Q_OBJECT
public:
    DockHostWidget(AppState& state, const DockWindowSpec& spec);

    void setFrame(const DockFrame& frame) override;
    void orderFront() override;
    void close() override;
    // A dock window is ready a moment after its bar first painted (its edge
    // is reserved as it shows, before that): the moment lets the pixels
    // reach the screen, through a compositor too.
    void whenReady(std::function<void()> ready) override;
    void retire(bool blank) override;

    const DockWindowSpec& spec() const { return m_spec; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // A leaving dock window takes the reserve its successor is about to set.
    void takeReserve(const std::optional<platform::ReservedEdge>& reserve);
    // The window's frame for its spec, dock space.
    DockFrame placedFrame() const;
    void place();
    // A strip's shape: it takes the pointer only on its screen's edge line
    // (one row or column of the server's), only while its dock is hidden
    // and no full-screen window in front keeps the edge, as an InputStrip
    // does; where something composites it shows whole (so that no
    // compositor shadows it), elsewhere it is cut down to that line.
    void applyStripShape();

    AppState& m_state;
    DockWindowSpec m_spec;
    // Where the window was put, root coordinates: what the bar, its reserve
    // and its strip go by, whatever notice of its place comes in.
    QRect m_placed;
    // Puts the window back at m_placed where the server has it elsewhere.
    PlaceKeeper* m_placeKeeper = nullptr;
    std::optional<std::pair<QRegion, QRegion>> m_stripShape; // as last given: input, shown
    DockView* m_dockView = nullptr;
    bool m_painted = false; // the bar painted at least once
    std::function<void()> m_ready;
    // Calls `ready` a moment after the first paint, once the window stands
    // where it was put.
    void readyInPlace(std::function<void()> ready);
    static constexpr int kReadyAfterPaintMs = 100;
    ClearRootView* m_strip = nullptr;
    // The pointer came onto the strip past its view, as Qt rounds it.
    bool m_stripEnteredPast = false;
    FullScreenStepAside* m_stepAside = nullptr; // strips only
};
