#include "ToastOverlay/ToastOverlayPresenter.h"

#include "ToastOverlay/ToastViews.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGraphicsEffect>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QTransform>
#include <QVBoxLayout>
#include <QTimeLine>
#include <QWidget>

namespace {

// Room around the card for the capsule's shadow.
constexpr int kShadowMargin = 12;

// Holds the card with room around it, fades as a whole, and under a capsule
// paints its soft shadow (black 0.1, 6 down): a shadow effect on the card
// would nest inside the fade's effect, which Qt does not draw.
class ToastFrame final : public QWidget {
public:
    explicit ToastFrame(QWidget* parent)
        : QWidget(parent)
    {
    }
    QPointer<ToastCard> card;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!card || card->toast().displayMode.kind != ToastOverlay::DisplayMode::Kind::hud)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QRectF body = QRectF(card->geometry()).translated(0, 6);
        // Rings of falling opacity stand in for a blur of radius 5.
        for (int ring = 5; ring >= 0; --ring) {
            const QRectF r = body.adjusted(-ring, -ring, ring, ring);
            painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.1 / 6 * (6 - ring) / 3.5));
            painter.drawRoundedRect(r, r.height() / 2, r.height() / 2);
        }
    }
};

// Moves, scales and fades the frame while it comes in or leaves. The frame
// is laid out once, at its resting place; a card whose content stands still
// is painted into a picture once per transition, and each step only draws
// that picture where the transition has it. (Resizing the card at every
// step made its labels wrap and paint again, and the whole card be rendered
// and blended anew, at every frame.) A card with moving content (a mark
// drawing itself, the activity indicator) is rendered at each step, as it
// changes at each step anyway. At rest the frame paints itself as usual.
class TransitionEffect final : public QGraphicsEffect {
public:
    TransitionEffect(bool stillContent, QObject* parent)
        : QGraphicsEffect(parent)
        , m_stillContent(stillContent)
    {
    }

    // The next step takes a new picture.
    void forget() { m_picture = QPixmap(); }

    // `reach`: every place the frame passes through, in its own coordinates;
    // all of it is repainted at each step, so nothing is left behind.
    void set(qreal opacity, qreal scale, QPointF shift, const QRectF& reach)
    {
        if (opacity == m_opacity && scale == m_scale && shift == m_shift && reach == m_reach)
            return;
        const bool grew = reach != m_reach;
        m_opacity = opacity;
        m_scale = scale;
        m_shift = shift;
        m_reach = reach;
        if (grew)
            updateBoundingRect();
        update();
    }

    bool atRest() const { return m_opacity >= 1 && m_scale == 1 && m_shift.isNull(); }
    qreal opacity() const { return m_opacity; }

    QRectF boundingRectFor(const QRectF& rect) const override { return rect.united(m_reach); }

protected:
    void sourceChanged(ChangeFlags) override { forget(); }

    void draw(QPainter* painter) override
    {
        if (atRest()) {
            drawSource(painter);
            return;
        }
        if (m_opacity <= 0)
            return;
        QPoint offset = m_offset;
        QPixmap picture = m_picture;
        if (picture.isNull()) {
            picture = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
            if (m_stillContent) {
                m_picture = picture;
                m_offset = offset;
            }
        }
        if (picture.isNull())
            return;
        const QPointF centre = sourceBoundingRect(Qt::LogicalCoordinates).center();
        painter->save();
        painter->setOpacity(painter->opacity() * m_opacity);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->translate(m_shift + centre);
        painter->scale(m_scale, m_scale);
        painter->translate(-centre);
        painter->drawPixmap(offset, picture);
        painter->restore();
    }

private:
    const bool m_stillContent;
    QPixmap m_picture;
    QPoint m_offset;
    qreal m_opacity = 1;
    qreal m_scale = 1;
    QPointF m_shift;
    QRectF m_reach;
};

