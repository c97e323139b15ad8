// What only the X11 layer has to get right: the name properties and their
// encodings, clients that leave out _NET_WM_PID, the cost of a batch of
// reads, applications already running at the start, withdrawn windows,
// pointer clicks and programs started from their desktop entries.
#include "tests/e2e_platform/X11Desktop.h"

#include "platform/AppLauncher.h"
#include "platform/x11/X11ClickMonitor.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/XConnection.h"
#include "tests/support/X11TestTools.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWindow>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

using namespace orbitshelf::test;
using platform::AXElement;
using platform::AXResult;

namespace {

std::optional<QString> titleOf(const AXElement& e)
{
    platform::AXValue value;
    if (x11().accessibility().copyAttributeValue(e, QString::fromLatin1(platform::ax::title), value)
        != AXResult::success)
        return std::nullopt;
    return std::get<QString>(value);
}

// Counts one notification about one window; armed once made.
struct Counted {
    Counted(const AXElement& e, const char* name)
        : observer(x11().accessibility().createObserver(
            e.pid, [this](const AXElement&, const QString&) { ++count; }))
    {
        EXPECT_EQ(observer->addNotification(e, QString::fromLatin1(name)), AXResult::success);
        observer->addToRunLoop(x11RunLoop());
        auto done = std::make_shared<std::atomic<bool>>(false);
        QMetaObject::invokeMethod(
            x11RunLoop(), [done] { *done = true; }, Qt::QueuedConnection);
        EXPECT_TRUE(waitUntil([&] { return done->load(); }));
    }
    std::atomic<int> count { 0 };
    std::unique_ptr<platform::AXObserver> observer;
};

AXElement elementOf(const Clients::Window& c)
{
    return AXElement::windowElement(qint32(c.pid), c.id.toUInt());
}

void setProperty(const QString& id, const char* name, const char* format, const QString& value)
{
    runTool(QStringLiteral("xprop"), { "-id", id, "-f", name, format, "-set", name, value });
}

// Runs what the reader thread has queued so far, and waits for it.
void settleReader()
{
    auto done = std::make_shared<std::atomic<bool>>(false);
    QMetaObject::invokeMethod(
        x11RunLoop(), [done] { *done = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(waitUntil([&] { return done->load(); }));
}

} // namespace

TEST(X11Titles, ARenameWritingBothNamesIsHeardOnceWithItsTitleAtHand)
{
    Clients clients;
    const auto c = clients.xterm(QStringLiteral("before"));
    ASSERT_FALSE(c.id.isEmpty());
    struct Heard {
        std::mutex mutex;
        QStringList titles;
        quint64 roundTrips = 0;
    };
    auto heard = std::make_shared<Heard>();
    auto observer
        = x11().accessibility().createObserver(qint32(c.pid), [heard](const AXElement& e, const QString&) {
              // What a handler does with the notice: read the new title.
              const quint64 before = platform::x11::x11RoundTrips();
              const QString title = titleOf(e).value_or(QStringLiteral("(none)"));
              std::lock_guard lock(heard->mutex);
              heard->roundTrips += platform::x11::x11RoundTrips() - before;
              heard->titles << title;
          });
    ASSERT_EQ(observer->addNotification(elementOf(c), QString::fromLatin1(platform::ax::titleChanged)),
        AXResult::success);
    observer->addToRunLoop(x11RunLoop());
    settleReader();

    // As toolkits do: both names in one go, the EWMH one first.
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(x));
    const auto atom = [x](const char* name) {
        auto* reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    };
    const xcb_atom_t netWmName = atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    const auto rename = [&](const QString& title) {
        const QByteArray net = title.toUtf8();
        const QByteArray plain = title.toLatin1();
        xcb_change_property(
            x, XCB_PROP_MODE_REPLACE, c.id.toUInt(), netWmName, utf8, 8, net.size(), net.data());
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, c.id.toUInt(), XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
            plain.size(), plain.data());
        xcb_flush(x);
    };
    const auto titles = [&] {
        std::lock_guard lock(heard->mutex);
        return heard->titles;
    };
    rename(QStringLiteral("Grüße 1"));
    ASSERT_TRUE(waitUntil([&] { return titles().size() >= 1; }));
    rename(QStringLiteral("Grüße 2"));
    ASSERT_TRUE(waitUntil([&] { return titles().size() >= 2; }));
    settleReader();
    EXPECT_EQ(titles(), (QStringList { "Grüße 1", "Grüße 2" }));
    std::lock_guard lock(heard->mutex);
    EXPECT_EQ(heard->roundTrips, 0u) << "the title read for the notice answers the handler";
    xcb_disconnect(x);
}

