#pragma once

#include "dock/windows/DockWindows.h"
#include "dock/windows/FullScreenStepAside.h"

#include <QObject>
#include <QRect>
#include <QRegion>

#include <memory>
#include <optional>

class AppState;

namespace platform {
class HoverArea;
}

// An auto-show strip that draws nothing, whether something composites or
// not: a strip window of ours shows black wherever it may take the pointer
// where nothing composites, and where something does it stands inside the
// screen's free area, above a panel along the edge, out of reach of a
// pointer pushed against the edge. It stands above every window the window
// manager stacks, panels included, from the strip down to its screen's
// outer edge (stripReach), and takes the pointer only on the row (or
// column) along that edge across the strip's span (stripEdgeTrigger), and
// only while its screen's dock is auto-hidden: the pointer stops there
// however fast it moves, on a panel there or not. Reached, it brings the
// bar back and takes the pointer no more, so what lies along the edge (a
// panel's buttons, a maximised window's last row) gets the clicks that
// follow; the bar then stays while the pointer rests on the strip's reach
// and hides once it went elsewhere. On the server it takes its screen's
// last row of the server's pixels alone, at every scale (a pixel of Qt's
// there can cover two). A full-screen window in front keeps the edge: the
// strip steps aside as soon as the platform tells of one (the window gone
// full screen or come in front, before any pointer), or at the latest as the
// pointer reaches it, until that window has left full screen or the front
// (the bar it would bring back stands behind that window). Main thread.
class InputStrip final : public QObject, public DockHostWindow {
    Q_OBJECT
public:
    // None when the platform makes no area that only notices the pointer.
    static std::unique_ptr<InputStrip> make(AppState& state, const DockWindowSpec& spec);
    ~InputStrip() override;

    void setFrame(const DockFrame& frame) override;
    void orderFront() override { }
    void close() override;

    // Where it stands, in screen coordinates and Qt's pixels, and where it
    // takes the pointer, in its own coordinates and the server's pixels.
    QRect geometry() const { return m_geometry; }
    QRegion inputRegion() const { return m_inputRegion; }

private:
    InputStrip(AppState& state, const DockWindowSpec& spec);
    bool place();
    void applyInputRegion();
    void crossed(bool entered);

    AppState& m_state;
    DockWindowSpec m_spec;
    QRect m_geometry;
    QRect m_edge; // in its own coordinates, the server's pixels
    QRegion m_inputRegion; // as last given to the area
    std::unique_ptr<platform::HoverArea> m_area;
    FullScreenStepAside m_stepAside;
};
