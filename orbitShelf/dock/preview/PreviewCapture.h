#pragma once

#include <QImage>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

// Keeps the picture of one window current while its hover preview shows:
// one capture at once, then a few a second, none at all while hidden. The
// captured picture is let go when the preview hides, so that an idle bar
// holds no window pixels and does no work.
class PreviewCapture final : public QObject {
    Q_OBJECT
public:
    using Capture = std::function<std::optional<QImage>(uint32_t windowNumber)>;

    static constexpr int intervalMs = 250; // at most four frames a second

    explicit PreviewCapture(Capture capture, QObject* parent = nullptr);

    // Starts (or moves) the capture to a window; captures at once.
    void start(uint32_t windowNumber);
    // Stops capturing and drops the picture.
    void stop();

    bool isCapturing() const { return m_timer.isActive(); }
    std::optional<uint32_t> windowNumber() const { return m_window; }
    // The newest picture; null when none could be taken.
    const QImage& image() const { return m_image; }

    // One capture now; also what the timer runs.
    void captureNow();

signals:
    void imageChanged();

private:
    Capture m_capture;
    QTimer m_timer;
    std::optional<uint32_t> m_window;
    QImage m_image;
};
