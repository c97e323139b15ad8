#include "platform/x11/X11ReserveWatch.h"

#include "platform/Logging.h"
#include "platform/PanelReserve.h"
#include "platform/x11/XConnection.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <xcb/randr.h>

#include <algorithm>
#include <map>
#include <set>

namespace platform::x11 {

std::vector<QRect> monitorPlaces(XConnection& x)
{
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(x.raw(), &xcb_randr_id);
    if (!randr || !randr->present)
        return {};
    auto monitors = x.reply<xcb_randr_get_monitors_reply_t>(xcb_randr_get_monitors(x.raw(), x.root(), 1));
    std::vector<QRect> places;
    if (!monitors)
        return places;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
         xcb_randr_monitor_info_next(&it))
        places.emplace_back(it.data->x, it.data->y, it.data->width, it.data->height);
    return places;
}

namespace {

    std::vector<uint32_t> cardinals(xcb_get_property_reply_t* reply)
    {
        if (!reply || reply->format != 32 || reply->type != XCB_ATOM_CARDINAL)
            return {};
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        return std::vector<uint32_t>(data, data + xcb_get_property_value_length(reply) / 4);
    }

    // The edges a strut (_NET_WM_STRUT_PARTIAL, else _NET_WM_STRUT, which
    // spans its whole edge) reserves on a root of `width` x `height`.
    void appendStrutEdges(const std::vector<uint32_t>& partial, const std::vector<uint32_t>& plain, int width,
        int height, std::vector<ReservedEdge>& out)
    {
        const bool isPartial = partial.size() >= 12;
        const std::vector<uint32_t>& v = isPartial ? partial : plain;
        if (v.size() < 4)
            return;
        for (int side = 0; side < 4; ++side) {
            if (v[size_t(side)] == 0)
                continue;
            ReservedEdge edge;
            edge.side = ReservedEdge::Side(side);
            edge.thickness = int(std::min<uint32_t>(v[size_t(side)], uint32_t(std::max(width, height))));
            const bool vertical = side < 2; // left and right run along y
            edge.start = isPartial ? int(v[size_t(4 + 2 * side)]) : 0;
            edge.end = isPartial ? int(v[size_t(5 + 2 * side)]) : (vertical ? height : width) - 1;
            out.push_back(edge);
        }
    }

    // Each panel's reserve on the screens its window stands on, as where
    // the window stands says (PanelReserve.h). `owners[i]` reserved `edges[i]`.
    void followPanelsPlaces(XConnection& x, const QSize& root, const std::vector<QRect>& screens,
        const std::vector<xcb_window_t>& owners, std::vector<ReservedEdge>& edges)
    {
        // On one screen the root's edges are the screen's.
        if (owners.empty() || screens.size() < 2)
            return;
        xcb_connection_t* c = x.raw();
        struct Place {
            xcb_translate_coordinates_cookie_t origin;
            xcb_get_geometry_cookie_t geometry;
        };
        std::vector<Place> cookies;
        for (const xcb_window_t w : owners)
            cookies.push_back({ xcb_translate_coordinates(c, w, x.root(), 0, 0), xcb_get_geometry(c, w) });
        std::vector<QRect> windows;
        {
            ReplyBatch batch(x);
            for (const Place& cookie : cookies) {
                auto origin = batch.get<xcb_translate_coordinates_reply_t>(cookie.origin);
                auto geometry = batch.get<xcb_get_geometry_reply_t>(cookie.geometry);
                // A window gone meanwhile: its reserve is read again once
                // its going is heard.
                if (!origin || !geometry) {
                    windows.emplace_back();
                    continue;
                }
                // The origin is inside the border; the panel covers it too.
                const int border = geometry->border_width;
                windows.emplace_back(origin->dst_x - border, origin->dst_y - border,
                    geometry->width + 2 * border, geometry->height + 2 * border);
            }
        }
        for (size_t i = 0; i < edges.size(); ++i) {
            const ReservedEdge followed = reserveWherePanelStands(edges[i], windows[i], root, screens);
            if (followed.thickness != edges[i].thickness || followed.start != edges[i].start
                || followed.end != edges[i].end)
                qCDebug(lcPlatform) << "a panel at" << windows[i] << "reserves" << edges[i].thickness
                                    << "from the root's edge; it stands on a screen's edge, so"
                                    << followed.thickness << "over" << followed.start << ".." << followed.end
                                    << "on" << followed.within;
            edges[i] = followed;
        }
    }

} // namespace

