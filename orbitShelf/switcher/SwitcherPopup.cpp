#include "switcher/SwitcherPopup.h"

#include "apps/Activation.h"
#include "apps/ActiveApp.h"
#include "apps/AppsSource.h"
#include "apps/RunningApps.h"
#include "apps/ScreenPlaces.h"
#include "apps/WindowActions.h"
#include "apps/WindowActivationRecord.h"
#include "apps/WindowClickTracking.h"
#include "apps/Windows.h"
#include "network/ServiceRequests.h"
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"
#include "state/AppState.h"
#include "state/Logging.h"
#include "switcher/FloatDock.h"
#include "switcher/FloatDockView.h"
#include "switcher/Hotkey.h"
#include "switcher/SwitcherCycle.h"
#include "widgets/PaintedShape.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSwitcher, "orbitshelf.switcher")

bool switcherPopupShown = false;

namespace {

// The window's root view: hosts the grid in the desktop's sans-serif at 14;
// Escape closes the switcher while it is shown.
class PopupView final : public QWidget {
public:
    explicit PopupView(QWidget* parent)
        : QWidget(parent)
    {
        QFont font(QStringLiteral("Sans Serif"), 14);
        font.setStyleHint(QFont::SansSerif);
        setFont(font);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new FloatDockView(floatDock(), this));
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        if (m_escape || !platform::hotKeys())
            return;
        m_escape
            = connect(platform::hotKeys(), &platform::HotKeys::grabbedKeyDown, this, [](quint16 keyCode) {
                  if (keyCode == platform::keycode::escape)
                      closeSwitcherPopup();
              });
    }
    void hideEvent(QHideEvent* event) override
    {
        QWidget::hideEvent(event);
        if (m_escape)
            disconnect(m_escape);
        m_escape = {};
    }

private:
    QMetaObject::Connection m_escape;
};

QScreen* screenUnderPointer()
{
    return screenOfPointer();
}

} // namespace

QRect switcherVisibleFrame()
{
    QScreen* screen = screenUnderPointer();
    return screen ? screen->availableGeometry() : QRect();
}

QPointer<CustomWindow>& floatPanel()
{
    static QPointer<CustomWindow> window;
    return window;
}

std::optional<quint32> floatPanelWindowNumber()
{
    if (!floatPanel())
        return std::nullopt;
    return static_cast<quint32>(floatPanel()->winId());
}

QRect switcherPanelFrame(const QRect& visibleFrame, double width, double height)
{
    const QSize size(std::max(1, int(width)), std::max(1, int(height)));
    return QRect(QPoint(visibleFrame.x() + (visibleFrame.width() - size.width()) / 2,
                     visibleFrame.y() + (visibleFrame.height() - size.height()) / 2),
        size);
}

void showSwitcherPopup()
{
    CustomWindow* window = floatPanel();
    // The content is laid out before the window maps, so the window is made
    // the panel's size at once: without a compositing manager every pixel
    // of the window is opaque, and a screen-sized window would black out
    // the desktop around the panel. A reused window's content was told to
    // set up by the cycle.
    if (!window)
        floatDock().setUp(switcherVisibleFrame());
    const QRect frame = switcherPanelFrame(switcherVisibleFrame(), floatDock().width, floatDock().height);
    if (!window) {
        window = new CustomWindow(frame, CustomWindow::Miniaturizable | CustomWindow::FullSizeContentView);
        floatPanel() = window;
        window->setWindowTitle(QStringLiteral("orbitShelf switcher"));
        // Above every window, full-screen ones too, so the window manager is
        // left out; the keyboard comes through the grab, not the focus. It
        // never takes the focus: the window in front stays in front (and
        // marked on the bar) until a choice is made, and Escape leaves it so.
        window->setWindowFlags(
            Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        window->setAttribute(Qt::WA_TranslucentBackground);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new PopupView(window));
    }
    window->setGeometry(frame);
    // Shaped to the rounded panel, for the same reason.
    window->setMask(cardShape(frame.size(), 10));
    window->show();
    window->raise();
    switcherPopupShown = true;
    qCDebug(lcSwitcher) << "switcher shown at" << frame;
}

void closeSwitcherPopup()
{
    switcherCycle().end();
}

void activatePreviousAppWindow()
{
    trackFeature(QStringLiteral("ActivePreviousAppWindow"));
    const auto& order = windowClickOrder();
    if (order.size() < 2) {
        customPrint(QStringLiteral("no previous window yet: ") + QString::number(order.size()));
        return;
    }
    // The window used before the current one; windows closed since are
    // passed over, or one closed window would make the key do nothing.
    const int32_t current = order.back().windowNum;
    int32_t number = 0;
    std::shared_ptr<Windows> window;
    for (auto it = std::next(order.rbegin()); it != order.rend() && !window; ++it) {
        if (it->windowNum != current && (window = findWindowByNumber(it->windowNum)))
            number = it->windowNum;
    }
    if (!window)
        return;
    AppState& state = AppState::shared();
    const auto app = state.allApps.value(window->appId.value_or(0));
    if (!app)
        return;
    // On X11 a window manager activates windows, not programs: a real
    // window is activated itself, which also raises it. Until the window
    // manager reports it in front, the old window it still shows there must
    // not be taken for the current one: a second tap typed meanwhile (a
    // busy window manager answers late) would go back where this one began.
    if (isActionableWindow(*window) && platform::hasCurrent()) {
        platform::current().windowServer().activate(*window->num);
        noteActivationAsked(number);
    } else
        app->activateApp(*window, appsSource());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    app->clickTime = now;
    window->clickTime = now;
    recordWindowActivation(number, now);
    moveCursorToWindowCenter(*window, QStringLiteral("FloatDock"));
    focusWindow(static_cast<int32_t>(window->num.value_or(0)));
    rememberPreviousWindow();
}
