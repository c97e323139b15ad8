#include "dock/windows/InputStrip.h"

#include "apps/ScreenPlaces.h"
#include "dock/DockLog.h"
#include "dock/input/DockAutoHide.h"
#include "dock/layout/MapEntry.h"
#include "dock/windows/RootView.h"
#include "dock/windows/ScreensSettling.h"
#include "platform/HoverArea.h"
#include "platform/Platform.h"
#include "platform/ScreenScale.h"
#include "state/AppState.h"

#include <QPointer>

std::unique_ptr<InputStrip> InputStrip::make(AppState& state, const DockWindowSpec& spec)
{
    std::unique_ptr<InputStrip> strip(new InputStrip(state, spec));
    if (!strip->place())
        return nullptr;
    return strip;
}

InputStrip::InputStrip(AppState& state, const DockWindowSpec& spec)
    : m_state(state)
    , m_spec(spec)
    , m_stepAside(QStringLiteral("auto-show strip of %1").arg(spec.screenID), [this] { applyInputRegion(); })
{
    // Auto-hide switched on or off, and the bar shown or hidden.
    connect(&m_state, &AppState::changed, this, &InputStrip::applyInputRegion);
    connect(&ScreensSettling::shared(), &ScreensSettling::changed, this, &InputStrip::applyInputRegion);
}

InputStrip::~InputStrip() = default;

bool InputStrip::place()
{
    const QRect primary = primaryScreenGeometry();
    const DockFrame placed = stripPlacement(m_spec.frame, m_spec.visibleFrame);
    m_geometry = toWindowSystemRect(stripReach(placed, m_spec.screenFrame, m_spec.position), primary);
    // The area stands on the server, in its pixels, and takes the pointer on
    // the screen's last row of those alone; the bar and the pointer go by
    // Qt's.
    const StripOnServer strip
        = stripOnServer(placed, m_spec.screenFrame, m_spec.position, primary, platform::scaledScreens());
    const QRect onServer = strip.area;
    m_edge = strip.edge;
    platform::HoverAreaSpec area;
    area.geometry = onServer;
    area.title = QStringLiteral("orbitShelf auto-show strip");
    area.crossed = [self = QPointer<InputStrip>(this)](bool entered) {
        if (self)
            self->crossed(entered);
    };
    m_area.reset();
    m_inputRegion = QRegion();
    m_area = platform::createHoverArea(area);
    if (!m_area)
        return false;
    AutoShowStrips::shared().setStripArea(m_spec.screenID, onServer);
    qCDebug(lcDock) << "auto-show strip of" << m_spec.screenID << "draws nothing, at" << m_geometry.x()
                    << m_geometry.y() << m_geometry.width() << m_geometry.height();
    applyInputRegion();
    return true;
}

void InputStrip::setFrame(const DockFrame& frame)
{
    m_spec.frame = frame;
    place();
}

void InputStrip::close()
{
    m_area.reset();
    m_inputRegion = QRegion();
}

void InputStrip::applyInputRegion()
{
    if (!m_area)
        return;
    const QString& id = m_spec.screenID;
    // Only a hidden bar is brought back; a shown one leaves the edge to
    // what lies there.
    const bool hidden
        = dockOpacity(mapEntry(m_state.settings.autoHideSpaceDock(), id), mapEntry(m_state.showSpaceDock, id))
        == 0.0;
    // Stepping aside only as the pointer arrives is too late for a click
    // right behind it: the strip stands above the full-screen window, and the
    // click would be the strip's. So it steps aside as soon as it hears of
    // one in front.
    const bool aside = m_stepAside.update(m_geometry, hidden);
    // While the screens change, its screen's edge may be elsewhere.
    const QRegion region
        = hidden && !aside && !ScreensSettling::shared().settling() ? QRegion(m_edge) : QRegion();
    if (region == m_inputRegion)
        return;
    m_inputRegion = region;
    m_area->setInputRegion(region);
}

void InputStrip::crossed(bool entered)
{
    // Leaving is heard as the strip lets go of the pointer, where the bar
    // has taken over already.
    if (!entered || m_inputRegion.isEmpty())
        return;
    const QString screenID = m_spec.screenID;
    if (m_stepAside.update(m_geometry, true)) {
        applyInputRegion();
        return;
    }
    // Bringing the dock back may end this strip (a rebuild on the change).
    const QPointer<InputStrip> self(this);
    stripHovered(m_state, screenID, true, 0);
    // The strip has let go of the pointer with the bar back: from here the
    // bar looks where the pointer goes, and hides once it left the reach.
    emit AutoShowStrips::shared().pointerLeft(screenID);
    if (self)
        applyInputRegion();
}
