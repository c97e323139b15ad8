#include "platform/x11/X11HoverArea.h"

#include "platform/x11/XConnection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace platform::x11 {

namespace {

    // The crossings of every hover area, taken out of the application's event
    // stream before the toolkit looks for a window of its own to give them to.
    // It also keeps the areas that take the pointer above the windows the
    // window manager stacks: it raises its own windows (a panel, a window
    // that left full screen) over an area made before them.
    class CrossingFilter final : public QAbstractNativeEventFilter {
    public:
        static CrossingFilter& shared()
        {
            static CrossingFilter filter;
            // Installed on the application that runs now (tests make more
            // than one in a process).
            if (filter.m_installedOn != QCoreApplication::instance()) {
                filter.m_installedOn = QCoreApplication::instance();
                if (filter.m_installedOn)
                    filter.m_installedOn->installNativeEventFilter(&filter);
            }
            return filter;
        }

        void add(xcb_window_t window, std::function<void(bool)> crossed,
            std::function<void(const HoverAreaPointer&)> pointer)
        {
            m_areas[window] = { std::move(crossed), std::move(pointer) };
        }
        void remove(xcb_window_t window)
        {
            m_areas.erase(window);
            keepOnTop(window, false);
        }

        void keepOnTop(xcb_window_t window, bool on)
        {
            if (!on) {
                m_onTop.erase(window);
                return;
            }
            m_onTop.insert(window);
            if (XConnection* x = XConnection::ofApplication())
                raise(*x, window);
        }

        bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
        {
            if (eventType != "xcb_generic_event_t" || !message)
                return false;
            const auto* event = static_cast<const xcb_generic_event_t*>(message);
            const uint8_t kind = event->response_type & 0x7f;
            if (kind == XCB_PROPERTY_NOTIFY && !m_onTop.empty()) {
                restacked(event);
                return false;
            }
            if (kind == XCB_BUTTON_PRESS || kind == XCB_BUTTON_RELEASE || kind == XCB_MOTION_NOTIFY)
                return pointed(kind, event);
            if (kind != XCB_ENTER_NOTIFY && kind != XCB_LEAVE_NOTIFY)
                return false;
            // Enter and Leave share one layout.
            const auto* crossing = reinterpret_cast<const xcb_enter_notify_event_t*>(event);
            const auto area = m_areas.find(crossing->event);
            if (area == m_areas.end())
                return false;
            // A grab taken or let go moves no pointer: the pointer is still
            // where it was, in or out.
            if (crossing->mode == XCB_NOTIFY_MODE_NORMAL) {
                // A copy: the area may be freed from the call.
                const std::function<void(bool)> crossed = area->second.crossed;
                if (crossed)
                    crossed(kind == XCB_ENTER_NOTIFY);
            }
            return true;
        }

    private:
        struct Listeners {
            std::function<void(bool)> crossed;
            std::function<void(const HoverAreaPointer&)> pointer;
        };

        static Qt::MouseButton buttonOf(uint8_t detail)
        {
            switch (detail) {
            case 1:
                return Qt::LeftButton;
            case 2:
                return Qt::MiddleButton;
            case 3:
                return Qt::RightButton;
            default:
                // The wheel (4 to 7) and extra buttons are no click.
                return Qt::NoButton;
            }
        }

        // Press, release and motion share one layout. The state is the
        // buttons held before the event; the area's listener hears those
        // held after it.
        bool pointed(uint8_t kind, const xcb_generic_event_t* event)
        {
            const auto* at = reinterpret_cast<const xcb_button_press_event_t*>(event);
            const auto area = m_areas.find(at->event);
            if (area == m_areas.end())
                return false;
            HoverAreaPointer pointer;
            pointer.position = QPoint(at->event_x, at->event_y);
            Qt::MouseButtons held;
            if (at->state & XCB_BUTTON_MASK_1)
                held |= Qt::LeftButton;
            if (at->state & XCB_BUTTON_MASK_2)
                held |= Qt::MiddleButton;
            if (at->state & XCB_BUTTON_MASK_3)
                held |= Qt::RightButton;
            if (kind != XCB_MOTION_NOTIFY) {
                pointer.kind = kind == XCB_BUTTON_PRESS ? HoverAreaPointer::Kind::press
                                                        : HoverAreaPointer::Kind::release;
                pointer.button = buttonOf(at->detail);
                if (pointer.button == Qt::NoButton)
                    return true;
                held.setFlag(pointer.button, kind == XCB_BUTTON_PRESS);
            }
            pointer.buttons = held;
            // A copy: the area may be freed from the call.
            const std::function<void(const HoverAreaPointer&)> listener = area->second.pointer;
            if (listener)
                listener(pointer);
            return true;
        }

