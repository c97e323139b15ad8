#include "platform/x11/WindowReader.h"

#include <xcb/res.h>

#include <algorithm>

namespace platform::x11 {
namespace {

struct RootCookies {
    xcb_get_property_cookie_t stacking, clients, active, current, count;
};

RootCookies requestRoot(XConnection& x)
{
    const Atoms& a = x.atoms();
    return {requestProperty(x, x.root(), a.netClientListStacking, XCB_ATOM_WINDOW, 65536),
            requestProperty(x, x.root(), a.netClientList, XCB_ATOM_WINDOW, 65536),
            requestProperty(x, x.root(), a.netActiveWindow, XCB_ATOM_WINDOW, 1),
            requestProperty(x, x.root(), a.netCurrentDesktop, XCB_ATOM_CARDINAL, 1),
            requestProperty(x, x.root(), a.netNumberOfDesktops, XCB_ATOM_CARDINAL, 1)};
}

RootState readRoot(ReplyBatch& batch, const RootCookies& c)
{
    RootState root;
    auto stacking = batch.get<xcb_get_property_reply_t>(c.stacking);
    auto clients = batch.get<xcb_get_property_reply_t>(c.clients);
    auto active = batch.get<xcb_get_property_reply_t>(c.active);
    auto current = batch.get<xcb_get_property_reply_t>(c.current);
    auto count = batch.get<xcb_get_property_reply_t>(c.count);
    // A manager without the stacking list still lists its clients (in
    // mapping order, the best order it offers).
    std::vector<quint32> ids = cardinalsProperty(stacking.get());
    if (ids.empty())
        ids = cardinalsProperty(clients.get());
    for (quint32 w : ids)
        root.stacking.push_back(w);
    if (auto a = cardinalProperty(active.get()); a && *a != 0)
        root.active = *a;
    root.currentDesktop = cardinalProperty(current.get()).value_or(0);
    root.desktopCount = std::max<quint32>(1, cardinalProperty(count.get()).value_or(1));
    return root;
}

struct WindowCookies {
    xcb_window_t id;
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t position;
    xcb_get_property_cookie_t pid, wmClass, netName, name, type, state, wmState, desktop, extents, transient,
        opacity, strut, strutPartial;
};

WindowCookies requestWindow(XConnection& x, xcb_window_t w)
{
    const Atoms& a = x.atoms();
    xcb_connection_t* c = x.raw();
    WindowCookies k;
    k.id = w;
    k.attributes = xcb_get_window_attributes(c, w);
    k.geometry = xcb_get_geometry(c, w);
    k.position = xcb_translate_coordinates(c, w, x.root(), 0, 0);
    k.pid = requestProperty(x, w, a.netWmPid, XCB_ATOM_CARDINAL, 1);
    k.wmClass = requestProperty(x, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256);
    // Asked for any type: some clients (xdotool among them) write the EWMH
    // title as STRING rather than UTF8_STRING; textProperty decodes by type.
    k.netName = requestProperty(x, w, a.netWmName, XCB_ATOM_ANY, 1024);
    k.name = requestProperty(x, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 1024);
    k.type = requestProperty(x, w, a.netWmWindowType, XCB_ATOM_ATOM, 32);
    k.state = requestProperty(x, w, a.netWmState, XCB_ATOM_ATOM, 32);
    k.wmState = requestProperty(x, w, a.wmState, a.wmState, 2);
    k.desktop = requestProperty(x, w, a.netWmDesktop, XCB_ATOM_CARDINAL, 1);
    k.extents = requestProperty(x, w, a.netFrameExtents, XCB_ATOM_CARDINAL, 4);
    k.transient = requestProperty(x, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 1);
    k.opacity = requestProperty(x, w, a.netWmWindowOpacity, XCB_ATOM_CARDINAL, 1);
    k.strut = requestProperty(x, w, a.netWmStrut, XCB_ATOM_CARDINAL, 4);
    k.strutPartial = requestProperty(x, w, a.netWmStrutPartial, XCB_ATOM_CARDINAL, 12);
    return k;
}

WindowKind kindOf(const Atoms& a, const std::vector<quint32>& types, bool transient)
{
    // The first type the window names that we know wins, as EWMH orders them
    // by preference.
    for (quint32 t : types) {
        if (t == a.typeNormal) return WindowKind::normal;
        if (t == a.typeDialog) return WindowKind::dialog;
        if (t == a.typeUtility) return WindowKind::utility;
        if (t == a.typeToolbar) return WindowKind::toolbar;
        if (t == a.typeMenu) return WindowKind::menu;
        if (t == a.typeSplash) return WindowKind::splash;
        if (t == a.typeDock) return WindowKind::dock;
        if (t == a.typeDesktop) return WindowKind::desktop;
        if (t == a.typeNotification) return WindowKind::notification;
        if (t == a.typeDropdownMenu || t == a.typePopupMenu || t == a.typeTooltip || t == a.typeCombo
            || t == a.typeDnd)
            return WindowKind::other;
    }
    return transient ? WindowKind::dialog : WindowKind::normal;
}

// Reads every reply of one window; absent when the window is gone.
std::optional<ServerWindow> readReplies(XConnection& x, ReplyBatch& batch, const WindowCookies& k,
                                        const RootState& root)
{
    const Atoms& a = x.atoms();
    auto attributes = batch.get<xcb_get_window_attributes_reply_t>(k.attributes);
    auto geometry = batch.get<xcb_get_geometry_reply_t>(k.geometry);
    auto position = batch.get<xcb_translate_coordinates_reply_t>(k.position);
    auto pid = batch.get<xcb_get_property_reply_t>(k.pid);
    auto wmClass = batch.get<xcb_get_property_reply_t>(k.wmClass);
    auto netName = batch.get<xcb_get_property_reply_t>(k.netName);
    auto name = batch.get<xcb_get_property_reply_t>(k.name);
    auto type = batch.get<xcb_get_property_reply_t>(k.type);
    auto state = batch.get<xcb_get_property_reply_t>(k.state);
    auto wmState = batch.get<xcb_get_property_reply_t>(k.wmState);
    auto desktop = batch.get<xcb_get_property_reply_t>(k.desktop);
    auto extents = batch.get<xcb_get_property_reply_t>(k.extents);
    auto transient = batch.get<xcb_get_property_reply_t>(k.transient);
    auto opacity = batch.get<xcb_get_property_reply_t>(k.opacity);
    auto strut = batch.get<xcb_get_property_reply_t>(k.strut);
    auto strutPartial = batch.get<xcb_get_property_reply_t>(k.strutPartial);
    if (!attributes || !geometry || !position)
        return std::nullopt; // BadWindow: it vanished between the list and the read

    ServerWindow w;
    w.id = k.id;
    w.pid = qint32(cardinalProperty(pid.get()).value_or(0));
    std::tie(w.instanceName, w.className) = classProperty(wmClass.get());
    w.title = titleProperty(netName.get(), name.get(), a);
    w.transientFor = cardinalProperty(transient.get()).value_or(0);
    w.kind = kindOf(a, cardinalsProperty(type.get()), w.transientFor != 0);
    for (quint32 s : cardinalsProperty(state.get())) {
        if (s == a.netWmStateHidden) w.minimized = true;
        else if (s == a.netWmStateFullscreen) w.fullScreen = true;
        else if (s == a.netWmStateSkipTaskbar) w.skipTaskbar = true;
        else if (s == a.netWmStateAbove) w.above = true;
        else if (s == a.netWmStateBelow) w.below = true;
    }
    for (const auto* reserve : { strut.get(), strutPartial.get() })
        for (quint32 edge : cardinalsProperty(reserve))
            w.reservesEdge = w.reservesEdge || edge != 0;
    if (cardinalProperty(wmState.get()).value_or(1) == 3 /* IconicState */)
        w.minimized = true;
    w.desktop = cardinalProperty(desktop.get());
    if (auto o = cardinalProperty(opacity.get()))
        w.opacity = double(*o) / double(0xFFFFFFFFu);
    w.mapped = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    const bool onDesktop = !w.desktop || *w.desktop == 0xFFFFFFFFu || *w.desktop == root.currentDesktop;
    w.onScreen = w.mapped && !w.minimized && onDesktop;
    w.client = QRect(position->dst_x, position->dst_y, geometry->width, geometry->height);
    const auto e = cardinalsProperty(extents.get()); // left, right, top, bottom
    if (e.size() == 4)
        w.frame = w.client.adjusted(-int(e[0]), -int(e[2]), int(e[1]), int(e[3]));
    else
        w.frame = w.client;
    return w;
}

// Windows that do not name their process: the server knows which local
// process opened the client's connection. One more round trip, only when
// such windows exist.
bool fillMissingPids(XConnection& x, const std::vector<ServerWindow*>& windows)
{
    if (windows.empty() || !x.hasResourceExtension())
        return true;
    std::vector<xcb_res_query_client_ids_cookie_t> cookies;
    for (ServerWindow* w : windows) {
        const xcb_res_client_id_spec_t spec{w->id, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        cookies.push_back(xcb_res_query_client_ids(x.raw(), 1, &spec));
    }
    ReplyBatch batch(x);
    for (size_t i = 0; i < windows.size(); ++i) {
        auto owner = batch.get<xcb_res_query_client_ids_reply_t>(cookies[i]);
        if (!owner)
            continue;
        for (auto it = xcb_res_query_client_ids_ids_iterator(owner.get()); it.rem; xcb_res_client_id_value_next(&it))
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
                && xcb_res_client_id_value_value_length(it.data) >= 1)
                windows[i]->pid = qint32(*xcb_res_client_id_value_value(it.data));
    }
    return !batch.failed();
}

} // namespace

const ServerWindow* Snapshot::find(quint32 id) const
{
    auto it = std::find_if(windows.begin(), windows.end(), [id](const ServerWindow& w) { return w.id == id; });
    return it == windows.end() ? nullptr : &*it;
}

bool isListed(const ServerWindow& w, qint32 ownPid)
{
    return w.pid != ownPid && w.kind != WindowKind::dock && w.kind != WindowKind::desktop && !w.skipTaskbar;
}

std::optional<RootState> readRootState(XConnection& x)
{
    const RootCookies rc = requestRoot(x);
    ReplyBatch batch(x);
    RootState root = readRoot(batch, rc);
    if (batch.failed())
        return std::nullopt;
    return root;
}

std::vector<ServerWindow> readWindows(
    XConnection& x, const std::vector<xcb_window_t>& ids, const RootState& root, bool& failed)
{
    failed = false;
    std::vector<ServerWindow> windows;
    if (ids.empty())
        return windows;
    std::vector<WindowCookies> cookies;
    cookies.reserve(ids.size());
    for (xcb_window_t w : ids)
        cookies.push_back(requestWindow(x, w));
    ReplyBatch batch(x);
    for (const WindowCookies& k : cookies)
        if (auto w = readReplies(x, batch, k, root))
            windows.push_back(std::move(*w));
    failed = batch.failed();
    if (failed)
        return {};
    std::vector<ServerWindow*> unnamed;
    for (ServerWindow& w : windows)
        if (w.pid == 0)
            unnamed.push_back(&w);
    failed = !fillMissingPids(x, unnamed);
    return failed ? std::vector<ServerWindow>() : windows;
}

bool windowExists(XConnection& x, quint32 id, bool& failed)
{
    const auto cookie = xcb_get_window_attributes(x.raw(), id);
    ReplyBatch batch(x);
    const auto attributes = batch.get<xcb_get_window_attributes_reply_t>(cookie);
    failed = batch.failed();
    return !failed && attributes;
}

std::optional<std::optional<QString>> readWindowTitle(XConnection& x, quint32 id, bool& failed)
{
    const Atoms& a = x.atoms();
    const auto attributesCookie = xcb_get_window_attributes(x.raw(), id);
    const auto netNameCookie = requestProperty(x, id, a.netWmName, XCB_ATOM_ANY, 1024);
    const auto nameCookie = requestProperty(x, id, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 1024);
    ReplyBatch batch(x);
    const auto attributes = batch.get<xcb_get_window_attributes_reply_t>(attributesCookie);
    const auto netName = batch.get<xcb_get_property_reply_t>(netNameCookie);
    const auto name = batch.get<xcb_get_property_reply_t>(nameCookie);
    failed = batch.failed();
    if (failed || !attributes)
        return std::nullopt;
    return titleProperty(netName.get(), name.get(), a);
}

Snapshot readSnapshot(XConnection& x, qint32 /*ownPid*/)
{
    Snapshot snap;
    const std::optional<RootState> root = readRootState(x);
    if (!root) {
        snap.failed = true;
        return snap;
    }
    snap.root = *root;
    snap.windows = readWindows(x, snap.root.stacking, snap.root, snap.failed);
    return snap;
}

std::optional<ServerWindow> readWindow(XConnection& x, quint32 id, RootState* root, bool& failed)
{
    const RootCookies rc = requestRoot(x);
    const WindowCookies k = requestWindow(x, id);
    ReplyBatch batch(x);
    RootState state = readRoot(batch, rc);
    auto w = readReplies(x, batch, k, state);
    failed = batch.failed();
    if (root)
        *root = state;
    if (failed)
        return std::nullopt;
    if (w && w->pid == 0)
        failed = !fillMissingPids(x, {&*w});
    return failed ? std::nullopt : w;
}

} // namespace platform::x11
