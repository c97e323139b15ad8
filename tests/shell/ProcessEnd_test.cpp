// How the process ends at the desktop's requests: as the menu's Quit does,
// with its saving once, the store closed before any static goes, and an exit
// status.
#include "platform/fake/FakeEndRequests.h"
#include "shell/AppDelegate.h"
#include "shell/ProcessEnd.h"
#include "state/AppState.h"
#include "state/Persistence.h"
#include "state/QuitSaving.h"
#include "state/UserDefaults.h"
#include "tests/support/TempStores.h"
#include "tools/PomodoroRun.h"

#include <QStringList>

#include <gtest/gtest.h>

using platform::EndRequest;

namespace {

ProcessEndSteps recorded(QStringList& calls)
{
    ProcessEndSteps steps;
    steps.save = [&calls] { calls << QStringLiteral("save"); };
    steps.quitEventLoop = [&calls] { calls << QStringLiteral("quit event loop"); };
    steps.closeStore = [&calls] { calls << QStringLiteral("close store"); };
    steps.endProcess = [&calls](int status) { calls << QStringLiteral("end %1").arg(status); };
    return steps;
}

} // namespace

TEST(ProcessEnd, ASignalEndsTheEventLoopAsQuitDoesAndTheSavingRunsOnceAsItEnds)
{
    QStringList calls;
    ProcessEnd end(recorded(calls));
    platform::fake::FakeEndRequests requests;
    requests.watch([&end](EndRequest request, const QString& what) { end.handle(request, what); });

    requests.request(EndRequest::terminate, QStringLiteral("SIGTERM received"));
    EXPECT_EQ(calls, QStringList { "quit event loop" }) << "nothing is saved before the loop has ended";
    requests.request(EndRequest::terminate, QStringLiteral("SIGHUP received"));
    EXPECT_EQ(calls, QStringList { "quit event loop" }) << "a second signal asks nothing more";

    end.willTerminate();
    end.willTerminate();
    EXPECT_EQ(calls, (QStringList { "quit event loop", "save" }));
    requests.request(EndRequest::terminate);
    EXPECT_EQ(calls, (QStringList { "quit event loop", "save" })) << "the quit is under way already";
}

TEST(ProcessEnd, TheDisplaysEndSavesClosesTheStoreAndEndsWithAStatusWithoutTheEventLoop)
{
    QStringList calls;
    ProcessEnd end(recorded(calls));
    end.handle(EndRequest::displayGone, QStringLiteral("the X11 connection broke"));
    EXPECT_EQ(calls, (QStringList { "save", "close store", "end 0" }));

    // The display going while a quit winds down: saved once, then the rest.
    calls.clear();
    ProcessEnd quitting(recorded(calls));
    quitting.handle(EndRequest::terminate, QStringLiteral("SIGTERM received"));
    quitting.willTerminate();
    quitting.handle(EndRequest::displayGone, QStringLiteral("the X11 connection broke"));
    EXPECT_EQ(calls, (QStringList { "quit event loop", "save", "close store", "end 0" }));
}

// The real saving and store behind the display's end: what the menu's Quit
// writes is written, and the store is closed before the process ends.
TEST(ProcessEnd, TheDisplaysEndWritesWhatQuitWritesAndClosesTheSharedStore)
{
    orbitshelf::test::TempUserDefaults defaults;
    ASSERT_FALSE(PersistenceController::openShared());
    AppState& state = AppState::shared();
    state.setNeedRestorePomodoro(false);
    pomodoroRunning = true;
    state.pomodoro.countSecondsElapsed(42);
    int heldBack = 0;
    QObject holder;
    QObject::connect(&QuitSaving::shared(), &QuitSaving::saving, &holder, [&heldBack] { ++heldBack; });

    AppDelegate delegate(LaunchSteps {});
    ProcessEndSteps steps = ProcessEndSteps::standard([&delegate] { delegate.applicationWillTerminate(); });
    std::optional<int> status;
    bool storeOpenAtEnd = true;
    steps.endProcess = [&](int code) {
        status = code;
        storeOpenAtEnd = PersistenceController::hasShared();
    };
    ProcessEnd(std::move(steps)).handle(EndRequest::displayGone, QStringLiteral("the X11 connection broke"));
    pomodoroRunning = false;

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(storeOpenAtEnd) << "no static is left to close the store";
    EXPECT_TRUE(state.needRestorePomodoro()) << "the running Pomodoro goes on at the next start";
    EXPECT_EQ(UserDefaults::readInt64(QStringLiteral("pomodoro_seconds"), 0), 42);
    EXPECT_EQ(heldBack, 1) << "what others held unwritten is written";
}
