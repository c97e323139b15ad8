#pragma once

// What platform/fake and platform/x11 both promise, written once: the fake
// runs it in tests/platform, the X11 layer on a private X server in
// tests/e2e_platform. A program runs it by naming its desktop:
//   INSTANTIATE_TEST_SUITE_P(Fake, PlatformContract, ::testing::Values(&makeFakeDesktop));
// The header defines tests: include it from one file per program.

#include "platform/Platform.h"
#include "tests/support/XvfbSession.h"

#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <deque>
#include <mutex>

namespace orbitshelf::test {

struct OpenedWindow {
    qint32 pid = 0;
    quint32 id = 0;
};

// The desktop a contract test runs on. The code under test acts through
// platform(); the applications and the user act through the driver.
class DesktopDriver {
public:
    virtual ~DesktopDriver() = default;
    virtual platform::Platform& platform() = 0;
    // A QObject on the thread observers deliver on.
    virtual QObject* runLoop() = 0;
    // A new application with one window whose frame starts at `at`,
    // returned once the window list holds it.
    virtual OpenedWindow open(const QString& title, QPoint at) = 0;
    virtual void rename(const OpenedWindow& window, const QString& title) = 0;
    virtual void drag(const OpenedWindow& window, QPoint topLeft) = 0;
    virtual void quit(const OpenedWindow& window) = 0;
    // Waits for the condition while the desktop carries out what was asked
    // of it; false after a few seconds.
    virtual bool eventually(const std::function<bool()>& condition) = 0;
};

using DesktopFactory = std::unique_ptr<DesktopDriver> (*)();

class PlatformContract : public ::testing::TestWithParam<DesktopFactory> {
protected:
    // What one observer heard.
    struct Heard {
        std::mutex mutex;
        std::vector<QString> names;
        bool offThread = false;
        int count(const char* name)
        {
            std::lock_guard lock(mutex);
            return int(std::count(names.begin(), names.end(), QLatin1String(name)));
        }
    };

    void TearDown() override
    {
        for (Heard& h : heard)
            EXPECT_FALSE(h.offThread) << "a notification arrived off the run loop's thread";
    }

    // An observer of the window (or of its application) for these
    // notifications, armed once this returns.
    std::unique_ptr<platform::AXObserver> observe(const OpenedWindow& window,
        std::initializer_list<const char*> names, Heard& into, bool application = false)
    {
        QThread* thread = desktop->runLoop()->thread();
        auto observer = ax().createObserver(
            window.pid, [&into, thread](const platform::AXElement&, const QString& name) {
                std::lock_guard lock(into.mutex);
                into.names.push_back(name);
                into.offThread = into.offThread || QThread::currentThread() != thread;
            });
        for (const char* name : names)
            EXPECT_EQ(observer->addNotification(
                          application ? platform::AXElement::application(window.pid) : element(window),
                          QString::fromLatin1(name)),
                platform::AXResult::success);
        observer->addToRunLoop(desktop->runLoop());
        // Whatever arming the observer queued on the run loop's thread has
        // run once a call queued after it has.
        auto done = std::make_shared<std::atomic<bool>>(false);
        QMetaObject::invokeMethod(
            desktop->runLoop(), [done] { *done = true; }, Qt::QueuedConnection);
        EXPECT_TRUE(waitUntil([&] { return done->load(); }));
        return observer;
    }

    static platform::AXElement element(const OpenedWindow& w)
    {
        return platform::AXElement::windowElement(w.pid, w.id);
    }
    platform::WindowServer& server() { return desktop->platform().windowServer(); }
    platform::Accessibility& ax() { return desktop->platform().accessibility(); }

    std::optional<platform::ServerWindow> listed(quint32 id)
    {
        for (const platform::ServerWindow& w : server().windowList())
            if (w.id == id)
                return w;
        return std::nullopt;
    }
    bool running(qint32 pid)
    {
        const auto apps = desktop->platform().workspace().runningApplications();
        return std::any_of(
            apps.begin(), apps.end(), [&](const auto& a) { return a.processIdentifier == pid; });
    }
    template <class T> std::optional<T> read(const platform::AXElement& e, const char* attribute)
    {
        platform::AXValue value;
        if (ax().copyAttributeValue(e, QString::fromLatin1(attribute), value) != platform::AXResult::success
            || !std::holds_alternative<T>(value))
            return std::nullopt;
        return std::get<T>(value);
    }

