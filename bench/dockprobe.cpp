// dockprobe: the timing-critical half of bench/compare. It talks to the X
// server directly so that what it times is the dock, not a script's process
// start-up: a dock's start until its dock window maps, a client window's map
// until the dock's pixels change, and paced event churn (client windows
// opened and closed, titles changed, windows activated).
//
// Every wait is bounded; every figure is printed as one "key value..." line
// on stdout for the harness to read. Times are CLOCK_MONOTONIC milliseconds.
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

double nowMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void sleepMs(double ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long long>(ms * 1000)));
}

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "dockprobe: %s\n", message.c_str());
    std::exit(2);
}

struct X {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    int width = 0;
    int height = 0;
    xcb_atom_t netWmPid = 0, netWmWindowType = 0, typeDock = 0, netWmName = 0, utf8 = 0, netActive = 0,
               wmClass = 0;

    X()
    {
        int screenNumber = 0;
        c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(c))
            die("cannot connect to the X display");
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        root = it.data->root;
        width = it.data->width_in_pixels;
        height = it.data->height_in_pixels;
        netWmPid = atom("_NET_WM_PID");
        netWmWindowType = atom("_NET_WM_WINDOW_TYPE");
        typeDock = atom("_NET_WM_WINDOW_TYPE_DOCK");
        netWmName = atom("_NET_WM_NAME");
        utf8 = atom("UTF8_STRING");
        netActive = atom("_NET_ACTIVE_WINDOW");
        wmClass = XCB_ATOM_WM_CLASS;
    }
    ~X() { xcb_disconnect(c); }

    xcb_atom_t atom(const char* name)
    {
        Reply<xcb_intern_atom_reply_t> r(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr), &free);
        return r ? r->atom : 0;
    }

    std::vector<uint32_t> cardinals(xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
    {
        Reply<xcb_get_property_reply_t> r(
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 64), nullptr), &free);
        if (!r || r->format != 32)
            return {};
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
        return { v, v + xcb_get_property_value_length(r.get()) / 4 };
    }

    std::string wmClassOf(xcb_window_t w)
    {
        Reply<xcb_get_property_reply_t> r(
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, wmClass, XCB_ATOM_STRING, 0, 256), nullptr),
            &free);
        if (!r || r->format != 8)
            return {};
        const char* v = static_cast<const char*>(xcb_get_property_value(r.get()));
        std::string all(v, xcb_get_property_value_length(r.get()));
        const auto nul = all.find('\0');
        return nul == std::string::npos ? all : all.substr(nul + 1, all.find('\0', nul + 1) - nul - 1);
    }

    bool viewable(xcb_window_t w)
    {
        Reply<xcb_get_window_attributes_reply_t> r(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &free);
        return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    struct Rect {
        int x = 0, y = 0, w = 0, h = 0;
    };
    std::optional<Rect> rootRect(xcb_window_t w)
    {
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &free);
        Reply<xcb_translate_coordinates_reply_t> t(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr), &free);
        if (!g || !t)
            return std::nullopt;
        return Rect { t->dst_x, t->dst_y, g->width, g->height };
    }

    void select(xcb_window_t w, uint32_t mask)
    {
        xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
    }

    // Pixels of a screen rectangle as the user sees them (root, clipped), so
    // that a window that resizes or lies partly off-screen still reads.
    std::vector<uint8_t> pixels(Rect r)
    {
        const int x0 = std::clamp(r.x, 0, width), y0 = std::clamp(r.y, 0, height);
        const int x1 = std::clamp(r.x + r.w, 0, width), y1 = std::clamp(r.y + r.h, 0, height);
        if (x1 <= x0 || y1 <= y0)
            return {};
        Reply<xcb_get_image_reply_t> img(
            xcb_get_image_reply(
                c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x0, y0, x1 - x0, y1 - y0, ~0u), nullptr),
            &free);
        if (!img)
            return {};
        const uint8_t* d = xcb_get_image_data(img.get());
        return { d, d + xcb_get_image_data_length(img.get()) };
    }
};

// The session a process belongs to (field 6 of /proc/<pid>/stat): docks are
// started as session leaders, so a helper process they fork still counts.
std::optional<long> sessionOf(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = s.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    char state = 0;
    long ppid = 0, pgrp = 0, session = 0;
    if (std::sscanf(s.c_str() + close + 1, " %c %ld %ld %ld", &state, &ppid, &pgrp, &session) != 4)
        return std::nullopt;
    return session;
}

bool ownedBy(X& x, xcb_window_t w, long leader)
{
    const auto pids = x.cardinals(w, x.netWmPid, XCB_ATOM_CARDINAL);
    if (pids.empty())
        return false;
    return long(pids[0]) == leader || sessionOf(pids[0]) == leader;
}

