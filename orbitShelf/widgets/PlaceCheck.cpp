#include "widgets/PlaceCheck.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <utility>

namespace {
Q_LOGGING_CATEGORY(lcPlace, "orbitshelf.windows")
} // namespace

PlaceAction placeAction(
    const QRect& asked, const std::optional<platform::WindowStanding>& standing, int attempts)
{
    if (!standing)
        return PlaceAction::none;
    const QRect& place = standing->place;
    // Converted from the server's pixels at a fractional scale, a size can
    // come back a pixel off; a place cannot.
    const bool sized
        = std::abs(place.width() - asked.width()) <= 1 && std::abs(place.height() - asked.height()) <= 1;
    if (place.topLeft() == asked.topLeft() && sized)
        return PlaceAction::none;
    if (attempts >= kMaxPlaceAttempts)
        return PlaceAction::giveUp;
    // Asked once through the manager and still elsewhere with no frame: the
    // manager that took it on puts it back where it wants it at each ask.
    if (standing->onRoot && attempts > 0)
        return PlaceAction::placeItself;
    return PlaceAction::askAgain;
}

PlaceKeeper::PlaceKeeper(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &PlaceKeeper::check);
    window->installEventFilter(this);
}

void PlaceKeeper::setAsked(const QRect& asked)
{
    m_asked = asked;
    m_attempts = 0;
    if (m_window->isVisible())
        m_settle.start();
}

bool PlaceKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show) {
            m_settle.start();
            // A loaded window manager can take the map later than the settle.
            QTimer::singleShot(kLateCheckMs, this, &PlaceKeeper::check);
        } else if (event->type() == QEvent::Move && m_window->isVisible()) {
            // A window manager can move the window and then tell it, with
            // a synthetic notice, that it stands where it was put.
            m_settle.start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PlaceKeeper::whenInPlace(std::function<void()> then)
{
    m_waiting.push_back(std::move(then));
    check();
}

void PlaceKeeper::check()
{
    QWindow* handle = m_window->windowHandle();
    const std::optional<platform::WindowStanding> standing
        = m_window->isVisible() && handle && !m_asked.isEmpty() ? platform::dockWindowStanding(handle)
                                                                : std::nullopt;
    const PlaceAction action = placeAction(m_asked, standing, m_attempts);
    if ((action == PlaceAction::none || action == PlaceAction::giveUp) && !m_waiting.empty()) {
        // Called after the answer is acted on: a waiter may free the window.
        QTimer::singleShot(0, this, [waiting = std::exchange(m_waiting, {})] {
            for (const std::function<void()>& then : waiting)
                then();
        });
    }
    if (!standing)
        return;
    const auto where = [&] {
        return QStringLiteral("the %1 stands at %2,%3 %4x%5%6, not where it was put (%7,%8)")
            .arg(m_window->windowTitle())
            .arg(standing->place.x())
            .arg(standing->place.y())
            .arg(standing->place.width())
            .arg(standing->place.height())
            .arg(standing->onRoot ? QStringLiteral(" with no frame") : QString())
            .arg(m_asked.x())
            .arg(m_asked.y());
    };
    switch (action) {
    case PlaceAction::none:
        // Where it was put: Qt's idea of its place follows the answer.
        if (m_window->geometry().topLeft() != m_asked.topLeft())
            handle->setGeometry(m_asked);
        return;
    case PlaceAction::giveUp:
        if (m_attempts++ == kMaxPlaceAttempts)
            qCWarning(lcPlace).noquote() << where() + QStringLiteral("; the window manager keeps it there");
        return;
    case PlaceAction::askAgain:
        qCDebug(lcPlace).noquote() << where() + QStringLiteral("; asked again");
        break;
    case PlaceAction::placeItself:
        // Asked again, the window manager puts it back where its missing
        // frame would hold it: placed past the manager, it stays put, and
        // the manager still has its reserve.
        qCDebug(lcPlace).noquote() << where() + QStringLiteral("; placed past the window manager");
        break;
    }
    ++m_attempts;
    platform::moveDockWindow(handle, m_asked, action == PlaceAction::placeItself);
    m_settle.start();
}