QSize preferredSize(const QWidget* card)
{
    const int width = qBound(card->minimumWidth(), card->sizeHint().width(), card->maximumWidth());
    int height = card->hasHeightForWidth() ? card->heightForWidth(width) : card->sizeHint().height();
    if (height < 0)
        height = card->sizeHint().height();
    return { width, qBound(card->minimumHeight(), height, card->maximumHeight()) };
}

} // namespace

ToastOverlayPresenter::ToastOverlayPresenter(
    QWidget* host, ToastOverlayOptions options, ToastPresentation::Clock clock)
    : QObject(host)
    , m_host(host)
    , m_options(std::move(options))
    , m_clock(clock)
    , m_presentation(clock)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ToastOverlayPresenter::onTimer);
    host->installEventFilter(this);
}

ToastOverlayPresenter::~ToastOverlayPresenter()
{
    if (m_animation)
        m_animation->stop();
    delete m_frame;
}

ToastCard* ToastOverlayPresenter::card() const
{
    return m_card;
}

void ToastOverlayPresenter::setPresenting(bool presenting)
{
    if (presenting)
        present();
    else if (m_presentation.isPresenting())
        dismiss();
}

void ToastOverlayPresenter::tap()
{
    if (m_options.onTap)
        m_options.onTap();
    if (m_presentation.tap())
        dismiss();
}

void ToastOverlayPresenter::present()
{
    if (!m_options.alert)
        return;
    const ToastOverlay toast = m_options.alert();
    const bool wasPresenting = m_presentation.isPresenting();
    m_presentation.show(toast.type, m_options.duration, m_options.tapToDismiss);

    // The new toast replaces whatever is on screen, leaving or not.
    if (m_animation)
        m_animation->stop();
    if (m_frame) {
        delete m_frame;
        if (m_options.completion)
            m_options.completion();
    }
    auto* frame = new ToastFrame(m_host);
    frame->setObjectName(QStringLiteral("toastOverlay"));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin);
    auto* card = new ToastCard(toast, frame);
    frame->card = card;
    layout->addWidget(card);
    connect(card, &ToastCard::tapped, this, &ToastOverlayPresenter::tap);
    using Kind = ToastOverlay::AlertType::Kind;
    const bool still = toast.type.kind != Kind::complete && toast.type.kind != Kind::error
        && toast.type.kind != Kind::loading;
    frame->setGraphicsEffect(new TransitionEffect(still, frame));
    m_frame = frame;
    m_card = card;
    applyTransition(0);
    frame->show();
    frame->raise();
    animate(1, {});
    scheduleTimer();
    if (!wasPresenting)
        emit presentingChanged(true);
}

void ToastOverlayPresenter::dismiss()
{
    m_presentation.hide();
    // What the card shows may have changed while it rested.
    if (m_frame)
        if (auto* effect = dynamic_cast<TransitionEffect*>(m_frame->graphicsEffect()))
            effect->forget();
    m_timer->stop();
    QPointer<QWidget> frame = m_frame;
    animate(0, [this, frame] {
        if (!frame || frame != m_frame)
            return;
        delete m_frame;
        if (m_options.completion)
            m_options.completion();
    });
    emit presentingChanged(false);
}

void ToastOverlayPresenter::scheduleTimer()
{
    m_timer->stop();
    if (const std::optional<qint64> deadline = m_presentation.deadline())
        m_timer->start(static_cast<int>(qMax<qint64>(0, *deadline - m_clock())));
}

void ToastOverlayPresenter::onTimer()
{
    if (m_presentation.expireIfDue())
        dismiss();
    else
        scheduleTimer();
}

QRect ToastOverlayPresenter::restingGeometry() const
{
    if (!m_card)
        return {};
    const QSize size = preferredSize(m_card);
    const QRect host = m_host->rect();
    const int offsetY = qRound(m_options.offsetY);
    const int x = (host.width() - size.width()) / 2;
    switch (m_card->toast().displayMode.kind) {
    case ToastOverlay::DisplayMode::Kind::alert:
        return QRect(QPoint(x, (host.height() - size.height()) / 2 + offsetY), size);
    case ToastOverlay::DisplayMode::Kind::hud:
        // Half its own height below the host's top edge.
        return QRect(QPoint(x, size.height() / 2 + offsetY), size);
    case ToastOverlay::DisplayMode::Kind::banner:
        return QRect(QPoint(x, host.height() - ToastCard::padding - size.height() + offsetY), size);
    }
    return {};
}

