#include "tests/e2e_platform/support.h"

#include "apps/AXEventThread.h"

#include <QThread>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

using namespace orbitshelf::test;

namespace {

const char* const kNotifications[] = {
    "AXUIElementDestroyed", "AXTitleChanged", "AXWindowMiniaturized", "AXWindowDeminiaturized",
    "AXWindowResized", "AXMainWindowChanged", "AXWindowMoved", "AXApplicationActivated",
    "AXFocusedWindowChanged", "AXWindowCreated", "AXApplicationHidden", "AXApplicationShown",
};

// Collects what an observer hears, and on which thread.
struct Heard {
    std::mutex mutex;
    std::vector<QString> names;
    bool offThread = false;

    void add(const QString& name)
    {
        std::lock_guard lock(mutex);
        names.push_back(name);
        if (QThread::currentThread() != axEventsThread()->thread())
            offThread = true;
    }
    int count(const QString& name)
    {
        std::lock_guard lock(mutex);
        return int(std::count(names.begin(), names.end(), name));
    }
};

std::unique_ptr<platform::AXObserver> observe(const Client& c, Heard& heard)
{
    auto& ax = x11().accessibility();
    auto observer = ax.createObserver(qint32(c.pid), [&heard](const platform::AXElement&, const QString& name) {
        heard.add(name);
    });
    const auto element = platform::AXElement::windowElement(qint32(c.pid), c.window);
    for (const char* name : kNotifications)
        EXPECT_EQ(observer->addNotification(element, QString::fromLatin1(name)), platform::AXResult::success);
    observer->addToRunLoop(axEventsThread()->runLoop());
    return observer;
}

bool heardAtLeast(Heard& heard, const char* name, int n = 1)
{
    return waitUntil([&] { return heard.count(QString::fromLatin1(name)) >= n; }, std::chrono::seconds(10));
}

QString xdotool(const QStringList& args) { return runTool(QStringLiteral("xdotool"), args); }

} // namespace

TEST(WindowNotifications, EachWindowChangeArrivesOnTheEventThread)
{
    startAXBackgroundWork();
    const Client c = startClient(QStringLiteral("watched"), QStringLiteral("Watched"), QStringLiteral("40x10+100+100"));
    ASSERT_NE(c.window, 0u);
    Heard heard;
    auto observer = observe(c, heard);
    const QString id = QString::number(c.window);
    // The reader starts on the event thread; give it its first look.
    ASSERT_TRUE(waitUntil([&] { return true; }));

    // Every step is retried until heard: the reader may still be arming
    // itself when the first request goes out.
    ASSERT_TRUE(waitUntil([&] {
        xdotool({QStringLiteral("set_window"), QStringLiteral("--name"), QStringLiteral("renamed"), id});
        return heard.count(QStringLiteral("AXTitleChanged")) > 0;
    }, std::chrono::seconds(10))) << "title change";

    xdotool({QStringLiteral("windowmove"), id, QStringLiteral("300"), QStringLiteral("250")});
    EXPECT_TRUE(heardAtLeast(heard, "AXWindowMoved")) << "move";

    xdotool({QStringLiteral("windowsize"), id, QStringLiteral("420"), QStringLiteral("260")});
    EXPECT_TRUE(heardAtLeast(heard, "AXWindowResized")) << "resize";

    ASSERT_TRUE(x11().windowServer().minimize(c.window));
    EXPECT_TRUE(heardAtLeast(heard, "AXWindowMiniaturized")) << "minimise";
    EXPECT_TRUE(waitUntil([&] {
        return runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("WM_STATE")})
            .contains(QStringLiteral("Iconic"));
    })) << "WM_STATE is not Iconic after minimise";
    EXPECT_TRUE(waitUntil([&] {
        auto w = x11().windowServer().window(c.window);
        return w && w->minimized && !w->onScreen;
    }));
    EXPECT_FALSE(x11().windowServer().windowImage(c.window)) << "a minimised window has no picture";

    ASSERT_TRUE(x11().windowServer().unminimize(c.window));
    EXPECT_TRUE(heardAtLeast(heard, "AXWindowDeminiaturized")) << "restore";

    xdotool({QStringLiteral("windowunmap"), id});
    EXPECT_TRUE(heardAtLeast(heard, "AXUIElementDestroyed")) << "unmap (withdraw)";
    xdotool({QStringLiteral("windowmap"), id});
    EXPECT_TRUE(heardAtLeast(heard, "AXWindowCreated")) << "map";

    terminate(c.pid);
    EXPECT_TRUE(heardAtLeast(heard, "AXUIElementDestroyed", 2)) << "destroy";
    EXPECT_FALSE(heard.offThread) << "a notification arrived off the event thread";
    EXPECT_EQ(heard.count(QStringLiteral("AXApplicationHidden")), 0);
}

