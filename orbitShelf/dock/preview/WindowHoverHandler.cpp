#include "dock/preview/WindowHoverHandler.h"

#include "state/Alerts.h"
#include "apps/Windows.h"
#include "dock/DockViewState.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"

HoverPermissionServices standardHoverPermissionServices()
{
    HoverPermissionServices services;
    services.isProcessTrusted = [](bool prompt) {
        return !platform::hasCurrent() || platform::current().accessibility().isProcessTrusted(prompt);
    };
    services.openAccessibilitySettings = [] { openAccessibilitySettings(); };
    // Any X11 client may read another window's pixels through Composite.
    services.preflightScreenCapture = [] { return true; };
    services.requestScreenCapture = [] {};
    return services;
}

HoverPermissionPrompts::HoverPermissionPrompts(HoverPermissionServices services)
    : m_services(std::move(services))
{
}

void HoverPermissionPrompts::hoverChanged(bool disablePreview)
{
    if (m_prompted)
        return;
    m_prompted = true;
    if (!m_services.isProcessTrusted(true))
        m_services.openAccessibilitySettings();
    const bool trusted = m_services.isProcessTrusted(true);
    if (trusted && !m_services.preflightScreenCapture() && !disablePreview)
        m_services.requestScreenCapture();
}

HoverPermissionPrompts& hoverPermissionPrompts()
{
    static HoverPermissionPrompts prompts(standardHoverPermissionServices());
    return prompts;
}

void setHoveredWindow(bool hovering, const std::shared_ptr<Windows>& window, DockViewState& dock)
{
    dock.hoveredWindow = hovering && window ? window : std::make_shared<Windows>();
}

void handleWindowButtonHover(bool hovering, DockViewState& dock, const std::shared_ptr<Windows>& window,
    HoverPermissionPrompts& prompts, bool disablePreview)
{
    prompts.hoverChanged(disablePreview);
    setHoveredWindow(hovering, window, dock);
}