bool isDock(X& x, xcb_window_t w)
{
    const auto types = x.cardinals(w, x.netWmWindowType, XCB_ATOM_ATOM);
    return std::find(types.begin(), types.end(), x.typeDock) != types.end();
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& log)
{
    const pid_t pid = fork();
    if (pid < 0)
        die("fork failed");
    if (pid == 0) {
        setsid();
        const int fd = open(log.empty() ? "/dev/null" : log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        const int in = open("/dev/null", O_RDONLY);
        if (in >= 0) {
            dup2(in, 0);
            close(in);
        }
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void reapSome()
{
    while (waitpid(-1, nullptr, WNOHANG) > 0) { }
}

// Lists every mapped dock window of a session, biggest first.
std::vector<std::pair<xcb_window_t, X::Rect>> dockWindowsOf(X& x, long leader)
{
    std::vector<std::pair<xcb_window_t, X::Rect>> found;
    std::vector<xcb_window_t> pending { x.root };
    // Top-level clients sit at most two levels under the root (a window
    // manager's frame, then the client).
    for (int depth = 0; depth < 3 && !pending.empty(); ++depth) {
        std::vector<xcb_window_t> next;
        for (xcb_window_t parent : pending) {
            Reply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(x.c, xcb_query_tree(x.c, parent), nullptr), &free);
            if (!tree)
                continue;
            const xcb_window_t* kids = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
                next.push_back(kids[i]);
                if (x.viewable(kids[i]) && isDock(x, kids[i]) && ownedBy(x, kids[i], leader))
                    if (auto r = x.rootRect(kids[i]))
                        found.emplace_back(kids[i], *r);
            }
        }
        pending = std::move(next);
    }
    std::sort(found.begin(), found.end(),
        [](const auto& a, const auto& b) { return a.second.w * a.second.h > b.second.w * b.second.h; });
    return found;
}

// start <timeout-ms> <log> <program> [args...]: starts a dock in its own
// session and reports the time from fork until a dock-type window of its
// session is mapped.
int cmdStart(X& x, double timeoutMs, const std::string& log, const std::vector<std::string>& argv)
{
    x.select(x.root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    xcb_flush(x.c);
    // A round trip, so that the selection is in place before the dock starts.
    free(xcb_get_input_focus_reply(x.c, xcb_get_input_focus(x.c), nullptr));

    const double t0 = nowMs();
    const pid_t pid = spawn(argv, log);
    std::printf("pid %d\n", pid);
    std::fflush(stdout);

    std::set<xcb_window_t> watched;
    auto check = [&](xcb_window_t w) -> bool {
        if (!x.viewable(w) || !isDock(x, w) || !ownedBy(x, w, pid))
            return false;
        const double t = nowMs() - t0;
        const auto r = x.rootRect(w).value_or(X::Rect {});
        std::printf("mapped %.2f 0x%x %d %d %d %d\n", t, w, r.x, r.y, r.w, r.h);
        return true;
    };
    auto watch = [&](xcb_window_t w) {
        if (!watched.insert(w).second)
            return false;
        x.select(w, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
        xcb_flush(x.c);
        // It may have mapped before our selection reached the server.
        return check(w);
    };

    while (nowMs() - t0 < timeoutMs) {
        xcb_generic_event_t* e = xcb_poll_for_event(x.c);
        if (!e) {
            if (xcb_connection_has_error(x.c))
                die("X connection lost");
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::printf("exited %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
                return 1;
            }
            sleepMs(0.2);
            continue;
        }
        std::unique_ptr<xcb_generic_event_t, decltype(&free)> ev(e, &free);
        bool done = false;
        switch (e->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY:
            done = watch(reinterpret_cast<xcb_create_notify_event_t*>(e)->window);
            break;
        case XCB_MAP_NOTIFY:
            done = check(reinterpret_cast<xcb_map_notify_event_t*>(e)->window);
            break;
        case XCB_PROPERTY_NOTIFY: {
            auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
            if (p->atom == x.netWmWindowType || p->atom == x.netWmPid)
                done = check(p->window);
            break;
        }
        default:
            break;
        }
        if (done)
            return 0;
    }
    // A dock that reparents its window into something we did not see
    // created: look once through the tree before giving up.
    const auto docks = dockWindowsOf(x, pid);
    if (!docks.empty()) {
        const auto& [w, r] = docks.front();
        std::printf("late 0x%x %d %d %d %d\n", w, r.x, r.y, r.w, r.h);
        return 0;
    }
    std::printf("timeout\n");
    return 1;
}

// docks <pid>: the mapped dock windows of a session, biggest first.
int cmdDocks(X& x, long pid)
{
    for (const auto& [w, r] : dockWindowsOf(x, pid))
        std::printf("dock 0x%x %d %d %d %d\n", w, r.x, r.y, r.w, r.h);
    return 0;
}

// The band of the screen a dock lives in: full width for a horizontal bar,
// full height for a vertical one, so that a dock growing or shrinking along
// its edge still reads as a change.
X::Rect bandOf(X& x, X::Rect dock)
{
    if (dock.w >= dock.h)
        return { 0, dock.y, x.width, dock.h };
    return { dock.x, 0, dock.w, x.height };
}

std::vector<uint8_t> waitStable(X& x, X::Rect band, double quietMs, double boundMs, bool* stable)
{
    const double start = nowMs();
    auto last = x.pixels(band);
    double since = nowMs();
    while (nowMs() - start < boundMs) {
        sleepMs(5);
        auto now = x.pixels(band);
        if (now != last) {
            last = std::move(now);
            since = nowMs();
        } else if (nowMs() - since >= quietMs) {
            *stable = true;
            return last;
        }
    }
    *stable = false;
    return last;
}

struct Client {
    pid_t pid = 0;
    xcb_window_t window = 0;
    double mappedAt = 0;
};

// The next queued event; none (after running `onIdle`) when nothing is queued.
template <typename Idle> Reply<xcb_generic_event_t> nextEvent(X& x, Idle& onIdle)
{
    xcb_generic_event_t* e = xcb_poll_for_event(x.c);
    if (!e) {
        if (xcb_connection_has_error(x.c))
            die("X connection lost");
        onIdle();
    }
    return Reply<xcb_generic_event_t>(e, &free);
}

// Waits, with the root's substructure selected, for the client of `pid`
// (matched by _NET_WM_PID, or by WM_CLASS for clients without one) to map.
// `onIdle` runs between events so that pixels can be polled meanwhile.
template <typename Idle>
bool waitClientMapped(X& x, Client& client, const std::string& cls, double boundMs, Idle onIdle)
{
    const double start = nowMs();
    std::set<xcb_window_t> watched;
    auto matches = [&](xcb_window_t w) {
        const auto pids = x.cardinals(w, x.netWmPid, XCB_ATOM_CARDINAL);
        if (!pids.empty())
            return pid_t(pids[0]) == client.pid;
        return !cls.empty() && x.wmClassOf(w) == cls;
    };
    while (nowMs() - start < boundMs) {
        const Reply<xcb_generic_event_t> ev = nextEvent(x, onIdle);
        if (!ev)
            continue;
        xcb_generic_event_t* e = ev.get();
        xcb_window_t candidate = 0;
        const int type = e->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            auto* c = reinterpret_cast<xcb_create_notify_event_t*>(e);
            if (c->override_redirect || !watched.insert(c->window).second)
                continue;
            x.select(c->window, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            xcb_flush(x.c);
            if (x.viewable(c->window))
                candidate = c->window;
        } else if (type == XCB_MAP_NOTIFY) {
            candidate = reinterpret_cast<xcb_map_notify_event_t*>(e)->window;
        }
        if (candidate && watched.count(candidate) && matches(candidate)) {
            client.window = candidate;
            client.mappedAt = nowMs();
            return true;
        }
    }
    return false;
}

template <typename Idle>
bool waitClientGone(X& x, const Client& client, double boundMs, Idle onIdle, double* at)
{
    const double start = nowMs();
    while (nowMs() - start < boundMs) {
        const Reply<xcb_generic_event_t> ev = nextEvent(x, onIdle);
        if (!ev)
            continue;
        xcb_generic_event_t* e = ev.get();
        const int type = e->response_type & 0x7f;
        if ((type == XCB_UNMAP_NOTIFY
                && reinterpret_cast<xcb_unmap_notify_event_t*>(e)->window == client.window)
            || (type == XCB_DESTROY_NOTIFY
                && reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window == client.window)) {
            *at = nowMs();
            return true;
        }
    }
    return false;
}

void endClient(Client& client)
{
    if (client.pid <= 0)
        return;
    kill(client.pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(client.pid, nullptr, WNOHANG) == client.pid) {
            client.pid = 0;
            return;
        }
        sleepMs(10);
    }
    kill(client.pid, SIGKILL);
    waitpid(client.pid, nullptr, 0);
    client.pid = 0;
}

std::vector<std::string> xtermArgs(const std::string& cls, const std::string& geometry)
{
    return { "xterm", "-class", cls, "-T", cls, "-geometry", geometry };
}

// Drawing on the screen as the X server reports it (DAMAGE on the root
// window, every drawing request as its own rectangle), on a connection of
// its own so that the other waits cannot swallow its events. The reaction
// figures take their time from the first report that touches the dock's
// band and leaves different pixels there: polling the band's pixels instead
// would take the server several milliseconds per read of a tall dock window
// and hold up the very drawing it waits for.
class DamageWatch {
public:
    DamageWatch()
    {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c))
            die("cannot connect to the X display");
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_damage_id);
        if (!ext || !ext->present)
            die("the X server has no DAMAGE extension");
        firstEvent = ext->first_event;
        free(xcb_damage_query_version_reply(
            c, xcb_damage_query_version(c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), nullptr));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        damage = xcb_generate_id(c);
        xcb_damage_create(c, damage, root, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    ~DamageWatch()
    {
        xcb_damage_destroy(c, damage);
        xcb_disconnect(c);
    }
    DamageWatch(const DamageWatch&) = delete;
    DamageWatch& operator=(const DamageWatch&) = delete;

    // Reads what has arrived; the time the first report touching `band`
    // was read, or 0 when none did.
    double touched(const X::Rect& band)
    {
        double at = 0;
        drain([&](const X::Rect& r, double readAt) {
            if (at == 0 && overlap(r, band))
                at = readAt;
        });
        return at;
    }

    // Hands every report that has arrived to `onReport` with the time it
    // was read.
    template <typename F> void drain(F onReport)
    {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            std::unique_ptr<xcb_generic_event_t, decltype(&free)> ev(e, &free);
            if ((e->response_type & 0x7f) != firstEvent + XCB_DAMAGE_NOTIFY)
                continue;
            const xcb_rectangle_t& r = reinterpret_cast<xcb_damage_notify_event_t*>(e)->area;
            onReport(X::Rect { r.x, r.y, r.width, r.height }, nowMs());
        }
        if (xcb_connection_has_error(c))
            die("X connection lost");
    }

    static bool overlap(const X::Rect& a, const X::Rect& b)
    {
        return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
    }

private:
    xcb_connection_t* c = nullptr;
    uint8_t firstEvent = 0;
    xcb_damage_damage_t damage = 0;
};

