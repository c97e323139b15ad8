#pragma once

#include "ToastOverlay/ToastOverlay.h"

#include <QtGlobal>

#include <functional>
#include <optional>

// When a toast over one host hides: the presenter's rules without widgets or
// timers, on a clock the caller supplies (milliseconds).
class ToastPresentation final {
public:
    using Clock = std::function<qint64()>;
    explicit ToastPresentation(Clock clock);

    // Shows a toast, or shows the next one while one is up. The display time
    // and tap dismissal come from the arguments on every show; a loading
    // toast stays until hidden and ignores taps. A positive time starts the
    // countdown again from now.
    void show(const ToastOverlay::AlertType& type, double durationSeconds, bool tapToDismiss);
    // A tap on the toast: true when it hides the toast.
    bool tap();
    // True when the display time is over; the toast is then hidden.
    bool expireIfDue();
    void hide();

    bool isPresenting() const { return m_presenting; }
    std::optional<qint64> deadline() const { return m_deadline; }
    double duration() const { return m_duration; }
    bool tapToDismiss() const { return m_tapToDismiss; }

private:
    Clock m_clock;
    bool m_presenting = false;
    double m_duration = 2.0;
    bool m_tapToDismiss = true;
    std::optional<qint64> m_deadline;
};
