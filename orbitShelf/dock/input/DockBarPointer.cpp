#include "dock/input/DockBarPointer.h"

#include "state/AppState.h"
#include "state/WindowCapture.h"
#include "apps/ActiveApp.h"
#include "apps/ProcessStatistics.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/layout/DockBarGeometry.h"
#include "dock/layout/DockEdges.h"
#include "dock/preview/HoverPreviewWidget.h"
#include "dock/preview/PreviewCapture.h"
#include "dock/preview/WindowHoverHandler.h"

#include <QMouseEvent>
#include <QTimer>

DockBarPointer::DockBarPointer(AppState& state, DockView& view)
    : QObject(&view)
    , m_state(state)
    , m_view(view)
    , m_preview(new HoverPreviewWidget(&view))
    , m_capture(std::make_unique<PreviewCapture>([&state](uint32_t number) -> std::optional<QImage> {
        if (state.settings.disablePreview())
            return std::nullopt;
        return captureWindowImage(false, number);
    }))
{
    view.setMouseTracking(true);
    view.installEventFilter(this);
    // The window manager moves the dock window without moving the bar in it.
    if (view.window() != &view)
        view.window()->installEventFilter(this);
    connect(m_capture.get(), &PreviewCapture::imageChanged, this, &DockBarPointer::refreshPreview);
    // The bar's picture is recomputed first (it connected earlier); the
    // button under a resting pointer may have moved or gone.
    connect(&state, &AppState::changed, this, [this] {
        if (m_window)
            pointerAt(m_lastPosition);
        logWindowButtons();
    });
    // The preview shows its window's title.
    connect(&state, &AppState::titleChanged, this, [this](quint32 number) {
        if (m_window && m_window->num == number)
            pointerAt(m_lastPosition);
    });
}

DockBarPointer::~DockBarPointer() = default;

bool DockBarPointer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view.window() && watched != &m_view) {
        if (event->type() == QEvent::Move)
            logWindowButtons();
        return false;
    }
    if (watched != &m_view)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        pointerAt(static_cast<QMouseEvent*>(event)->position());
        break;
    case QEvent::Enter:
        // A bar that appears under a resting pointer gets no motion at all.
        pointerAt(static_cast<QEnterEvent*>(event)->position());
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        pointerAt(std::nullopt);
        break;
    case QEvent::Show:
    case QEvent::Resize:
    case QEvent::Move:
        // The bar recomputes its picture in its own handler, after this one.
        QTimer::singleShot(0, this, &DockBarPointer::logWindowButtons);
        break;
    default:
        break;
    }
    return false;
}

std::shared_ptr<Windows> dockBarWindow(
    const AppState& state, const std::vector<qint32>& appIds, const DockBarItem& item)
{
    if (item.kind != DockBarItem::Kind::Window && item.kind != DockBarItem::Kind::App)
        return nullptr;
    if (item.appIndex < 0 || size_t(item.appIndex) >= appIds.size())
        return nullptr;
    const std::shared_ptr<ActiveApp> app = state.allApps.value(appIds[size_t(item.appIndex)]);
    if (!app || !app->windows)
        return nullptr;
    // An application of one window shows that window's button; one of many
    // windows behind one icon (stacked) has no single window to preview.
    if (item.kind == DockBarItem::Kind::App && app->windows->size() >= 2)
        return nullptr;
    // Buttons stand for the windows in display order, as they are painted.
    const std::vector<std::shared_ptr<Windows>> windows = app->sortAppWindows(state.settings.replaceFinder());
    const int index = item.kind == DockBarItem::Kind::App ? 0 : item.windowIndex;
    if (index < 0 || size_t(index) >= windows.size())
        return nullptr;
    return windows[size_t(index)];
}