std::optional<ReservedEdge> managersPanelEdge(
    const TopLevelWindow& window, const QSize& root, const std::vector<QRect>& screens)
{
    if (!window.managers || !window.overrideRedirect || window.holdsClient)
        return std::nullopt;
    QRect screen(QPoint(0, 0), root);
    if (screens.size() >= 2) {
        const QPoint centre = window.outer.center();
        const auto on = std::find_if(
            screens.begin(), screens.end(), [&centre](const QRect& s) { return s.contains(centre); });
        if (on != screens.end())
            screen = *on;
    }
    std::optional<ReservedEdge> edge
        = barAlongRootEdge(window.outer.translated(-screen.topLeft()), screen.size());
    if (!edge)
        return std::nullopt;
    // Back to the root's coordinates, as a panel would announce the rows
    // it covers; where its screen's edge is not the root's, the panel's
    // place decides, as for every other panel.
    const bool acrossColumns
        = edge->side == ReservedEdge::Side::top || edge->side == ReservedEdge::Side::bottom;
    const int along = acrossColumns ? screen.left() : screen.top();
    edge->start += along;
    edge->end += along;
    return reserveWherePanelStands(*edge, window.outer, root, screens);
}

std::optional<ReservedEdge> barAlongRootEdge(const QRect& window, const QSize& root)
{
    // A bar along the top or the bottom; one along a side is the same
    // transposed.
    const auto along = [](const QRect& bar, const QSize& area, ReservedEdge::Side near,
                           ReservedEdge::Side far) -> std::optional<ReservedEdge> {
        if (bar.isEmpty() || area.isEmpty() || bar.width() < 3 * bar.height()
            || bar.height() > area.height() / 4)
            return std::nullopt;
        if (bar.bottom() == area.height() - 1)
            return ReservedEdge { far, area.height() - bar.top(), bar.left(), bar.right() };
        if (bar.top() == 0)
            return ReservedEdge { near, bar.bottom() + 1, bar.left(), bar.right() };
        return std::nullopt;
    };
    if (std::optional<ReservedEdge> edge
        = along(window, root, ReservedEdge::Side::top, ReservedEdge::Side::bottom))
        return edge;
    return along(QRect(window.y(), window.x(), window.height(), window.width()), root.transposed(),
        ReservedEdge::Side::left, ReservedEdge::Side::right);
}

