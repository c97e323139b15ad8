#include "platform/x11/X11WindowServer.h"

#include "platform/Logging.h"
#include "platform/x11/WindowIcons.h"
#include "platform/x11/WindowReader.h"
#include "platform/x11/X11Accessibility.h"

#include <xcb/composite.h>

#include <algorithm>

namespace platform::x11 {
namespace {

constexpr quint32 kSourcePager = 2; // EWMH source indication: a pager acting for the user
constexpr quint32 kNorthWestGravity = 1;

} // namespace

std::vector<ServerWindow> X11WindowServer::windowList()
{
    std::optional<Snapshot> local;
    const Snapshot& snap = *batchedSnapshot(m_ctx, local);
    if (snap.failed)
        qCWarning(lcPlatform) << "the X server did not answer the window list in time";
    std::vector<ServerWindow> list;
    for (auto it = snap.windows.rbegin(); it != snap.windows.rend(); ++it)
        if (isListed(*it, m_ctx->ownPid()))
            list.push_back(*it);
    return list;
}

std::optional<ServerWindow> X11WindowServer::window(quint32 id)
{
    bool failed = false;
    return readWindow(m_ctx->x(), id, nullptr, failed);
}

std::optional<quint32> X11WindowServer::windowAt(QPoint rootPoint)
{
    const Snapshot snap = readSnapshot(m_ctx->x(), m_ctx->ownPid());
    for (auto it = snap.windows.rbegin(); it != snap.windows.rend(); ++it)
        if (it->onScreen && it->kind != WindowKind::desktop && it->frame.contains(rootPoint))
            return it->id;
    return std::nullopt;
}

std::optional<qint32> X11WindowServer::processOfWindow(quint32 id)
{
    bool failed = false;
    auto w = readWindow(m_ctx->x(), id, nullptr, failed);
    if (!w || w->pid == 0)
        return std::nullopt;
    return w->pid;
}

std::vector<quint64> X11WindowServer::spacesOfWindow(quint32 id)
{
    bool failed = false;
    RootState root;
    auto w = readWindow(m_ctx->x(), id, &root, failed);
    if (!w)
        return {};
    if (!w->desktop || *w->desktop == 0xFFFFFFFFu) {
        std::vector<quint64> all;
        for (quint32 d = 0; d < root.desktopCount; ++d)
            all.push_back(d);
        return all;
    }
    return {quint64(*w->desktop)};
}

std::optional<quint32> X11WindowServer::activeWindow()
{
    XConnection& x = m_ctx->x();
    auto cookie = requestProperty(x, x.root(), x.atoms().netActiveWindow, XCB_ATOM_WINDOW, 1);
    ReplyBatch batch(x);
    auto reply = batch.get<xcb_get_property_reply_t>(cookie);
    if (auto a = cardinalProperty(reply.get()); a && *a)
        return *a;
    return std::nullopt;
}

std::optional<QImage> X11WindowServer::windowImage(quint32 id)
{
    XConnection& x = m_ctx->x();
    xcb_connection_t* c = x.raw();
    bool failed = false;
    auto w = readWindow(x, id, nullptr, failed);
    // A minimised or unmapped window has no current picture: its pixmap is
    // gone or stale.
    if (!w || !w->mapped || w->minimized || w->client.isEmpty())
        return std::nullopt;
    if (!m_ctx->ensureComposite())
        return std::nullopt;

    // The frame (the root's child that holds the client) is what Composite
    // redirects; the client's picture is a rectangle of the frame's pixmap.
    xcb_window_t top = id;
    for (int depth = 0; depth < 8; ++depth) {
        auto cookie = xcb_query_tree(c, top);
        ReplyBatch batch(x);
        auto tree = batch.get<xcb_query_tree_reply_t>(cookie);
        if (!tree)
            return std::nullopt;
        if (tree->parent == tree->root || tree->parent == XCB_NONE)
            break;
        top = tree->parent;
    }
    auto geometryCookie = xcb_get_geometry(c, top);
    Reply<xcb_get_geometry_reply_t> geometry(nullptr, &free);
    {
        ReplyBatch batch(x);
        geometry = batch.get<xcb_get_geometry_reply_t>(geometryCookie);
    }
    if (!geometry)
        return std::nullopt;
    const int offsetX = w->client.x() - (geometry->x + geometry->border_width);
    const int offsetY = w->client.y() - (geometry->y + geometry->border_width);

    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    auto nameCookie = xcb_composite_name_window_pixmap_checked(c, top, pixmap);
    auto imageCookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, int16_t(std::max(0, offsetX)),
                                     int16_t(std::max(0, offsetY)), uint16_t(w->client.width()),
                                     uint16_t(w->client.height()), ~0u);
    Reply<xcb_get_image_reply_t> image(nullptr, &free);
    {
        ReplyBatch batch(x, 3000);
        image = batch.get<xcb_get_image_reply_t>(imageCookie);
    }
    // Freeing a pixmap that was never named only leaves an error event,
    // which the request connection drops.
    xcb_discard_reply(c, nameCookie.sequence);
    xcb_free_pixmap(c, pixmap);
    x.flush();
    m_ctx->drainEvents();
    if (!image)
        return std::nullopt;
    const int width = w->client.width(), height = w->client.height();
    const int bytes = xcb_get_image_data_length(image.get());
    if (bytes < width * height * 4)
        return std::nullopt; // a depth we do not read (not 24/32 bits per pixel)
    if (image->depth == 32)
        return QImage(
            xcb_get_image_data(image.get()), width, height, width * 4, QImage::Format_ARGB32_Premultiplied)
            .copy();
    QImage picture
        = QImage(xcb_get_image_data(image.get()), width, height, width * 4, QImage::Format_RGB32).copy();
    // A pixmap of depth 24 leaves each pixel's fourth byte undefined (zero
    // on Xvfb), while Qt's RGB32 wants it opaque: a painter that copies the
    // pixels into a translucent window would make them invisible.
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] |= 0xff000000u;
    }
    return picture;
}

