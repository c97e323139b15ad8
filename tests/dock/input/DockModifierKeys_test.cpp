#include "dock/input/DockModifierKeys.h"

#include <gtest/gtest.h>

namespace {

struct FlagsRow {
    const char* name;
    int keyCode;
    QString configured;
    int stateBefore;
    int stateAfter;
    bool emitsOption;
};

TEST(DockModifierKeys, FlagsChanged)
{
    const FlagsRow rows[] = {
        { "option down", 58, "option", 0, 1, false },
        { "option down after the switcher closed", 58, "option", -1, 1, false },
        { "option up", 58, "option", 1, 0, true },
        { "cmd when option is configured", 55, "option", 1, 1, false },
        { "cmd configured", 55, "cmd", 0, 1, false },
        { "shift configured, released", 56, "shift", 1, 0, true },
        { "control configured", 59, "control", 0, 1, false },
        { "caps lock", 57, "option", 1, 1, false },
        { "right-hand option", 61, "option", 1, 1, false },
        { "unknown state is left alone", 58, "option", 5, 5, false },
    };
    for (const FlagsRow& row : rows) {
        SCOPED_TRACE(row.name);
        const FlagsChangedOutcome outcome
            = dockFlagsChangedOutcome(row.keyCode, row.configured, row.stateBefore);
        EXPECT_EQ(outcome.switcherModifierState, row.stateAfter);
        EXPECT_EQ(outcome.emitOptionLater, row.emitsOption);
    }
}

} // namespace
