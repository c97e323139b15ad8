#include "dock/tiles/PomodoroTile.h"

#include "state/AppState.h"
#include "state/TextFormats.h"
#include "tools/PomodoroRun.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>

namespace {

constexpr double kPad = 5;
constexpr double kPillWidth = 150;
constexpr double kPillHeight = 25;
constexpr double kCountdownWidth = 100;
constexpr double kTextWidth = 380;

// The pill's solid green.
const QColor kPillGreen = QColor::fromRgbF(0.5843137f, 0.8235294f, 0.41960785f);

void drawPomodoroImage(QPainter& painter, const QRectF& rect)
{
    // A tomato: red body, green leaves.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xe1, 0x3d, 0x3d));
    painter.drawEllipse(rect.adjusted(0, rect.height() * 0.15, 0, 0));
    painter.setBrush(QColor(0x3c, 0xb3, 0x4a));
    const QPointF top(rect.center().x(), rect.top() + rect.height() * 0.18);
    painter.drawEllipse(top, rect.width() * 0.22, rect.height() * 0.1);
    painter.restore();
}

} // namespace

qint64 breakElapsed(qint64 tickCount, qint64 breakStart)
{
    return tickCount - breakStart;
}

bool showStartPill(qint64 elapsed, int restMinute)
{
    return elapsed >= qint64(restMinute) * 60;
}

QString pomodoroCountdownText(qint64 elapsed, int restMinute)
{
    const qint64 total = qint64(restMinute) * 60;
    return formatDuration(std::clamp<qint64>(elapsed, 0, std::max<qint64>(total, 0)), total, false)
        + QLatin1Char(' ');
}

QSizeF pomodoroImageSize(double iconWidth, double iconHeight, double buttonScale)
{
    return { iconWidth - buttonScale - 20, iconHeight - buttonScale - 20 };
}

bool startNextPomodoro(qint64 elapsed, int restMinute, const std::function<void()>& recordRun)
{
    if (!showStartPill(elapsed, restMinute) || !recordRun)
        return false;
    recordRun();
    return true;
}

PomodoroTile::PomodoroTile(AppState& state, QString screenID, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_screenID(std::move(screenID))
{
    setObjectName(QStringLiteral("PomodoroTile"));
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_state, &AppState::changed, this, [this] { update(); });
    // The countdown follows the bar's one-second clock; the tick itself only
    // publishes while the Pomodoro view is open.
    if (m_state.pomodoroTimer)
        connect(m_state.pomodoroTimer, &QTimer::timeout, this, [this] { update(); });
}

qint64 PomodoroTile::elapsedNow() const
{
    return breakElapsed(pomodoroTickCount, pomodoroWorkEndSecond);
}

QString PomodoroTile::hintText() const
{
    return m_state.pomodoro.hintText();
}

QString PomodoroTile::countdownText() const
{
    return pomodoroCountdownText(elapsedNow(), m_state.pomodoro.restMinute());
}

bool PomodoroTile::startPillShown() const
{
    return showStartPill(elapsedNow(), m_state.pomodoro.restMinute());
}

void PomodoroTile::setVertical(bool vertical)
{
    if (m_vertical == vertical)
        return;
    m_vertical = vertical;
    update();
}

QSizeF PomodoroTile::tileSize() const
{
    return m_vertical ? QSizeF(height(), width()) : QSizeF(size());
}

QPointF PomodoroTile::toTile(const QPointF& p) const
{
    // The inverse of the quarter turn in paintEvent.
    return m_vertical ? QPointF(p.y(), width() - p.x()) : p;
}

QRectF PomodoroTile::startPillRect() const
{
    const double bannerWidth = kTextWidth + 2 * kPad;
    return { bannerWidth + kPad, (tileSize().height() - kPillHeight) / 2, kPillWidth, kPillHeight };
}

QSize PomodoroTile::sizeHint() const
{
    const double h = std::max(40.0, m_state.appIcon.height());
    return QSize(int(kTextWidth + 2 * kPad + kPillWidth + 2 * kPad + kCountdownWidth), int(h));
}

void PomodoroTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (m_vertical) {
        painter.translate(width(), 0);
        painter.rotate(90);
    }
    const double tileWidth = tileSize().width();
    const double tileHeight = tileSize().height();

    // Banner: the image and the break message in a white-stroked rounded box.
    const QRectF banner(kPad, kPad, kTextWidth, tileHeight - 2 * kPad);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(banner, 10, 10);
    const QSizeF image = pomodoroImageSize(
        m_state.appIcon.width(), m_state.appIcon.height(), m_state.spaceButtonScale.value(m_screenID, 0));
    const QRectF imageRect(banner.left() + 6, banner.center().y() - image.height() / 2,
        std::max(0.0, image.width()), std::max(0.0, image.height()));
    drawPomodoroImage(painter, imageRect);
    QFont bold = font();
    bold.setPixelSize(14);
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::white);
    const QRectF textRect(
        imageRect.right() - 3 + 10, banner.top(), banner.right() - imageRect.right() - 12, banner.height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, hintText());

    // The pill, once the break is over.
    if (startPillShown()) {
        const QRectF pill = startPillRect();
        QPainterPath path;
        path.addRoundedRect(pill, 5, 5);
        painter.fillPath(path, kPillGreen);
        painter.setPen(QPen(Qt::white, 4));
        painter.drawPath(path);
        painter.setPen(Qt::white);
        QFont plain = font();
        plain.setPixelSize(13);
        painter.setFont(plain);
        painter.drawText(pill, Qt::AlignCenter, QStringLiteral("Start"));
    }

    // Countdown.
    QFont countdown = font();
    countdown.setPixelSize(16);
    painter.setFont(countdown);
    painter.setPen(Qt::white);
    const QRectF countdownRect(tileWidth - kCountdownWidth, 0, kCountdownWidth, tileHeight);
    painter.drawText(countdownRect, Qt::AlignCenter, countdownText());
}

void PomodoroTile::mouseReleaseEvent(QMouseEvent* event)
{
    // Only the pill acts; a tap on the banner does nothing.
    if (event->button() == Qt::LeftButton && startPillShown()
        && startPillRect().contains(toTile(event->position())))
        startNextPomodoro(elapsedNow(), m_state.pomodoro.restMinute(), [] { recordPomodoroRun(); });
    event->accept();
}
