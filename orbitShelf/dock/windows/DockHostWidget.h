#pragma once

#include "dock/windows/DockWindows.h"

#include <QRect>
#include <QWidget>

#include <memory>
#include <vector>

class AppState;
class QScreen;

// The attached screens in dock space, keyed by their screen id.
std::vector<DockScreen> currentDockScreens();

// The primary screen's geometry in the window system's space, which dock
// space is measured from (toWindowSystemRect); empty without a screen.
QRect primaryScreenGeometry();

// The real windows of the dock: frameless, above normal windows, on every
// desktop, out of taskbars and pagers, and taking input only where they draw.
// A strip where nothing composites translucent windows is an InputStrip,
// which draws nothing; elsewhere (and where the platform makes no such
// strip) a window of ours.
std::unique_ptr<DockHostWindow> makeDockHostWindow(AppState& state, const DockWindowSpec& spec);

class DockView;
class ClearRootView;

class DockHostWidget final : public QWidget, public DockHostWindow {
    Q_OBJECT
public:
    DockHostWidget(AppState& state, const DockWindowSpec& spec);

    void setFrame(const DockFrame& frame) override;
    void orderFront() override;
    void close() override;

    const DockWindowSpec& spec() const { return m_spec; }

private:
    void place();

    DockWindowSpec m_spec;
    DockView* m_dockView = nullptr;
    ClearRootView* m_strip = nullptr;
};