TEST(WindowNotifications, ADestroyedObserverHearsNothingMore)
{
    startAXBackgroundWork();
    const Client c = startClient(QStringLiteral("quiet"), QStringLiteral("Quiet"));
    ASSERT_NE(c.window, 0u);
    Heard heard;
    auto observer = observe(c, heard);
    const QString id = QString::number(c.window);
    ASSERT_TRUE(waitUntil([&] {
        xdotool({QStringLiteral("windowmove"), id, QStringLiteral("10"), QStringLiteral("10")});
        xdotool({QStringLiteral("windowmove"), id, QStringLiteral("60"), QStringLiteral("60")});
        return heard.count(QStringLiteral("AXWindowMoved")) > 0;
    }, std::chrono::seconds(10)));
    observer.reset();
    const int before = heard.count(QStringLiteral("AXWindowMoved"));
    xdotool({QStringLiteral("windowmove"), id, QStringLiteral("200"), QStringLiteral("200")});
    terminate(c.pid);
    // Wait for the window to be gone, which the server tells every client
    // after the move; nothing may have been delivered meanwhile.
    ASSERT_TRUE(waitUntil([&] { return !windowExists(c.window); }));
    waitUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(heard.count(QStringLiteral("AXWindowMoved")), before);
    EXPECT_EQ(heard.count(QStringLiteral("AXUIElementDestroyed")), 0);
}

TEST(WindowNotifications, ActivationNotifiesTheApplicationAndItsWindow)
{
    startAXBackgroundWork();
    const Client a = startClient(QStringLiteral("first"), QStringLiteral("First"), QStringLiteral("40x10+10+10"));
    const Client b = startClient(QStringLiteral("second"), QStringLiteral("Second"), QStringLiteral("40x10+500+10"));
    ASSERT_NE(a.window, 0u);
    ASSERT_NE(b.window, 0u);
    ASSERT_TRUE(x11().windowServer().activate(a.window));
    ASSERT_TRUE(waitUntil([&] { return x11().windowServer().activeWindow() == a.window; }));

    Heard heard;
    auto& ax = x11().accessibility();
    auto observer = ax.createObserver(qint32(b.pid), [&heard](const platform::AXElement&, const QString& name) {
        heard.add(name);
    });
    const auto app = platform::AXElement::application(qint32(b.pid));
    observer->addNotification(app, QStringLiteral("AXApplicationActivated"));
    observer->addNotification(app, QStringLiteral("AXFocusedWindowChanged"));
    observer->addToRunLoop(axEventsThread()->runLoop());
    ASSERT_TRUE(waitUntil([&] {
        x11().windowServer().activate(a.window);
        x11().windowServer().activate(b.window);
        return heard.count(QStringLiteral("AXApplicationActivated")) > 0;
    }, std::chrono::seconds(10)));
    EXPECT_GE(heard.count(QStringLiteral("AXFocusedWindowChanged")), 1);
    terminate(a.pid);
    terminate(b.pid);
}

TEST(WindowNotifications, ARenameThroughBothTitlePropertiesIsOneNotice)
{
    startAXBackgroundWork();
    const Client c = startClient(QStringLiteral("renamed"), QStringLiteral("Renamed"), QStringLiteral("40x10+120+120"));
    ASSERT_NE(c.window, 0u);
    Heard heard;
    auto observer = observe(c, heard);
    const QString id = QString::number(c.window);
    const QString title = QStringLiteral("AXTitleChanged");

    // A client that writes only WM_NAME is still heard.
    ASSERT_TRUE(waitUntil([&] {
        runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("-f"), QStringLiteral("WM_NAME"),
                                          QStringLiteral("8s"), QStringLiteral("-set"), QStringLiteral("WM_NAME"),
                                          QStringLiteral("legacy name")});
        return heard.count(title) > 0;
    }, std::chrono::seconds(10))) << "WM_NAME alone";

    // xdotool writes WM_NAME and _NET_WM_NAME for each rename, as toolkits
    // do. A move after the renames is heard only once every notice of theirs
    // has been delivered, so the count is final then.
    int moves = 0;
    auto settle = [&] {
        xdotool({QStringLiteral("windowmove"), id, QString::number(200 + 10 * moves), QStringLiteral("200")});
        ++moves;
        return heardAtLeast(heard, "AXWindowMoved", moves);
    };
    xdotool({QStringLiteral("set_window"), QStringLiteral("--name"), QStringLiteral("first"), id});
    ASSERT_TRUE(settle());
    const int before = heard.count(title);
    for (const char* name : {"second", "third", "fourth"})
        xdotool({QStringLiteral("set_window"), QStringLiteral("--name"), QString::fromLatin1(name), id});
    ASSERT_TRUE(settle());
    EXPECT_EQ(heard.count(title) - before, 3);
    const auto window = x11().windowServer().window(c.window);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title, std::optional<QString>(QStringLiteral("fourth")));
    terminate(c.pid);
}
