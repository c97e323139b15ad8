#include "dock/preview/PreviewCapture.h"

PreviewCapture::PreviewCapture(Capture capture, QObject* parent)
    : QObject(parent)
    , m_capture(std::move(capture))
{
    m_timer.setInterval(intervalMs);
    // Coarse is enough for a thumbnail and lets the system batch wake-ups.
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PreviewCapture::captureNow);
}

void PreviewCapture::start(uint32_t windowNumber)
{
    if (m_window != windowNumber)
        m_image = QImage();
    m_window = windowNumber;
    captureNow();
    m_timer.start();
}

void PreviewCapture::stop()
{
    m_timer.stop();
    m_window.reset();
    if (!m_image.isNull()) {
        m_image = QImage();
        emit imageChanged();
    }
}

void PreviewCapture::captureNow()
{
    if (!m_window || !m_capture)
        return;
    std::optional<QImage> picture = m_capture(*m_window);
    m_image = picture && !picture->isNull() ? std::move(*picture) : QImage();
    emit imageChanged();
}
