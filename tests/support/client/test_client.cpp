// A small X client the end-to-end tests drive where xterm cannot:
//   test_client second-window <title> <log> [delay ms]  maps "<title> 1", then "<title> 2" after the delay
//   test_client icon <title> <log>                      a window with its own _NET_WM_ICON, no desktop entry
//   test_client asks <title> <log>                      answers WM_DELETE_WINDOW with a "Save changes?"
//   window test_client many <title> <log> <count>              maps "<title> 1" … "<title> <count>" at once
//   test_client keys <title> <log>                      logs every key pressed in it: "key <symbol> <state>"
//   test_client reuse <title> <log> <class> <class 2> [another-process]
//                                                       a window of <class>; on SIGUSR1 it disconnects,
//                                                       connects again and maps "<title> again" of
//                                                       <class 2>, whose id the server makes from the
//                                                       same base when it reuses the client's slot;
//                                                       with "another-process" a child process of its
//                                                       own connects and maps it (a newer process of
//                                                       the same program), and this one waits for it
// Every client ends on WM_DELETE_WINDOW except the asking one, and writes
// what happened to <log>, one line each: "mapped <window> <ms since epoch>",
// "asked to close", "signal <n>".
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* g_log = nullptr;
volatile sig_atomic_t g_reconnect = 0;
// The process that maps the window again, where another one does.
volatile pid_t g_child = 0;

