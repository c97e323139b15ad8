#include "platform/fake/FakePlatform.h"
#include "tests/support/PlatformContract.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

using namespace platform;
using platform::fake::FakeAction;
using platform::fake::FakePlatform;

namespace {

// The scripted desktop under the contract the X11 layer keeps too. It plays
// the window manager and the applications: what the code under test asks
// for is recorded by the fake, and the notices a real desktop would send
// about it are fired here.
class FakeDesktop final : public orbitshelf::test::DesktopDriver {
public:
    FakeDesktop()
    {
        fake.setOwnPid(1);
        m_runLoop.moveToThread(&m_thread);
        m_thread.start();
    }
    ~FakeDesktop() override
    {
        m_thread.quit();
        m_thread.wait();
    }

    Platform& platform() override { return fake; }
    QObject* runLoop() override { return &m_runLoop; }
    orbitshelf::test::OpenedWindow open(const QString& title, QPoint at) override
    {
        RunningApplication app;
        app.processIdentifier = m_nextPid++;
        app.localizedName = title;
        fake.addApp(app);
        return { app.processIdentifier,
            fake.addWindow(app.processIdentifier, title, QRect(at, QSize(400, 300))) };
    }
    void rename(const orbitshelf::test::OpenedWindow& w, const QString& title) override
    {
        fake.setTitle(w.id, title);
        fire(w.pid, w.id, ax::titleChanged);
    }
    void drag(const orbitshelf::test::OpenedWindow& w, QPoint topLeft) override
    {
        fake.updateWindow(w.id, [&](ServerWindow& s) {
            s.client.translate(topLeft - s.frame.topLeft());
            s.frame.moveTopLeft(topLeft);
        });
        fire(w.pid, w.id, ax::windowMoved);
    }
    void quit(const orbitshelf::test::OpenedWindow& w) override
    {
        fire(w.pid, w.id, ax::uiElementDestroyed);
        fake.removeApp(w.pid);
    }
    bool eventually(const std::function<bool()>& condition) override
    {
        return orbitshelf::test::waitUntil(
            [&] {
                answerRequests();
                return condition();
            },
            std::chrono::seconds(2));
    }

    FakePlatform fake;

private:
    void fire(qint32 pid, quint32 window, const char* name)
    {
        fake.fire(AXElement::windowElement(pid, window), QString::fromLatin1(name));
    }
    void answerRequests()
    {
        const std::vector<FakeAction> actions = fake.actions();
        for (; m_answered < actions.size(); ++m_answered) {
            const FakeAction& a = actions[m_answered];
            switch (a.kind) {
            case FakeAction::Kind::activate:
                fire(a.pid, a.window, ax::applicationActivated);
                fire(a.pid, a.window, ax::focusedWindowChanged);
                break;
            case FakeAction::Kind::minimize:
                fire(a.pid, a.window, ax::windowMiniaturized);
                break;
            case FakeAction::Kind::unminimize:
                fire(a.pid, a.window, ax::windowDeminiaturized);
                break;
            case FakeAction::Kind::move:
                fire(a.pid, a.window, ax::windowMoved);
                break;
            case FakeAction::Kind::resize:
                fire(a.pid, a.window, ax::windowResized);
                break;
            // Each application here has one window and ends with it.
            case FakeAction::Kind::close:
                quit({ a.pid, a.window });
                break;
            default:
                break;
            }
        }
    }

    QThread m_thread;
    QObject m_runLoop;
    qint32 m_nextPid = 100;
    size_t m_answered = 0;
};

std::unique_ptr<orbitshelf::test::DesktopDriver> makeFakeDesktop()
{
    return std::make_unique<FakeDesktop>();
}

} // namespace

namespace orbitshelf::test {
INSTANTIATE_TEST_SUITE_P(Fake, PlatformContract, ::testing::Values(&makeFakeDesktop));
} // namespace orbitshelf::test

// What only the scripted desktop does: the states a test can script and the
// record of what was asked.
class FakePlatformScripting : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake.setOwnPid(1);
        RunningApplication editor;
        editor.processIdentifier = 100;
        editor.localizedName = QStringLiteral("Editor");
        fake.addApp(editor);
        back = fake.addWindow(100, QStringLiteral("back"), QRect(0, 0, 400, 300));
        front = fake.addWindow(100, QStringLiteral("front"), QRect(100, 100, 400, 300));
    }
    AXResult readTitle(quint32 window)
    {
        AXValue value;
        return fake.accessibility().copyAttributeValue(
            AXElement::windowElement(100, window), QStringLiteral("AXTitle"), value);
    }

    FakePlatform fake;
    quint32 back = 0, front = 0;
};

TEST_F(FakePlatformScripting, SubrolesFollowTheWindowKind)
{
    const struct {
        WindowKind kind;
        const char* subrole;
    } rows[] = {
        { WindowKind::normal, "AXStandardWindow" },
        { WindowKind::dialog, "AXDialog" },
        { WindowKind::utility, "AXFloatingWindow" },
        { WindowKind::splash, "AXUnknown" },
        { WindowKind::notification, "AXSystemDialog" },
    };
    for (const auto& row : rows) {
        fake.updateWindow(front, [&](ServerWindow& w) { w.kind = row.kind; });
        AXValue value;
        ASSERT_EQ(fake.accessibility().copyAttributeValue(
                      AXElement::windowElement(100, front), QStringLiteral("AXSubrole"), value),
            AXResult::success);
        EXPECT_EQ(std::get<QString>(value), QString::fromLatin1(row.subrole));
    }
}