void DockBarPointer::pointerAt(std::optional<QPointF> position)
{
    m_lastPosition = position;
    std::shared_ptr<Windows> window;
    QRectF rect;
    if (position) {
        // A badge where it stands over the panel is its button's too.
        if (const DockBarItem* item = m_view.itemAt(*position)) {
            window = dockBarWindow(m_state, m_view.appIds(), *item);
            rect = item->rect;
        }
    }
    if (window != m_window) {
        const bool disablePreview = m_state.settings.disablePreview();
        DockViewState& dock = m_view.viewState();
        if (m_window)
            handleWindowButtonHover(false, dock, m_window, hoverPermissionPrompts(), disablePreview);
        if (window)
            handleWindowButtonHover(true, dock, window, hoverPermissionPrompts(), disablePreview);
        m_window = window;
    }
    m_buttonRect = rect;

    const std::optional<uint32_t> number = m_window ? m_window->num : std::nullopt;
    if (!number || m_state.settings.disablePreview())
        m_capture->stop();
    else if (m_capture->windowNumber() != number)
        m_capture->start(*number); // refreshes the preview through imageChanged
    refreshPreview();
}

void DockBarPointer::refreshPreview()
{
    if (!m_preview)
        return;
    const DockViewState& dock = m_view.viewState();
    if (!m_window || !dock.hoveredWindow) {
        m_preview->dismiss();
        if (m_previewLogged) {
            m_previewLogged = false;
            qCDebug(lcDock) << "preview hidden";
        }
        return;
    }
    HoverPreviewInput input;
    input.hoveredNumber = dock.hoveredWindow->num;
    input.windowNumber = m_window->num;
    input.title = m_window->title;
    input.usage = averageProcessUsage(m_window->appId.value_or(0));
    input.showProcessInfo = m_state.settings.showProcessInfo();
    input.disablePreview = m_state.settings.disablePreview();
    input.dockBackgroundHeight = m_state.settings.dockBackgroundHeight();
    input.position = dockPositionForScreen(m_state, dock.enableListener, dock.screenID);
    input.thumbnailSize = m_capture->image().size();
    if (m_capture->image().isNull())
        input.thumbnailSize = QSize();
    m_preview->present(
        hoverPreviewLayout(input), m_capture->image(), m_view.toScreen(m_buttonRect.center()));
    const bool shown = m_preview->isVisible();
    if (shown != m_previewLogged) {
        m_previewLogged = shown;
        if (shown) {
            const QRect picture = m_preview->pictureRect().toRect();
            qCDebug(lcDock).noquote() << QStringLiteral("preview of window %1 shown, picture at %2,%3 %4x%5")
                                             .arg(m_window->num.value_or(0))
                                             .arg(picture.x())
                                             .arg(picture.y())
                                             .arg(picture.width())
                                             .arg(picture.height());
        } else {
            qCDebug(lcDock) << "preview hidden";
        }
    }
}

void DockBarPointer::logWindowButtons()
{
    // Every change of the model passes here: the line is built only for a
    // log that shows it.
    if (!lcDock().isDebugEnabled())
        return;
    QStringList buttons;
    for (const DockBarItem& item : m_view.picture().items) {
        if (item.kind == DockBarItem::Kind::MainButton) {
            const QRect rect = m_view.toScreen(item.rect);
            buttons << QStringLiteral("main button at %1,%2 %3x%4")
                           .arg(rect.x())
                           .arg(rect.y())
                           .arg(rect.width())
                           .arg(rect.height());
            continue;
        }
        const std::shared_ptr<Windows> window = dockBarWindow(m_state, m_view.appIds(), item);
        if (!window || !window->num)
            continue;
        const QRect rect = m_view.toScreen(item.rect);
        buttons << QStringLiteral("window button %1 at %2,%3 %4x%5")
                       .arg(*window->num)
                       .arg(rect.x())
                       .arg(rect.y())
                       .arg(rect.width())
                       .arg(rect.height());
    }
    const QString text = buttons.join(QStringLiteral("; "));
    if (text == m_loggedButtons)
        return;
    m_loggedButtons = text;
    qCDebug(lcDock).noquote() << "bar of" << m_view.viewState().screenID << "-"
                              << (text.isEmpty() ? QStringLiteral("no buttons") : text);
}
