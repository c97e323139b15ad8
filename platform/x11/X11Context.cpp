#include "platform/x11/X11Context.h"

#include <xcb/composite.h>
#include <xcb/randr.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace platform::x11 {
namespace {

QRect readPrimary(XConnection& x)
{
    const QRect whole(0, 0, x.screen()->width_in_pixels, x.screen()->height_in_pixels);
    xcb_connection_t* c = x.raw();
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (!ext || !ext->present)
        return whole;
    Reply<xcb_randr_get_output_primary_reply_t> primary(nullptr, &free);
    {
        auto cookie = xcb_randr_get_output_primary(c, x.root());
        ReplyBatch batch(x);
        primary = batch.get<xcb_randr_get_output_primary_reply_t>(cookie);
    }
    if (!primary || primary->output == XCB_NONE)
        return whole;
    Reply<xcb_randr_get_output_info_reply_t> output(nullptr, &free);
    {
        auto cookie = xcb_randr_get_output_info(c, primary->output, XCB_CURRENT_TIME);
        ReplyBatch batch(x);
        output = batch.get<xcb_randr_get_output_info_reply_t>(cookie);
    }
    if (!output || output->crtc == XCB_NONE)
        return whole;
    auto cookie = xcb_randr_get_crtc_info(c, output->crtc, XCB_CURRENT_TIME);
    ReplyBatch batch(x);
    auto crtc = batch.get<xcb_randr_get_crtc_info_reply_t>(cookie);
    if (!crtc || crtc->width == 0 || crtc->height == 0)
        return whole;
    return QRect(crtc->x, crtc->y, crtc->width, crtc->height);
}

} // namespace

std::shared_ptr<X11Context> X11Context::create(const QByteArray& display, QString* error)
{
    auto x = XConnection::open(display, error);
    if (!x)
        return nullptr;
    std::shared_ptr<X11Context> ctx(new X11Context);
    ctx->m_x = std::move(x);
    ctx->m_display = display;
    ctx->m_ownPid = qint32(getpid());
    ctx->m_primary = readPrimary(*ctx->m_x);

    xcb_connection_t* c = ctx->m_x->raw();
    ctx->m_timeWindow = xcb_generate_id(c);
    const quint32 values[] = {1 /* override-redirect */, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, ctx->m_timeWindow, ctx->m_x->root(), -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    ctx->m_x->flush();
    return ctx;
}

X11Context::~X11Context()
{
    if (m_x && m_timeWindow)
        xcb_destroy_window(m_x->raw(), m_timeWindow);
}

xcb_timestamp_t X11Context::serverTime()
{
    std::lock_guard lock(m_eventMutex);
    xcb_connection_t* c = m_x->raw();
    xcb_change_property(c, XCB_PROP_MODE_APPEND, m_timeWindow, m_x->atoms().orbitTimestamp, XCB_ATOM_CARDINAL, 32,
                        0, nullptr);
    m_x->flush();
    XConnection::roundTrips()++;
    QDeadlineTimer deadline(kReplyTimeoutMs);
    const int fd = xcb_get_file_descriptor(c);
    while (!m_x->lost() && !deadline.hasExpired()) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            Reply<xcb_generic_event_t> owned(ev, &free);
            if ((ev->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
                if (p->window == m_timeWindow)
                    return p->time;
            }
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, int(std::min<qint64>(deadline.remainingTime(), 5)));
    }
    return XCB_CURRENT_TIME;
}

void X11Context::sendRootMessage(xcb_window_t window, xcb_atom_t type, quint32 d0, quint32 d1, quint32 d2,
                                 quint32 d3, quint32 d4)
{
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = type;
    ev.data.data32[0] = d0;
    ev.data.data32[1] = d1;
    ev.data.data32[2] = d2;
    ev.data.data32[3] = d3;
    ev.data.data32[4] = d4;
    xcb_send_event(m_x->raw(), 0, m_x->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&ev));
    m_x->flush();
}

void X11Context::drainEvents()
{
    std::lock_guard lock(m_eventMutex);
    while (xcb_generic_event_t* ev = xcb_poll_for_event(m_x->raw()))
        free(ev);
}

bool X11Context::ensureComposite()
{
    std::call_once(m_compositeOnce, [this] {
        xcb_connection_t* c = m_x->raw();
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_composite_id);
        if (!ext || !ext->present)
            return;
        auto cookie = xcb_composite_query_version(c, 0, 4);
        ReplyBatch batch(*m_x);
        auto version = batch.get<xcb_composite_query_version_reply_t>(cookie);
        if (!version)
            return;
        // Automatic redirection keeps every window's picture in its own
        // pixmap (also while covered) and leaves the screen as it was; any
        // number of clients may ask for it.
        xcb_composite_redirect_subwindows(c, m_x->root(), XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        m_x->flush();
        m_composite = true;
    });
    return m_composite;
}

std::optional<std::vector<QImage>> X11Context::cachedIcons(xcb_window_t window)
{
    std::lock_guard lock(m_iconMutex);
    auto it = m_icons.find(window);
    if (it == m_icons.end())
        return std::nullopt;
    return it->second;
}

void X11Context::cacheIcons(xcb_window_t window, std::vector<QImage> icons)
{
    std::lock_guard lock(m_iconMutex);
    m_icons[window] = std::move(icons);
}

void X11Context::forgetIcons(xcb_window_t window)
{
    std::lock_guard lock(m_iconMutex);
    m_icons.erase(window);
}

} // namespace platform::x11