// latency <dock-window> <samples> <geometry>: for each sample, a new client
// (its own WM_CLASS, so a new application to every dock) is opened and later
// closed; prints the time from its map (and its unmap) to the first change
// of the dock's pixels.
int cmdLatency(X& x, xcb_window_t dock, int samples, const std::string& geometry)
{
    x.select(x.root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    xcb_flush(x.c);
    DamageWatch damage;
    for (int i = 0; i < samples; ++i) {
        const auto dockRect = x.rootRect(dock);
        if (!dockRect)
            die("the dock window is gone");
        const X::Rect band = bandOf(x, *dockRect);
        bool stable = false;
        auto baseline = waitStable(x, band, 300, 5000, &stable);
        if (!stable)
            std::printf("unstable open %d\n", i);

        const std::string cls = "BenchLatency" + std::to_string(i);
        Client client;
        double changedAt = 0;
        auto poll = [&] {
            const double drawn = damage.touched(band);
            if (changedAt == 0 && drawn != 0 && x.pixels(band) != baseline)
                changedAt = drawn;
            else if (drawn == 0)
                sleepMs(0.1);
        };
        damage.touched(band); // what was drawn while the band settled
        client.pid = spawn(xtermArgs(cls, geometry), "");
        if (!waitClientMapped(x, client, cls, 10000, poll)) {
            std::printf("nomap %d\n", i);
            endClient(client);
            continue;
        }
        const double bound = client.mappedAt + 3000;
        while (changedAt == 0 && nowMs() < bound)
            poll();
        if (changedAt == 0)
            std::printf("open none\n");
        else
            std::printf("open %.2f\n", std::max(0.0, changedAt - client.mappedAt));
        std::fflush(stdout);

        baseline = waitStable(x, band, 300, 5000, &stable);
        if (!stable)
            std::printf("unstable close %d\n", i);
        changedAt = 0;
        damage.touched(band);
        kill(client.pid, SIGTERM);
        double goneAt = 0;
        if (!waitClientGone(x, client, 5000, poll, &goneAt)) {
            std::printf("nounmap %d\n", i);
            endClient(client);
            continue;
        }
        const double closeBound = goneAt + 3000;
        while (changedAt == 0 && nowMs() < closeBound)
            poll();
        if (changedAt == 0)
            std::printf("close none\n");
        else
            std::printf("close %.2f\n", std::max(0.0, changedAt - goneAt));
        std::fflush(stdout);
        endClient(client);
    }
    return 0;
}

// openclose <cycles> <period-ms> <geometry>: opens a client, waits for its
// map, closes it and waits for its unmap, at most one cycle per period.
int cmdOpenClose(X& x, int cycles, double periodMs, const std::string& geometry)
{
    x.select(x.root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    xcb_flush(x.c);
    int done = 0;
    const double start = nowMs();
    for (int i = 0; i < cycles; ++i) {
        const double cycleStart = nowMs();
        const std::string cls = "BenchChurn" + std::to_string(i % 10);
        Client client;
        client.pid = spawn(xtermArgs(cls, geometry), "");
        if (waitClientMapped(x, client, cls, 10000, [] { sleepMs(0.2); })) {
            kill(client.pid, SIGTERM);
            double at = 0;
            if (waitClientGone(
                    x, client, 5000, [] { sleepMs(0.2); }, &at))
                ++done;
        }
        endClient(client);
        reapSome();
        sleepMs(periodMs - (nowMs() - cycleStart));
    }
    std::printf("cycles %d %.1f\n", done, nowMs() - start);
    return 0;
}

// titles <window> <count> <period-ms>: renames a client window, as a
// terminal does when its title escape sequence changes.
int cmdTitles(X& x, xcb_window_t w, int count, double periodMs)
{
    const double start = nowMs();
    for (int i = 0; i < count; ++i) {
        const double t = nowMs();
        const std::string title = "bench title " + std::to_string(i);
        xcb_change_property(
            x.c, XCB_PROP_MODE_REPLACE, w, x.netWmName, x.utf8, 8, title.size(), title.data());
        xcb_change_property(
            x.c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, title.size(), title.data());
        xcb_flush(x.c);
        sleepMs(periodMs - (nowMs() - t));
    }
    free(xcb_get_input_focus_reply(x.c, xcb_get_input_focus(x.c), nullptr));
    std::printf("titles %d %.1f\n", count, nowMs() - start);
    return 0;
}

// activate <count> <period-ms> <window>...: asks the window manager to
// activate the windows in turn, as a pager or a dock click does.
int cmdActivate(X& x, int count, double periodMs, const std::vector<xcb_window_t>& windows)
{
    const double start = nowMs();
    for (int i = 0; i < count; ++i) {
        const double t = nowMs();
        xcb_client_message_event_t m {};
        m.response_type = XCB_CLIENT_MESSAGE;
        m.format = 32;
        m.window = windows[i % windows.size()];
        m.type = x.netActive;
        m.data.data32[0] = 2; // source: a pager
        m.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(x.c, 0, x.root,
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&m));
        xcb_flush(x.c);
        sleepMs(periodMs - (nowMs() - t));
    }
    free(xcb_get_input_focus_reply(x.c, xcb_get_input_focus(x.c), nullptr));
    std::printf("activations %d %.1f\n", count, nowMs() - start);
    return 0;
}

// ------------------------------------------------------------ feature windows
//
// The switcher and the clipboard history are timed the same way for every
// program: keys typed through XTest (or a command started), then the first
// DAMAGE report inside a window mapped since then, confirmed by reading those
// pixels back and finding them changed from the screen before the key. A
// managed window counts from its client's rectangle, so that the window
// manager's frame drawn around it is not taken for the program's pixels.

// The processes of a session: docks and the programs measured beside them
// are started as session leaders, so helpers they fork still count.
std::vector<long> sessionPids(long leader)
{
    std::vector<long> pids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit))
            continue;
        const long pid = std::stol(name);
        if (pid == leader || sessionOf(pid) == leader)
            pids.push_back(pid);
    }
    return pids;
}

