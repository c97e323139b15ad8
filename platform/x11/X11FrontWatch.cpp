#include "platform/x11/X11FrontWatch.h"

#include "platform/Logging.h"
#include "platform/x11/XConnection.h"

#include <QSocketNotifier>

#include <algorithm>

namespace platform::x11 {

FrontWatch* FrontWatch::shared()
{
    static FrontWatch* watch = []() -> FrontWatch* {
        QString error;
        std::unique_ptr<XConnection> x = XConnection::open(qgetenv("DISPLAY"), &error);
        if (!x) {
            qCWarning(lcPlatform) << "a window going full screen is heard of only as the pointer comes:"
                                  << error;
            return nullptr;
        }
        // Lives for the whole process, like the areas that ask it.
        return new FrontWatch(std::move(x));
    }();
    return watch;
}

FrontWatch::FrontWatch(std::unique_ptr<XConnection> connection)
    : m_x(std::move(connection))
{
    const uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_x->raw(), m_x->root(), XCB_CW_EVENT_MASK, &rootMask);
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->raw()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FrontWatch::readEvents);
    followActive();
    m_x->flush();
}

FrontWatch::~FrontWatch()
{
    delete m_notifier; // before the connection closes its socket
}

bool FrontWatch::readFullScreen(xcb_window_t window)
{
    auto state = m_x->reply<xcb_get_property_reply_t>(
        requestProperty(*m_x, window, m_x->atoms().netWmState, XCB_ATOM_ATOM, 32));
    const std::vector<quint32> states = cardinalsProperty(state.get());
    return std::find(states.begin(), states.end(), m_x->atoms().netWmStateFullscreen) != states.end();
}

void FrontWatch::followActive()
{
    auto reply = m_x->reply<xcb_get_property_reply_t>(
        requestProperty(*m_x, m_x->root(), m_x->atoms().netActiveWindow, XCB_ATOM_WINDOW, 1));
    const xcb_window_t active = cardinalProperty(reply.get()).value_or(XCB_WINDOW_NONE);
    if (active == XCB_WINDOW_NONE || active == m_followed)
        return;
    // A window gone meanwhile answers with an error, which readEvents passes
    // over.
    if (m_followed != XCB_WINDOW_NONE) {
        const uint32_t none = 0;
        xcb_change_window_attributes(m_x->raw(), m_followed, XCB_CW_EVENT_MASK, &none);
    }
    m_followed = active;
    // Selected before the state is read: a change after the read is heard.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_x->raw(), m_followed, XCB_CW_EVENT_MASK, &mask);
    m_fullScreen = readFullScreen(m_followed);
}

void FrontWatch::readEvents()
{
    const xcb_atom_t activeWindow = m_x->atoms().netActiveWindow;
    const xcb_atom_t state = m_x->atoms().netWmState;
    bool tell = false;
    // A read below waits for its reply and queues the events that come
    // meanwhile, which no notice of the socket tells of again: those are
    // taken in the next round.
    for (;;) {
        bool activeChanged = false;
        bool stateChanged = false;
        bool changedPlace = false;
        while (xcb_generic_event_t* ev = xcb_poll_for_event(m_x->raw())) {
            Reply<xcb_generic_event_t> owned(ev, &free);
            switch (ev->response_type & 0x7f) {
            case XCB_PROPERTY_NOTIFY: {
                const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
                if (p->window == m_x->root())
                    activeChanged |= p->atom == activeWindow;
                else if (p->window == m_followed)
                    stateChanged |= p->atom == state;
                break;
            }
            case XCB_CONFIGURE_NOTIFY:
                // The resize that goes with full screen may come after the
                // state; a window that is not full screen moves often (a
                // drag) and tells nothing here.
                changedPlace |= reinterpret_cast<xcb_configure_notify_event_t*>(ev)->window == m_followed;
                break;
            case XCB_DESTROY_NOTIFY:
                if (reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window == m_followed) {
                    m_followed = XCB_WINDOW_NONE;
                    m_fullScreen = false;
                    activeChanged = true;
                }
                break;
            default:
                // An error of a window gone before it could be followed.
                break;
            }
        }
        if (m_x->lost()) {
            if (m_notifier->isEnabled()) {
                m_notifier->setEnabled(false);
                qCWarning(lcPlatform) << "the X connection that follows the window in front is lost";
            }
            return;
        }
        tell |= activeChanged || stateChanged || (changedPlace && m_fullScreen);
        if (!activeChanged && !stateChanged)
            break;
        if (activeChanged)
            followActive();
        if (stateChanged && m_followed != XCB_WINDOW_NONE)
            m_fullScreen = readFullScreen(m_followed);
    }
    m_x->flush();
    if (tell)
        emit changed();
}

} // namespace platform::x11
