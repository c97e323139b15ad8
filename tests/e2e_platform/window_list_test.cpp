#include "tests/e2e_platform/support.h"

#include "apps/AXAttributes.h"
#include "apps/WindowInfo.h"
#include "platform/x11/X11Platform.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>

using namespace orbitshelf::test;

namespace {

struct WmctrlRow {
    qint64 pid;
    QString title;
};

// wmctrl -lp: "0x00a0000d  0 4242   host title with spaces"
std::map<quint32, WmctrlRow> wmctrlWindows()
{
    std::map<quint32, WmctrlRow> rows;
    static const QRegularExpression line(QStringLiteral(R"(^(0x[0-9a-fA-F]+)\s+(-?\d+)\s+(\d+)\s+(\S+)\s?(.*)$)"));
    for (const QString& text : runTool(QStringLiteral("wmctrl"), {QStringLiteral("-lp")}).split('\n', Qt::SkipEmptyParts)) {
        const auto m = line.match(text);
        if (m.hasMatch())
            rows[m.captured(1).toUInt(nullptr, 16)] = {m.captured(3).toLongLong(), m.captured(5)};
    }
    return rows;
}

} // namespace

TEST(WindowList, AgreesWithWmctrlOnIdsPidsAndTitles)
{
    const Client a = startClient(QStringLiteral("list one"), QStringLiteral("KlassOne"), QStringLiteral("40x10+20+30"));
    const Client b = startClient(QStringLiteral("list two"), QStringLiteral("KlassTwo"), QStringLiteral("50x12+400+300"));
    ASSERT_NE(a.window, 0u);
    ASSERT_NE(b.window, 0u);
    // A UTF-8 title (_NET_WM_NAME), which wmctrl reads as well as we do.
    const QString unicode = QStringLiteral("list two — ünïcode ✓");
    runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(b.window), QStringLiteral("-f"),
                                      QStringLiteral("_NET_WM_NAME"), QStringLiteral("8u"), QStringLiteral("-set"),
                                      QStringLiteral("_NET_WM_NAME"), unicode});
    ASSERT_TRUE(waitUntil([&] { auto w = listed(b.window); return w && w->title == unicode; }));

    const auto theirs = wmctrlWindows();
    const auto ours = x11().windowServer().windowList();
    ASSERT_EQ(ours.size(), theirs.size());
    for (const platform::ServerWindow& w : ours) {
        auto it = theirs.find(w.id);
        ASSERT_NE(it, theirs.end()) << "window " << w.id << " is not in wmctrl's list";
        EXPECT_EQ(it->second.pid, w.pid);
        EXPECT_EQ(it->second.title, w.title.value_or(QString()));
    }

    const auto one = listed(a.window);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->className, QStringLiteral("KlassOne"));
    EXPECT_EQ(one->kind, platform::WindowKind::normal);
    EXPECT_TRUE(one->onScreen);
    EXPECT_FALSE(one->minimized);
    EXPECT_GT(one->client.width(), 50);
    EXPECT_TRUE(one->frame.contains(one->client));

    // The model's records carry real geometry and on-screen state.
    bool found = false;
    for (const WindowInfo& info : getWindowInfoList()) {
        if (info.windowNumber != qint64(b.window))
            continue;
        found = true;
        EXPECT_EQ(info.ownerProcessID, b.pid);
        EXPECT_EQ(info.ownerName, QStringLiteral("KlassTwo"));
        EXPECT_TRUE(info.isOnscreen);
        EXPECT_GT(info.bounds.width(), 0);
        EXPECT_GT(info.bounds.height(), 0);
        EXPECT_GE(info.bounds.x(), 390); // placed at +400 by its geometry, decoration aside
    }
    EXPECT_TRUE(found);

    terminate(a.pid);
    terminate(b.pid);
    EXPECT_TRUE(waitUntil([&] { return !listed(a.window) && !listed(b.window); }));
}

TEST(WindowList, AccessibilityReadsOfAWindowThatVanishedReadAsAbsent)
{
    const Client c = startClient(QStringLiteral("short lived"), QStringLiteral("Gone"));
    ASSERT_NE(c.window, 0u);
    const platform::AXElement app = platform::AXElement::application(qint32(c.pid));
    platform::current().accessibility(); // the platform is installed
    const auto windows = copyElementListAttribute(QStringLiteral("AXWindows"), app);
    ASSERT_TRUE(windows);
    ASSERT_EQ(windows->size(), 1u);
    const platform::AXElement element = windows->front();

    terminate(c.pid);
    ASSERT_TRUE(waitUntil([&] { return !windowExists(c.window); }));

    EXPECT_EQ(copyStringAttribute(QStringLiteral("AXTitle"), element), std::nullopt);
    EXPECT_EQ(copyBoolAttribute(QStringLiteral("AXMinimized"), element), std::nullopt);
    EXPECT_EQ(windowSize(element), std::nullopt);
    quint32 number = 0;
    EXPECT_EQ(x11().accessibility().windowNumber(element, number), platform::AXResult::invalidUIElement);
    EXPECT_FALSE(x11().windowServer().activate(c.window));
    EXPECT_FALSE(x11().windowServer().windowImage(c.window));
    EXPECT_TRUE(x11().windowServer().spacesOfWindow(c.window).empty());
    // Writes to it are requests that go nowhere.
    setWindowSize(300, 200, element);
    EXPECT_EQ(x11().accessibility().performAction(element, QStringLiteral("AXRaise")),
              platform::AXResult::invalidUIElement);
}