        // The window manager restacks windows as it changes the root's
        // stacking list or the active window, which the toolkit hears on
        // the root already: answering those costs no wake-up of its own.
        void restacked(const xcb_generic_event_t* event)
        {
            const auto* notice = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            XConnection* x = XConnection::ofApplication();
            if (!x || notice->window != x->root())
                return;
            if (notice->atom == x->atoms().netClientListStacking
                || notice->atom == x->atoms().netActiveWindow)
                raiseAll(*x);
        }

        // Raising an override-redirect window changes neither list, so no
        // notice answers it.
        void raiseAll(XConnection& x)
        {
            for (const xcb_window_t window : m_onTop)
                raise(x, window);
        }

        static void raise(XConnection& x, xcb_window_t window)
        {
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(x.raw(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
            xcb_flush(x.raw());
        }

        QPointer<QCoreApplication> m_installedOn;
        std::map<xcb_window_t, Listeners> m_areas;
        std::set<xcb_window_t> m_onTop;
    };

    class X11HoverArea final : public HoverArea {
    public:
        X11HoverArea(xcb_connection_t* c, xcb_window_t window)
            : m_c(c)
            , m_window(window)
        {
        }

        ~X11HoverArea() override
        {
            CrossingFilter::shared().remove(m_window);
            // After the application's connection has closed, the server has
            // freed the window already.
            XConnection* x = XConnection::ofApplication();
            if (!x || x->raw() != m_c)
                return;
            xcb_destroy_window(m_c, m_window);
            xcb_flush(m_c);
        }

        void setInputRegion(const QRegion& region) override
        {
            XConnection* x = XConnection::ofApplication();
            if (!x || x->raw() != m_c)
                return;
            std::vector<xcb_rectangle_t> rectangles;
            for (const QRect& r : region)
                rectangles.push_back(
                    { int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height()) });
            xcb_shape_rectangles(m_c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                m_window, 0, 0, uint32_t(rectangles.size()), rectangles.data());
            xcb_flush(m_c);
            CrossingFilter::shared().keepOnTop(m_window, !region.isEmpty());
        }

        void setGeometry(const QRect& g) override
        {
            XConnection* x = XConnection::ofApplication();
            if (!x || x->raw() != m_c)
                return;
            const uint32_t values[] = { uint32_t(int32_t(g.x())), uint32_t(int32_t(g.y())),
                uint32_t(std::max(1, g.width())), uint32_t(std::max(1, g.height())) };
            xcb_configure_window(m_c, m_window,
                XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH
                    | XCB_CONFIG_WINDOW_HEIGHT,
                values);
            xcb_flush(m_c);
        }

    private:
        xcb_connection_t* m_c;
        xcb_window_t m_window;
    };

    void setTitle(XConnection& x, xcb_window_t window, const QString& title)
    {
        xcb_connection_t* c = x.raw();
        const QByteArray latin1 = title.toLatin1();
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
            uint32_t(latin1.size()), latin1.constData());
        const QByteArray utf8 = title.toUtf8();
        if (x.atoms().netWmName != XCB_ATOM_NONE && x.atoms().utf8String != XCB_ATOM_NONE)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, x.atoms().netWmName, x.atoms().utf8String,
                8, uint32_t(utf8.size()), utf8.constData());
    }

} // namespace

std::unique_ptr<HoverArea> createX11HoverArea(const HoverAreaSpec& spec)
{
    XConnection* x = XConnection::ofApplication();
    if (!x || !QCoreApplication::instance())
        return nullptr;
    xcb_connection_t* c = x->raw();
    // Without an input shape the area would take the pointer everywhere.
    if (!x->hasShapeExtension())
        return nullptr;

    // Drawing nothing, it needs no compositor to be invisible. The window
    // manager leaves it alone, so nothing frames or restacks it. Clicks on it
    // go no further: over a panel or a window they would otherwise reach the
    // desktop behind.
    const xcb_window_t window = xcb_generate_id(c);
    // An area told of the pointer's moves and clicks selects them; any other
    // lets none through to the root either.
    const uint32_t mask = XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_DONT_PROPAGATE;
    const uint32_t pointing
        = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
    const uint32_t values[]
        = { 1, XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW | (spec.pointer ? pointing : 0u),
              pointing };
    const QRect g = spec.geometry;
    xcb_create_window(c, 0, window, x->root(), int16_t(g.x()), int16_t(g.y()),
        uint16_t(std::max(1, g.width())), uint16_t(std::max(1, g.height())), 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, mask, values);
    xcb_shape_rectangles(
        c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
    if (!spec.title.isEmpty())
        setTitle(*x, window, spec.title);
    // Ours, for whoever asks whose window a click landed on.
    if (x->atoms().netWmPid != XCB_ATOM_NONE) {
        const uint32_t pid = uint32_t(QCoreApplication::applicationPid());
        xcb_change_property(
            c, XCB_PROP_MODE_REPLACE, window, x->atoms().netWmPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
    }
    CrossingFilter::shared().add(window, spec.crossed, spec.pointer);
    xcb_map_window(c, window);
    xcb_flush(c);
    return std::make_unique<X11HoverArea>(c, window);
}

} // namespace platform::x11