    std::unique_ptr<DesktopDriver> desktop = GetParam()();
    std::deque<Heard> heard;
};

TEST_P(PlatformContract, AnOpenedWindowIsListedUntilItsApplicationQuits)
{
    std::vector<qint32> launched, terminated;
    QObject context;
    auto& workspace = desktop->platform().workspace();
    QObject::connect(&workspace, &platform::Workspace::applicationLaunched, &context,
        [&](const platform::RunningApplication& a) { launched.push_back(a.processIdentifier); });
    QObject::connect(&workspace, &platform::Workspace::applicationTerminated, &context,
        [&](const platform::RunningApplication& a) { terminated.push_back(a.processIdentifier); });
    auto heardOf = [](const std::vector<qint32>& pids, qint32 pid) {
        return std::find(pids.begin(), pids.end(), pid) != pids.end();
    };

    const OpenedWindow w = desktop->open(QStringLiteral("contract listed"), QPoint(400, 300));
    ASSERT_NE(w.id, 0u);
    const auto entry = listed(w.id);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->pid, w.pid);
    EXPECT_EQ(entry->title, QStringLiteral("contract listed"));
    EXPECT_EQ(entry->kind, platform::WindowKind::normal);
    EXPECT_TRUE(entry->onScreen);
    EXPECT_FALSE(entry->minimized);
    EXPECT_LE((entry->frame.topLeft() - QPoint(400, 300)).manhattanLength(), 40)
        << "frames are in root coordinates";
    EXPECT_TRUE(entry->frame.contains(entry->client));
    EXPECT_EQ(server().window(w.id)->title, entry->title);
    EXPECT_EQ(server().processOfWindow(w.id), w.pid);
    EXPECT_EQ(read<platform::AXElementList>(platform::AXElement::application(w.pid), platform::ax::windows),
        platform::AXElementList { element(w) });
    EXPECT_TRUE(desktop->eventually([&] { return heardOf(launched, w.pid) && running(w.pid); }));

    desktop->quit(w);
    EXPECT_TRUE(desktop->eventually([&] { return !listed(w.id) && heardOf(terminated, w.pid); }));
    EXPECT_FALSE(server().window(w.id));
    EXPECT_FALSE(running(w.pid));
}

TEST_P(PlatformContract, AVanishedWindowReadsAsAbsentAndTakesNoRequests)
{
    const OpenedWindow w = desktop->open(QStringLiteral("contract vanished"), QPoint(100, 100));
    ASSERT_NE(w.id, 0u);
    desktop->quit(w);
    ASSERT_TRUE(desktop->eventually([&] { return !server().window(w.id); }));

    platform::AXValue value;
    EXPECT_EQ(ax().copyAttributeValue(element(w), QString::fromLatin1(platform::ax::title), value),
        platform::AXResult::invalidUIElement);
    quint32 number = 0;
    EXPECT_EQ(ax().windowNumber(element(w), number), platform::AXResult::invalidUIElement);
    EXPECT_EQ(ax().performAction(element(w), QString::fromLatin1(platform::ax::raise)),
        platform::AXResult::invalidUIElement);
    EXPECT_FALSE(server().activate(w.id));
    EXPECT_FALSE(server().minimize(w.id));
    EXPECT_FALSE(server().windowImage(w.id));
    EXPECT_TRUE(server().spacesOfWindow(w.id).empty());
}

