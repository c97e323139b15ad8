#include "ToastOverlay/ToastPresentation.h"

#include <cmath>

ToastPresentation::ToastPresentation(Clock clock)
    : m_clock(std::move(clock))
{
}

void ToastPresentation::show(const ToastOverlay::AlertType& type, double durationSeconds, bool tapToDismiss)
{
    const bool loading = type.kind == ToastOverlay::AlertType::Kind::loading;
    m_presenting = true;
    m_duration = loading ? 0 : durationSeconds;
    m_tapToDismiss = loading ? false : tapToDismiss;
    m_deadline.reset();
    if (m_duration > 0)
        m_deadline = m_clock() + std::llround(m_duration * 1000);
}

bool ToastPresentation::tap()
{
    if (!m_presenting || !m_tapToDismiss)
        return false;
    hide();
    return true;
}

bool ToastPresentation::expireIfDue()
{
    if (!m_presenting || !m_deadline || m_clock() < *m_deadline)
        return false;
    hide();
    return true;
}

void ToastPresentation::hide()
{
    m_presenting = false;
    m_deadline.reset();
}