bool X11WindowServer::activate(quint32 id)
{
    bool failed = false;
    RootState root;
    const auto w = readWindow(m_ctx->x(), id, &root, failed);
    if (!w)
        return false;
    const xcb_timestamp_t time = m_ctx->serverTime();
    m_ctx->drainEvents();
    // The user goes to the window, never the window to the user: some
    // managers (xfwm4 in its stock set-up) pull a window activated from
    // another desktop over to the current one. Switching first leaves them
    // nothing to pull.
    if (w->desktop && *w->desktop != 0xFFFFFFFFu && *w->desktop != root.currentDesktop)
        m_ctx->sendRootMessage(m_ctx->x().root(), m_ctx->x().atoms().netCurrentDesktop, *w->desktop, time);
    m_ctx->sendRootMessage(id, m_ctx->x().atoms().netActiveWindow, kSourcePager, time, 0);
    return true;
}

bool X11WindowServer::minimize(quint32 id)
{
    bool failed = false;
    if (!readWindow(m_ctx->x(), id, nullptr, failed))
        return false;
    m_ctx->sendRootMessage(id, m_ctx->x().atoms().wmChangeState, 3 /* IconicState */);
    return true;
}

std::vector<QImage> X11WindowServer::windowIcons(quint32 id)
{
    if (auto cached = m_ctx->cachedIcons(id))
        return *cached;
    XConnection& x = m_ctx->x();
    // Up to 1 MiB of pictures: a 512-pixel square and a few smaller ones.
    auto cookie = requestProperty(x, id, x.atoms().netWmIcon, XCB_ATOM_CARDINAL, 1u << 18);
    std::vector<quint32> data;
    {
        ReplyBatch batch(x);
        auto reply = batch.get<xcb_get_property_reply_t>(cookie);
        if (batch.failed())
            return {}; // not cached: the display may answer next time
        data = cardinalsProperty(reply.get());
    }
    const std::vector<QImage> icons = decodeNetWmIcon(data);
    m_ctx->cacheIcons(id, icons);
    return icons;
}

bool X11WindowServer::unminimize(quint32 id)
{
    // A pager restores an iconified window by activating it.
    return activate(id);
}

bool X11WindowServer::close(quint32 id)
{
    bool failed = false;
    if (!readWindow(m_ctx->x(), id, nullptr, failed))
        return false;
    const xcb_timestamp_t time = m_ctx->serverTime();
    m_ctx->drainEvents();
    m_ctx->sendRootMessage(id, m_ctx->x().atoms().netCloseWindow, time, kSourcePager);
    return true;
}

bool X11WindowServer::setFullScreen(quint32 id, bool on)
{
    bool failed = false;
    if (!readWindow(m_ctx->x(), id, nullptr, failed))
        return false;
    const Atoms& a = m_ctx->x().atoms();
    m_ctx->sendRootMessage(id, a.netWmState, on ? 1 : 0, a.netWmStateFullscreen, 0, kSourcePager);
    return true;
}

bool X11WindowServer::moveFrame(quint32 id, QPoint topLeft)
{
    bool failed = false;
    if (!readWindow(m_ctx->x(), id, nullptr, failed))
        return false;
    // With north-west gravity the position names the frame's outer corner.
    const quint32 flags = kNorthWestGravity | (1u << 8) | (1u << 9) | (kSourcePager << 12);
    m_ctx->sendRootMessage(id, m_ctx->x().atoms().netMoveresizeWindow, flags, quint32(topLeft.x()),
                           quint32(topLeft.y()));
    return true;
}

bool X11WindowServer::resizeFrame(quint32 id, QSize size)
{
    bool failed = false;
    auto w = readWindow(m_ctx->x(), id, nullptr, failed);
    if (!w)
        return false;
    // The manager sizes the client; the decoration keeps its own size.
    const QSize decoration = w->frame.size() - w->client.size();
    const QSize client = (size - decoration).expandedTo(QSize(1, 1));
    const quint32 flags = kNorthWestGravity | (1u << 10) | (1u << 11) | (kSourcePager << 12);
    m_ctx->sendRootMessage(id, m_ctx->x().atoms().netMoveresizeWindow, flags, 0, 0, quint32(client.width()),
                           quint32(client.height()));
    return true;
}

QPoint X11Pointer::position()
{
    XConnection& x = m_ctx->x();
    auto cookie = xcb_query_pointer(x.raw(), x.root());
    ReplyBatch batch(x);
    auto reply = batch.get<xcb_query_pointer_reply_t>(cookie);
    if (!reply)
        return {};
    return {reply->root_x, reply->root_y};
}

void X11Pointer::warp(QPoint rootPoint)
{
    XConnection& x = m_ctx->x();
    xcb_warp_pointer(x.raw(), XCB_NONE, x.root(), 0, 0, 0, 0, int16_t(rootPoint.x()), int16_t(rootPoint.y()));
    x.flush();
}

} // namespace platform::x11