TEST(X11Titles, BothNamePropertiesAndTheirEncodingsReadAlikeAloneAndInTheList)
{
    Clients clients;
    const auto c = clients.xterm(QStringLiteral("named"));
    ASSERT_FALSE(c.id.isEmpty());
    // A rename is answered by reading the two name properties only; the
    // answer must be the one the full read of the window gives.
    const auto fullRead
        = [&] { return x11().windowServer().window(c.id.toUInt()).value_or(platform::ServerWindow()).title; };
    Counted renames(elementOf(c), platform::ax::titleChanged);

    setProperty(c.id, "_NET_WM_NAME", "8u", QStringLiteral("Grüße – 東京"));
    EXPECT_TRUE(waitUntil([&] { return titleOf(elementOf(c)) == QStringLiteral("Grüße – 東京"); }));
    EXPECT_EQ(titleOf(elementOf(c)), fullRead());

    // Without the EWMH name the ICCCM name (Latin-1) is the title, and a
    // client that writes only that one is heard too.
    runTool(QStringLiteral("xprop"), { "-id", c.id, "-remove", "_NET_WM_NAME" });
    ASSERT_TRUE(waitUntil([&] { return titleOf(elementOf(c)) == QStringLiteral("named"); }));
    const int heard = renames.count;
    setProperty(c.id, "WM_NAME", "8s", QStringLiteral("plain"));
    EXPECT_TRUE(
        waitUntil([&] { return titleOf(elementOf(c)) == QStringLiteral("plain") && renames.count > heard; }));
    EXPECT_EQ(titleOf(elementOf(c)), fullRead());

    runTool(QStringLiteral("xprop"), { "-id", c.id, "-remove", "WM_NAME" });
    EXPECT_TRUE(waitUntil([&] { return !titleOf(elementOf(c)); }));
    EXPECT_EQ(fullRead(), std::nullopt);
}

TEST(X11WindowList, AClientWithoutAPidPropertyStillNamesItsProcess)
{
    Clients clients;
    const auto c = clients.xterm(QStringLiteral("no pid"));
    ASSERT_FALSE(c.id.isEmpty());
    runTool(QStringLiteral("xprop"), { "-id", c.id, "-remove", "_NET_WM_PID" });
    ASSERT_TRUE(waitUntil(
        [&] { return !property(c.id, QStringLiteral("_NET_WM_PID")).contains(QLatin1String("= ")); }));
    qint32 listedPid = 0;
    for (const platform::ServerWindow& w : x11().windowServer().windowList())
        listedPid = w.id == c.id.toUInt() ? w.pid : listedPid;
    EXPECT_EQ(listedPid, c.pid);
    EXPECT_EQ(x11().windowServer().processOfWindow(c.id.toUInt()), c.pid);
}

TEST(X11WindowList, ABatchAnswersEveryReadOfARefreshInTwoRoundTrips)
{
    Clients clients;
    const auto a = clients.xterm(QStringLiteral("batch a"));
    const auto b = clients.xterm(QStringLiteral("batch b"), QStringLiteral("40x5+300+300"));
    ASSERT_FALSE(a.id.isEmpty() || b.id.isEmpty());
    auto& ax = x11().accessibility();
    const quint64 before = platform::x11::x11RoundTrips();
    {
        auto batch = ax.beginReadBatch();
        for (const auto& c : { a, b }) {
            platform::AXValue windows, value;
            ASSERT_EQ(ax.copyAttributeValue(AXElement::application(qint32(c.pid)), "AXWindows", windows),
                AXResult::success);
            for (const AXElement& e : std::get<platform::AXElementList>(windows))
                for (const char* attribute :
                    { "AXTitle", "AXSubrole", "AXPosition", "AXSize", "AXMinimized" })
                    EXPECT_EQ(
                        ax.copyAttributeValue(e, QString::fromLatin1(attribute), value), AXResult::success)
                        << attribute;
        }
        EXPECT_GE(x11().windowServer().windowList().size(), 2u);
        EXPECT_GE(x11().workspace().runningApplications().size(), 2);
    }
    EXPECT_EQ(platform::x11::x11RoundTrips() - before, 2u);
}