ToastOverlayPresenter::Transition ToastOverlayPresenter::transitionAt(qreal progress, bool leaving) const
{
    Transition t;
    t.opacity = progress;
    const QRect card = restingGeometry();
    const ToastOverlay::DisplayMode mode = m_card->toast().displayMode;
    switch (mode.kind) {
    case ToastOverlay::DisplayMode::Kind::alert:
        // Scales from 0.8 about its centre.
        t.scale = 0.8 + 0.2 * progress;
        break;
    case ToastOverlay::DisplayMode::Kind::hud:
        t.shift.setY(qRound(-(card.bottom() + kShadowMargin) * (1 - progress)));
        break;
    case ToastOverlay::DisplayMode::Kind::banner:
        if (mode.animation == ToastOverlay::BannerAnimation::slide) {
            // In from the leading edge while shown, out at the trailing one.
            const int travel = card.right() + kShadowMargin;
            t.shift.setX(qRound((leaving ? 1 : -1) * travel * (1 - progress)));
        } else {
            t.shift.setY(qRound((m_host->height() - card.top()) * (1 - progress)));
            t.opacity = 1;
        }
        break;
    }
    return t;
}

void ToastOverlayPresenter::applyTransition(qreal progress)
{
    m_progress = progress;
    if (!m_frame || !m_card)
        return;
    // The frame stays at its resting place; the effect draws it where the
    // transition has it.
    const QRect rest = restingGeometry().adjusted(-kShadowMargin, -kShadowMargin, kShadowMargin, kShadowMargin);
    if (m_frame->geometry() != rest)
        m_frame->setGeometry(rest);
    const bool leaving = !m_presentation.isPresenting();
    const Transition now = transitionAt(progress, leaving);
    const QRectF own(QPointF(0, 0), QSizeF(rest.size()));
    auto placed = [&own](const Transition& t) {
        const QPointF centre = own.center();
        QTransform m;
        m.translate(t.shift.x() + centre.x(), t.shift.y() + centre.y());
        m.scale(t.scale, t.scale);
        m.translate(-centre.x(), -centre.y());
        return m.mapRect(own);
    };
    if (auto* effect = dynamic_cast<TransitionEffect*>(m_frame->graphicsEffect()))
        effect->set(now.opacity, now.scale, now.shift,
            own.united(placed(transitionAt(0, false))).united(placed(transitionAt(0, true))));
}

void ToastOverlayPresenter::animate(qreal to, std::function<void()> done)
{
    if (m_animation) {
        m_animation->stop();
        m_animation->deleteLater();
    }
    // Thirty steps a second: each step wakes the process and sends the
    // window's new pixels to the X server, and the spring's motion reads as
    // smooth at this rate; the animation timer's sixty doubled the cost.
    constexpr int kStepMs = 33;
    const qreal from = m_progress;
    auto* timeline = new QTimeLine(springDurationMs(), this);
    timeline->setEasingCurve(springCurve());
    timeline->setUpdateInterval(kStepMs);
    connect(timeline, &QTimeLine::valueChanged, this,
        [this, from, to](qreal eased) { applyTransition(from + (to - from) * eased); });
    connect(timeline, &QTimeLine::finished, this, [this, to, timeline, done = std::move(done)] {
        applyTransition(to);
        timeline->deleteLater();
        if (done)
            done();
    });
    m_animation = timeline;
    timeline->start();
}

bool ToastOverlayPresenter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_host && event->type() == QEvent::Resize)
        applyTransition(m_progress);
    return QObject::eventFilter(watched, event);
}

ToastOverlayPresenter* toastOverlay(QWidget* host, ToastOverlayOptions options)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return new ToastOverlayPresenter(host, std::move(options), [clock] { return clock->elapsed(); });
}
