#include "dock/buttons/StackWindowList.h"

#include "apps/Activation.h"
#include "apps/ActiveApp.h"
#include "apps/ScreenPlaces.h"
#include "apps/Windows.h"
#include "dock/drawing/AppIconButtonStyle.h"
#include "dock/drawing/DockIcons.h"
#include "dock/layout/PopUpPlacement.h"
#include "state/AppState.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kListWidth = 300;
constexpr int kRowPadding = 3;
constexpr int kRowSpacing = 3;

} // namespace

StackWindowList::StackWindowList(const AppState& state, std::vector<std::shared_ptr<Windows>> windows,
    StackWindowActivator activate, QWidget* parent)
    : QFrame(parent, Qt::Popup)
    , m_windows(std::move(windows))
    , m_activate(std::move(activate))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(kListWidth);
    setWindowTitle(QStringLiteral("orbitShelf windows"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(kRowSpacing);
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
        m_rows.push_back(row);
        showTitle(i);
        row->setContentsMargins(kRowPadding, kRowPadding, kRowPadding, kRowPadding);
        connect(row, &QToolButton::clicked, this, [this, i] { activateRow(i); });
        rows->addWidget(row);
        auto* divider = new QFrame(this);
        divider->setFrameShape(QFrame::HLine);
        divider->setFrameShadow(QFrame::Plain);
        rows->addWidget(divider);
    }
    // A window renamed while the list is open shows its new title.
    connect(&state, &AppState::titleChanged, this, [this](quint32 number) {
        for (int i = 0; i < int(m_windows.size()); ++i)
            if (m_windows[size_t(i)] && m_windows[size_t(i)]->num == number)
                showTitle(i);
    });
}

void StackWindowList::showTitle(int row)
{
    const std::shared_ptr<Windows>& window = m_windows[size_t(row)];
    QToolButton* button = m_rows[size_t(row)];
    const QString title = window ? window->title.value_or(QString()) : QString();
    // One line: a long title ends in an ellipsis.
    const int room = kListWidth - button->iconSize().width() - 4 * kRowPadding - 8;
    button->setText(button->fontMetrics().elidedText(title, Qt::ElideRight, std::max(0, room)));
    button->setToolTip(title);
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
    QRect frame(QPoint(anchor.center().x() - list->width() / 2, anchor.bottom() + 4), list->size());
    if (const QScreen* screen = screenAtPoint(anchor.center())) {
        const QRect area = screenAvailableGeometry(screen);
        if (frame.bottom() > area.bottom())
            frame.moveTop(anchor.top() - 4 - frame.height());
        frame = fittedInside(QRectF(frame), QRectF(area), QSizeF(list->minimumSizeHint())).toRect();
    }
    list->setGeometry(frame);
    list->show();
    return list;
}
