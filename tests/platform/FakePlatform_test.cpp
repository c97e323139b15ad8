#include "platform/fake/FakePlatform.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

using namespace platform;
using platform::fake::FakeAction;
using platform::fake::FakePlatform;

namespace {

RunningApplication app(qint32 pid, const QString& name, std::optional<QString> bundle = std::nullopt)
{
    RunningApplication a;
    a.processIdentifier = pid;
    a.localizedName = name;
    a.bundleIdentifier = std::move(bundle);
    return a;
}

class FakePlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake.setOwnPid(1);
        fake.addApp(app(100, QStringLiteral("Editor"), QStringLiteral("org.example.Editor.desktop")));
        back = fake.addWindow(100, QStringLiteral("back"), QRect(0, 0, 400, 300));
        front = fake.addWindow(100, QStringLiteral("front"), QRect(100, 100, 400, 300));
    }
    void deliverPending() { QCoreApplication::processEvents(); }

    FakePlatform fake;
    quint32 back = 0, front = 0;
    Accessibility& ax() { return fake.accessibility(); }
};

} // namespace

TEST_F(FakePlatformTest, ApplicationWindowsAreListedFrontToBackWithTheirAttributes)
{
    AXValue value;
    ASSERT_EQ(ax().copyAttributeValue(AXElement::application(100), QStringLiteral("AXWindows"), value), AXResult::success);
    const auto list = std::get<AXElementList>(value);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].window, front);
    EXPECT_EQ(list[1].window, back);

    ASSERT_EQ(ax().copyAttributeValue(list[0], QStringLiteral("AXTitle"), value), AXResult::success);
    EXPECT_EQ(std::get<QString>(value), QStringLiteral("front"));
    ASSERT_EQ(ax().copyAttributeValue(list[0], QStringLiteral("AXPosition"), value), AXResult::success);
    EXPECT_EQ(std::get<QPointF>(value), QPointF(100, 100));
    ASSERT_EQ(ax().copyAttributeValue(list[0], QStringLiteral("AXSize"), value), AXResult::success);
    EXPECT_EQ(std::get<QSizeF>(value), QSizeF(400, 300));
    EXPECT_EQ(ax().copyAttributeValue(list[0], QStringLiteral("AXNoSuchThing"), value), AXResult::attributeUnsupported);

    quint32 number = 0;
    EXPECT_EQ(ax().windowNumber(list[0], number), AXResult::success);
    EXPECT_EQ(number, front);
}

TEST_F(FakePlatformTest, SubrolesFollowTheWindowKind)
{
    const struct {
        WindowKind kind;
        const char* subrole;
    } rows[] = {
        {WindowKind::normal, "AXStandardWindow"}, {WindowKind::dialog, "AXDialog"},
        {WindowKind::utility, "AXFloatingWindow"}, {WindowKind::splash, "AXUnknown"},
        {WindowKind::notification, "AXSystemDialog"},
    };
    for (const auto& row : rows) {
        fake.updateWindow(front, [&](ServerWindow& w) { w.kind = row.kind; });
        AXValue value;
        ASSERT_EQ(ax().copyAttributeValue(AXElement::windowElement(100, front), QStringLiteral("AXSubrole"), value),
                  AXResult::success);
        EXPECT_EQ(std::get<QString>(value), QString::fromLatin1(row.subrole));
    }
}

TEST_F(FakePlatformTest, VanishedWindowsAndSilentApplicationsAnswerAsTheRealOnesDo)
{
    const AXElement element = AXElement::windowElement(100, front);
    fake.removeWindow(front);
    AXValue value;
    EXPECT_EQ(ax().copyAttributeValue(element, QStringLiteral("AXTitle"), value), AXResult::invalidUIElement);
    EXPECT_EQ(ax().performAction(element, QStringLiteral("AXRaise")), AXResult::invalidUIElement);

    fake.setUnresponsive(100, true);
    EXPECT_EQ(ax().copyAttributeValue(AXElement::windowElement(100, back), QStringLiteral("AXTitle"), value),
              AXResult::cannotComplete);
    fake.setUnresponsive(100, false);
    fake.setTitle(back, std::nullopt);
    EXPECT_EQ(ax().copyAttributeValue(AXElement::windowElement(100, back), QStringLiteral("AXTitle"), value),
              AXResult::noValue);

    EXPECT_TRUE(ax().isProcessTrusted(false));
    fake.setTrusted(false);
    EXPECT_FALSE(ax().isProcessTrusted(false));
}