TEST(X11Atoms, ANameIsAskedForOncePerConnectionAndSeveralNamesInOneRoundTrip)
{
    using platform::x11::XConnection;
    auto x = XConnection::open(qgetenv("DISPLAY"), nullptr);
    ASSERT_TRUE(x);
    const quint64 before = XConnection::roundTrips();
    const auto atoms = x->internAtoms({ "_ORBITSHELF_TEST_A", "WM_NAME", "_ORBITSHELF_TEST_B" });
    EXPECT_EQ(XConnection::roundTrips() - before, 1u);
    ASSERT_EQ(atoms.size(), 3u);
    EXPECT_EQ(atoms[1], xcb_atom_t(XCB_ATOM_WM_NAME)) << "in the order asked";
    EXPECT_NE(atoms[0], xcb_atom_t(XCB_ATOM_NONE));
    EXPECT_NE(atoms[2], xcb_atom_t(XCB_ATOM_NONE));
    EXPECT_NE(atoms[0], atoms[2]);
    EXPECT_EQ(x->atom("_ORBITSHELF_TEST_B"), atoms[2]);
    EXPECT_EQ(x->internAtoms({ "WM_NAME", "_ORBITSHELF_TEST_A" }), (std::vector { atoms[1], atoms[0] }));
    EXPECT_EQ(XConnection::roundTrips() - before, 1u) << "known names cost no round trip";

    // Another connection learns them for itself, and the server agrees.
    auto other = XConnection::open(qgetenv("DISPLAY"), nullptr);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->atom("_ORBITSHELF_TEST_A"), atoms[0]);
    EXPECT_EQ(XConnection::roundTrips() - before, 3u) << "its set-up and the one name";
}

TEST(X11Workspace, AnApplicationRunningAtTheStartIsKnownAndNamedWhenItQuits)
{
    Clients clients;
    const auto c = clients.xterm(QStringLiteral("running before"));
    ASSERT_FALSE(c.id.isEmpty());
    // A layer of its own, made while the client runs and never asked for its
    // applications: what it hears of the client's end is all it learns.
    QString error;
    const std::unique_ptr<platform::Platform> own = platform::x11::createX11Platform(&error);
    ASSERT_TRUE(own) << error.toStdString();
    std::vector<platform::RunningApplication> launched, terminated;
    QObject context;
    QObject::connect(&own->workspace(), &platform::Workspace::applicationLaunched, &context,
        [&](const platform::RunningApplication& a) { launched.push_back(a); });
    QObject::connect(&own->workspace(), &platform::Workspace::applicationTerminated, &context,
        [&](const platform::RunningApplication& a) { terminated.push_back(a); });

    terminate(c.pid);
    ASSERT_TRUE(waitUntil([&] { return !terminated.empty(); }));
    EXPECT_EQ(terminated.front().processIdentifier, c.pid);
    EXPECT_EQ(terminated.front().windowClass, QStringLiteral("XTerm"));
    EXPECT_FALSE(terminated.front().localizedName.isEmpty());
    EXPECT_FALSE(terminated.front().iconName.isEmpty());
    for (const platform::RunningApplication& a : launched)
        EXPECT_NE(a.processIdentifier, c.pid) << "running before the start is not a launch";
}

TEST(X11Notifications, AWithdrawnWindowIsHeardAsDestroyedAndMappedAgainAsCreated)
{
    Clients clients;
    const auto c = clients.xterm(QStringLiteral("withdrawn"));
    ASSERT_FALSE(c.id.isEmpty());
    Counted destroyed(elementOf(c), platform::ax::uiElementDestroyed);
    Counted created(elementOf(c), platform::ax::windowCreated);
    xdotool({ "windowunmap", c.id });
    EXPECT_TRUE(waitUntil([&] { return destroyed.count > 0; }));
    xdotool({ "windowmap", c.id });
    EXPECT_TRUE(waitUntil([&] { return created.count > 0; }));
}

TEST(X11Scripts, BringingAProcessToTheFrontActivatesItsWindow)
{
    Clients clients;
    const auto a = clients.xterm(QStringLiteral("front a"));
    const auto b = clients.xterm(QStringLiteral("front b"), QStringLiteral("40x5+600+400"));
    ASSERT_TRUE(x11().windowServer().activate(a.id.toUInt()));
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == a.id; }));
    // The name is only a label: nothing of it reaches a shell.
    x11().scripts().bringProcessToFront(qint32(b.pid), QStringLiteral("front \"b\"; rm -rf"));
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == b.id; }));
    // openbox alone runs no other dock: nothing to hide, and no success claimed.
    EXPECT_TRUE(x11().scripts().otherDocks({ platform::ReservedEdge::Side::bottom }).empty());
    EXPECT_EQ(x11().scripts().hideSystemDock({ platform::ReservedEdge::Side::bottom }).outcome,
        platform::ScriptOutcome::notApplicable);
}

// A started click monitor and the primary clicks it reported.
struct PrimaryClicks {
    PrimaryClicks()
        : monitor(platform::x11::createX11ClickMonitor())
    {
        started = monitor->start();
        QObject::connect(monitor.get(), &platform::ClickMonitor::primaryButtonReleased,
            [this](const platform::PointerClick& click) { clicks.push_back(click); });
    }
    std::unique_ptr<platform::ClickMonitor> monitor;
    bool started = false;
    std::vector<platform::PointerClick> clicks;
};

