#include "shell/ScreenFittedWindow.h"

#include "apps/DockEdgeReserve.h"
#include "apps/ScreenPlaces.h"
#include "shell/AuxWindowGeometry.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

static Q_LOGGING_CATEGORY(lcFittedWindows, "orbitshelf.shell.windows")

namespace {

QString text(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Keeps one window fitted to its screen; lives as the window's child.
class ScreenFit final : public QObject {
public:
    ScreenFit(QWidget* window, QScreen* screen)
        : QObject(window)
        , m_window(window)
        , m_screen(screen)
    {
        window->installEventFilter(this);
        // A window the user took to another screen is left there.
        watchOwnReserves(this, [this] {
            if (m_window->isVisible() && m_screen
                && screenGeometry(m_screen).contains(m_window->geometry().center()))
                place(m_window->geometry());
        });
    }

    void place(const QRect& wanted)
    {
        if (!m_screen)
            return;
        const QRect area = screenWindowArea(m_screen);
        const QMargins frame = this->frame();
        QRect asked = wanted;
        if (asked.isEmpty() || !screenGeometry(m_screen).contains(asked.center()))
            asked = centredIn(m_window->size(), area.marginsRemoved(frame));
        const QSize minimum = m_window->minimumSizeHint().expandedTo(m_window->minimumSize());
        const QRect placed = framedWindowPlace(asked, area, frame, minimum);
        qCDebug(lcFittedWindows).noquote()
            << QStringLiteral("%1 placed at %2 on %3 (free part %4, frame %5,%6,%7,%8, minimum %9x%10)")
                   .arg(m_window->windowTitle(), text(placed), m_screen->name(), text(area))
                   .arg(frame.left())
                   .arg(frame.top())
                   .arg(frame.right())
                   .arg(frame.bottom())
                   .arg(minimum.width())
                   .arg(minimum.height());
        if (placed != m_window->geometry())
            m_window->setGeometry(placed);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        // Window managers frame a window before they map it: its first
        // paint comes after.
        if (watched == m_window && !m_framed
            && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize
                || type == QEvent::Paint))
            QTimer::singleShot(0, this, [this] { lookForFrame(); });
        return false;
    }

private:
    // The frame the window manager drew, once it has said; else assumed.
    QMargins drawnFrame() const
    {
        const QWindow* handle = m_window->windowHandle();
        return handle && m_window->isVisible() ? handle->frameMargins() : QMargins();
    }

    QMargins frame() const
    {
        const QMargins drawn = drawnFrame();
        return drawn.isNull() && m_screen ? assumedWindowFrame(m_screen->devicePixelRatio()) : drawn;
    }

    // Once framed, the window stands where the window manager put it
    // (which may have moved it), placed again with the frame it drew. A
    // window never framed (no window manager, or one that draws no frame)
    // keeps its first place; the looks end after a few notices either way,
    // so that the user's own moves are never undone.
    void lookForFrame()
    {
        if (m_framed || !m_window->isVisible())
            return;
        if (drawnFrame().isNull()) {
            m_framed = ++m_looks >= kLooks;
            return;
        }
        m_framed = true;
        place(m_window->geometry());
    }

    static constexpr int kLooks = 12;
    QWidget* m_window;
    QPointer<QScreen> m_screen;
    bool m_framed = false;
    int m_looks = 0;
};

} // namespace

void placeOnScreen(QWidget* window, QScreen* screen, const QRect& wanted)
{
    if (!window || !screen)
        return;
    (new ScreenFit(window, screen))->place(wanted);
}