TEST_F(FakePlatformTest, ActionsAreRecordedAndChangeTheDesktopLikeAWindowManager)
{
    const AXElement element = AXElement::windowElement(100, back);
    EXPECT_EQ(ax().performAction(element, QStringLiteral("AXRaise")), AXResult::success);
    EXPECT_EQ(fake.windowServer().activeWindow(), back);
    EXPECT_EQ(fake.windowServer().windowList().front().id, back) << "raised to the front";

    EXPECT_EQ(ax().setAttributeValue(element, QStringLiteral("AXMinimized"), true), AXResult::success);
    EXPECT_TRUE(fake.windowState(back)->minimized);
    EXPECT_FALSE(fake.windowState(back)->onScreen);
    EXPECT_FALSE(fake.windowServer().windowImage(back)) << "a minimised window has no picture";

    EXPECT_EQ(ax().setAttributeValue(element, QStringLiteral("AXPosition"), QPointF(30, 40)), AXResult::success);
    EXPECT_EQ(ax().setAttributeValue(element, QStringLiteral("AXSize"), QSizeF(640, 480)), AXResult::success);
    EXPECT_EQ(fake.windowState(back)->frame, QRect(30, 40, 640, 480));
    EXPECT_EQ(ax().setAttributeValue(element, QStringLiteral("AXSize"), QPointF(1, 2)), AXResult::illegalArgument);

    AXValue close;
    ASSERT_EQ(ax().copyAttributeValue(element, QStringLiteral("AXCloseButton"), close), AXResult::success);
    EXPECT_EQ(ax().performAction(std::get<AXElement>(close), QStringLiteral("AXPress")), AXResult::success);
    fake.pointer().warp(QPoint(5, 6));
    fake.scripts().bringProcessToFront(100, QStringLiteral("Editor"));
    EXPECT_EQ(fake.scripts().hideSystemDock(), ScriptOutcome::notApplicable);

    std::vector<FakeAction::Kind> kinds;
    for (const FakeAction& a : fake.actions())
        kinds.push_back(a.kind);
    const std::vector<FakeAction::Kind> expected{
        FakeAction::Kind::activate, FakeAction::Kind::minimize, FakeAction::Kind::move, FakeAction::Kind::resize,
        FakeAction::Kind::close, FakeAction::Kind::warp, FakeAction::Kind::bringProcessToFront,
        FakeAction::Kind::hideSystemDock};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(fake.actions()[2].point, QPoint(30, 40));
    EXPECT_EQ(fake.actions()[6].text, QStringLiteral("Editor"));
}

TEST_F(FakePlatformTest, TheWindowListLeavesOutOurOwnDocksDesktopsAndSkipTaskbarWindows)
{
    fake.addApp(app(1, QStringLiteral("Self")));
    fake.addWindow(1, QStringLiteral("our dock"));
    const quint32 dock = fake.addWindow(100, QStringLiteral("panel"));
    fake.updateWindow(dock, [](ServerWindow& w) { w.kind = WindowKind::dock; });
    const quint32 skip = fake.addWindow(100, QStringLiteral("tool"));
    fake.updateWindow(skip, [](ServerWindow& w) { w.skipTaskbar = true; });
    std::vector<quint32> ids;
    for (const ServerWindow& w : fake.windowServer().windowList())
        ids.push_back(w.id);
    EXPECT_EQ(ids, (std::vector<quint32>{front, back}));
}

TEST_F(FakePlatformTest, NotificationsReachAttachedObserversOnTheirRunLoopOnly)
{
    QThread thread;
    QObject runLoop;
    runLoop.moveToThread(&thread);
    thread.start();

    std::atomic<int> heard{0};
    std::atomic<bool> onThread{true};
    auto observer = ax().createObserver(100, [&](const AXElement& e, const QString& name) {
        if (QThread::currentThread() != &thread)
            onThread = false;
        if (e.window == front && name == QLatin1String("AXTitleChanged"))
            ++heard;
    });
    const AXElement element = AXElement::windowElement(100, front);
    observer->addNotification(element, QStringLiteral("AXTitleChanged"));
    fake.fire(element, QStringLiteral("AXTitleChanged"));
    EXPECT_TRUE(fake.isObserved(element, QStringLiteral("AXTitleChanged")));

    observer->addToRunLoop(&runLoop);
    fake.fire(element, QStringLiteral("AXTitleChanged"));
    fake.fire(element, QStringLiteral("AXWindowMoved")); // not registered
    for (int i = 0; i < 200 && heard < 1; ++i)
        QThread::msleep(5);
    EXPECT_EQ(heard, 1) << "only the notification fired after attaching arrives";
    EXPECT_TRUE(onThread);

    observer.reset();
    EXPECT_EQ(fake.observerCount(), 0);
    fake.fire(element, QStringLiteral("AXTitleChanged"));
    QThread::msleep(50);
    EXPECT_EQ(heard, 1);
    thread.quit();
    thread.wait();
}

TEST_F(FakePlatformTest, ApplicationLevelRegistrationsHearEveryWindowOfTheProcess)
{
    QObject runLoop; // the test's own thread
    std::vector<quint32> windows;
    auto observer = ax().createObserver(100, [&](const AXElement& e, const QString&) { windows.push_back(e.window); });
    observer->addNotification(AXElement::application(100), QStringLiteral("AXWindowCreated"));
    observer->addToRunLoop(&runLoop);
    const quint32 created = fake.addWindow(100, QStringLiteral("new"));
    fake.fire(AXElement::windowElement(100, created), QStringLiteral("AXWindowCreated"));
    fake.fire(AXElement::windowElement(200, 77), QStringLiteral("AXWindowCreated")); // another process
    deliverPending();
    EXPECT_EQ(windows, std::vector<quint32>{created});
}

TEST_F(FakePlatformTest, WorkspaceNoticesFollowAddedAndRemovedApplications)
{
    std::vector<qint32> launched, terminated;
    QObject context;
    QObject::connect(&fake.workspace(), &Workspace::applicationLaunched, &context,
                     [&](const RunningApplication& a) { launched.push_back(a.processIdentifier); });
    QObject::connect(&fake.workspace(), &Workspace::applicationTerminated, &context,
                     [&](const RunningApplication& a) {
                         terminated.push_back(a.processIdentifier);
                         EXPECT_TRUE(a.isTerminated);
                     });
    fake.addApp(app(200, QStringLiteral("Viewer")));
    fake.removeApp(100);
    EXPECT_EQ(launched, std::vector<qint32>{200});
    EXPECT_EQ(terminated, std::vector<qint32>{100});
    EXPECT_FALSE(fake.windowState(front)) << "an application's windows go with it";
    ASSERT_EQ(fake.workspace().runningApplications().size(), 1);
    EXPECT_EQ(fake.workspace().runningApplications().front().localizedName, QStringLiteral("Viewer"));
}