TEST(X11ClickMonitor, ReportsAPrimaryClickAsTheClientWindowUnderThePointer)
{
    PrimaryClicks reported;
    ASSERT_TRUE(reported.started);
    auto& clicks = reported.clicks;
    Clients clients;
    const auto c = clients.xterm(QStringLiteral("click target"), QStringLiteral("40x10+200+150"));
    ASSERT_FALSE(c.id.isEmpty());

    // Inside the client, not on openbox's frame around it.
    xdotool({ "mousemove", "--window", c.id, "60", "40", "click", "1" });
    ASSERT_TRUE(waitUntil([&] { return !clicks.empty(); }));
    EXPECT_EQ(clicks.front().window, c.id.toUInt());
    clicks.clear();

    // A right click is not a primary release; the click after it, on the
    // bare desktop, is the one reported.
    xdotool({ "click", "3" });
    xdotool({ "mousemove", "5", "5", "click", "1" });
    ASSERT_TRUE(waitUntil([&] { return !clicks.empty(); }));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_NE(clicks.front().window, c.id.toUInt());
    EXPECT_EQ(clicks.front().rootPosition, QPoint(5, 5));
}

// One of our own menus, drawn without the toolkit so that the test decides
// when the monitor may read: an override-redirect window carrying our pid,
// which closes as it is pressed.
class OwnMenuWindow final {
public:
    explicit OwnMenuWindow(QRect at)
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_window(xcb_generate_id(m_connection))
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const uint32_t values[] = { 1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_EXPOSURE };
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, int16_t(at.x()),
            int16_t(at.y()), uint16_t(at.width()), uint16_t(at.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
            screen->root_visual, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        const QByteArray name("_NET_WM_PID");
        auto atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData()), nullptr);
        const uint32_t pid = uint32_t(getpid());
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, m_window, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
        std::free(atom);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    ~OwnMenuWindow() { xcb_disconnect(m_connection); }
    OwnMenuWindow(const OwnMenuWindow&) = delete;
    OwnMenuWindow& operator=(const OwnMenuWindow&) = delete;

    void waitUntilShown() { waitFor(XCB_EXPOSE); }

    // The press's server time, once the menu has closed on it.
    uint32_t closeOnPress()
    {
        const uint32_t time = waitFor(XCB_BUTTON_PRESS);
        xcb_unmap_window(m_connection, m_window);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return time;
    }

private:
    uint32_t waitFor(uint8_t type)
    {
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
            const uint8_t got = event->response_type & 0x7f;
            const uint32_t time
                = got == XCB_BUTTON_PRESS ? reinterpret_cast<xcb_button_press_event_t*>(event)->time : 0;
            std::free(event);
            if (got == type)
                return time;
        }
        return 0;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_window;
};

TEST(X11ClickMonitor, APressOnOurMenuIsNoClickOnTheWindowBeneathThoughReadAfterItClosed)
{
    PrimaryClicks reported;
    ASSERT_TRUE(reported.started);
    auto& clicks = reported.clicks;
    Clients clients;
    const auto c = clients.xterm(QStringLiteral("under the menu"), QStringLiteral("60x20+200+150"));
    ASSERT_FALSE(c.id.isEmpty());
    const QRect beneath = windowGeometry(c.id);

    // Nothing here serves the event loop until the menu has closed, as when
    // the toolkit's input is handled before the monitor's: by the time the
    // monitor reads the press, the pointer lies over the window beneath.
    OwnMenuWindow menu(QRect(beneath.center() - QPoint(60, 20), QSize(120, 40)));
    menu.waitUntilShown();
    click(beneath.center());
    const uint32_t pressTime = menu.closeOnPress();
    ASSERT_NE(pressTime, 0u);
    // What the toolkit hands our windows for that press.
    QWindow ownWindow;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    press.setTimestamp(pressTime);
    QCoreApplication::sendEvent(&ownWindow, &press);

    // A click on the window itself follows: it alone is reported.
    click(beneath.center() + QPoint(0, 60));
    ASSERT_TRUE(waitUntil([&] { return !clicks.empty(); }));
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks.back().rootPosition, beneath.center() + QPoint(0, 60));
}

TEST(OpenApplication, AnEntryStartsItsProgramOnTheDisplay)
{
    platform::DesktopAppLauncher launcher([] {
        return std::make_shared<const platform::DesktopEntryIndex>(
            platform::DesktopEntryIndex::scan({ QStringLiteral(ORBITSHELF_TEST_DATA "/e2e_platform") }, "C"));
    });
    ASSERT_TRUE(launcher.openApplication(QStringLiteral("orbitshelf-launch-check.desktop")));
    EXPECT_FALSE(waitForWindow(QStringLiteral("orbitShelf launch check")).isEmpty());
    // Not our child: the window manager closes it.
    runTool(QStringLiteral("wmctrl"), { "-c", "orbitShelf launch check" });
    EXPECT_TRUE(
        waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf launch check")).isEmpty(); }));
}
