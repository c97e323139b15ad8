#include "dock/input/BarEdgeCatch.h"

#include "dock/DockLog.h"
#include "dock/layout/DockBarGeometry.h"
#include "dock/windows/ScreensSettling.h"
#include "platform/HoverArea.h"
#include "platform/ScreenScale.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPointingDevice>
#include <QWidget>

BarEdgeCatch::BarEdgeCatch(QWidget& bar, QString screenID, std::function<bool()> overBar)
    : QObject(&bar)
    , m_bar(bar)
    , m_screenID(std::move(screenID))
    , m_overBar(std::move(overBar))
    , m_stepAside(QStringLiteral("the band under the bar on %1").arg(m_screenID), [this] { apply(); })
{
    // Last installed, first asked: the bar's own leave is judged here before
    // the bar and its other watchers hear it.
    m_bar.installEventFilter(this);
    connect(&ScreensSettling::shared(), &ScreensSettling::changed, this, &BarEdgeCatch::apply);
}

BarEdgeCatch::~BarEdgeCatch() = default;

void BarEdgeCatch::set(
    const QRectF& band, const QPoint& barOrigin, const QRectF& barRect, const QString& edge, bool vertical)
{
    m_band = band;
    m_barOrigin = barOrigin;
    m_barRect = barRect;
    m_edge = edge;
    m_vertical = vertical;
    apply();
}

void BarEdgeCatch::apply()
{
    // While the screens change, the band stays where it stands, taking
    // nothing: converted with the new screens' scales, the bar's place on
    // the old arrangement lands anywhere (mid-screen, on another screen).
    const bool settling = ScreensSettling::shared().settling();
    const QRect geometry
        = m_band.isEmpty() || settling ? QRect() : platform::serverFromQt(m_band.translated(m_barOrigin));
    if (geometry.isEmpty()) {
        // Nothing to take: the bar touches the edge, or is hidden, or the
        // screens are changing.
        if (m_area && m_taking)
            m_area->setInputRegion(QRegion());
        m_taking = false;
        return;
    }
    if (!m_area) {
        platform::HoverAreaSpec spec;
        spec.geometry = geometry;
        spec.title = QStringLiteral("orbitShelf dock edge");
        const QPointer<BarEdgeCatch> self(this);
        spec.crossed = [self](bool entered) {
            if (self)
                self->crossed(entered);
        };
        spec.pointer = [self](const platform::HoverAreaPointer& pointer) {
            if (self)
                self->pointed(pointer);
        };
        m_area = platform::createHoverArea(spec);
        if (!m_area)
            return;
        m_geometry = geometry;
        m_taking = false;
        qCDebug(lcDock) << "the edge under the bar of" << m_screenID << "is the bar's, at" << geometry;
    }
    // The server keeps an input region as set, not as the window grows: a
    // band widened with the bar would take the pointer only where its old
    // width reached, and leave the rest to the windows beneath.
    const bool resized = geometry != m_geometry;
    if (resized) {
        m_area->setGeometry(geometry);
        m_geometry = geometry;
    }
    // Behind a full-screen window in front, the bar is out of reach and
    // the edge is that window's.
    const bool taking = !m_stepAside.update(platform::qtFromServer(geometry), true);
    if (taking == m_taking && !(taking && resized))
        return;
    m_taking = taking;
    m_area->setInputRegion(taking ? QRegion(QRect(QPoint(0, 0), geometry.size())) : QRegion());
}

bool BarEdgeCatch::holdsPointer() const
{
    return m_area && m_taking && m_geometry.contains(platform::pointerOnServer());
}

QPointF BarEdgeCatch::onBar(const QPoint& server) const
{
    const QPointF root = platform::qtFromServer(QPointF(m_geometry.topLeft() + server));
    return barPointAbove(root - QPointF(m_barOrigin), m_barRect, m_edge, m_vertical);
}

bool BarEdgeCatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_bar && event->type() == QEvent::Leave && holdsPointer())
        return true;
    return QObject::eventFilter(watched, event);
}

void BarEdgeCatch::crossed(bool entered)
{
    if (!entered) {
        // Back onto the bar, the bar's own enter follows and the bar never
        // left; anywhere else the bar is left.
        if (!m_overBar || !m_overBar()) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(&m_bar, &leave);
        }
        return;
    }
    // A full-screen window came in front without a word to the bar: the
    // edge is its own, and the pointer goes on to it.
    if (m_stepAside.update(platform::qtFromServer(m_geometry), true)) {
        apply();
        return;
    }
    const QPointF at = onBar(platform::pointerOnServer() - m_geometry.topLeft());
    QEnterEvent enter(at, at, QPointF(m_barOrigin) + at);
    QCoreApplication::sendEvent(&m_bar, &enter);
}

void BarEdgeCatch::pointed(const platform::HoverAreaPointer& pointer)
{
    const QPointF at = onBar(pointer.position);
    QEvent::Type type = QEvent::MouseMove;
    if (pointer.kind == platform::HoverAreaPointer::Kind::press)
        type = QEvent::MouseButtonPress;
    else if (pointer.kind == platform::HoverAreaPointer::Kind::release)
        type = QEvent::MouseButtonRelease;
    QMouseEvent event(type, at, at, QPointF(m_barOrigin) + at, pointer.button, pointer.buttons,
        Qt::NoModifier, QPointingDevice::primaryPointingDevice());
    QCoreApplication::sendEvent(&m_bar, &event);
}
