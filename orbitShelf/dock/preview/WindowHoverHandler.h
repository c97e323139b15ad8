#pragma once

#include <functional>
#include <memory>

class DockViewState;
class Windows;

// The desktop's permission gates that a hover on a window button asks for.
// On X11 there is neither an Accessibility trust gate nor a capture
// permission: the standard services answer "trusted" and "allowed" and never
// prompt; the scripted platform can answer "untrusted".
struct HoverPermissionServices {
    std::function<bool(bool prompt)> isProcessTrusted;
    std::function<void()> openAccessibilitySettings;
    std::function<bool()> preflightScreenCapture;
    std::function<void()> requestScreenCapture;
};

HoverPermissionServices standardHoverPermissionServices();

// Asks for the permissions at most once per run of the app: a refused
// prompt would otherwise come back on every hover change and make the bar
// unusable until granted.
class HoverPermissionPrompts final {
public:
    explicit HoverPermissionPrompts(HoverPermissionServices services);

    // One hover change. The first call runs the prompts (trust with prompt,
    // the settings page when untrusted, the capture request when trusted,
    // capture not allowed and previews on); later calls ask nothing.
    void hoverChanged(bool disablePreview);

private:
    HoverPermissionServices m_services;
    bool m_prompted = false;
};

// The process-wide prompts over the standard services.
HoverPermissionPrompts& hoverPermissionPrompts();

// Records the window under the pointer: the window while hovering, a fresh
// empty window (no number, no process) once the pointer left.
void setHoveredWindow(bool hovering, const std::shared_ptr<Windows>& window, DockViewState& dock);

// A window button's hover handler: the permission prompts, then the hovered
// window.
void handleWindowButtonHover(bool hovering, DockViewState& dock, const std::shared_ptr<Windows>& window,
    HoverPermissionPrompts& prompts, bool disablePreview);
