#include "tests/e2e_platform/support.h"

#include "apps/AXAttributes.h"
#include "platform/Coordinates.h"


#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

std::optional<quint32> rootActiveWindow()
{
    // "_NET_ACTIVE_WINDOW(WINDOW): window id # 0x1200003"
    const QString text = runTool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
    const int hash = text.indexOf('#');
    if (hash < 0)
        return std::nullopt;
    bool ok = false;
    const quint32 id = text.mid(hash + 1).trimmed().split(',').first().toUInt(&ok, 16);
    return ok ? std::optional<quint32>(id) : std::nullopt;
}

} // namespace

TEST(WindowActions, ActivationMakesTheTargetTheActiveWindow)
{
    const Client a = startClient(QStringLiteral("act a"), QStringLiteral("ActA"), QStringLiteral("40x10+10+400"));
    const Client b = startClient(QStringLiteral("act b"), QStringLiteral("ActB"), QStringLiteral("40x10+600+400"));
    ASSERT_NE(a.window, 0u);
    ASSERT_NE(b.window, 0u);
    for (const Client& target : {a, b, a}) {
        ASSERT_TRUE(x11().windowServer().activate(target.window));
        EXPECT_TRUE(waitUntil([&] { return rootActiveWindow() == target.window; })) << target.window;
    }
    // Bringing a process to the front activates its window, off our thread.
    x11().scripts().bringProcessToFront(qint32(b.pid), QStringLiteral("act \"b\"; rm -rf"));
    EXPECT_TRUE(waitUntil([&] { return rootActiveWindow() == b.window; }));
    EXPECT_EQ(x11().scripts().hideSystemDock(), platform::ScriptOutcome::notApplicable);

    // "AXMain" follows the active window; "AXRaise" activates.
    const auto elementA = platform::AXElement::windowElement(qint32(a.pid), a.window);
    EXPECT_EQ(copyBoolAttribute(QStringLiteral("AXMain"), elementA), false);
    EXPECT_EQ(x11().accessibility().performAction(elementA, QStringLiteral("AXRaise")), platform::AXResult::success);
    EXPECT_TRUE(waitUntil([&] { return copyBoolAttribute(QStringLiteral("AXMain"), elementA) == true; }));
    const auto focused = copyElementAttribute(QStringLiteral("AXFocusedWindow"),
                                              platform::AXElement::application(qint32(a.pid)));
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->window, a.window);
    terminate(a.pid);
    terminate(b.pid);
}

TEST(WindowActions, MoveResizeAndCloseThroughAccessibility)
{
    const Client c = startClient(QStringLiteral("shaped"), QStringLiteral("Shaped"), QStringLiteral("40x10+100+100"));
    ASSERT_NE(c.window, 0u);
    const auto element = platform::AXElement::windowElement(qint32(c.pid), c.window);

    setWindowPosition(320, 180, element);
    EXPECT_TRUE(waitUntil([&] {
        auto p = windowPosition(element);
        return p && p->first == 320 && p->second == 180;
    })) << "position did not arrive";
    setWindowSize(500, 320, element);
    EXPECT_TRUE(waitUntil([&] {
        auto s = windowSize(element);
        // xterm sizes itself in character cells; it may round down.
        return s && std::abs(s->first - 500) < 16 && std::abs(s->second - 320) < 24;
    })) << "size did not arrive";

    const auto image = x11().windowServer().windowImage(c.window);
    ASSERT_TRUE(image);
    const auto w = x11().windowServer().window(c.window);
    ASSERT_TRUE(w);
    EXPECT_EQ(image->size(), w->client.size());

    // The pointer and the window under it.
    const QPoint centre = w->frame.center();
    x11().pointer().warp(centre);
    EXPECT_TRUE(waitUntil([&] { return x11().pointer().position() == centre; }));
    EXPECT_EQ(x11().windowServer().windowAt(centre), c.window);

    const auto close = copyElementAttribute(QStringLiteral("AXCloseButton"), element);
    ASSERT_TRUE(close);
    EXPECT_EQ(x11().accessibility().performAction(*close, QStringLiteral("AXPress")), platform::AXResult::success);
    EXPECT_TRUE(waitUntil([&] { return !windowExists(c.window); }, std::chrono::seconds(10)));
    terminate(c.pid);
}

TEST(Workspace, LaunchAndQuitNoticesFollowTheClientList)
{
    auto& workspace = x11().workspace();
    std::vector<qint32> launched, terminated;
    QObject context;
    QObject::connect(&workspace, &platform::Workspace::applicationLaunched, &context,
                     [&](const platform::RunningApplication& a) { launched.push_back(a.processIdentifier); });
    QObject::connect(&workspace, &platform::Workspace::applicationTerminated, &context,
                     [&](const platform::RunningApplication& a) { terminated.push_back(a.processIdentifier); });
    const Client c = startClient(QStringLiteral("launched"), QStringLiteral("Launched"));
    ASSERT_NE(c.window, 0u);
    auto heardOf = [](const std::vector<qint32>& pids, qint64 pid) {
        return std::find(pids.begin(), pids.end(), qint32(pid)) != pids.end();
    };
    EXPECT_TRUE(waitUntil([&] { return heardOf(launched, c.pid); }));
    bool running = false;
    for (const platform::RunningApplication& app : workspace.runningApplications())
        if (app.processIdentifier == c.pid) {
            running = true;
            EXPECT_EQ(app.windowClass, QStringLiteral("Launched"));
            EXPECT_TRUE(app.executableURL.value_or(QString()).endsWith(QStringLiteral("xterm")));
        }
    EXPECT_TRUE(running);
    terminate(c.pid);
    EXPECT_TRUE(waitUntil([&] { return heardOf(terminated, c.pid); }));
}
