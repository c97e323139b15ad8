#include "shell/AppCenterApplication.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(EventDispatch, AnExceptionFromAHandlerIsReportedAndTheLoopGoesOn)
{
    EXPECT_TRUE(guardedDispatch([] { return true; }));
    EXPECT_FALSE(guardedDispatch([]() -> bool { throw std::runtime_error("view handler failed"); }));
    EXPECT_THROW(guardedDispatch([]() -> bool { throw 42; }), int);
}
