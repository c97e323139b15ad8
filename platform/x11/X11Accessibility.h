#pragma once

#include "platform/Accessibility.h"
#include "platform/x11/X11Context.h"
#include "platform/x11/X11EventHub.h"
#include "platform/x11/WindowReader.h"
#include "platform/x11/X11WindowServer.h"

#include <memory>

namespace platform::x11 {

// The snapshot of the read batch open on this thread, read at its first use;
// without a batch, a fresh one kept in `local`. The window list and the
// running applications answer from it as well, so that one model refresh
// reads the desktop once instead of once per question.
const Snapshot* batchedSnapshot(const std::shared_ptr<X11Context>& ctx, std::optional<Snapshot>& local);

// Elements map onto EWMH/ICCCM: an application is a pid, a window its
// client window. Window type → "AXSubrole", WM_STATE/_NET_WM_STATE →
// "AXMinimized"/"AXFullScreen", frame geometry → "AXPosition"/"AXSize" (top
// left of the primary screen as origin), _NET_ACTIVE_WINDOW → "AXMain" and the
// focused window.
class X11Accessibility final : public Accessibility {
public:
    X11Accessibility(std::shared_ptr<X11Context> ctx, X11WindowServer& windows);

    bool isProcessTrusted(bool) override { return true; }
    AXResult copyAttributeValue(const AXElement& element, const QString& attribute, AXValue& value) override;
    AXResult setAttributeValue(const AXElement& element, const QString& attribute, const AXValue& value) override;
    AXResult performAction(const AXElement& element, const QString& action) override;
    AXResult windowNumber(const AXElement& element, quint32& number) override;
    AXResult processIdentifier(const AXElement& element, qint32& pid) override;
    std::unique_ptr<AXObserver> createObserver(qint32 pid, AXObserverCallback callback) override;
    std::unique_ptr<AXReadBatch> beginReadBatch() override;

private:
    AXResult readWindow(quint32 id, ServerWindow& out, RootState& root);
    AXResult readApplication(const AXElement& element, const QString& attribute, AXValue& value);

    std::shared_ptr<X11Context> m_ctx;
    X11WindowServer& m_windows;
    std::shared_ptr<EventHub> m_hub;
};

} // namespace platform::x11
