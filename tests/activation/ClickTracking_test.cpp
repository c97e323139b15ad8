#include "tests/activation/ActivationFixture.h"

#include "apps/WindowClickTracking.h"
#include "apps/WindowActivationRecord.h"

#include <QEventLoop>
#include <QTimer>

using namespace orbitshelf::test;

namespace {

// Runs the event loop until the delayed steps of the clicks so far are done.
void settle()
{
    QEventLoop loop;
    QTimer::singleShot(250, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST_F(ActivationTest, ClicksAreKeptInOrderWithoutAdjacentRepeatsUpToTheBound)
{
    auto app = addApp(100, "Editor", { "A", "B" });
    const int32_t a = int32_t(*(*app->windows)[0]->num);
    const int32_t b = int32_t(*(*app->windows)[1]->num);

    onWindowClicked(a, {});
    onWindowClicked(b, {});
    onWindowClicked(a, {});
    EXPECT_EQ(clickOrder(), (std::vector<int32_t> { a, b, a }));

    const QDateTime first = windowClickOrder().back().time;
    onWindowClicked(a, {});
    EXPECT_EQ(clickOrder(), (std::vector<int32_t> { a, b, a })) << "a repeat refreshes the time only";
    EXPECT_GE(windowClickOrder().back().time, first);
    EXPECT_EQ(lastClickedWindowNumber.load(), a);
    settle();

    // The history is bounded: the oldest entries go first.
    for (int i = 0; i < int(kWindowClickOrderLimit) + 40; ++i)
        recordWindowActivation(i + 1, QDateTime::currentDateTime());
    EXPECT_EQ(windowClickOrder().size(), kWindowClickOrderLimit);
    EXPECT_EQ(windowClickOrder().back().windowNum, int32_t(kWindowClickOrderLimit) + 40);
    EXPECT_EQ(windowClickOrder().front().windowNum, 41);
    recordWindowActivation(windowClickOrder().back().windowNum, QDateTime::currentDateTime());
    EXPECT_EQ(windowClickOrder().size(), kWindowClickOrderLimit);
}

TEST_F(ActivationTest, ClicksOnUnknownWindowsAreNotRecordedButStillCloseThePopups)
{
    addApp(100, "Editor", { "A" });
    AppState::shared().popups[Tool::Pomodoro] = true;
    AppState::shared().popups[Tool::FastFinder] = true;
    AppState::shared().popups[Tool::Note] = true;
    AppState::shared().popups[Tool::Todo] = true;

    onWindowClicked(0x7777777, {});
    EXPECT_TRUE(windowClickOrder().empty());
    EXPECT_EQ(lastClickedWindowNumber.load(), 0x7777777);
    EXPECT_FALSE(AppState::shared().popups[Tool::Pomodoro]);
    EXPECT_FALSE(AppState::shared().popups[Tool::FastFinder]);
    EXPECT_FALSE(AppState::shared().popups[Tool::Note]) << "the note panel closes as the other panels do";
    EXPECT_TRUE(AppState::shared().popups[Tool::Todo])
        << "a flag without a panel is not the click's to close";
    AppState::shared().popups[Tool::Todo] = false;
    settle();
}

TEST_F(ActivationTest, TheCallbackTellsWhetherTheClickedWindowChanged)
{
    auto app = addApp(100, "Editor", { "A", "B" });
    const int32_t a = int32_t(*(*app->windows)[0]->num);
    const int32_t b = int32_t(*(*app->windows)[1]->num);
    std::vector<bool> calls;
    auto record = [&](bool changed) { calls.push_back(changed); };

    onWindowClicked(a, record);
    EXPECT_TRUE(calls.empty()) << "the answer comes 0.2 s later";
    settle();
    EXPECT_EQ(calls, std::vector<bool> { false });
    onWindowClicked(b, record);
    settle();
    EXPECT_EQ(calls, (std::vector<bool> { false, true }));
    onWindowClicked(b, record);
    settle();
    EXPECT_EQ(calls, (std::vector<bool> { false, true })) << "the same window again calls nothing";
}