TEST_P(PlatformContract, ActivationMakesTheWindowActiveAndTellsItsApplication)
{
    const OpenedWindow a = desktop->open(QStringLiteral("contract first"), QPoint(60, 60));
    const OpenedWindow b = desktop->open(QStringLiteral("contract second"), QPoint(700, 60));
    ASSERT_TRUE(a.id && b.id);
    ASSERT_TRUE(server().activate(a.id));
    ASSERT_TRUE(desktop->eventually([&] { return server().activeWindow() == a.id; }));

    auto observer = observe(b, { platform::ax::applicationActivated, platform::ax::focusedWindowChanged },
        heard.emplace_back(), true);
    EXPECT_EQ(ax().performAction(element(b), QString::fromLatin1(platform::ax::raise)),
        platform::AXResult::success);
    EXPECT_TRUE(desktop->eventually([&] { return server().activeWindow() == b.id; }));
    EXPECT_TRUE(desktop->eventually([&] {
        return heard.back().count(platform::ax::applicationActivated)
            && heard.back().count(platform::ax::focusedWindowChanged);
    }));
    EXPECT_EQ(read<bool>(element(b), platform::ax::main), true);
    EXPECT_EQ(read<bool>(element(a), platform::ax::main), false);
    EXPECT_EQ(read<platform::AXElement>(platform::AXElement::application(b.pid), platform::ax::focusedWindow)
                  .value_or(platform::AXElement())
                  .window,
        b.id);
    // The workspace learns the front application from the active window's
    // notice, read on its own connection: on a busy machine a moment later.
    qint64 frontPid = 0;
    EXPECT_TRUE(desktop->eventually([&] {
        const auto front = desktop->platform().workspace().frontmostApplication();
        frontPid = front ? front->processIdentifier : 0;
        return frontPid == b.pid;
    })) << "the front application is "
        << frontPid << ", not " << b.pid;
}

TEST_P(PlatformContract, MinimiseRestoreAndFullScreenAreReadBack)
{
    const OpenedWindow w = desktop->open(QStringLiteral("contract states"), QPoint(100, 100));
    ASSERT_NE(w.id, 0u);
    auto observer = observe(
        w, { platform::ax::windowMiniaturized, platform::ax::windowDeminiaturized }, heard.emplace_back());

    ASSERT_TRUE(server().minimize(w.id));
    EXPECT_TRUE(desktop->eventually([&] {
        const auto s = server().window(w.id);
        return s && s->minimized && !s->onScreen && heard.back().count(platform::ax::windowMiniaturized);
    }));
    EXPECT_EQ(read<bool>(element(w), platform::ax::minimized), true);
    EXPECT_FALSE(server().windowImage(w.id)) << "a minimised window has no picture";

    ASSERT_TRUE(server().unminimize(w.id));
    EXPECT_TRUE(desktop->eventually([&] {
        const auto s = server().window(w.id);
        return s && !s->minimized && s->onScreen && heard.back().count(platform::ax::windowDeminiaturized);
    }));
    std::optional<QImage> image;
    EXPECT_TRUE(desktop->eventually([&] { return (image = server().windowImage(w.id)).has_value(); }));
    EXPECT_EQ(image.value_or(QImage()).size(), server().window(w.id)->client.size());

    const auto fullScreen
        = [&] { return server().window(w.id).value_or(platform::ServerWindow()).fullScreen; };
    ASSERT_TRUE(server().setFullScreen(w.id, true));
    EXPECT_TRUE(desktop->eventually(fullScreen));
    ASSERT_TRUE(server().setFullScreen(w.id, false));
    EXPECT_TRUE(desktop->eventually([&] { return !fullScreen(); }));
}

TEST_P(PlatformContract, EachRenameAndDragByTheApplicationIsHeardOnce)
{
    const OpenedWindow w = desktop->open(QStringLiteral("contract renamed"), QPoint(150, 150));
    ASSERT_NE(w.id, 0u);
    Heard& h = heard.emplace_back();
    auto observer = observe(w, { platform::ax::titleChanged, platform::ax::windowMoved }, h);
    // A drag is heard after every notice of what came before it, so the
    // count of those is final then. The first rename teaches the X11 layer
    // which name properties the application writes.
    desktop->rename(w, QStringLiteral("first"));
    desktop->drag(w, QPoint(200, 150));
    ASSERT_TRUE(desktop->eventually([&] { return h.count(platform::ax::windowMoved) == 1; }));
    const int before = h.count(platform::ax::titleChanged);
    EXPECT_GE(before, 1);
    for (const char* title : { "second", "third", "fourth" })
        desktop->rename(w, QString::fromLatin1(title));
    desktop->drag(w, QPoint(300, 200));
    ASSERT_TRUE(desktop->eventually([&] { return h.count(platform::ax::windowMoved) == 2; }));
    EXPECT_EQ(h.count(platform::ax::titleChanged) - before, 3);
    // In the order done: no rename is heard after the drag that followed it.
    QString order;
    {
        std::lock_guard lock(h.mutex);
        for (const QString& name : h.names)
            order += name == QLatin1String(platform::ax::windowMoved) ? QLatin1Char('M') : QLatin1Char('T');
    }
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^T+MTTTM$")).match(order).hasMatch())
        << "heard (T a rename, M a drag): " << order.toStdString();
    EXPECT_EQ(read<QString>(element(w), platform::ax::title), QStringLiteral("fourth"));
    EXPECT_EQ(listed(w.id).value_or(platform::ServerWindow()).title, QStringLiteral("fourth"));
}