TEST_F(FakePlatformScripting, SilentApplicationsUntitledWindowsAndTrust)
{
    fake.setUnresponsive(100, true);
    EXPECT_EQ(readTitle(back), AXResult::cannotComplete);
    fake.setUnresponsive(100, false);
    fake.setTitle(back, std::nullopt);
    EXPECT_EQ(readTitle(back), AXResult::noValue);
    EXPECT_TRUE(fake.accessibility().isProcessTrusted(false));
    fake.setTrusted(false);
    EXPECT_FALSE(fake.accessibility().isProcessTrusted(false));
    EXPECT_EQ(readTitle(front), AXResult::apiDisabled);
}

TEST_F(FakePlatformScripting, RequestsAreRecordedInOrder)
{
    const AXElement element = AXElement::windowElement(100, back);
    auto& ax = fake.accessibility();
    EXPECT_EQ(ax.performAction(element, QStringLiteral("AXRaise")), AXResult::success);
    EXPECT_EQ(fake.windowServer().windowList().front().id, back) << "raised to the front";
    EXPECT_EQ(ax.setAttributeValue(element, QStringLiteral("AXMinimized"), true), AXResult::success);
    EXPECT_EQ(
        ax.setAttributeValue(element, QStringLiteral("AXPosition"), QPointF(30, 40)), AXResult::success);
    EXPECT_EQ(
        ax.setAttributeValue(element, QStringLiteral("AXSize"), QPointF(1, 2)), AXResult::illegalArgument);
    fake.scripts().bringProcessToFront(100, QStringLiteral("Editor"));
    EXPECT_EQ(fake.scripts().hideSystemDock({}).outcome, ScriptOutcome::notApplicable);

    std::vector<FakeAction::Kind> kinds;
    for (const FakeAction& a : fake.actions())
        kinds.push_back(a.kind);
    EXPECT_EQ(kinds,
        (std::vector<FakeAction::Kind> { FakeAction::Kind::activate, FakeAction::Kind::minimize,
            FakeAction::Kind::move, FakeAction::Kind::bringProcessToFront,
            FakeAction::Kind::hideSystemDock }));
    EXPECT_EQ(fake.actions()[2].point, QPoint(30, 40));
    EXPECT_EQ(fake.actions()[3].text, QStringLiteral("Editor"));
}

TEST_F(FakePlatformScripting, OtherDocksAreNamedAndHiddenAsScripted)
{
    const std::vector<ReservedEdge::Side> bottom { ReservedEdge::Side::bottom };
    fake.setOtherDocks({ QStringLiteral("Xfce panel 2"), QStringLiteral("plank (dock1)") },
        { QStringLiteral("plank (dock1)") });
    EXPECT_EQ(fake.scripts().otherDocks(bottom).toHide.size(), 2);
    const HideDocksReport report = fake.scripts().hideSystemDock(bottom);
    EXPECT_EQ(report.outcome, ScriptOutcome::failed);
    EXPECT_EQ(report.hidden, QStringList { QStringLiteral("Xfce panel 2") });
    EXPECT_EQ(report.failed, QStringList { QStringLiteral("plank (dock1) (it refused)") });
    // The hidden one is named as hiding now; the refusing one is still to hide.
    EXPECT_EQ(fake.scripts().otherDocks(bottom),
        (OtherDocksFound { { QStringLiteral("plank (dock1)") }, { QStringLiteral("Xfce panel 2") } }));
}

TEST_F(FakePlatformScripting, TheWindowListLeavesOutOurOwnDocksDesktopsAndSkipTaskbarWindows)
{
    fake.addWindow(1, QStringLiteral("our dock"));
    const quint32 dock = fake.addWindow(100, QStringLiteral("panel"));
    fake.updateWindow(dock, [](ServerWindow& w) { w.kind = WindowKind::dock; });
    const quint32 skip = fake.addWindow(100, QStringLiteral("tool"));
    fake.updateWindow(skip, [](ServerWindow& w) { w.skipTaskbar = true; });
    std::vector<quint32> ids;
    for (const ServerWindow& w : fake.windowServer().windowList())
        ids.push_back(w.id);
    EXPECT_EQ(ids, (std::vector<quint32> { front, back }));
}

TEST_F(FakePlatformScripting, OnlyAttachedObserversHearAndOnlyTheirOwnProcess)
{
    QObject runLoop; // the test's own thread
    std::vector<quint32> heard;
    auto observer = fake.accessibility().createObserver(
        100, [&](const AXElement& e, const QString&) { heard.push_back(e.window); });
    observer->addNotification(AXElement::application(100), QStringLiteral("AXWindowCreated"));
    fake.fire(AXElement::windowElement(100, back), QStringLiteral("AXWindowCreated"));
    EXPECT_TRUE(fake.isObserved(AXElement::application(100), QStringLiteral("AXWindowCreated")));
    observer->addToRunLoop(&runLoop);
    fake.fire(AXElement::windowElement(100, front), QStringLiteral("AXWindowCreated"));
    fake.fire(AXElement::windowElement(200, 77), QStringLiteral("AXWindowCreated")); // another process
    fake.fire(AXElement::windowElement(100, front), QStringLiteral("AXWindowMoved")); // not registered
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, std::vector<quint32> { front }) << "only what was fired after attaching arrives";
    observer.reset();
    EXPECT_EQ(fake.observerCount(), 0);
}
