#include "widgets/FloatingPanel.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

FloatingPanel::FloatingPanel(
    QWidget* content, const QRect& contentRect, std::function<void(bool)> setPresented)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_content(content)
    , m_setPresented(std::move(setPresented))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (m_content)
        layout->addWidget(m_content);
    setGeometry(contentRect);
}

FloatingPanel* FloatingPanel::floatingPanel(const QWidget* view)
{
    return view ? qobject_cast<FloatingPanel*>(view->window()) : nullptr;
}

void FloatingPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
        close();
}

void FloatingPanel::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (m_setPresented)
        m_setPresented(false);
}

void FloatingPanel::mousePressEvent(QMouseEvent* event)
{
    // Only presses that reach the panel itself, that is on its background,
    // move it; the window manager does the dragging.
    if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