TEST(WindowList, ABatchAnswersEveryReadFromOneSnapshot)
{
    const Client a = startClient(QStringLiteral("batch a"), QStringLiteral("Batch"));
    const Client b = startClient(QStringLiteral("batch b"), QStringLiteral("Batch"), QStringLiteral("40x10+300+300"));
    ASSERT_NE(a.window, 0u);
    ASSERT_NE(b.window, 0u);
    auto& ax = x11().accessibility();
    const quint64 before = platform::x11::x11RoundTrips();
    {
        auto batch = ax.beginReadBatch();
        for (const Client& c : {a, b}) {
            const auto list = copyElementListAttribute(QStringLiteral("AXWindows"), platform::AXElement::application(qint32(c.pid)));
            ASSERT_TRUE(list);
            for (const auto& e : *list) {
                EXPECT_TRUE(copyStringAttribute(QStringLiteral("AXTitle"), e));
                EXPECT_EQ(copyStringAttribute(QStringLiteral("AXSubrole"), e), QStringLiteral("AXStandardWindow"));
                EXPECT_TRUE(windowPosition(e));
                EXPECT_TRUE(windowSize(e));
            }
        }
        // What a model refresh asks besides the elements.
        EXPECT_GE(x11().windowServer().windowList().size(), 2u);
        EXPECT_GE(x11().workspace().runningApplications().size(), 2);
    }
    EXPECT_EQ(platform::x11::x11RoundTrips() - before, 2u);
    terminate(a.pid);
    terminate(b.pid);
}

TEST(WindowList, AClientWithoutAPidPropertyStillNamesItsProcess)
{
    const Client c = startClient(QStringLiteral("no pid"), QStringLiteral("NoPid"));
    ASSERT_NE(c.window, 0u);
    runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(c.window), QStringLiteral("-remove"),
                                      QStringLiteral("_NET_WM_PID")});
    ASSERT_TRUE(waitUntil([&] {
        return !runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(c.window), QStringLiteral("_NET_WM_PID")})
                    .contains(QStringLiteral("= "));
    }));
    const auto w = listed(c.window);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->pid, c.pid);
    EXPECT_EQ(x11().windowServer().processOfWindow(c.window), c.pid);
    terminate(c.pid);
}

TEST(WindowList, TitleReadAloneFollowsBothNamePropertiesAndTheirTypes)
{
    // A rename is answered by reading the two name properties only; the
    // answer must be the one the full read gives.
    const Client c = startClient(QStringLiteral("named"), QStringLiteral("Named"));
    ASSERT_NE(c.window, 0u);
    const QString id = QString::number(c.window);
    const platform::AXElement element = platform::AXElement::windowElement(qint32(c.pid), c.window);
    const auto title = [&] { return copyStringAttribute(QStringLiteral("AXTitle"), element); };
    const auto fullReadTitle = [&]() -> std::optional<QString> {
        const auto w = listed(c.window);
        return w ? w->title : std::nullopt;
    };

    // Non-Latin text in the EWMH name (UTF8_STRING).
    runTool(QStringLiteral("xprop"), { QStringLiteral("-id"), id, QStringLiteral("-f"), QStringLiteral("_NET_WM_NAME"),
                                         QStringLiteral("8u"), QStringLiteral("-set"), QStringLiteral("_NET_WM_NAME"),
                                         QStringLiteral("Grüße – 東京") });
    EXPECT_TRUE(waitUntil([&] { return title() == QStringLiteral("Grüße – 東京"); }));
    EXPECT_EQ(title(), fullReadTitle());

    // Without the EWMH name the ICCCM name (Latin-1 STRING) is the title.
    runTool(QStringLiteral("xprop"), { QStringLiteral("-id"), id, QStringLiteral("-remove"), QStringLiteral("_NET_WM_NAME") });
    runTool(QStringLiteral("xprop"), { QStringLiteral("-id"), id, QStringLiteral("-f"), QStringLiteral("WM_NAME"),
                                         QStringLiteral("8s"), QStringLiteral("-set"), QStringLiteral("WM_NAME"),
                                         QStringLiteral("plain") });
    EXPECT_TRUE(waitUntil([&] { return title() == QStringLiteral("plain"); }));
    EXPECT_EQ(title(), fullReadTitle());

    // Neither: no title, as the full read says.
    runTool(QStringLiteral("xprop"), { QStringLiteral("-id"), id, QStringLiteral("-remove"), QStringLiteral("WM_NAME") });
    EXPECT_TRUE(waitUntil([&] { return !title(); }));
    EXPECT_EQ(fullReadTitle(), std::nullopt);
    terminate(c.pid);
}
