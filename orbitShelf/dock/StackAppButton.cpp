#include "dock/StackAppButton.h"

#include "app/AppState.h"
#include "apps/Activation.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/AppIconButtonStyle.h"
#include "dock/DockIcons.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

void paintStackAppButton(QPainter& painter, const QRectF& frame, const QIcon& icon)
{
    const StackAppButtonGeometry g = stackAppButtonGeometry(frame.width(), frame.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF label(frame.center().x() - g.label.width() / 2, frame.center().y() - g.label.height() / 2,
        g.label.width(), g.label.height());
    // The grid keeps its natural size (it may overhang the label by a
    // fraction of a point) and is centred on it.
    const QSizeF grid(2 * g.tile.width() + g.tileSpacing, 2 * g.tile.height() + g.tileSpacing);
    const QPointF origin(label.center().x() - grid.width() / 2, label.center().y() - grid.height() / 2);
    const int side = std::max(1, int(std::ceil(std::max(g.tile.width(), g.tile.height()))));
    const QPixmap tile = icon.pixmap(QSize(side, side));
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QRectF cell(origin.x() + column * (g.tile.width() + g.tileSpacing),
                origin.y() + row * (g.tile.height() + g.tileSpacing), g.tile.width(), g.tile.height());
            painter.drawPixmap(cell, tile, QRectF(tile.rect()));
        }
    }
    const QRectF outline
        = label.adjusted(-g.outlinePadding, -g.outlinePadding, g.outlinePadding, g.outlinePadding);
    QColor white(Qt::white);
    white.setAlphaF(0.5);
    painter.setPen(QPen(white, g.outlineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outline, g.outlineRadius, g.outlineRadius);
    painter.restore();
}

StackWindowList::StackWindowList(const AppState& state, std::vector<std::shared_ptr<Windows>> windows,
    StackWindowActivator activate, QWidget* parent)
    : QFrame(parent, Qt::Popup)
    , m_windows(std::move(windows))
    , m_activate(std::move(activate))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(int(kStackWindowListWidth));
    setWindowTitle(QStringLiteral("orbitShelf windows"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(int(kStackWindowRowSpacing));
    const double iconSize = state.appIcon.height();
    for (int i = 0; i < int(m_windows.size()); ++i) {
        const std::shared_ptr<Windows>& window = m_windows[size_t(i)];
        auto* row = new QToolButton(this);
        row->setStyle(AppIconButtonStyle::shared());
        row->setAutoRaise(true);
        row->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        const int tile = std::max(1, int(std::lround(iconSize / 3)));
        row->setIcon(runningAppIcon(state, window ? window->appId.value_or(0) : 0));
        row->setIconSize(QSize(tile, tile));
        const QString title = window ? window->title.value_or(QString()) : QString();
        // One line: a long title ends in an ellipsis.
        const int room = int(kStackWindowListWidth) - tile - int(4 * kStackWindowRowPadding) - 8;
        row->setText(row->fontMetrics().elidedText(title, Qt::ElideRight, std::max(0, room)));
        row->setToolTip(title);
        row->setContentsMargins(int(kStackWindowRowPadding), int(kStackWindowRowPadding),
            int(kStackWindowRowPadding), int(kStackWindowRowPadding));
        connect(row, &QToolButton::clicked, this, [this, i] { activateRow(i); });
        rows->addWidget(row);
        auto* divider = new QFrame(this);
        divider->setFrameShape(QFrame::HLine);
        divider->setFrameShadow(QFrame::Plain);
        rows->addWidget(divider);
    }
}

void StackWindowList::activateRow(int row)
{
    if (row < 0 || row >= int(m_windows.size()))
        return;
    const std::shared_ptr<Windows> window = m_windows[size_t(row)];
    if (m_activate && window)
        m_activate(window);
    close();
}

void activateStackedWindow(const std::shared_ptr<Windows>& window)
{
    if (window)
        activateWindow(*window, kClickSourceDock, false);
}

StackWindowList* openStackWindowList(
    const AppState& state, const ActiveApp& app, const QRect& anchor, StackWindowActivator activate)
{
    auto* list
        = new StackWindowList(state, app.sortAppWindows(state.settings.replaceFinder()), std::move(activate));
    list->adjustSize();
    // Below the button when the screen has room there, else above it (a
    // bottom bar has none below).
    QPoint at(anchor.center().x() - list->width() / 2, anchor.bottom() + 4);
    if (const QScreen* screen = QGuiApplication::screenAt(anchor.center())) {
        const QRect area = screen->availableGeometry();
        if (at.y() + list->height() > area.bottom())
            at.setY(anchor.top() - 4 - list->height());
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - list->width())));
        at.setY(std::max(at.y(), area.top()));
    }
    list->move(at);
    list->show();
    return list;
}

StackAppButton::StackAppButton(AppState& state, std::shared_ptr<ActiveApp> app,
    std::shared_ptr<Windows> hoveredWindow, QString screenID, double buttonScale, bool enableWindowTag,
    QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_app(app ? std::move(app) : std::make_shared<ActiveApp>())
    , m_hoveredWindow(std::move(hoveredWindow))
    , m_screenID(std::move(screenID))
    , m_buttonScale(buttonScale)
    , m_enableWindowTag(enableWindowTag)
    , m_activate(activateStackedWindow)
{
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_state, &AppState::changed, this, qOverload<>(&QWidget::update));
    connect(&m_state, &AppState::titleChanged, this, qOverload<>(&QWidget::update));
}

QSize StackAppButton::sizeHint() const
{
    return QSize(int(std::ceil(m_state.appIcon.width())), int(std::ceil(m_state.appIcon.height())));
}

void StackAppButton::togglePopover()
{
    if (isShowingPopover()) {
        m_popover->close();
        return;
    }
    const QRect anchor(mapToGlobal(QPoint(0, 0)), size());
    m_popover = openStackWindowList(m_state, *m_app, anchor, m_activate);
}

void StackAppButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSizeF frame(m_state.appIcon.width(), m_state.appIcon.height());
    const QRectF box(QPointF((width() - frame.width()) / 2, (height() - frame.height()) / 2), frame);
    paintStackAppButton(painter, box, runningAppIcon(m_state, m_app->appId.value_or(0)));
}

void StackAppButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        togglePopover();
}
