#include "dock/windows/RootView.h"

#include "state/AppState.h"
#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/input/DockAutoHide.h"

#include <QPainter>

RootView::RootView(AppState& state, std::optional<bool> enableListener, double screenWidth,
    double screenHeight, const QString& screenID, QWidget* parent)
    : QWidget(parent)
    , m_dock(new DockView(state, enableListener.value_or(false), screenWidth, screenHeight, screenID, this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    QFont font(QStringLiteral("Lucida Grande"), 14);
    setFont(font);
}

void RootView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_dock->setGeometry(rect());
}

ClearRootView::ClearRootView(
    AppState& state, const QString& screenID, double width, double height, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_screenID(screenID)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_Hover);
    resize(int(width), int(height));
}

void ClearRootView::hover(bool entered)
{
    AutoShowStrips::shared().setStripArea(m_screenID, QRect(mapToGlobal(QPoint(0, 0)), size()));
    const StringMap autoHide = m_state.settings.autoHideSpaceDock();
    const auto entry = autoHide.constFind(m_screenID);
    const StripHoverOutcome outcome = stripHoverOutcome(
        entered, entry == autoHide.constEnd() ? std::nullopt : std::optional(*entry), m_opacity);
    if (outcome.opacity != m_opacity) {
        m_opacity = outcome.opacity;
        update();
    }
    if (outcome.showDock) {
        qCDebug(lcDock) << "auto-show strip brings back the dock of" << m_screenID;
        m_state.showSpaceDock.insert(m_screenID, true);
        m_state.publish();
    }
}

void ClearRootView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    hover(true);
}

void ClearRootView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    hover(false);
    emit AutoShowStrips::shared().pointerLeft(m_screenID);
}

void ClearRootView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    QColor grey(Qt::gray);
    grey.setAlphaF(m_opacity);
    painter.fillRect(rect(), grey);
}
