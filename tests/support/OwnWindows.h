#pragma once

// The top-level windows one run of the program has on the display, as the
// server holds them and a window manager reads them: their sizes, their
// WM_NORMAL_HINTS; and the process's memory and end.
#include "platform/WindowSizes.h"
#include "tests/support/X11TestTools.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRect>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <vector>

namespace orbitshelf::test {

struct ServerWindow {
    uint32_t id = 0;
    QString name;
    QRect place; // in root coordinates
    bool mapped = false;
    std::optional<platform::NormalSizeHints> hints; // none: no WM_NORMAL_HINTS
};

namespace detail {

    template <class R> using Owned = std::unique_ptr<R, decltype(&std::free)>;
    template <class R> Owned<R> owned(R* reply)
    {
        return Owned<R>(reply, &std::free);
    }

    inline xcb_atom_t atom(xcb_connection_t* c, const char* name)
    {
        const auto reply = owned(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    inline Owned<xcb_get_property_reply_t> property(
        xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, uint32_t words)
    {
        return owned(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, words), nullptr));
    }

    // WM_NORMAL_HINTS' eighteen numbers (ICCCM 4.1.2.3), the sizes signed
    // as the window manager should read them.
    inline std::optional<platform::NormalSizeHints> normalHints(xcb_connection_t* c, xcb_window_t window)
    {
        const auto reply = property(c, window, XCB_ATOM_WM_NORMAL_HINTS, 18);
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 18 * 4)
            return std::nullopt;
        const auto* v = static_cast<const int32_t*>(xcb_get_property_value(reply.get()));
        const uint32_t flags = uint32_t(v[0]);
        platform::NormalSizeHints hints;
        if (flags & 16)
            hints.minimum = QSize(v[5], v[6]);
        if (flags & 32)
            hints.maximum = QSize(v[7], v[8]);
        if (flags & 64)
            hints.increment = QSize(v[9], v[10]);
        if (flags & 256)
            hints.base = QSize(v[15], v[16]);
        return hints;
    }

} // namespace detail

// Every window on the display that names `pid` as its process
// (_NET_WM_PID), mapped or not, framed by the window manager or not.
inline std::vector<ServerWindow> windowsOfProcess(qint64 pid)
{
    using namespace detail;
    std::vector<ServerWindow> found;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return found;
    }
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");
    const xcb_atom_t nameAtom = atom(c, "_NET_WM_NAME");
    std::vector<xcb_window_t> toVisit { xcb_setup_roots_iterator(xcb_get_setup(c)).data->root };
    while (!toVisit.empty()) {
        const xcb_window_t window = toVisit.back();
        toVisit.pop_back();
        if (const auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr))) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            toVisit.insert(toVisit.end(), children, children + xcb_query_tree_children_length(tree.get()));
        }
        const auto owner = property(c, window, pidAtom, 1);
        if (!owner || owner->format != 32 || xcb_get_property_value_length(owner.get()) < 4
            || *static_cast<const uint32_t*>(xcb_get_property_value(owner.get())) != uint32_t(pid))
            continue;
        ServerWindow w;
        w.id = window;
        if (const auto name = property(c, window, nameAtom, 64))
            w.name = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
                xcb_get_property_value_length(name.get()));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const auto geometry = owned(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
        const auto onRoot = owned(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
        if (geometry && onRoot)
            w.place = QRect(onRoot->dst_x, onRoot->dst_y, geometry->width, geometry->height);
        if (const auto attributes
            = owned(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr)))
            w.mapped = attributes->map_state != XCB_MAP_STATE_UNMAPPED;
        w.hints = normalHints(c, window);
        found.push_back(w);
    }
    xcb_disconnect(c);
    return found;
}

// One line per window larger than the screen that holds its middle (the
// nearest one when none does) or with size hints a window manager could
// misread; empty when none.
inline QStringList oversizedOrMisread(
    const std::vector<ServerWindow>& windows, const std::vector<QRect>& screens)
{
    QStringList wrong;
    for (const ServerWindow& w : windows) {
        const QString which = QStringLiteral("\"%1\" (%2, %3x%4%5)")
                                  .arg(w.name)
                                  .arg(w.id)
                                  .arg(w.place.width())
                                  .arg(w.place.height())
                                  .arg(w.mapped ? QString() : QStringLiteral(", unmapped"));
        QRect screen;
        int nearest = std::numeric_limits<int>::max();
        for (const QRect& s : screens) {
            const int away
                = s.contains(w.place.center()) ? 0 : (s.center() - w.place.center()).manhattanLength();
            if (away < nearest) {
                nearest = away;
                screen = s;
            }
        }
        if (w.place.width() > screen.width() || w.place.height() > screen.height())
            wrong << which
                    + QStringLiteral(" is larger than its screen, %1x%2")
                          .arg(screen.width())
                          .arg(screen.height());
        if (w.hints)
            for (const QString& fault : platform::misreadableSizeHints(*w.hints, false))
                wrong << which + QStringLiteral(": ") + fault;
    }
    return wrong;
}

