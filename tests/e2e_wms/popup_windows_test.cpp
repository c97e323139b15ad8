// The windows the program shows over other programs, each opened as a user
// opens it, with nothing compositing, under picom with shadows on and under
// xfwm4's compositor: the screen outside the windows that opened (and their
// shadows) stays as it was before; with nothing compositing, a window whose
// card has round corners leaves its rectangle's corners alone; under every
// compositor such a window is shaped to its card, the shape a compositor
// draws it and its shadow in; and every window paints up to each of its
// edges, so none holds a box or a fill where it paints nothing.
#include "tests/e2e_dock/PomodoroPanel.h"
#include "tests/e2e_dock_input/BarInput.h"
#include "tests/e2e_wms/OtherDesktop.h"
#include "tests/support/X11TestTools.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>

using namespace orbitshelf::test;

namespace {

enum class Compositor { none, picom, xfwm4 };

const char* nameOf(Compositor compositor)
{
    return compositor == Compositor::none ? "openbox" : compositor == Compositor::picom ? "picom" : "xfwm4";
}

// How far past a plain opaque window's frame each compositor changed a
// pixel, measured over a one-coloured wallpaper: picom's sample shadow 6 on
// every side, xfwm4's 10 at the sides, 8 above and 20 below.
int shadowReach(Compositor compositor)
{
    return compositor == Compositor::none ? 0 : compositor == Compositor::picom ? Picom::shadowReach : 20;
}

const QPoint kPointerAside(1500, 300);

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

QString windowName(xcb_connection_t* c, xcb_window_t window)
{
    Reply<xcb_get_property_reply_t> name(
        xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr),
        &std::free);
    return name ? QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
               xcb_get_property_value_length(name.get()))
                : QString();
}

// The root's mapped children (a framed window as its frame), by id, with the
// title of the window or of the client in its frame.
struct TopLevel {
    QRect rect;
    QString name;
};
std::map<xcb_window_t, TopLevel> mappedTopLevels(const Wallpaper& x)
{
    std::map<xcb_window_t, TopLevel> mapped;
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(x.c, xcb_query_tree(x.c, x.screen->root), nullptr), &std::free);
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t id = xcb_query_tree_children(tree.get())[i];
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(x.c, xcb_get_window_attributes(x.c, id), nullptr), &std::free);
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(x.c, xcb_get_geometry(x.c, id), nullptr), &std::free);
        // xfwm4 keeps input-only windows along the screen's edges: they show nothing.
        if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE
            || attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
            continue;
        QString name = windowName(x.c, id);
        Reply<xcb_query_tree_reply_t> inside(
            xcb_query_tree_reply(x.c, xcb_query_tree(x.c, id), nullptr), &std::free);
        for (int k = 0; name.isEmpty() && inside && k < xcb_query_tree_children_length(inside.get()); ++k)
            name = windowName(x.c, xcb_query_tree_children(inside.get())[k]);
        mapped[id] = { QRect(geometry->x, geometry->y, geometry->width + 2 * geometry->border_width,
                           geometry->height + 2 * geometry->border_width),
            name };
    }
    return mapped;
}