// The resident memory of every process of a session, in kB.
long sessionRssKb(long leader)
{
    long total = 0;
    for (long pid : sessionPids(leader)) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("Rss:", 0) == 0)
                total += std::atol(line.c_str() + 4);
    }
    return total;
}

// The run time of every thread of a session, in nanoseconds (schedstat).
double sessionCpuNs(long leader)
{
    double total = 0;
    for (long pid : sessionPids(leader)) {
        std::error_code error;
        for (const auto& task :
            std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
            std::ifstream in(task.path() / "schedstat");
            double ns = 0;
            if (in >> ns)
                total += ns;
        }
    }
    return total;
}

class Keyboard {
public:
    explicit Keyboard(X& x)
        : x(x)
    {
        const xcb_setup_t* setup = xcb_get_setup(x.c);
        minCode = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        Reply<xcb_get_keyboard_mapping_reply_t> map(
            xcb_get_keyboard_mapping_reply(
                x.c, xcb_get_keyboard_mapping(x.c, setup->min_keycode, count), nullptr),
            &free);
        if (!map)
            die("no keyboard mapping");
        perCode = map->keysyms_per_keycode;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
        symbols.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map.get()));
    }

    uint8_t code(xcb_keysym_t sym) const
    {
        for (std::size_t i = 0; i < symbols.size(); ++i)
            if (symbols[i] == sym)
                return uint8_t(minCode + i / perCode);
        die("no key for keysym " + std::to_string(sym));
    }

    void down(xcb_keysym_t sym) { send(XCB_KEY_PRESS, sym); }
    void up(xcb_keysym_t sym) { send(XCB_KEY_RELEASE, sym); }

    // "alt+shift+p": every key down in order, then up in reverse.
    void combo(const std::string& text)
    {
        std::vector<xcb_keysym_t> keys;
        std::size_t from = 0;
        while (from <= text.size()) {
            const auto plus = text.find('+', from);
            keys.push_back(symbolOf(text.substr(from, plus == std::string::npos ? plus : plus - from)));
            if (plus == std::string::npos)
                break;
            from = plus + 1;
        }
        for (xcb_keysym_t k : keys)
            down(k);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it)
            up(*it);
    }

    static constexpr xcb_keysym_t alt = 0xffe9, tab = 0xff09, escape = 0xff1b;