// The windows, one per line: name, size, and the hints' sizes.
inline QString describe(const std::vector<ServerWindow>& windows)
{
    const auto text = [](const std::optional<QSize>& s) {
        return s ? QStringLiteral("%1x%2").arg(s->width()).arg(s->height()) : QStringLiteral("-");
    };
    QStringList lines;
    for (const ServerWindow& w : windows)
        lines << QStringLiteral("\"%1\" %2x%3+%6+%7%4: hints %5")
                     .arg(w.name)
                     .arg(w.place.width())
                     .arg(w.place.height())
                     .arg(w.mapped ? QString() : QStringLiteral(" unmapped"))
                     .arg(w.hints ? QStringLiteral("min %1 max %2 base %3 increment %4")
                                        .arg(text(w.hints->minimum), text(w.hints->maximum),
                                            text(w.hints->base), text(w.hints->increment))
                                  : QStringLiteral("none"))
                     .arg(w.place.x())
                     .arg(w.place.y());
    return lines.join(QLatin1Char('\n'));
}

// The process's resident memory in MB (VmRSS), -1 when it is gone.
inline qint64 residentMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    return -1;
}

// Tells `window` it is `size`, as a window manager's synthetic
// ConfigureNotify does (ICCCM 4.1.5), which toolkits believe: what a window
// manager that made the window that large would tell.
inline void claimSize(uint32_t window, QSize size)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_configure_notify_event_t notice {};
    notice.response_type = XCB_CONFIGURE_NOTIFY;
    notice.event = notice.window = window;
    notice.width = uint16_t(size.width());
    notice.height = uint16_t(size.height());
    char event[32] = {}; // what the server sends on is always 32 bytes
    std::memcpy(event, &notice, sizeof notice);
    free(xcb_request_check(c, xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, event)));
    xcb_disconnect(c);
}

// Watches the run's windows until `seconds` after `started`: each look must
// find each no larger than its screen (of `screens`) and its hints readable. Then the
// process's memory, and SIGTERM: it must end with status 0 within two
// seconds (waited for much longer). Every figure goes to stdout.
inline void expectSaneWindowsMemoryAndEnd(
    DockRun& run, const QElapsedTimer& started, const std::vector<QRect>& screens, int seconds = 10)
{
    QStringList firstWrong;
    size_t mostWindows = 0;
    std::vector<ServerWindow> seen;
    waitUntil(
        [&] {
            std::vector<ServerWindow> now = windowsOfProcess(run.pid());
            if (firstWrong.isEmpty())
                firstWrong = oversizedOrMisread(now, screens);
            if (now.size() >= mostWindows) {
                mostWindows = now.size();
                seen = std::move(now);
            }
            return started.elapsed() >= seconds * 1000;
        },
        std::chrono::seconds(seconds + 30), std::chrono::milliseconds(200));
    EXPECT_EQ(firstWrong.join(QLatin1Char('\n')).toStdString(), "") << describe(seen).toStdString();
    std::cout << "the windows at their most:\n" << describe(seen).toStdString() << std::endl;
    const qint64 rss = residentMegabytes(run.pid());
    std::cout << "resident " << rss << " MB " << started.elapsed() << " ms after the start" << std::endl;
    EXPECT_TRUE(rss > 0 && rss < 200) << rss << " MB";

    QElapsedTimer ending;
    ending.start();
    ::kill(pid_t(run.pid()), SIGTERM);
    const int status = run.waitForExit(15000);
    const qint64 took = ending.elapsed();
    std::cout << "SIGTERM ended it in " << took << " ms, status " << status << std::endl;
    EXPECT_EQ(status, 0) << run.log().right(2000).toStdString();
    EXPECT_LT(took, 2000) << run.log().right(2000).toStdString();
}

} // namespace orbitshelf::test
