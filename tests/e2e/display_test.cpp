#include "tests/support/XvfbSession.h"

#include <gtest/gtest.h>

using namespace orbitshelf::test;

TEST(PrivateDisplay, WindowManagerListsANewClient)
{
    ASSERT_NE(XvfbSession::current(), nullptr);
    qint64 pid = spawn("xterm", {"-T", "fixture-check", "-geometry", "20x5+10+10"});
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(waitUntil([] { return runTool("wmctrl", {"-l"}).contains("fixture-check"); }));
    terminate(pid);
    EXPECT_TRUE(waitUntil([] { return !runTool("wmctrl", {"-l"}).contains("fixture-check"); }));
}