private:
    static xcb_keysym_t symbolOf(const std::string& name)
    {
        if (name == "alt")
            return alt;
        if (name == "shift")
            return 0xffe1;
        if (name == "ctrl")
            return 0xffe3;
        if (name == "Tab")
            return tab;
        if (name == "Escape")
            return escape;
        if (name.size() == 1)
            return xcb_keysym_t(std::tolower(static_cast<unsigned char>(name[0])));
        die("unknown key " + name);
    }

    void send(uint8_t type, xcb_keysym_t sym)
    {
        xcb_test_fake_input(x.c, type, code(sym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(x.c);
    }

    X& x;
    int minCode = 8;
    int perCode = 1;
    std::vector<xcb_keysym_t> symbols;
};

// The windows mapped on the screen since a moment, with the rectangle their
// program draws in, and the first and last drawing inside them.
class FeatureWatch {
    struct Shown {
        xcb_window_t window = 0; // the child of the root: a frame, or the window itself
        xcb_window_t client = 0;
        X::Rect rect;
    };

public:
    explicit FeatureWatch(X& x)
        : x(x)
    {
        x.select(x.root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
        xcb_flush(x.c);
        free(xcb_get_input_focus_reply(x.c, xcb_get_input_focus(x.c), nullptr));
    }

    // Forgets what was drawn and mapped, and keeps the screen as it is now
    // to tell changed pixels from repeated ones.
    void arm()
    {
        poll();
        damage.drain([](const X::Rect&, double) {});
        shown.clear();
        pending.clear();
        firstAt = lastAt = 0;
        screen = x.pixels({ 0, 0, x.width, x.height });
    }

    // Reads what arrived; returns whether anything did.
    bool poll()
    {
        bool any = false;
        while (xcb_generic_event_t* e = xcb_poll_for_event(x.c)) {
            any = true;
            std::unique_ptr<xcb_generic_event_t, decltype(&free)> ev(e, &free);
            const int type = e->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY) {
                const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                if (m->event == x.root)
                    onMapped(m->window);
            } else if (type == XCB_UNMAP_NOTIFY) {
                const auto* u = reinterpret_cast<xcb_unmap_notify_event_t*>(e);
                if (u->event == x.root)
                    std::erase_if(shown, [&](const Shown& s) { return s.window == u->window; });
            } else if (type == XCB_DESTROY_NOTIFY) {
                const auto* d = reinterpret_cast<xcb_destroy_notify_event_t*>(e);
                std::erase_if(shown, [&](const Shown& s) { return s.window == d->window; });
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                const auto* m = reinterpret_cast<xcb_configure_notify_event_t*>(e);
                for (Shown& s : shown)
                    if (s.window == m->window)
                        refresh(s);
            } else if (type == XCB_PROPERTY_NOTIFY) {
                const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
                if (p->window == x.root && p->atom == x.netActive)
                    activeChangedAt = nowMs();
            }
        }
        if (xcb_connection_has_error(x.c))
            die("X connection lost");
        damage.drain([&](const X::Rect& r, double at) {
            any = true;
            onDrawn(r, at);
        });
        return any;
    }

    bool anyShown() const { return !shown.empty(); }

    // Waits until something was drawn in a window mapped since arm() and
    // then nothing more for `quietMs`; false when nothing came in `boundMs`.
    bool waitDrawn(double since, double quietMs, double boundMs)
    {
        while (nowMs() - since < boundMs) {
            if (!poll())
                sleepMs(0.1);
            if (firstAt != 0 && nowMs() - std::max(lastAt, firstAt) >= quietMs)
                return true;
        }
        return firstAt != 0;
    }

    // Waits until every window mapped since arm() is unmapped again.
    bool waitGone(double boundMs)
    {
        const double start = nowMs();
        while (nowMs() - start < boundMs) {
            if (!poll())
                sleepMs(0.2);
            if (shown.empty())
                return true;
        }
        return false;
    }

    // Waits until nothing is drawn anywhere for `quietMs`.
    void waitQuiet(double quietMs, double boundMs)
    {
        const double start = nowMs();
        double last = nowMs();
        while (nowMs() - start < boundMs && nowMs() - last < quietMs) {
            bool drawn = false;
            damage.drain([&](const X::Rect&, double) { drawn = true; });
            while (xcb_generic_event_t* e = xcb_poll_for_event(x.c))
                free(e);
            if (drawn)
                last = nowMs();
            sleepMs(1);
        }
    }

    xcb_window_t active()
    {
        const auto v = x.cardinals(x.root, x.netActive, XCB_ATOM_WINDOW);
        return v.empty() ? 0 : v[0];
    }

    double firstAt = 0;
    double lastAt = 0;
    double activeChangedAt = 0;

private:
    // The client inside a window manager's frame: the first window of the
    // subtree with a WM_CLASS, or the window itself.
    xcb_window_t clientOf(xcb_window_t w, int depth = 0)
    {
        if (!x.wmClassOf(w).empty() || depth > 2)
            return w;
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(x.c, xcb_query_tree(x.c, w), nullptr), &free);
        if (!tree)
            return w;
        const xcb_window_t* kids = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t found = clientOf(kids[i], depth + 1);
            if (found != kids[i] || !x.wmClassOf(found).empty())
                return found;
        }
        return w;
    }

    void onMapped(xcb_window_t w)
    {
        Shown s { w, clientOf(w), {} };
        if (!refresh(s))
            return;
        shown.push_back(s);
        // Reports read before the map notice reached this connection.
        auto earlier = std::move(pending);
        pending.clear();
        for (const auto& [r, at] : earlier)
            onDrawn(r, at);
    }

    // The client's place on the screen now: a window manager may still move
    // a window it has just mapped (openbox maps a restored window's frame
    // before it moves it back on the screen).
    bool refresh(Shown& s)
    {
        const auto rect = x.rootRect(s.client);
        if (debug)
            std::fprintf(stderr, "window 0x%x client 0x%x %d,%d %dx%d\n", s.window, s.client,
                rect ? rect->x : -1, rect ? rect->y : -1, rect ? rect->w : -1, rect ? rect->h : -1);
        if (rect)
            s.rect = *rect;
        return rect.has_value();
    }

    void onDrawn(const X::Rect& r, double at, bool retry = true)
    {
        if (debug)
            std::fprintf(stderr, "damage %.2f %d,%d %dx%d\n", at, r.x, r.y, r.w, r.h);
        bool inside = false;
        for (const Shown& s : shown) {
            if (!DamageWatch::overlap(r, s.rect))
                continue;
            inside = true;
            // Drawing that leaves the pixels as they were is not the
            // program's: without a compositor, windows under a translucent
            // one still report their own drawing there.
            if (!changed(intersection(r, s.rect)))
                continue;
            if (debug)
                std::fprintf(stderr, "changed %.2f %d,%d %dx%d\n", at, r.x, r.y, r.w, r.h);
            if (firstAt == 0)
                firstAt = at;
            lastAt = std::max(lastAt, at);
        }
        if (inside)
            return;
        if (retry && !shown.empty()) {
            for (Shown& s : shown)
                refresh(s);
            return onDrawn(r, at, false);
        }
        pending.emplace_back(r, at);
    }

    static X::Rect intersection(const X::Rect& a, const X::Rect& b)
    {
        const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
        const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
        return { x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0) };
    }

    // Whether the screen in `r` differs from what was last read there (the
    // armed picture at first); keeps what it read.
    bool changed(X::Rect r)
    {
        r = intersection(r, { 0, 0, x.width, x.height });
        if (r.w <= 0 || r.h <= 0 || screen.empty())
            return false;
        const auto now = x.pixels(r);
        const std::size_t rowBytes = std::size_t(r.w) * 4;
        if (now.size() < rowBytes * r.h)
            return false;
        bool differs = false;
        for (int i = 0; i < r.h; ++i) {
            auto* was = screen.data() + (std::size_t(r.y + i) * x.width + r.x) * 4;
            if (std::memcmp(now.data() + i * rowBytes, was, rowBytes) != 0) {
                differs = true;
                std::memcpy(was, now.data() + i * rowBytes, rowBytes);
            }
        }
        return differs;
    }

    X& x;
    const bool debug = std::getenv("DOCKPROBE_DEBUG") != nullptr;
    DamageWatch damage;
    std::vector<Shown> shown;
    std::vector<std::pair<X::Rect, double>> pending;
    std::vector<uint8_t> screen;
};

