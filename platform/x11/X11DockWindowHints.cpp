#include "platform/x11/X11DockWindowHints.h"

#include "platform/ScreenScale.h"
#include "platform/x11/X11FrontWatch.h"
#include "platform/x11/X11ReserveWatch.h"
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

    std::vector<xcb_rectangle_t> shapeRectangles(const QRegion& region)
    {
        std::vector<xcb_rectangle_t> rectangles;
        for (const QRect& r : region)
            rectangles.push_back(
                { int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height()) });
        return rectangles;
    }

    // The connection to shape `window` on, with its native window; null
    // where no shape can be set.
    XConnection* shapeConnection(QWindow* window)
    {
        XConnection* x = XConnection::ofApplication();
        if (!x || !window || !window->handle())
            return nullptr;
        if (!x->hasShapeExtension()) {
            static bool warned = false;
            if (!warned) {
                warned = true;
                qCWarning(lcDockHints)
                    << "the X server has no SHAPE extension; dock windows take every click";
            }
            return nullptr;
        }
        return x;
    }

    // Both parts in the window's own coordinates and the server's pixels.
    void applyShape(XConnection& x, xcb_window_t id, const QRegion& input, const QRegion& shown)
    {
        xcb_connection_t* c = x.raw();
        const std::vector<xcb_rectangle_t> inputRectangles = shapeRectangles(input);
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
            uint32_t(inputRectangles.size()), inputRectangles.data());
        // Set with a compositor too: a window without a bounding shape of its
        // own gets a shadow along its whole frame from some (xfwm4's draws
        // one for every unshaped dock window), far from what it draws.
        const std::vector<xcb_rectangle_t> shownRectangles = shapeRectangles(shown);
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
            uint32_t(shownRectangles.size()), shownRectangles.data());
        xcb_flush(c);
    }

    void setShape(QWindow* window, const QRegion& input, const QRegion& shown)
    {
        XConnection* x = shapeConnection(window);
        if (!x)
            return;
        const qreal ratio = window->devicePixelRatio();
        applyShape(*x, xcb_window_t(window->winId()), serverRegion(input, ratio), serverRegion(shown, ratio));
    }

    void setShapeOnServer(QWindow* window, const QRegion& input, const QRegion& shown)
    {
        XConnection* x = shapeConnection(window);
        if (!x)
            return;
        // Where the server has the window, which Qt's rounding of its place
        // at a fractional scale can put a pixel off where Qt believes.
        const xcb_window_t id = xcb_window_t(window->winId());
        auto origin = x->reply<xcb_translate_coordinates_reply_t>(
            xcb_translate_coordinates(x->raw(), id, x->root(), 0, 0));
        if (!origin)
            return;
        const QPoint at(origin->dst_x, origin->dst_y);
        applyShape(*x, id, input.translated(-at), shown.translated(-at));
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
        // No reserve is a strut of zeros, not a deleted one: fluxbox keeps
        // the rows of a strut deleted from a mapped window.
        uint32_t values[12] = {};
        if (edge && edge->thickness > 0) {
            // Already the server's pixels, counted from the root's edge.
            const auto pixels = [](int value) { return uint32_t(std::max(0, value)); };
            // EWMH order: left, right, top, bottom, then each edge's start and end.
            const int side = int(edge->side);
            values[side] = pixels(edge->thickness);
            values[4 + 2 * side] = pixels(edge->start);
            values[5 + 2 * side] = pixels(edge->end);
        }
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, partial, XCB_ATOM_CARDINAL, 32, 12, values);
        // Older window managers read only the four widths.
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, plain, XCB_ATOM_CARDINAL, 32, 4, values);
        xcb_flush(c);
    }

    // Asked for every window resize (the rule that keeps windows clear of the
    // bar) as well as for every rebuild of the bars; a drag sends dozens of
    // resizes a second, and panels seldom change. One read serves until a
    // change is heard (or, without a watch, for a moment).
    std::vector<ReservedEdge> readOtherReservedEdges()
    {
        XConnection* x = XConnection::ofApplication();
        if (!x)
            return {};
        // The watch reads them again whenever they change.
        if (ReserveWatch* watch = ReserveWatch::shared())
            return watch->edges();
        static QElapsedTimer age;
        static std::vector<ReservedEdge> last;
        if (!age.isValid() || age.elapsed() > 500) {
            last = readOtherReservedEdgesNow(*x);
            age.start();
        }
        return last;
    }

    std::optional<WindowStanding> windowStanding(QWindow* window)
    {
        XConnection* x = XConnection::ofApplication();
        if (!x || !window || !window->handle())
            return std::nullopt;
        const xcb_window_t id = xcb_window_t(window->winId());
        xcb_connection_t* c = x->raw();
        const auto originCookie = xcb_translate_coordinates(c, id, x->root(), 0, 0);
        const auto geometryCookie = xcb_get_geometry(c, id);
        const auto treeCookie = xcb_query_tree(c, id);
        ReplyBatch batch(*x);
        auto origin = batch.get<xcb_translate_coordinates_reply_t>(originCookie);
        auto geometry = batch.get<xcb_get_geometry_reply_t>(geometryCookie);
        auto tree = batch.get<xcb_query_tree_reply_t>(treeCookie);
        if (!origin || !geometry || !tree)
            return std::nullopt;
        return WindowStanding { qtFromServer(
                                    QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height)),
            tree->parent == x->root() };
    }

    void moveWindow(QWindow* window, const QRect& place, bool pastManager)
    {
        XConnection* x = XConnection::ofApplication();
        if (!x || !window || !window->handle())
            return;
        const xcb_window_t id = xcb_window_t(window->winId());
        xcb_connection_t* c = x->raw();
        if (pastManager) {
            const uint32_t overrideRedirect = 1;
            xcb_change_window_attributes(c, id, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
        }
        const QRect onServer = serverFromQt(QRectF(place));
        const uint32_t values[] = { uint32_t(onServer.x()), uint32_t(onServer.y()),
            uint32_t(std::max(1, onServer.width())), uint32_t(std::max(1, onServer.height())) };
        xcb_configure_window(c, id,
            XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
            values);
        xcb_flush(c);
    }

} // namespace

DockWindowHints dockWindowHints()
{
    DockWindowHints hints;
    hints.markDockWindow = markDock;
    hints.setShape = setShape;
    hints.setShapeOnServer = setShapeOnServer;
    hints.reserveEdge = reserveEdge;
    hints.otherReservedEdges = readOtherReservedEdges;
    hints.watchOtherReservedEdges = [](QObject* context, std::function<void()> changed) {
        ReserveWatch* watch = ReserveWatch::shared();
        return watch ? QObject::connect(watch, &ReserveWatch::changed, context, std::move(changed))
                     : QMetaObject::Connection();
    };
    hints.watchWindowInFront = [](QObject* context, std::function<void()> changed) {
        FrontWatch* watch = FrontWatch::shared();
        return watch ? QObject::connect(watch, &FrontWatch::changed, context, std::move(changed))
                     : QMetaObject::Connection();
    };
    hints.windowStanding = windowStanding;
    hints.moveWindow = moveWindow;
    hints.translucencyAvailable = [] {
        XConnection* x = XConnection::ofApplication();
        return x && compositorRuns(*x);
    };
    return hints;
}

} // namespace platform::x11
