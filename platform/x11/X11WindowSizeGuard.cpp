#include "platform/x11/X11WindowSizeGuard.h"

#include "platform/Logging.h"
#include "platform/ScreenScale.h"
#include "platform/WindowSizes.h"
#include "platform/x11/XConnection.h"

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <map>

namespace platform::x11 {

namespace {

    // The size Qt last asked for, in the server's pixels.
    QSize meantSize(const QWindow& window)
    {
        return window.geometry().size() * window.devicePixelRatio();
    }

    // The box round every screen, in the server's pixels.
    QSize screensBox()
    {
        QRect box;
        for (const ScaledScreen& screen : scaledScreens())
            box |= screen.place;
        return box.size();
    }

    class WindowSizeGuard final : public QObject, public QAbstractNativeEventFilter {
    public:
        WindowSizeGuard()
        {
            // Every QWindow, widget or not, and the kits' windows alike: one
            // filter on the application sees each window's events first.
            qApp->installEventFilter(this);
            qApp->installNativeEventFilter(this);
            for (QWindow* window : QGuiApplication::topLevelWindows())
                holdReadable(window);
        }
        ~WindowSizeGuard() override
        {
            if (QCoreApplication* app = QCoreApplication::instance())
                app->removeNativeEventFilter(this);
        }

        bool eventFilter(QObject* watched, QEvent* event) override
        {
            // Qt sends both before it maps the window: the first when the
            // native window is made (winId(), or show()), the second before
            // every map.
            const QEvent::Type type = event->type();
            if (type == QEvent::PlatformSurface || type == QEvent::Show)
                if (auto* window = qobject_cast<QWindow*>(watched); window && window->isTopLevel())
                    holdReadable(window);
            return false;
        }

        bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
        {
            if (eventType != "xcb_generic_event_t" || !message)
                return false;
            const auto* event = static_cast<const xcb_generic_event_t*>(message);
            if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY)
                return false;
            const auto* notice = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            // A window's own notice, sent or synthetic; the root's notices
            // of its children are for whoever watches the root.
            if (notice->event != notice->window)
                return false;
            QWindow* window = topLevelWindow(notice->window);
            if (!window)
                return false;
            const QSize given(notice->width, notice->height);
            const QSize meant = meantSize(*window);
            // Nothing larger than what was asked for can be too large.
            if (given.width() <= meant.width() && given.height() <= meant.height())
                return false;
            Asks& asks = m_asks[notice->window];
            if (asks.meant != meant)
                asks = { meant, 0 };
            const QSize screens = screensBox();
            const GivenSize judged = judgeGivenSize(given, meant, screens, asks.made);
            if (judged == GivenSize::taken)
                return false;
            qCWarning(lcPlatform).noquote()
                << QStringLiteral("the window manager made \"%1\" %2x%3, larger than the screens' %4x%5: "
                                  "the window keeps its %6x%7")
                       .arg(window->title())
                       .arg(given.width())
                       .arg(given.height())
                       .arg(screens.width())
                       .arg(screens.height())
                       .arg(meant.width())
                       .arg(meant.height());
            if (judged == GivenSize::refusedAndAskedBack) {
                ++asks.made;
                askBack(notice->window, meant);
            }
            return true;
        }

    private:
        struct Asks {
            QSize meant;
            int made = 0;
        };

        static void holdReadable(QWindow* window)
        {
            SizeConstraints constraints;
            constraints.minimum = window->minimumSize();
            constraints.maximum = window->maximumSize();
            constraints.base = window->baseSize();
            constraints.increment = window->sizeIncrement();
            const QSize base = readableBaseSize(constraints);
            // Qt writes the hints anew at once when its native window exists.
            if (base != constraints.base)
                window->setBaseSize(base);
        }

        QWindow* topLevelWindow(xcb_window_t id)
        {
            // handle() first: winId() would make a native window for one
            // that has none.
            for (QWindow* window : QGuiApplication::topLevelWindows())
                if (window->handle() && xcb_window_t(window->winId()) == id)
                    return window;
            m_asks.erase(id);
            return nullptr;
        }

        static void askBack(xcb_window_t id, QSize size)
        {
            XConnection* x = XConnection::ofApplication();
            if (!x || size.isEmpty())
                return;
            const uint32_t values[] = { uint32_t(size.width()), uint32_t(size.height()) };
            xcb_configure_window(x->raw(), id, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
            x->flush();
        }

        std::map<xcb_window_t, Asks> m_asks;
    };

} // namespace

std::shared_ptr<QObject> createX11WindowSizeGuard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return std::make_shared<WindowSizeGuard>();
}

} // namespace platform::x11