// Panels are managed clients (most) or windows the window manager keeps
// for itself, nested in frames of its own (icewm's taskbar sits three
// levels down). So the clients are read, and the tree down to three
// levels, not entering frames that hold a client.
std::vector<ReservedEdge> readOtherReservedEdgesNow(XConnection& x,
    const std::function<void(const std::vector<xcb_window_t>&)>& beforeRead,
    std::vector<xcb_window_t>* reserving)
{
    xcb_connection_t* c = x.raw();
    const xcb_window_t root = x.root();
    const std::vector<xcb_atom_t> struts = x.internAtoms({ "_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT" });
    const xcb_atom_t partialAtom = struts[0];
    const xcb_atom_t plainAtom = struts[1];
    const xcb_atom_t pidAtom = x.atoms().netWmPid;
    const xcb_atom_t clientListAtom = x.atoms().netClientList;
    if (partialAtom == XCB_ATOM_NONE || plainAtom == XCB_ATOM_NONE)
        return {};
    const xcb_atom_t checkAtom = x.atom("_NET_SUPPORTING_WM_CHECK");
    const auto geometryCookie = xcb_get_geometry(c, root);
    const auto clientListCookie = xcb_get_property(c, 0, root, clientListAtom, XCB_ATOM_WINDOW, 0, 65536);
    const auto checkCookie = xcb_get_property(c, 0, root, checkAtom, XCB_ATOM_WINDOW, 0, 1);
    ReplyBatch rootReads(x);
    auto rootGeometry = rootReads.get<xcb_get_geometry_reply_t>(geometryCookie);
    auto clientList = rootReads.get<xcb_get_property_reply_t>(clientListCookie);
    auto check = rootReads.get<xcb_get_property_reply_t>(checkCookie);
    if (!rootGeometry)
        return {};
    std::vector<xcb_window_t> clients;
    if (clientList && clientList->format == 32) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(clientList.get()));
        clients.assign(ids, ids + xcb_get_property_value_length(clientList.get()) / 4);
    }
    const auto isClient = [&clients](xcb_window_t w) {
        return std::find(clients.begin(), clients.end(), w) != clients.end();
    };
    // The window manager's own windows: every id a client makes carries
    // that client's base, and the manager made its check window.
    const uint32_t idMask = xcb_get_setup(c)->resource_id_mask;
    std::optional<uint32_t> managerBase;
    if (check && check->format == 32 && xcb_get_property_value_length(check.get()) >= 4)
        managerBase = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get())) & ~idMask;
    const auto isManagers = [&](xcb_window_t w) { return managerBase && (w & ~idMask) == *managerBase; };
    std::vector<xcb_window_t> rootChildren;
    // The root's children that hold a client, or a window of ours, somewhere
    // below: frames (fluxbox's and icewm's are the manager's own
    // override-redirect windows), never a panel, whatever their shape.
    std::set<xcb_window_t> framing;
    std::map<xcb_window_t, xcb_window_t> topOf; // the root's child each window read lies in

    // Every window to read, each once: the clients, then the tree.
    std::vector<xcb_window_t> candidates = clients;
    std::vector<xcb_window_t> level { root };
    for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (xcb_window_t w : level)
            cookies.push_back(xcb_query_tree(c, w));
        std::vector<xcb_window_t> next;
        ReplyBatch trees(x);
        for (size_t at = 0; at < cookies.size(); ++at) {
            auto tree = trees.get<xcb_query_tree_reply_t>(cookies[at]);
            if (!tree)
                continue;
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            const int count = xcb_query_tree_children_length(tree.get());
            const bool frame = depth > 0 && std::any_of(children, children + count, isClient);
            if (frame)
                framing.insert(topOf[level[at]]);
            for (int i = 0; i < count && !frame; ++i) {
                if (isClient(children[i]))
                    continue;
                candidates.push_back(children[i]);
                next.push_back(children[i]);
                topOf[children[i]] = depth == 0 ? children[i] : topOf[level[at]];
                if (depth == 0)
                    rootChildren.push_back(children[i]);
            }
        }
        level = std::move(next);
    }

    if (beforeRead)
        beforeRead(candidates);

    struct Reads {
        xcb_window_t window;
        xcb_get_property_cookie_t partial, plain, pid;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Reads> reads;
    reads.reserve(candidates.size());
    for (xcb_window_t w : candidates)
        reads.push_back({ w, xcb_get_property(c, 0, w, partialAtom, XCB_ATOM_CARDINAL, 0, 12),
            xcb_get_property(c, 0, w, plainAtom, XCB_ATOM_CARDINAL, 0, 4),
            xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), xcb_get_window_attributes(c, w) });
    const uint32_t ownPid = uint32_t(QCoreApplication::applicationPid());
    std::vector<ReservedEdge> edges;
    std::vector<xcb_window_t> owners; // of each strut edge
    // The manager's windows that stand on their own (override-redirect, at
    // the top of the tree): where one is a panel, its place is its reserve.
    std::vector<xcb_window_t> ownPanels;
    ReplyBatch batch(x);
    for (const Reads& r : reads) {
        auto partial = batch.get<xcb_get_property_reply_t>(r.partial);
        auto plain = batch.get<xcb_get_property_reply_t>(r.plain);
        auto pid = batch.get<xcb_get_property_reply_t>(r.pid);
        auto attributes = batch.get<xcb_get_window_attributes_reply_t>(r.attributes);
        const std::vector<uint32_t> pids = cardinals(pid.get());
        const bool own = !pids.empty() && pids.front() == ownPid;
        // A bar of ours that is no client of the manager's is found in the
        // tree, under its frame.
        if (own && topOf.count(r.window))
            framing.insert(topOf[r.window]);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || own)
            continue;
        if (attributes->override_redirect && isManagers(r.window)
            && std::find(rootChildren.begin(), rootChildren.end(), r.window) != rootChildren.end())
            ownPanels.push_back(r.window);
        const size_t before = edges.size();
        appendStrutEdges(cardinals(partial.get()), cardinals(plain.get()), rootGeometry->width,
            rootGeometry->height, edges);
        owners.resize(edges.size(), r.window);
        if (reserving && edges.size() > before)
            reserving->push_back(r.window);
    }
    const QSize rootSize(rootGeometry->width, rootGeometry->height);
    const std::vector<QRect> screens
        = owners.empty() && ownPanels.empty() ? std::vector<QRect>() : monitorPlaces(x);
    followPanelsPlaces(x, rootSize, screens, owners, edges);
    std::vector<xcb_get_geometry_cookie_t> panelCookies;
    for (const xcb_window_t w : ownPanels)
        panelCookies.push_back(xcb_get_geometry(c, w));
    ReplyBatch panelReads(x);
    for (size_t i = 0; i < ownPanels.size(); ++i) {
        auto geometry = panelReads.get<xcb_get_geometry_reply_t>(panelCookies[i]);
        if (!geometry)
            continue;
        const int border = geometry->border_width;
        TopLevelWindow window;
        window.outer
            = QRect(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border);
        window.managers = true;
        window.overrideRedirect = true;
        window.holdsClient = framing.count(ownPanels[i]) > 0;
        if (const std::optional<ReservedEdge> edge = managersPanelEdge(window, rootSize, screens)) {
            edges.push_back(*edge);
            if (reserving)
                reserving->push_back(ownPanels[i]);
        }
    }
    return edges;
}