void logLine(const std::string& line)
{
    if (FILE* f = std::fopen(g_log, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

void onSignal(int number)
{
    // Only calls that are safe in a handler. The test ends this process;
    // the one that stands in for it ends with it.
    if (g_child > 0)
        ::kill(g_child, number);
    char text[] = "signal 00\n";
    text[7] = char('0' + number / 10 % 10);
    text[8] = char('0' + number % 10);
    const int fd = ::open(g_log, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, text, sizeof text - 1);
        ::close(fd);
    }
    _exit(128 + number);
}

long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

struct Client {
    xcb_connection_t* c = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_atom_t protocols = 0, deleteWindow = 0, netName = 0, utf8 = 0, netPid = 0, netIcon = 0;

    xcb_window_t open(const std::string& title, int x, int y, const std::string& className, bool withIcon,
        bool keys = false)
    {
        const xcb_window_t w = xcb_generate_id(c);
        const uint32_t values[] = { screen->white_pixel,
            XCB_EVENT_MASK_STRUCTURE_NOTIFY | (keys ? uint32_t(XCB_EVENT_MASK_KEY_PRESS) : 0u) };
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, int16_t(x), int16_t(y), 300, 120, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
            values);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
            uint32_t(title.size()), title.data());
        xcb_change_property(
            c, XCB_PROP_MODE_REPLACE, w, netName, utf8, 8, uint32_t(title.size()), title.data());
        const std::string wmClass = className + '\0' + className + '\0';
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
            uint32_t(wmClass.size()), wmClass.data());
        const uint32_t pid = uint32_t(getpid());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, netPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, protocols, XCB_ATOM_ATOM, 32, 1, &deleteWindow);
        if (withIcon) {
            // Two sizes of one solid green square; the bar picks the nearer one.
            std::vector<uint32_t> icon;
            for (uint32_t side : { 16u, 48u }) {
                icon.push_back(side);
                icon.push_back(side);
                icon.insert(icon.end(), size_t(side * side), 0xFF20C040u);
            }
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, netIcon, XCB_ATOM_CARDINAL, 32,
                uint32_t(icon.size()), icon.data());
        }
        xcb_map_window(c, w);
        xcb_flush(c);
        return w;
    }

    void connect(xcb_connection_t* taken = nullptr)
    {
        c = taken ? taken : xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c))
            std::exit(1);
        screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        protocols = atom(c, "WM_PROTOCOLS");
        deleteWindow = atom(c, "WM_DELETE_WINDOW");
        netName = atom(c, "_NET_WM_NAME");
        utf8 = atom(c, "UTF8_STRING");
        netPid = atom(c, "_NET_WM_PID");
        netIcon = atom(c, "_NET_WM_ICON");
    }

    // The first symbol of a key, as typed without modifiers ("p", "h").
    std::string symbolOf(xcb_keycode_t code)
    {
        const xcb_setup_t* setup = xcb_get_setup(c);
        auto* map = xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, code, 1), nullptr);
        std::string name = std::to_string(code);
        if (map && code >= setup->min_keycode) {
            const xcb_keysym_t sym = xcb_get_keyboard_mapping_keysyms(map)[0];
            if (sym == 0x20)
                name = "space";
            else if (sym > 0x20 && sym < 0x7f)
                name = std::string(1, char(sym));
        }
        std::free(map);
        return name;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s second-window|icon|asks <title> <log> [delay ms]\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const std::string title = argv[2];
    g_log = argv[3];
    const int delay = argc > 4 ? std::atoi(argv[4]) : 2000;
    for (int s : { SIGTERM, SIGINT, SIGHUP, SIGQUIT })
        signal(s, onSignal);

    Client client;
    client.connect();

    const bool second = mode == "second-window";
    const bool withIcon = mode == "icon";
    const bool many = mode == "many";
    const bool keys = mode == "keys";
    const bool reuse = mode == "reuse";
    if (reuse && argc < 6)
        return 2;
    const bool anotherProcess = reuse && argc > 6 && std::string(argv[6]) == "another-process";
    if (reuse)
        signal(SIGUSR1, [](int) { g_reconnect = 1; });
    const std::string className = second ? "secondwindow"
        : withIcon                       ? "iconclient"
        : many                           ? "manywindows"
        : keys                           ? "keysclient"
        : reuse                          ? argv[4]
                                         : "askingclient";
    std::vector<xcb_window_t> windows { client.open(
        second || many ? title + " 1" : title, 80, 80, className, withIcon, keys) };
    for (int i = 2; many && i <= delay; ++i)
        windows.push_back(
            client.open(title + " " + std::to_string(i), 80 + 8 * i, 80 + 4 * i, className, false));
    const long long secondAt = second ? nowMs() + delay : -1;
    bool asked = false;

    for (;;) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(client.c)) {
            const uint8_t type = ev->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY) {
                const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(ev);
                logLine("mapped " + std::to_string(m->window) + " " + std::to_string(nowMs()));
            } else if (type == XCB_KEY_PRESS) {
                const auto* k = reinterpret_cast<xcb_key_press_event_t*>(ev);
                logLine("key " + client.symbolOf(k->detail) + " " + std::to_string(k->state));
            } else if (type == XCB_CLIENT_MESSAGE) {
                const auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
                if (m->type == client.protocols && m->data.data32[0] == client.deleteWindow) {
                    if (mode != "asks") {
                        logLine("closed");
                        std::free(ev);
                        xcb_disconnect(client.c);
                        return 0;
                    }
                    logLine("asked to close");
                    if (!asked) {
                        asked = true;
                        windows.push_back(client.open("Save changes?", 200, 200, className, false));
                    }
                }
            }
            std::free(ev);
        }
        if (xcb_connection_has_error(client.c))
            return 1;
        if (g_reconnect) {
            // The server gives a new connection the lowest free slot. A slot
            // below ours, left free by some short-lived client, is held by a
            // spare connection while this one tries again; a slot above ours
            // means the server has not seen the first connection close yet
            // (a busy machine): leave and come again.
            g_reconnect = 0;
            const uint32_t base = xcb_get_setup(client.c)->resource_id_base;
            xcb_disconnect(client.c);
            client.c = nullptr;
            if (anotherProcess) {
                // The child names its own process id in _NET_WM_PID; this
                // one stays until it ends.
                const pid_t child = fork();
                if (child < 0)
                    return 1;
                if (child > 0) {
                    g_child = child;
                    int status = 0;
                    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
                    return 0;
                }
            }
            std::vector<xcb_connection_t*> spares;
            for (int attempt = 0; attempt < 200 && !client.c; ++attempt) {
                xcb_connection_t* c = xcb_connect(nullptr, nullptr);
                const uint32_t got = xcb_connection_has_error(c) ? 0 : xcb_get_setup(c)->resource_id_base;
                if (got == base) {
                    client.connect(c);
                } else if (got != 0 && got < base) {
                    spares.push_back(c);
                } else {
                    xcb_disconnect(c);
                    usleep(20000);
                }
            }
            if (!client.c)
                client.connect();
            windows = { client.open(title + " again", 120, 120, argv[5], false) };
            for (xcb_connection_t* spare : spares)
                xcb_disconnect(spare);
            continue;
        }
        int timeout = -1;
        if (secondAt >= 0 && windows.size() == 1) {
            const long long left = secondAt - nowMs();
            if (left <= 0) {
                windows.push_back(client.open(title + " 2", 420, 80, className, false));
                continue;
            }
            timeout = int(left);
        }
        pollfd fd { xcb_get_file_descriptor(client.c), POLLIN, 0 };
        // A signal ends the wait (EINTR) and the loop looks at it.
        poll(&fd, 1, reuse ? 200 : timeout);
    }
}
