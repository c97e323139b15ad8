// The session's terminate requests as the X11 back-end hears them: SIGTERM,
// SIGHUP and SIGINT through the event loop, Qt's last word on a broken display, and
// what it puts back when it goes.
#include "platform/Services.h"
#include "platform/TerminateSignals.h"
#include "platform/x11/X11EndRequests.h"
#include "tests/support/XvfbSession.h"

#include <QScopeGuard>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <vector>

using orbitshelf::test::waitUntil;
using platform::EndRequest;

namespace {

bool defaultHandling(int signal)
{
    struct sigaction now { };
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler == SIG_DFL;
}

struct Heard {
    EndRequest request;
    QString what;
};

} // namespace

TEST(TerminateSignals, ASignalReachesTheEventLoopInsteadOfEndingTheProcess)
{
    std::vector<int> received;
    {
        platform::TerminateSignals watch([&received](int signal) { received.push_back(signal); });
        ASSERT_TRUE(watch.catching());
        ::raise(SIGTERM);
        ::raise(SIGHUP);
        EXPECT_TRUE(received.empty()) << "nothing runs inside the signal handler";
        EXPECT_TRUE(waitUntil([&] { return received.size() == 2; }));
        EXPECT_EQ(received, (std::vector<int> { SIGTERM, SIGHUP }));
    }
    EXPECT_TRUE(defaultHandling(SIGTERM)) << "the handling before comes back";
    EXPECT_TRUE(defaultHandling(SIGHUP));
    EXPECT_TRUE(defaultHandling(SIGINT));
}

// A process started with Ctrl+C or the terminal's hang-up ignored (`trap ''
// INT`, nohup) keeps them ignored; SIGTERM still asks it to end.
TEST(TerminateSignals, SignalsIgnoredAtStartStayIgnoredButSigtermIsHeard)
{
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGHUP, SIG_IGN);
    const auto defaultBack = qScopeGuard([] {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
    });
    std::vector<int> received;
    {
        platform::TerminateSignals watch([&received](int signal) { received.push_back(signal); });
        ASSERT_TRUE(watch.catching());
        ::raise(SIGINT);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        EXPECT_TRUE(waitUntil([&] { return !received.empty(); }));
        // The pipe is read in one go: anything raised before SIGTERM is there.
        EXPECT_EQ(received, std::vector<int> { SIGTERM });
    }
    for (const int signal : { SIGINT, SIGHUP }) {
        struct sigaction now { };
        ::sigaction(signal, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_IGN) << platform::TerminateSignals::nameOf(signal).toStdString();
    }
    EXPECT_TRUE(defaultHandling(SIGTERM));
}

// A second Ctrl+C while the process winds down, before and after the watch
// has gone: neither reaches anyone nor ends the process by its signal.
TEST(TerminateSignals, OnceTheProcessIsEndingTheSignalsAreIgnoredAlsoAfterTheWatchHasGone)
{
    const auto defaultBack = qScopeGuard([] {
        for (const int signal : { SIGTERM, SIGHUP, SIGINT })
            ::signal(signal, SIG_DFL);
    });
    std::vector<int> received;
    {
        platform::TerminateSignals watch([&received](int signal) { received.push_back(signal); });
        platform::TerminateSignals::ignoreFromNowOn();
        ::raise(SIGINT);
        ::raise(SIGTERM);
        waitUntil([] { return false; }, std::chrono::milliseconds(50));
    }
    for (const int signal : { SIGTERM, SIGHUP, SIGINT }) {
        struct sigaction now { };
        ::sigaction(signal, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_IGN) << platform::TerminateSignals::nameOf(signal).toStdString();
    }
    ::raise(SIGINT);
    ::raise(SIGHUP);
    EXPECT_TRUE(received.empty());
}

// A main thread stuck in one long task never reads the request: the
// process ends all the same, soon, with a status that says it did not save;
// one that read it ends its own way however long that takes.
TEST(TerminateSignalsDeathTest, ARequestTheMainThreadNeverTakesUpEndsTheProcessSoon)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    using namespace std::chrono_literals;
    EXPECT_EXIT(
        {
            platform::TerminateSignals watch([](int) {}, nullptr, 200ms);
            ::raise(SIGTERM);
            std::this_thread::sleep_for(20s);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(1), "was not taken up within 200 ms: the process ends without saving");
    EXPECT_EXIT(
        {
            bool heard = false;
            platform::TerminateSignals watch([&heard](int) { heard = true; }, nullptr, 200ms);
            ::raise(SIGTERM);
            waitUntil([&] { return heard; });
            std::this_thread::sleep_for(600ms);
            std::_Exit(heard ? 7 : 8);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST(X11EndRequests, SignalsWaitForTheWatcherAndQtsBrokenConnectionIsTheDisplaysEndOnce)
{
    std::vector<Heard> heard;
    {
        platform::Services services;
        services.endRequests = platform::x11::createX11EndRequests();
        platform::install(std::move(services));
        const auto requests = platform::endRequests();
        ASSERT_NE(requests, nullptr);

        // A signal while the app starts, before anyone listens.
        ::raise(SIGTERM);
        waitUntil([] { return false; }, std::chrono::milliseconds(50));
        requests->watch([&heard](EndRequest request, const QString& what) {
            heard.push_back({ request, what });
        });
        EXPECT_TRUE(waitUntil([&] { return heard.size() == 1; }));
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0].request, EndRequest::terminate);
        EXPECT_EQ(heard[0].what, QStringLiteral("SIGTERM received"));

        // What Qt's X11 back-end says before it calls exit(1).
        qWarning("The X11 connection broke (error 1). Did the X11 server die?");
        qWarning("The X11 connection broke: I/O error (code 1)");
        qWarning("an ordinary warning");
        ASSERT_EQ(heard.size(), 2u);
        EXPECT_EQ(heard[1].request, EndRequest::displayGone) << "told once";
        EXPECT_TRUE(heard[1].what.contains(QLatin1String("Did the X11 server die?")));

        // Without Qt's X11 application no connection of the layer ends the
        // process: nothing says the display is gone.
        platform::x11::connectionBroke("the test");
        platform::uninstall();
    }
    EXPECT_TRUE(defaultHandling(SIGTERM)) << "released with the services";
    EXPECT_TRUE(defaultHandling(SIGHUP));
    EXPECT_TRUE(defaultHandling(SIGINT));
    qWarning("The X11 connection broke (error 1). Did the X11 server die?");
    EXPECT_EQ(heard.size(), 2u) << "Qt's messages are no longer watched";
}
