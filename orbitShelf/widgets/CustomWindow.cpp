#include "widgets/CustomWindow.h"

Qt::WindowFlags CustomWindow::windowFlagsFor(unsigned styleMask)
{
    Qt::WindowFlags flags = Qt::Window;
    if (!(styleMask & Titled))
        return flags | Qt::FramelessWindowHint;
    // Customize: only the buttons asked for, not the window manager's default set.
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (styleMask & Closable)
        flags |= Qt::WindowCloseButtonHint;
    if (styleMask & Miniaturizable)
        flags |= Qt::WindowMinimizeButtonHint;
    if (styleMask & Resizable)
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

CustomWindow::CustomWindow(const QRect& contentRect, unsigned styleMask, QWidget* parent)
    : QWidget(parent, windowFlagsFor(styleMask))
    , m_styleMask(styleMask)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setGeometry(contentRect);
    if (!(styleMask & Resizable) && (styleMask & Titled))
        setFixedSize(contentRect.size());
}