TEST_P(PlatformContract, AccessibilityRequestsMoveResizeAndCloseTheWindow)
{
    const OpenedWindow w = desktop->open(QStringLiteral("contract requests"), QPoint(100, 100));
    ASSERT_NE(w.id, 0u);
    auto observer = observe(w,
        { platform::ax::windowMoved, platform::ax::windowResized, platform::ax::uiElementDestroyed },
        heard.emplace_back());
    Heard& h = heard.back();

    EXPECT_EQ(
        ax().setAttributeValue(element(w), QString::fromLatin1(platform::ax::position), QPointF(320, 180)),
        platform::AXResult::success);
    EXPECT_TRUE(desktop->eventually([&] {
        return read<QPointF>(element(w), platform::ax::position) == QPointF(320, 180)
            && h.count(platform::ax::windowMoved);
    }));
    EXPECT_EQ(ax().setAttributeValue(element(w), QString::fromLatin1(platform::ax::size), QSizeF(500, 320)),
        platform::AXResult::success);
    EXPECT_TRUE(desktop->eventually([&] {
        // xterm sizes itself in whole character cells.
        const QSizeF s = read<QSizeF>(element(w), platform::ax::size).value_or(QSizeF());
        return std::abs(s.width() - 500) < 16 && std::abs(s.height() - 320) < 24
            && h.count(platform::ax::windowResized);
    }));

    const QPoint centre = server().window(w.id)->frame.center();
    EXPECT_EQ(server().windowAt(centre), w.id);
    desktop->platform().pointer().warp(centre);
    EXPECT_TRUE(desktop->eventually([&] { return desktop->platform().pointer().position() == centre; }));

    const auto close = read<platform::AXElement>(element(w), platform::ax::closeButton);
    ASSERT_TRUE(close);
    EXPECT_EQ(
        ax().performAction(*close, QString::fromLatin1(platform::ax::press)), platform::AXResult::success);
    EXPECT_TRUE(desktop->eventually(
        [&] { return !server().window(w.id) && h.count(platform::ax::uiElementDestroyed); }))
        << "still listed: " << server().window(w.id).has_value()
        << ", end heard: " << h.count(platform::ax::uiElementDestroyed);
}

TEST_P(PlatformContract, ADestroyedObserverHearsNothingMore)
{
    const OpenedWindow w = desktop->open(QStringLiteral("contract quiet"), QPoint(100, 100));
    ASSERT_NE(w.id, 0u);
    Heard& quiet = heard.emplace_back();
    Heard& witness = heard.emplace_back();
    auto observer = observe(w, { platform::ax::windowMoved, platform::ax::uiElementDestroyed }, quiet);
    auto stays = observe(w, { platform::ax::windowMoved, platform::ax::uiElementDestroyed }, witness);
    desktop->drag(w, QPoint(200, 200));
    ASSERT_TRUE(desktop->eventually([&] { return quiet.count(platform::ax::windowMoved) > 0; }));

    observer.reset();
    const int moves = quiet.count(platform::ax::windowMoved);
    desktop->drag(w, QPoint(260, 260));
    desktop->quit(w);
    // The witness hears of the end after anything about the drag.
    ASSERT_TRUE(desktop->eventually([&] { return witness.count(platform::ax::uiElementDestroyed) > 0; }));
    EXPECT_EQ(quiet.count(platform::ax::windowMoved), moves);
    EXPECT_EQ(quiet.count(platform::ax::uiElementDestroyed), 0);
}

} // namespace orbitshelf::test
