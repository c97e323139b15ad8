#include "platform/x11/X11DockWindowHints.h"

#include "platform/x11/XConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::x11 {

namespace {

    Q_LOGGING_CATEGORY(lcDockHints, "orbitshelf.platform")

    std::vector<xcb_atom_t> atomList(XConnection& x, xcb_window_t window, xcb_atom_t property)
    {
        std::vector<xcb_atom_t> atoms;
        auto reply = x.reply<xcb_get_property_reply_t>(
            xcb_get_property(x.raw(), 0, window, property, XCB_ATOM_ATOM, 0, 64));
        if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
            atoms.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
        }
        return atoms;
    }

    // Without a compositing manager an ARGB window's transparent pixels show as
    // black: its shape must then hold only what it draws opaque.
    bool compositorRuns(XConnection& x)
    {
        const xcb_atom_t selection = x.atom("_NET_WM_CM_S0");
        if (selection == XCB_ATOM_NONE)
            return false;
        auto owner = x.reply<xcb_get_selection_owner_reply_t>(xcb_get_selection_owner(x.raw(), selection));
        return owner && owner->owner != XCB_WINDOW_NONE;
    }

    void markDock(QWindow* window)
    {
        XConnection* x = XConnection::ofApplication();
        if (!x || !window)
            return;
        xcb_connection_t* c = x->raw();
        // Qt 6.4 writes _NET_WM_WINDOW_TYPE when it creates the native window
        // and drops what was set before; set after winId() and before show(),
        // the type survives and the window manager reads it on map.
        const xcb_window_t id = xcb_window_t(window->winId());
        const xcb_atom_t windowType = x->atoms().netWmWindowType;
        const xcb_atom_t dockType = x->atoms().typeDock;
        const xcb_atom_t state = x->atoms().netWmState;
        const xcb_atom_t desktop = x->atoms().netWmDesktop;
        if (windowType == XCB_ATOM_NONE || dockType == XCB_ATOM_NONE || state == XCB_ATOM_NONE) {
            qCWarning(lcDockHints)
                << "the X server cannot name the dock window atoms; the bar is an ordinary window";
            return;
        }
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, windowType, XCB_ATOM_ATOM, 32, 1, &dockType);

        std::vector<xcb_atom_t> states = atomList(*x, id, state);
        const std::vector<xcb_atom_t> wanted = x->internAtoms({ "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_STICKY",
            "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" });
        for (const xcb_atom_t atom : wanted) {
            if (atom != XCB_ATOM_NONE && std::find(states.begin(), states.end(), atom) == states.end())
                states.push_back(atom);
        }
        xcb_change_property(
            c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, uint32_t(states.size()), states.data());
        if (desktop != XCB_ATOM_NONE) {
            const uint32_t allDesktops = 0xFFFFFFFF;
            xcb_change_property(
                c, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
        }
        xcb_flush(c);
    }

    std::vector<xcb_rectangle_t> shapeRectangles(const QRegion& region, qreal ratio)
    {
        std::vector<xcb_rectangle_t> rectangles;
        for (const QRect& r : region) {
            const int x = int(std::floor(r.x() * ratio));
            const int y = int(std::floor(r.y() * ratio));
            const int right = int(std::ceil((r.x() + r.width()) * ratio));
            const int bottom = int(std::ceil((r.y() + r.height()) * ratio));
            rectangles.push_back({ int16_t(x), int16_t(y), uint16_t(std::max(0, right - x)),
                uint16_t(std::max(0, bottom - y)) });
        }
        return rectangles;
    }

    void setShape(QWindow* window, const QRegion& input, const QRegion& shown)
    {
        XConnection* x = XConnection::ofApplication();
        if (!x || !window || !window->handle())
            return;
        xcb_connection_t* c = x->raw();
        if (!x->hasShapeExtension()) {
            static bool warned = false;
            if (!warned) {
                warned = true;
                qCWarning(lcDockHints)
                    << "the X server has no SHAPE extension; dock windows take every click";
            }
            return;
        }
        const qreal ratio = window->devicePixelRatio();
        const xcb_window_t id = xcb_window_t(window->winId());
        const std::vector<xcb_rectangle_t> inputRectangles = shapeRectangles(input, ratio);
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
            uint32_t(inputRectangles.size()), inputRectangles.data());
        // Set with a compositor too: a window without a bounding shape of its
        // own gets a shadow along its whole frame from some (xfwm4's draws
        // one for every unshaped dock window), far from what it draws.
        const std::vector<xcb_rectangle_t> shownRectangles = shapeRectangles(shown, ratio);
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
            uint32_t(shownRectangles.size()), shownRectangles.data());
        xcb_flush(c);
    }

    void reserveEdge(QWindow* window, const std::optional<ReservedEdge>& edge)
    {
        XConnection* x = XConnection::ofApplication();
        if (!x || !window || !window->handle())
            return;
        xcb_connection_t* c = x->raw();
        const xcb_window_t id = xcb_window_t(window->winId());
        const std::vector<xcb_atom_t> struts = x->internAtoms({ "_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT" });
        const xcb_atom_t partial = struts[0];
        const xcb_atom_t plain = struts[1];
        if (partial == XCB_ATOM_NONE || plain == XCB_ATOM_NONE)
            return;
        if (!edge || edge->thickness <= 0) {
            xcb_delete_property(c, id, partial);
            xcb_delete_property(c, id, plain);
            xcb_flush(c);
            return;
        }
        const qreal ratio = window->devicePixelRatio();
        const auto pixels
            = [ratio](int points) { return uint32_t(std::max(0L, std::lround(points * ratio))); };
        // EWMH order: left, right, top, bottom, then each edge's start and end.
        const int side = int(edge->side);
        uint32_t values[12] = {};
        values[side] = pixels(edge->thickness);
        values[4 + 2 * side] = pixels(edge->start);
        values[5 + 2 * side] = pixels(edge->end);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, partial, XCB_ATOM_CARDINAL, 32, 12, values);
        // Older window managers read only the four widths.
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, plain, XCB_ATOM_CARDINAL, 32, 4, values);
        xcb_flush(c);
    }

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

    // Panels are managed clients (most) or windows the window manager keeps
    // for itself, nested in frames of its own (icewm's taskbar sits three
    // levels down). So the clients are read, and the tree down to three
    // levels, not entering frames that hold a client.
    std::vector<ReservedEdge> readOtherReservedEdgesNow(XConnection& x)
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
        const auto geometryCookie = xcb_get_geometry(c, root);
        const auto clientListCookie = xcb_get_property(c, 0, root, clientListAtom, XCB_ATOM_WINDOW, 0, 65536);
        ReplyBatch rootReads(x);
        auto rootGeometry = rootReads.get<xcb_get_geometry_reply_t>(geometryCookie);
        auto clientList = rootReads.get<xcb_get_property_reply_t>(clientListCookie);
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

        // Every window to read, each once: the clients, then the tree.
        std::vector<xcb_window_t> candidates = clients;
        std::vector<xcb_window_t> level { root };
        for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
            std::vector<xcb_query_tree_cookie_t> cookies;
            for (xcb_window_t w : level)
                cookies.push_back(xcb_query_tree(c, w));
            std::vector<xcb_window_t> next;
            ReplyBatch trees(x);
            for (xcb_query_tree_cookie_t cookie : cookies) {
                auto tree = trees.get<xcb_query_tree_reply_t>(cookie);
                if (!tree)
                    continue;
                const xcb_window_t* children = xcb_query_tree_children(tree.get());
                const int count = xcb_query_tree_children_length(tree.get());
                const bool frame = depth > 0 && std::any_of(children, children + count, isClient);
                for (int i = 0; i < count && !frame; ++i) {
                    if (isClient(children[i]))
                        continue;
                    candidates.push_back(children[i]);
                    next.push_back(children[i]);
                }
            }
            level = std::move(next);
        }

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
                xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                xcb_get_window_attributes(c, w) });
        const uint32_t ownPid = uint32_t(QCoreApplication::applicationPid());
        std::vector<ReservedEdge> edges;
        ReplyBatch batch(x);
        for (const Reads& r : reads) {
            auto partial = batch.get<xcb_get_property_reply_t>(r.partial);
            auto plain = batch.get<xcb_get_property_reply_t>(r.plain);
            auto pid = batch.get<xcb_get_property_reply_t>(r.pid);
            auto attributes = batch.get<xcb_get_window_attributes_reply_t>(r.attributes);
            const std::vector<uint32_t> pids = cardinals(pid.get());
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE
                || (!pids.empty() && pids.front() == ownPid))
                continue;
            appendStrutEdges(cardinals(partial.get()), cardinals(plain.get()), rootGeometry->width,
                rootGeometry->height, edges);
        }
        return edges;
    }

    // Asked for every window resize (the rule that keeps windows clear of the
    // bar) as well as for every rebuild of the bars; a drag sends dozens of
    // resizes a second, and panels seldom change. One read serves a moment.
    std::vector<ReservedEdge> readOtherReservedEdges()
    {
        XConnection* x = XConnection::ofApplication();
        if (!x)
            return {};
        static QElapsedTimer age;
        static std::vector<ReservedEdge> last;
        if (!age.isValid() || age.elapsed() > 500) {
            last = readOtherReservedEdgesNow(*x);
            age.start();
        }
        return last;
    }

} // namespace

DockWindowHints dockWindowHints()
{
    DockWindowHints hints;
    hints.markDockWindow = markDock;
    hints.setShape = setShape;
    hints.reserveEdge = reserveEdge;
    hints.otherReservedEdges = readOtherReservedEdges;
    hints.translucencyAvailable = [] {
        XConnection* x = XConnection::ofApplication();
        return x && compositorRuns(*x);
    };
    return hints;
}

} // namespace platform::x11
