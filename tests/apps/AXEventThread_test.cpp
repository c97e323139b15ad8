#include "apps/AXEventThread.h"

#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace platform;

TEST(AXEventThread, StartsOnceAndDeliversObserverNotificationsOnItsThread)
{
    startAXBackgroundWork();
    BackgroundThreadWithRunLoop* events = axEventsThread();
    ASSERT_NE(events, nullptr);
    ASSERT_NE(events->runLoop(), nullptr) << "the run loop exists when start returns";
    EXPECT_TRUE(events->hasSentSemaphoreSignal());
    EXPECT_EQ(events->thread()->objectName(), QStringLiteral("accessibilityEventsThread"));
    EXPECT_EQ(events->runLoop()->thread(), events->thread());
    startAXBackgroundWork();
    EXPECT_EQ(axEventsThread(), events) << "a second start keeps the first thread";

    fake::FakePlatform fake;
    RunningApplication app;
    app.processIdentifier = 7;
    app.localizedName = QStringLiteral("App");
    fake.addApp(app);
    const quint32 w = fake.addWindow(7, QStringLiteral("w"));
    std::atomic<int> onEventThread{0}, elsewhere{0};
    auto observer = fake.accessibility().createObserver(7, [&](const AXElement&, const QString&) {
        (QThread::currentThread() == events->thread() ? onEventThread : elsewhere)++;
    });
    observer->addNotification(AXElement::windowElement(7, w), QStringLiteral("AXWindowResized"));
    observer->addToRunLoop(events->runLoop());
    for (int i = 0; i < 3; ++i)
        fake.fire(AXElement::windowElement(7, w), QStringLiteral("AXWindowResized"));
    for (int i = 0; i < 400 && onEventThread < 3; ++i)
        QThread::msleep(5);
    EXPECT_EQ(onEventThread, 3);
    EXPECT_EQ(elsewhere, 0);
    observer.reset();

    stopAXBackgroundWork();
    EXPECT_EQ(axEventsThread(), nullptr);
}