// switcher <timed> <fast> <session-leader>: Alt+Tab cycles as a user makes
// them. A timed cycle holds Alt, presses Tab, waits until the switcher has
// drawn and stayed still, then lets Tab and Alt go; it prints the time from
// Tab's press to the first and the last switcher pixels, and from Alt's
// release to the change of _NET_ACTIVE_WINDOW. A fast cycle is Alt+Tab at
// machine speed (Tab held 4 ms, Alt let go 2-37 ms later); it counts when it
// activated another window.
// A switcher still up after either is closed with Escape and counted.
int cmdSwitcher(X& x, int timed, int fast, long leader)
{
    Keyboard keys(x);
    FeatureWatch watch(x);
    // Leaves the keyboard free and the switcher closed, whatever state a
    // cycle left behind.
    auto recover = [&](double boundMs) {
        if (!watch.waitGone(boundMs)) {
            keys.combo("Escape");
            if (!watch.waitGone(1000)) {
                keys.down(Keyboard::alt);
                keys.up(Keyboard::alt);
                watch.waitGone(1000);
            }
            return true;
        }
        return false;
    };
    std::printf("rss idle %ld\n", sessionRssKb(leader));

    // The first Alt+Tab after start: keys may not be grabbed yet.
    bool ready = false;
    for (int attempt = 0; attempt < 10 && !ready; ++attempt) {
        watch.arm();
        keys.down(Keyboard::alt);
        sleepMs(30);
        const double t0 = nowMs();
        keys.down(Keyboard::tab);
        ready = watch.waitDrawn(t0, 500, 3000);
        if (ready)
            std::printf("warm %.2f %.2f\n", watch.firstAt - t0, std::max(watch.lastAt, watch.firstAt) - t0);
        keys.up(Keyboard::tab);
        sleepMs(30);
        keys.up(Keyboard::alt);
        recover(700);
        watch.waitQuiet(200, 2000);
    }
    if (!ready) {
        std::printf("noswitcher\n");
        return 1;
    }
    std::printf("rss first %ld\n", sessionRssKb(leader));
    std::fflush(stdout);

    const double cpuBefore = sessionCpuNs(leader);
    for (int i = 0; i < timed; ++i) {
        watch.arm();
        const xcb_window_t before = watch.active();
        keys.down(Keyboard::alt);
        sleepMs(30);
        const double t0 = nowMs();
        keys.down(Keyboard::tab);
        const bool drawn = watch.waitDrawn(t0, 500, 5000);
        const double firstAt = watch.firstAt, drawnAt = std::max(watch.lastAt, watch.firstAt);
        if (i == timed - 1)
            std::printf("rss shown %ld\n", sessionRssKb(leader));
        keys.up(Keyboard::tab);
        sleepMs(30);
        watch.poll();
        watch.activeChangedAt = 0;
        const double released = nowMs();
        keys.up(Keyboard::alt);
        double activeAt = 0;
        while (activeAt == 0 && nowMs() - released < 1000) {
            if (!watch.poll())
                sleepMs(0.1);
            if (watch.activeChangedAt != 0) {
                if (watch.active() != before)
                    activeAt = watch.activeChangedAt;
                watch.activeChangedAt = 0;
            }
        }
        const bool stuck = recover(700);
        std::printf("timed %s %s %s %d\n", drawn ? std::to_string(firstAt - t0).c_str() : "none",
            drawn ? std::to_string(drawnAt - t0).c_str() : "none",
            activeAt != 0 ? std::to_string(activeAt - released).c_str() : "none", stuck ? 1 : 0);
        std::fflush(stdout);
        watch.waitQuiet(150, 2000);
    }

    std::printf("cpu %d %.0f\n", timed, sessionCpuNs(leader) - cpuBefore);
    int activated = 0, stuckCount = 0;
    for (int i = 0; i < fast; ++i) {
        watch.arm();
        const xcb_window_t before = watch.active();
        watch.activeChangedAt = 0;
        keys.down(Keyboard::alt);
        sleepMs(2);
        keys.down(Keyboard::tab);
        sleepMs(4);
        keys.up(Keyboard::tab);
        // Alt let go 2 to 37 ms after Tab, in turn: a quick hand's spread,
        // and the moments a switcher may still be setting up.
        sleepMs(2 + (i % 8) * 5);
        const double released = nowMs();
        keys.up(Keyboard::alt);
        bool switched = false;
        while (!switched && nowMs() - released < 700) {
            if (!watch.poll())
                sleepMs(0.2);
            if (watch.activeChangedAt != 0) {
                switched = watch.active() != before;
                watch.activeChangedAt = 0;
            }
        }
        activated += switched;
        stuckCount += recover(700);
        watch.waitQuiet(50, 1000);
    }
    std::printf("fast %d %d %d\n", activated, fast, stuckCount);
    std::printf("rss after %ld %d\n", sessionRssKb(leader), 1 + timed + fast);
    return 0;
}