ReserveWatch* ReserveWatch::shared()
{
    static ReserveWatch* watch = []() -> ReserveWatch* {
        QString error;
        std::unique_ptr<XConnection> x = XConnection::open(qgetenv("DISPLAY"), &error);
        if (!x) {
            qCWarning(lcPlatform) << "other panels' reserves are read only as the bars are built:" << error;
            return nullptr;
        }
        // Lives for the whole process, like the bars that ask it.
        return new ReserveWatch(std::move(x));
    }();
    return watch;
}

ReserveWatch::ReserveWatch(std::unique_ptr<XConnection> connection)
    : m_x(std::move(connection))
{
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_x->raw(), m_x->root(), XCB_CW_EVENT_MASK, &rootMask);
    // The screens' own changes, heard here too: Qt can miss one in a mode
    // switch (a screen moved while another changed its mode), and then
    // reports nothing at all.
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(m_x->raw(), &xcb_randr_id);
    if (randr && randr->present) {
        auto version = m_x->reply<xcb_randr_query_version_reply_t>(xcb_randr_query_version(m_x->raw(), 1, 5));
        if (version && (version->major_version > 1 || version->minor_version >= 2)) {
            m_randrFirstEvent = randr->first_event;
            xcb_randr_select_input(m_x->raw(), m_x->root(),
                XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE
                    | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        }
    }
    m_x->flush();
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->raw()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ReserveWatch::readEvents);
    m_settle.setSingleShot(true);
    m_settle.setInterval(100);
    connect(&m_settle, &QTimer::timeout, this, &ReserveWatch::readNow);
    m_edges = readOtherReservedEdgesNow(
        *m_x, [this](const std::vector<xcb_window_t>& windows) { follow(windows); }, &m_reserving);
}

