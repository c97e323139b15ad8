#pragma once

#include "dock/preview/HoverPreviewWidget.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class AppState;
class DockView;
class PreviewCapture;
class Windows;
struct DockBarItem;

// The window of a window button of the bar (an application of exactly one
// window shows its window's button too), counted in the order the buttons
// are painted; null for any other item or when the model changed under it.
// The pointer, the previews and the window menu all go through this one.
std::shared_ptr<Windows> dockBarWindow(
    const AppState& state, const std::vector<qint32>& appIds, const DockBarItem& item);

// What the pointer's moves do on one bar: hovering a window button records
// it (with the permission prompts) and shows its live preview. Watches the
// bar's events; its clicks are the click router's (dock/input/BarClicks).
class DockBarPointer final : public QObject {
    Q_OBJECT
public:
    DockBarPointer(AppState& state, DockView& view);
    ~DockBarPointer() override;

    HoverPreviewWidget* preview() const { return m_preview; }
    const PreviewCapture& capture() const { return *m_capture; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pointerAt(std::optional<QPointF> position);
    void refreshPreview();
    void logWindowButtons();

    AppState& m_state;
    DockView& m_view;
    QPointer<HoverPreviewWidget> m_preview; // a child of the bar, gone with it
    std::unique_ptr<PreviewCapture> m_capture;
    std::shared_ptr<Windows> m_window; // the window button under the pointer
    QRectF m_buttonRect;
    std::optional<QPointF> m_lastPosition;
    std::optional<QString> m_loggedButtons;
    bool m_previewLogged = false;
};
