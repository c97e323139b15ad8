#include "apps/WindowClickTracking.h"

#include "state/AppState.h"
#include "apps/Activation.h"
#include "apps/ModelEvents.h"
#include "apps/WindowActivationRecord.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

std::atomic<int32_t> lastClickedWindowNumber { 0 };

namespace {
int64_t lastCheckedWindowNumber = 0;

// Window numbers are X window ids (29 bits in practice); a larger value keeps
// its low 32 bits, which is what the server would report for it.
int32_t toWindowNumber(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// Only a change of a published value sends the change notice.
void clearPopup(Tool tool)
{
    AppState& state = AppState::shared();
    if (state.popups[tool]) {
        state.popups[tool] = false;
        emit state.changed();
    }
}

// Long enough for any window manager to answer on a busy machine, short
// enough that a request it never answers (a window that refused the focus)
// does not keep the order from following the focus for long.
constexpr int kUnansweredHoldMs = 1000;

struct AskedActivation {
    int32_t window = 0;
    QDeadlineTimer until;
};

AskedActivation& askedActivation()
{
    static AskedActivation asked;
    return asked;
}

} // namespace

void noteActivationAsked(int32_t windowNumber)
{
    askedActivation() = { windowNumber, QDeadlineTimer(kUnansweredHoldMs) };
}

void noteWindowManagerReport(int32_t windowNumber)
{
    if (askedActivation().window == windowNumber)
        askedActivation() = {};
}

bool activationUnanswered()
{
    return activationUnansweredForMs() > 0;
}

qint64 activationUnansweredForMs()
{
    const AskedActivation& asked = askedActivation();
    return asked.window != 0 ? asked.until.remainingTime() : 0;
}

std::deque<WindowClickedOrder>& windowClickOrder()
{
    static std::deque<WindowClickedOrder> order;
    return order;
}

void appendWindowClick(const WindowClickedOrder& entry)
{
    auto& order = windowClickOrder();
    order.push_back(entry);
    while (order.size() > kWindowClickOrderLimit)
        order.pop_front();
}

void onWindowClicked(
    int64_t windowNumber, std::function<void(bool)> onClickedWindowChange, uint32_t serverTime)
{
    const int32_t n = toWindowNumber(windowNumber);
    lastClickedWindowNumber.store(n);

    focusWindow(n);

    if (windowIndexInApps(n) != -1) {
        auto& order = windowClickOrder();
        const QDateTime now = QDateTime::currentDateTimeUtc();
        if (!order.empty() && order.back().windowNum == n)
            order.back().time = now;
        else
            recordWindowActivation(n, now);
    }

    emit ModelEvents::shared().windowClicked(windowNumber, serverTime);

    // The tools' sheets close; a tool without one keeps its flag.
    for (const ToolRow& row : toolTable)
        if (row.sheet)
            clearPopup(row.tool);

    QTimer::singleShot(200, qApp, [windowNumber, callback = std::move(onClickedWindowChange)] {
        notifyIfClickedWindowChanged(windowNumber, callback);
    });
}

void notifyIfClickedWindowChanged(
    int64_t windowNumber, const std::function<void(bool)>& onClickedWindowChange)
{
    if (lastCheckedWindowNumber == 0) {
        lastCheckedWindowNumber = windowNumber;
        if (onClickedWindowChange)
            onClickedWindowChange(false);
    }
    if (lastCheckedWindowNumber != windowNumber) {
        lastCheckedWindowNumber = windowNumber;
        if (onClickedWindowChange)
            onClickedWindowChange(true);
    }
}

void resetWindowClickTracking()
{
    windowClickOrder().clear();
    askedActivation() = {};
    lastClickedWindowNumber.store(0);
    lastCheckedWindowNumber = 0;
}
