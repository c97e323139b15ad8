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

// The real windows of the dock: frameless, above normal windows, on every
// desktop, out of taskbars and pagers, and taking input only where they draw.
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
