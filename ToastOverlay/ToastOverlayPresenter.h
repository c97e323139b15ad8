#pragma once

#include "ToastOverlay/ToastOverlay.h"
#include "ToastOverlay/ToastPresentation.h"

#include <QObject>
#include <QPointF>
#include <QPointer>

#include <functional>

class QTimer;
class QTimeLine;
class QWidget;
class ToastCard;

// What toastOverlay() is given: the display time, whether a tap hides the
// toast, a vertical offset, the builder of the toast (asked anew on every
// show), and the tap and completion callbacks.
struct ToastOverlayOptions {
    double duration = 2.0;
    bool tapToDismiss = true;
    qreal offsetY = 0;
    std::function<ToastOverlay()> alert;
    std::function<void()> onTap;
    std::function<void()> completion; // the shown toast has gone
};

// Shows toasts over one host widget: the alert centred, the hud at the top,
// the banner at the bottom, each moving in and out with its own transition.
// The caller owns whether a toast is shown: setPresenting(true) shows one
// (again, when one is up: the display time starts anew), false hides it;
// presentingChanged() tells the caller when the presenter hid it. Timers run
// only while a toast shows. Main thread only.
class ToastOverlayPresenter final : public QObject {
    Q_OBJECT
public:
    ToastOverlayPresenter(QWidget* host, ToastOverlayOptions options, ToastPresentation::Clock clock);
    ~ToastOverlayPresenter() override;

    void setPresenting(bool presenting);
    bool isPresenting() const { return m_presentation.isPresenting(); }
    // What a tap on the toast does: onTap, then the dismissal when allowed.
    void tap();

    // The card on screen (also while it leaves), or none.
    ToastCard* card() const;
    const ToastPresentation& presentation() const { return m_presentation; }
    // Where the card stands in the host when fully in.
    QRect restingGeometry() const;

signals:
    void presentingChanged(bool presenting);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void present();
    void dismiss();
    void onTimer();
    void scheduleTimer();
    // Where the card is drawn at a point of its mode's transition, against
    // its resting place.
    struct Transition {
        qreal opacity = 1;
        qreal scale = 1;
        QPointF shift;
    };
    Transition transitionAt(qreal progress, bool leaving) const;
    // 0: out of sight, 1: at rest; applies the mode's transition.
    void applyTransition(qreal progress);
    void animate(qreal to, std::function<void()> done);

    QWidget* m_host;
    ToastOverlayOptions m_options;
    ToastPresentation::Clock m_clock;
    ToastPresentation m_presentation;
    QTimer* m_timer;
    QPointer<QWidget> m_frame; // holds the card; carries the fade
    QPointer<ToastCard> m_card;
    QPointer<QTimeLine> m_animation;
    qreal m_progress = 0;
};

// Lays a toast overlay over `host` and returns its presenter (a child of the
// host). The clock defaults to a monotonic one.
ToastOverlayPresenter* toastOverlay(QWidget* host, ToastOverlayOptions options);