// Opens or closes a window as a user does: "key:alt+shift+p" types keys,
// "run:copyq show" starts a command (reaped later).
void act(Keyboard& keys, const std::string& how)
{
    if (how.rfind("key:", 0) == 0) {
        keys.combo(how.substr(4));
        return;
    }
    if (how.rfind("run:", 0) != 0)
        die("unknown action " + how);
    std::vector<std::string> argv;
    std::string word;
    for (char ch : how.substr(4) + ' ') {
        if (ch != ' ') {
            word += ch;
        } else if (!word.empty()) {
            argv.push_back(word);
            word.clear();
        }
    }
    spawn(argv, "");
}

// show <samples> <open> <close>: the time from the open action to the first
// and the last pixels of the window it brings up, then closes it again.
int cmdShow(X& x, int samples, const std::string& open, const std::string& close)
{
    Keyboard keys(x);
    FeatureWatch watch(x);
    bool warm = false;
    int done = 0;
    // The program may not listen yet at the first attempts.
    for (int attempt = 0; done < samples && attempt < samples + 10; ++attempt) {
        watch.arm();
        const double t0 = nowMs();
        act(keys, open);
        const bool drawn = watch.waitDrawn(t0, 300, 5000);
        reapSome();
        if (!drawn) {
            std::printf("none\n");
            std::fflush(stdout);
            act(keys, close);
            watch.waitGone(1000);
            continue;
        }
        std::printf("%s %.2f %.2f\n", warm ? "shown" : "warm", watch.firstAt - t0,
            std::max(watch.lastAt, watch.firstAt) - t0);
        std::fflush(stdout);
        done += warm;
        warm = true;
        act(keys, close);
        if (!watch.waitGone(3000))
            std::printf("notclosed\n");
        reapSome();
        watch.waitQuiet(200, 2000);
    }
    return 0;
}

