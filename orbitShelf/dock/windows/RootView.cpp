#include "dock/windows/RootView.h"

#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/input/DockAutoHide.h"
#include "state/AppState.h"

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

double stripHovered(AppState& state, const QString& screenID, bool entered, double opacity)
{
    const StringMap autoHide = state.settings.autoHideSpaceDock();
    const auto entry = autoHide.constFind(screenID);
    const StripHoverOutcome outcome = stripHoverOutcome(
        entered, entry == autoHide.constEnd() ? std::nullopt : std::optional(*entry), opacity);
    if (outcome.showDock) {
        qCDebug(lcDock) << "auto-show strip brings back the dock of" << screenID;
        state.showSpaceDock.insert(screenID, true);
        state.publish();
    }
    return outcome.opacity;
}

void ClearRootView::hover(bool entered)
{
    const double opacity = stripHovered(m_state, m_screenID, entered, m_opacity);
    if (opacity != m_opacity) {
        m_opacity = opacity;
        update();
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
