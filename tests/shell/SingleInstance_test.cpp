#include "shell/SingleInstance.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

TEST(SingleInstanceLock, OneHolderPerDisplay)
{
    QTemporaryDir runtime;
    struct Step {
        const char* name;
        const char* display;
        bool expected;
    };
    std::vector<std::unique_ptr<SingleInstanceLock>> held;
    const Step steps[] = {
        { "firstOnDisplay0", ":0", true },
        { "secondOnDisplay0", ":0", false },
        { "anotherDisplay", ":1", true },
        { "aRemoteDisplayName", "localhost:10.0", true },
        { "secondOnTheRemoteDisplay", "localhost:10.0", false },
    };
    for (const Step& step : steps) {
        auto lock = std::make_unique<SingleInstanceLock>(QString::fromLatin1(step.display), runtime.path());
        EXPECT_EQ(lock->acquire(), step.expected) << step.name;
        EXPECT_TRUE(lock->error().isEmpty()) << step.name << ": " << lock->error().toStdString();
        EXPECT_TRUE(lock->path().startsWith(runtime.path())) << step.name;
        held.push_back(std::move(lock));
    }
    held.erase(held.begin());
    SingleInstanceLock again(QStringLiteral(":0"), runtime.path());
    EXPECT_TRUE(again.acquire()) << "a holder that went frees the display";
}

TEST(SingleInstanceLock, ARelaunchWaitsForTheHolderToGo)
{
    QTemporaryDir runtime;
    auto old = std::make_unique<SingleInstanceLock>(QStringLiteral(":5"), runtime.path());
    ASSERT_TRUE(old->acquire());
    SingleInstanceLock relaunched(QStringLiteral(":5"), runtime.path());
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(relaunched.acquire(200)) << "still held";
    EXPECT_GE(timer.elapsed(), 200);
    std::unique_ptr<QThread> leaving(QThread::create([&old] {
        QThread::msleep(100);
        old.reset();
    }));
    leaving->start();
    EXPECT_TRUE(relaunched.acquire(5000));
    leaving->wait();
}

TEST(SingleInstanceLock, FileNamesKeepToOneFolder)
{
    EXPECT_EQ(SingleInstanceLock::fileNameFor(QStringLiteral(":0")), QStringLiteral("orbitShelf-_0.lock"));
    EXPECT_EQ(SingleInstanceLock::fileNameFor(QStringLiteral("../../etc:1")),
        QStringLiteral("orbitShelf-.._.._etc_1.lock"));
    EXPECT_EQ(SingleInstanceLock::fileNameFor(QString()), QStringLiteral("orbitShelf-none.lock"));
}

TEST(SingleInstanceLock, AFolderItCannotWriteIsSaidNotHeld)
{
    SingleInstanceLock lock(QStringLiteral(":0"), QStringLiteral("/nonexistent/orbitShelf-runtime"));
    EXPECT_FALSE(lock.acquire());
    EXPECT_FALSE(lock.error().isEmpty());
}

TEST(ExternalEvents, OnboardingWindowReachesTheInstanceOfItsDisplayOnly)
{
    struct Case {
        const char* name;
        const char* display;
        const char* identifier;
        bool handled;
    };
    const Case cases[] = {
        { "onboardingOnThisDisplay", ":3", "OnboardingWindow", true },
        { "anotherDisplay", ":4", "OnboardingWindow", false },
        { "anUnknownEvent", ":3", "SettingsWindow", false },
    };
    for (const Case& c : cases) {
        QStringList opened;
        ExternalEvents events(QStringLiteral(":3"), [&](const QString& identifier) {
            if (identifier != QLatin1String(kOnboardingWindowEvent))
                return false;
            opened << identifier;
            return true;
        });
        EXPECT_EQ(
            events.HandleExternalEvent(QString::fromLatin1(c.display), QString::fromLatin1(c.identifier)),
            c.handled)
            << c.name;
        EXPECT_EQ(opened.size(), c.handled ? 1 : 0) << c.name;
    }
}