ReserveWatch::~ReserveWatch()
{
    delete m_notifier; // before the connection closes its socket
}

void ReserveWatch::follow(const std::vector<xcb_window_t>& windows)
{
    // Selected before their struts are read: a strut written after the
    // read is heard.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (const xcb_window_t w : windows) {
        if (m_followed.insert(w).second)
            xcb_change_window_attributes(m_x->raw(), w, XCB_CW_EVENT_MASK, &mask);
    }
}

void ReserveWatch::readNow()
{
    if (m_x->lost())
        return;
    std::vector<xcb_window_t> reserving;
    std::vector<ReservedEdge> edges = readOtherReservedEdgesNow(
        *m_x, [this](const std::vector<xcb_window_t>& windows) { follow(windows); }, &reserving);
    m_reserving = std::move(reserving);
    const bool screens = std::exchange(m_screensChanged, false);
    if (edges == m_edges && !screens)
        return;
    if (edges != m_edges)
        qCDebug(lcPlatform) << "other panels now reserve" << edges.size() << "edges";
    if (screens)
        qCDebug(lcPlatform) << "the screens changed";
    m_edges = std::move(edges);
    emit changed();
}

void ReserveWatch::readEvents()
{
    const xcb_atom_t partial = m_x->atoms().netWmStrutPartial;
    const xcb_atom_t plain = m_x->atoms().netWmStrut;
    const xcb_atom_t clientList = m_x->atoms().netClientList;
    const xcb_atom_t workArea = m_x->atom("_NET_WORKAREA");
    const auto held = [this](xcb_window_t w) {
        return std::find(m_reserving.begin(), m_reserving.end(), w) != m_reserving.end();
    };
    bool again = false;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(m_x->raw())) {
        Reply<xcb_generic_event_t> owned(ev, &free);
        switch (ev->response_type & 0x7f) {
        case XCB_MAP_NOTIFY:
            // Menus and tooltips (override-redirect) reserve nothing.
            again |= !reinterpret_cast<xcb_map_notify_event_t*>(ev)->override_redirect;
            break;
        case XCB_UNMAP_NOTIFY:
            again |= held(reinterpret_cast<xcb_unmap_notify_event_t*>(ev)->window);
            break;
        case XCB_REPARENT_NOTIFY:
            // A window manager taking over the clients.
            again = true;
            break;
        case XCB_CONFIGURE_NOTIFY:
            // A panel moved: where it stands may decide its reserve.
            again |= held(reinterpret_cast<xcb_configure_notify_event_t*>(ev)->window);
            break;
        case XCB_DESTROY_NOTIFY: {
            const xcb_window_t w = reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window;
            again |= held(w);
            m_followed.erase(w);
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
            if (p->window == m_x->root())
                again |= p->atom == clientList || p->atom == workArea;
            else
                again |= p->atom == partial || p->atom == plain;
            break;
        }
        default:
            if (m_randrFirstEvent
                && ((ev->response_type & 0x7f) == m_randrFirstEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY
                    || (ev->response_type & 0x7f) == m_randrFirstEvent + XCB_RANDR_NOTIFY)) {
                m_screensChanged = true;
                again = true;
            }
            break;
        }
    }
    if (m_x->lost() && m_notifier->isEnabled()) {
        m_notifier->setEnabled(false);
        qCWarning(lcPlatform) << "the X connection that follows other panels is lost";
        return;
    }
    if (again && !m_settle.isActive())
        m_settle.start();
}

} // namespace platform::x11