// Alt+Tab held by another program, as a user's other tools may hold it.
class HeldAltTab final {
public:
    explicit HeldAltTab(const Wallpaper& x)
        : m_c(xcb_connect(nullptr, nullptr))
    {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        Reply<xcb_get_keyboard_mapping_reply_t> map(
            xcb_get_keyboard_mapping_reply(
                m_c, xcb_get_keyboard_mapping(m_c, setup->min_keycode, uint8_t(count)), nullptr),
            &std::free);
        for (int k = 0; map && k < count; ++k)
            if (xcb_get_keyboard_mapping_keysyms(map.get())[k * map->keysyms_per_keycode] == 0xff09)
                std::free(xcb_request_check(m_c,
                    xcb_grab_key_checked(m_c, 1, x.screen->root, XCB_MOD_MASK_1,
                        xcb_keycode_t(setup->min_keycode + k), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    }
    ~HeldAltTab() { xcb_disconnect(m_c); }
    HeldAltTab(const HeldAltTab&) = delete;
    HeldAltTab& operator=(const HeldAltTab&) = delete;

private:
    xcb_connection_t* m_c;
};

// One desktop per compositor, kept for all its rows: the desktop, the
// wallpaper, a terminal (its button gives the hover rows and the button's
// menu) and a program with eight windows (a stacked button), all in the
// screen's top left, and the program, started as a row needs it.
struct Scene {
    explicit Scene(Compositor compositor)
        : compositor(compositor)
        , desktop(compositor == Compositor::xfwm4 ? WindowManager::xfwm4 : WindowManager::openbox)
    {
        wallpaper = std::make_unique<Wallpaper>();
        if (compositor == Compositor::picom)
            picom = Picom::start();
        terminal
            = plainTerminal(clients, QStringLiteral("under the popups"), QStringLiteral("30x4+20+20")).id;
        stacked = clients.own(QStringLiteral("many"), QStringLiteral("stacked"), logs.filePath("client.log"),
            QStringLiteral("stacked 8"), { QStringLiteral("8") });
        // Piled up in the top left, away from where the pop-ups open.
        for (int i = 1; i <= 8; ++i)
            for (const QString& id : visibleWindowsNamed(QStringLiteral("stacked %1").arg(i)))
                xdotool({ "windowmove", "--sync", id, QString::number(20 + 10 * i),
                    QString::number(120 + 10 * i) });
        movePointer(kPointerAside);
    }
    ::testing::AssertionResult ready() const
    {
        if (desktop.failed(compositor == Compositor::xfwm4 ? WindowManager::xfwm4 : WindowManager::openbox))
            return ::testing::AssertionFailure() << XvfbSession::lastError().toStdString();
        if (compositor == Compositor::picom && !picom)
            return ::testing::AssertionFailure() << Picom::lastError().toStdString();
        // A compositor is waited for; none is asked about once (a wait for
        // one that never comes would last its whole timeout every row).
        if (compositor == Compositor::none ? compositorRuns() : !waitUntil(compositorRuns))
            return ::testing::AssertionFailure() << "a compositor runs: " << compositorRuns();
        if (terminal.isEmpty() || stacked.id.isEmpty())
            return ::testing::AssertionFailure() << "the clients did not show";
        return ::testing::AssertionSuccess();
    }
    // Where the clients stand, with their frames' and shadows' reach: they
    // change as the focus moves, which the rows do not look at.
    QRect clientArea() const
    {
        QRect area;
        for (const auto& [id, window] : mappedTopLevels(*wallpaper))
            if (window.rect.width() < kScreen.width() && !window.name.startsWith(QLatin1String("orbitShelf")))
                area |= window.rect;
        return area.adjusted(-20, -20, 40, 40);
    }

    DockRun& fresh()
    {
        run = std::make_unique<DockRun>();
        previews = true;
        tools = shiftTab = processInfo = false;
        return *run;
    }
    // The program running, its bar drawn and any start notice gone.
    DockRun& program()
    {
        if (run && run->running())
            return *run;
        EXPECT_GT(fresh().start(), 0);
        EXPECT_TRUE(waitForWindowButton(*run, terminal)) << run->log().toStdString();
        // xfwm4 holds Alt+Tab itself: the program says so at each start.
        if (compositor == Compositor::xfwm4
            && waitUntil([&] { return run->log().contains(QLatin1String("taken hot keys told")); },
                std::chrono::seconds(10)))
            waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf notice")).isEmpty(); },
                std::chrono::seconds(15));
        return *run;
    }
    void withPreviews(bool on)
    {
        program();
        if (previews != on)
            turnGeneralSwitch(QStringLiteral("disablePreview"), !on);
        previews = on;
    }
    void withProcessInfo()
    {
        program();
        if (!processInfo)
            turnGeneralSwitch(QStringLiteral("showProcessInfo"), true);
        processInfo = true;
    }
    // A switch of the Settings window's General page turned as a user does.
    void turnGeneralSwitch(const QString& key, bool on)
    {
        DockRun& dock = program();
        const std::optional<QRect> tab = openSettingsTab(dock, QStringLiteral("General"));
        ASSERT_TRUE(tab) << dock.log().toStdString();
        const QString settings = waitForWindow(QStringLiteral("OrbitShelf Settings"));
        const std::optional<QRect> box = generalSwitchInView(dock, settings, *tab, key);
        ASSERT_TRUE(box) << dock.log().toStdString();
        const QString stored = dock.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
        const QString wanted = QStringLiteral("%1=%2").arg(key, on ? "true" : "false");
        click(QPoint(box->left() + 8, box->center().y()));
        ASSERT_TRUE(waitUntil([&] { return readText(stored).contains(wanted); }));
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", settings });
        ASSERT_TRUE(
            waitUntil([] { return visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).isEmpty(); }));
    }
    void withTools()
    {
        DockRun& dock = program();
        if (!tools) {
            ASSERT_TRUE(tools = installTools(dock, { "Pasteboard", "Pomodoro" }, true))
                << dock.log().toStdString();
        }
    }
    // The switcher's modifier: xfwm4 keeps Alt+Tab, its users take Shift+Tab.
    QString switcherModifier()
    {
        if (compositor != Compositor::xfwm4)
            return QStringLiteral("alt");
        if (!shiftTab)
            shiftTab = chooseShortcut(program(), QStringLiteral("Open the window switcher"), "Shift + Tab");
        return QStringLiteral("shift");
    }

    const Compositor compositor;
    OtherDesktop desktop;
    std::unique_ptr<Wallpaper> wallpaper;
    std::unique_ptr<Picom> picom;
    QTemporaryDir logs;
    Clients clients;
    QString terminal;
    Clients::Window stacked;
    std::unique_ptr<DockRun> run;
    bool previews = true;
    bool tools = false;
    bool shiftTab = false;
    bool processInfo = false;
    // A terminal busy for a moment as it starts: its process has used the
    // processor, so its preview shows a usage chip.
    QString busyAtStart;
};

std::unique_ptr<Scene>& scene()
{
    static std::unique_ptr<Scene> shown;
    return shown;
}

bool shows(const QString& title)
{
    return waitUntil([&] { return !visibleWindowsNamed(title).isEmpty(); }, std::chrono::seconds(1));
}

// Clicks `at` until a window titled `title` shows: a dock window just
// mapped may not take input yet.
bool clickUntilShown(QPoint at, const QString& title, int button = 1)
{
    return waitUntil([&] {
        click(at, button);
        return shows(title);
    });
}

bool hoverTerminalButton(Scene& s)
{
    const qsizetype mark = s.run->log().size();
    const std::optional<LoggedBarItem> button = waitForWindowButton(*s.run, s.terminal);
    int nudge = 0;
    return button && waitUntil([&] {
        movePointer(button->rect.center() + QPoint(nudge++ % 2, 0));
        return waitUntil([&] { return s.run->log().mid(mark).contains(QLatin1String("preview of window")); },
            std::chrono::milliseconds(500));
    });
}

// The usage chip shows once the program has sampled the processes, which it
// does every minute.
bool hoverUsedTerminalButton(Scene& s)
{
    const std::optional<LoggedBarItem> button = waitForWindowButton(*s.run, s.busyAtStart);
    int nudge = 0;
    return button
        && waitUntil(
            [&] {
                movePointer(button->rect.center() + QPoint(nudge++ % 2, 0));
                const bool shown = waitUntil(
                    [] { return !visibleWindowsNamed(QStringLiteral("orbitShelf preview usage")).isEmpty(); },
                    std::chrono::milliseconds(500));
                if (!shown)
                    movePointer(kPointerAside);
                return shown;
            },
            std::chrono::seconds(75), std::chrono::milliseconds(1000));
}

QPoint mainButton(Scene& s)
{
    return waitForKind(*s.run, LoggedBarItem::mainButton).value_or(LoggedBarItem {}).rect.center();
}

// One window as a user opens it: what it needs first, how it opens (true
// once it shows) and how it goes again.
struct Row {
    const char* name;
    bool roundCard; // what it paints has round corners
    std::function<void(Scene&)> prepare;
    std::function<bool(Scene&)> open;
    std::function<void(Scene&)> close = [](Scene&) {
        xdotool({ "key", "Escape" });
        movePointer(kPointerAside);
    };
};

const std::vector<Row>& rows()
{
    static const std::vector<Row> table {
        { "startNotice", true, [](Scene& s) { s.run.reset(); },
            [](Scene& s) {
                const HeldAltTab held(*s.wallpaper);
                return s.fresh().start() > 0 && waitForWindowButton(*s.run, s.terminal)
                    && waitUntil(
                        [] { return shows(QStringLiteral("orbitShelf notice")); }, std::chrono::seconds(10));
            },
            [](Scene& s) {
                // Under xfwm4, which holds Alt+Tab itself, every start is
                // such a start: the program stays for the next rows once its
                // notice has gone (program() would wait out another). Under
                // openbox it has to start again to have Alt+Tab.
                if (s.compositor != Compositor::xfwm4
                    || !waitUntil(
                        [] { return visibleWindowsNamed(QStringLiteral("orbitShelf notice")).isEmpty(); },
                        std::chrono::seconds(15)))
                    s.run.reset();
            } },
        { "hoverPreview", true, [](Scene& s) { s.withPreviews(true); }, hoverTerminalButton,
            [](Scene&) { movePointer(kPointerAside); } },
        { "barMenu", false, [](Scene& s) { s.program(); },
            [](Scene& s) {
                return !clickForMenu(*s.run, mainButton(s), 3, kSettingsMenuLine, 8).titles.isEmpty();
            },
            [](Scene& s) { closeMenus(*s.run); } },
        { "buttonMenu", false, [](Scene& s) { s.program(); },
            [](Scene& s) {
                const QPoint at
                    = waitForWindowButton(*s.run, s.terminal).value_or(LoggedBarItem {}).rect.center();
                return !clickForMenu(*s.run, at, 3, kWindowMenuLine, 5).titles.isEmpty();
            },
            [](Scene& s) { closeMenus(*s.run); } },
        { "tagEditor", false, [](Scene& s) { s.program(); },
            [](Scene& s) {
                const QPoint at
                    = waitForWindowButton(*s.run, s.terminal).value_or(LoggedBarItem {}).rect.center();
                const std::optional<QRect> bind
                    = clickForMenu(*s.run, at, 3, kWindowMenuLine, 5).place(QStringLiteral("Binding Hotkey"));
                return bind && clickUntilShown(bind->center(), QStringLiteral("Tag"));
            },
            [](Scene&) {
                for (const QString& id : visibleWindowsNamed(QStringLiteral("Tag")))
                    runTool(QStringLiteral("wmctrl"), { "-i", "-c", id });
            } },
        { "switcher", true,
            [](Scene& s) {
                s.program();
                s.switcherModifier();
            },
            [](Scene& s) {
                xdotool({ "keydown", s.switcherModifier(), "key", "Tab" });
                return shows(QStringLiteral("orbitShelf switcher"));
            },
            [](Scene& s) {
                xdotool({ "keyup", s.switcherModifier() });
            } },
        { "toolHub", false, [](Scene& s) { s.program(); },
            [](Scene& s) { return clickUntilShown(mainButton(s), QStringLiteral("orbitShelf tools")); },
            [](Scene& s) {
                xdotool({ "key", "Escape" });
                if (!waitUntil(
                        [] { return visibleWindowsNamed(QStringLiteral("orbitShelf tools")).isEmpty(); },
                        std::chrono::seconds(1)))
                    click(mainButton(s));
                movePointer(kPointerAside);
            } },
        { "toolPanel", true, [](Scene& s) { s.withTools(); },
            [](Scene& s) {
                const std::vector<QRect> tiles = toolTiles(*s.run);
                return !tiles.empty() && clickUntilShown(tiles.back().center(), QStringLiteral("Pomodoro"));
            } },
        { "clipboard", true, [](Scene& s) { s.withTools(); },
            [](Scene&) {
                return waitUntil([] {
                    xdotool({ "key", "alt+shift+p" });
                    return shows(QStringLiteral("orbitShelf clipboard"));
                });
            } },
        { "stackList", false, [](Scene& s) { s.program(); },
            [](Scene& s) {
                const std::optional<LoggedBarItem> stack = waitForKind(*s.run, LoggedBarItem::stackButton);
                return stack && clickUntilShown(stack->rect.center(), QStringLiteral("orbitShelf windows"));
            } },
        { "hoverTitle", true, [](Scene& s) { s.withPreviews(false); }, hoverTerminalButton,
            [](Scene&) { movePointer(kPointerAside); } },
        // The usage chip beside the title, under picom only: it shows once a
        // minute's sampling has run, and its shape is the title's.
        { "hoverUsage", true,
            [](Scene& s) {
                if (s.compositor != Compositor::picom)
                    GTEST_SKIP() << "checked under picom";
                s.withPreviews(false);
                s.withProcessInfo();
                if (s.busyAtStart.isEmpty())
                    s.busyAtStart = s.clients
                                        .program(QStringLiteral("xterm"),
                                            { "-T", "busy at start", "-geometry", "30x4+20+300", "-e",
                                                "/bin/sh", "-c", "yes | head -c 10000000; exec sleep 600" },
                                            QStringLiteral("busy at start"))
                                        .id;
                ASSERT_FALSE(s.busyAtStart.isEmpty());
            },
            hoverUsedTerminalButton, [](Scene&) { movePointer(kPointerAside); } },
    };
    return table;
}

// What the bar itself may change: its buttons, grown when hovered, and the
// background drawn around them.
QRect barArea(const DockRun& run)
{
    QRect bar;
    for (const LoggedBarItem& item : loggedBar(run.log()))
        bar |= item.rect;
    return bar.isNull() ? QRect() : QRect(bar.left() - 48, bar.top() - 40, bar.width() + 96, 1080);
}

class PopupWindows : public ::testing::TestWithParam<std::tuple<Compositor, size_t>> {
public:
    static void TearDownTestSuite() { scene().reset(); }
};

TEST_P(PopupWindows, ShowOnlyWhatTheyPaint)
{
    const auto [compositor, index] = GetParam();
    const Row& row = rows()[index];
    if (!scene() || scene()->compositor != compositor) {
        scene().reset();
        scene() = std::make_unique<Scene>(compositor);
    }
    Scene& s = *scene();
    ASSERT_TRUE(s.ready());
    row.prepare(s);
    if (::testing::Test::IsSkipped())
        return;
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    movePointer(kPointerAside);
    const QRect clients = s.clientArea();
    const auto before = mappedTopLevels(*s.wallpaper);
    const QImage shownBefore = settledArea(kScreen).convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(row.open(s)) << (s.run ? s.run->log().toStdString() : std::string());
    const QImage shown = settledArea(kScreen).convertToFormat(QImage::Format_RGB32);
    std::map<xcb_window_t, TopLevel> opened;
    for (const auto& [id, window] : mappedTopLevels(*s.wallpaper))
        if (!before.count(id) && !window.name.startsWith(QLatin1String("orbitShelf dock"))
            && !window.name.startsWith(QLatin1String("orbitShelf auto-show")))
            opened[id] = window;
    // A round card's window is shaped to it, or a compositor's shadow would
    // draw a box around the card: no corner of its rectangle is in its shape.
    QStringList squareShapes;
    for (const auto& [id, window] : opened) {
        // A preview's picture is drawn with square corners; its chips are round.
        if (!row.roundCard || window.name.endsWith(QLatin1String(" picture")))
            continue;
        const std::optional<QRegion> shape = boundingShape(id);
        const QRect own(QPoint(0, 0), window.rect.size());
        if (shape
            && (shape->contains(own.topLeft()) || shape->contains(own.topRight())
                || shape->contains(own.bottomLeft()) || shape->contains(own.bottomRight())))
            squareShapes << QStringLiteral("\"%1\"").arg(window.name);
    }
    screenshot(QStringLiteral("popup-%1-%2").arg(nameOf(compositor), row.name));
    const QRect bar = barArea(*s.run);
    row.close(s);
    QStringList left;
    EXPECT_TRUE(waitUntil([&] {
        left.clear();
        for (const auto& [id, window] : mappedTopLevels(*s.wallpaper))
            if (opened.count(id))
                left << window.name;
        return left.isEmpty();
    })) << "still shown: "
        << left.join(QStringLiteral(", ")).toStdString();
    ASSERT_FALSE(opened.empty()) << "no new window";
    ASSERT_LT(clients.bottom(), 500) << "the clients stand where the pop-ups open";

    const auto changed = [&](int x, int y) { return shown.pixel(x, y) != shownBefore.pixel(x, y); };
    const int reach = shadowReach(compositor);
    int outside = 0;
    for (int y = 0; y < kScreen.height(); ++y)
        for (int x = 0; x < kScreen.width(); ++x) {
            bool near = clients.contains(x, y) || bar.contains(x, y);
            for (const auto& [id, window] : opened)
                near = near || window.rect.adjusted(-reach, -reach, reach, reach).contains(x, y);
            outside += !near && changed(x, y);
        }
    int corners = 0, emptyEdges = 0;
    QStringList sizes;
    for (const auto& [id, window] : opened) {
        const QRect r = window.rect & kScreen;
        sizes << QStringLiteral("\"%1\" %2x%3").arg(window.name).arg(r.width()).arg(r.height());
        // A preview's picture is drawn with square corners; its chips are round.
        if (row.roundCard && compositor == Compositor::none
            && !window.name.endsWith(QLatin1String(" picture")))
            for (const QPoint corner : { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
                corners += changed(corner.x(), corner.y());
        const auto edgeChanged = [&](QPoint from, QPoint step, int count) {
            for (int i = 0; i < count; ++i)
                if (changed(from.x() + i * step.x(), from.y() + i * step.y()))
                    return true;
            return false;
        };
        emptyEdges += !edgeChanged(r.topLeft(), { 1, 0 }, r.width())
            + !edgeChanged(r.bottomLeft(), { 1, 0 }, r.width())
            + !edgeChanged(r.topLeft(), { 0, 1 }, r.height())
            + !edgeChanged(r.topRight(), { 0, 1 }, r.height());
    }
    // The figures the pop-ups are judged by, one line per row.
    std::cout << "popup " << row.name << " " << nameOf(compositor) << ": windows "
              << sizes.join(QLatin1Char(' ')).toStdString() << ", outside " << outside << ", corners "
              << corners << ", empty edges " << emptyEdges << ", square shapes " << squareShapes.size()
              << std::endl;
    EXPECT_EQ(outside, 0) << "pixels changed beyond the windows' rectangles";
    EXPECT_EQ(corners, 0) << "corner pixels of a round card's window changed";
    EXPECT_EQ(emptyEdges, 0) << "edges of a window where it paints nothing";
    EXPECT_TRUE(squareShapes.isEmpty()) << "round cards in windows shaped to their rectangle: "
                                        << squareShapes.join(QStringLiteral(", ")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(EachWindowUnderEachCompositor, PopupWindows,
    ::testing::Combine(::testing::Values(Compositor::none, Compositor::picom, Compositor::xfwm4),
        ::testing::Range(size_t(0), rows().size())),
    [](const ::testing::TestParamInfo<PopupWindows::ParamType>& info) {
        return std::string(nameOf(std::get<0>(info.param))) + "_" + rows()[std::get<1>(info.param)].name;
    });

} // namespace