// Holds Alt+Tab as another program would (a window manager's stock key
// bindings do): a passive grab on the root window, with and without the lock
// modifiers, until the harness ends it. Prints "held" once the grab is in.
int cmdHold(X& x)
{
    const Keyboard keyboard(x);
    const uint8_t tab = keyboard.code(0xff09);
    for (int locks : { 0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2), int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2) }) {
        Reply<xcb_generic_error_t> error(xcb_request_check(x.c,
                                             xcb_grab_key_checked(x.c, 1, x.root, uint16_t(XCB_MOD_MASK_1 | locks),
                                                 tab, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
            &free);
        if (error)
            die("Alt+Tab is held already");
    }
    std::printf("held\n");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(x.c))
        free(event);
    return 0;
}

xcb_window_t windowArg(const char* s)
{
    return static_cast<xcb_window_t>(std::strtoul(s, nullptr, 0));
}

int usage()
{
    std::fprintf(stderr,
        "usage: dockprobe start <timeout-ms> <log> <program> [args...]\n"
        "       dockprobe docks <pid>\n"
        "       dockprobe latency <dock-window> <samples> <geometry>\n"
        "       dockprobe openclose <cycles> <period-ms> <geometry>\n"
        "       dockprobe titles <window> <count> <period-ms>\n"
        "       dockprobe activate <count> <period-ms> <window>...\n"
        "       dockprobe switcher <timed> <fast> <session-leader>\n"
        "       dockprobe show <samples> <key:keys|run:command> <key:keys|run:command>\n"
        "       dockprobe hold\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    std::signal(SIGPIPE, SIG_IGN);
    const std::string cmd = argv[1];
    X x;
    if (cmd == "start" && argc >= 5)
        return cmdStart(x, std::atof(argv[2]), argv[3], std::vector<std::string>(argv + 4, argv + argc));
    if (cmd == "docks" && argc == 3)
        return cmdDocks(x, std::atol(argv[2]));
    if (cmd == "latency" && argc == 5)
        return cmdLatency(x, windowArg(argv[2]), std::atoi(argv[3]), argv[4]);
    if (cmd == "openclose" && argc == 5)
        return cmdOpenClose(x, std::atoi(argv[2]), std::atof(argv[3]), argv[4]);
    if (cmd == "titles" && argc == 5)
        return cmdTitles(x, windowArg(argv[2]), std::atoi(argv[3]), std::atof(argv[4]));
    if (cmd == "activate" && argc >= 5) {
        std::vector<xcb_window_t> windows;
        for (int i = 4; i < argc; ++i)
            windows.push_back(windowArg(argv[i]));
        return cmdActivate(x, std::atoi(argv[2]), std::atof(argv[3]), windows);
    }
    if (cmd == "switcher" && argc == 5)
        return cmdSwitcher(x, std::atoi(argv[2]), std::atoi(argv[3]), std::atol(argv[4]));
    if (cmd == "hold" && argc == 2)
        return cmdHold(x);
    if (cmd == "show" && argc == 5)
        return cmdShow(x, std::atoi(argv[2]), argv[3], argv[4]);
    return usage();
}
