#pragma once

#include "platform/Platform.h"
#include "platform/x11/X11Platform.h"

#include <QString>

#include <gtest/gtest.h>

namespace orbitshelf::test {

// A suite over one X11 layer on the program's private display: made before
// the suite's first test and deleted after its last. When it cannot start,
// x11 stays null and skipReason says why, for the tests to skip with.
class X11PlatformTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QString error;
        x11 = platform::x11::createX11Platform(&error).release();
        if (!x11)
            skipReason = error;
    }
    static void TearDownTestSuite()
    {
        delete x11;
        x11 = nullptr;
    }

    inline static platform::Platform* x11 = nullptr;
    inline static QString skipReason;
};

} // namespace orbitshelf::test
