// Reads the window list (titles, pids, classes, types, states, geometry) of
// many client windows on a private Xvfb + openbox, and prints the time and
// the X round trips one read costs. The round trips must not grow with the
// number of windows.
#include "BenchFigures.h"
#include "apps/AXAttributes.h"
#include "platform/Services.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/XvfbSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <xcb/xcb.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace orbitshelf::test;

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), &free);
    return r ? r->atom : 0;
}

// Maps `count` more normal windows, each with a pid, a class, a title and a type.
void createWindows(xcb_connection_t* c, int first, int count)
{
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t pid = atom(c, "_NET_WM_PID"), netName = atom(c, "_NET_WM_NAME"),
                     utf8 = atom(c, "UTF8_STRING"), type = atom(c, "_NET_WM_WINDOW_TYPE"),
                     normal = atom(c, "_NET_WM_WINDOW_TYPE_NORMAL");
    for (int i = first; i < first + count; ++i) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, int16_t((i * 7) % 1500), int16_t((i * 5) % 900),
                          200, 120, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const quint32 owner = 100000 + quint32(i % 40); // 40 applications
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, pid, XCB_ATOM_CARDINAL, 32, 1, &owner);
        const QByteArray title = QByteArrayLiteral("bench window ") + QByteArray::number(i);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, netName, utf8, 8, uint32_t(title.size()), title.constData());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(title.size()), title.constData());
        const char klass[] = "bench\0Bench";
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof klass, klass);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, type, XCB_ATOM_ATOM, 32, 1, &normal);
        xcb_map_window(c, w);
    }
    xcb_flush(c);
}

// CPU time of this thread: what the read costs us, apart from the wait for
// the server (which shares the machine).
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto session = XvfbSession::start();
    if (!session) {
        std::fprintf(stderr, "no private display: %s\n", qPrintable(XvfbSession::lastError()));
        return 1;
    }
    xcb_connection_t* clients = xcb_connect(nullptr, nullptr);
    QString error;
    std::shared_ptr<platform::Platform> platform = platform::x11::createX11Platform(&error);
    if (!platform || xcb_connection_has_error(clients)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    platform::Services services;
    services.desktop = platform;
    platform::install(std::move(services));
    auto& server = platform->windowServer();

    std::printf("%8s %12s %12s %14s %12s %18s\n", "windows", "median ms", "worst ms", "our CPU ms", "round trips",
                "AX batch trips");
    int created = 0;
    for (int target : {25, 50, 100, 200}) {
        createWindows(clients, created, target - created);
        created = target;
        if (!waitUntil([&] { return int(server.windowList().size()) >= target; }, std::chrono::seconds(60))) {
            std::fprintf(stderr, "openbox did not manage %d windows in time\n", target);
            return 1;
        }
        std::vector<double> times, cpu;
        quint64 trips = 0;
        for (int run = 0; run < 30; ++run) {
            const quint64 before = platform::x11::x11RoundTrips();
            QElapsedTimer clock;
            const double cpuBefore = threadCpuMs();
            clock.start();
            const auto list = server.windowList();
            times.push_back(double(clock.nsecsElapsed()) / 1e6);
            cpu.push_back(threadCpuMs() - cpuBefore);
            trips = platform::x11::x11RoundTrips() - before;
            if (int(list.size()) != target)
                std::fprintf(stderr, "listed %zu windows, expected %d\n", list.size(), target);
        }
        // What a model refresh does: every application's windows with their
        // titles, subroles, positions and sizes, inside one read batch.
        const quint64 before = platform::x11::x11RoundTrips();
        {
            auto batch = platform->accessibility().beginReadBatch();
            for (int pid = 100000; pid < 100040; ++pid) {
                const auto windows = copyElementListAttribute(QStringLiteral("AXWindows"), platform::AXElement::application(pid));
                for (const auto& e : windows.value_or(platform::AXElementList{})) {
                    copyStringAttribute(QStringLiteral("AXTitle"), e);
                    copyStringAttribute(QStringLiteral("AXSubrole"), e);
                    windowPosition(e);
                    windowSize(e);
                }
            }
        }
        const quint64 batchTrips = platform::x11::x11RoundTrips() - before;
        std::printf("%8d %12.3f %12.3f %14.3f %12llu %18llu\n", target, medianOf(times),
                    *std::max_element(times.begin(), times.end()), medianOf(cpu), static_cast<unsigned long long>(trips),
                    static_cast<unsigned long long>(batchTrips));
        std::fflush(stdout);
    }
    platform::uninstall();
    platform.reset();
    xcb_disconnect(clients);
    return 0;
}
