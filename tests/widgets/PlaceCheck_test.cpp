// What a window of ours does once the server says where it stands: nothing
// where it was put, ask again through the window manager, place itself past
// a manager that keeps it on the root elsewhere, and stop after a few.
#include "widgets/PlaceCheck.h"

#include <gtest/gtest.h>

namespace {

// The lower screen's bar window, as a rebuild after a mode change asks it.
const QRect kAsked(1280, 580, 1920, 500);

TEST(PlaceCheck, WhatToDoGoesByWhereTheServerHasTheWindowAndHowOftenItWasAsked)
{
    using platform::WindowStanding;
    struct Row {
        const char* meaning;
        std::optional<WindowStanding> standing;
        int attempts;
        PlaceAction action;
    };
    for (const Row& row :
        {
            Row { "the server cannot tell", std::nullopt, 0, PlaceAction::none },
            Row { "framed where it was put", WindowStanding { kAsked, false }, 0, PlaceAction::none },
            Row { "unframed where it was put (no window manager)", WindowStanding { kAsked, true }, 0,
                PlaceAction::none },
            Row { "a pixel off in size from a fractional scale",
                WindowStanding { QRect(1280, 580, 1921, 499) }, 0, PlaceAction::none },
            Row { "where it was put after the last ask allowed", WindowStanding { kAsked, true },
                kMaxPlaceAttempts, PlaceAction::none },
            Row { "framed elsewhere: asked again", WindowStanding { QRect(0, 0, 1920, 500), false }, 0,
                PlaceAction::askAgain },
            Row { "framed and still elsewhere after an ask: asked again",
                WindowStanding { QRect(0, 0, 1920, 500), false }, 1, PlaceAction::askAgain },
            Row { "framed, resized by the manager", WindowStanding { QRect(1280, 580, 65534, 65534), false },
                0, PlaceAction::askAgain },
            Row { "on the root at the corner: asked through the manager first",
                WindowStanding { QRect(0, 0, 1920, 500), true }, 0, PlaceAction::askAgain },
            Row { "on the root at the corner after an ask: placed past the manager",
                WindowStanding { QRect(0, 0, 1920, 500), true }, 1, PlaceAction::placeItself },
            Row { "moved back after placing itself: placed again",
                WindowStanding { QRect(0, 0, 1920, 500), true }, kMaxPlaceAttempts - 1,
                PlaceAction::placeItself },
            Row { "framed elsewhere after every ask: left there",
                WindowStanding { QRect(0, 0, 1920, 500), false }, kMaxPlaceAttempts, PlaceAction::giveUp },
            Row { "on the root elsewhere after every ask: left there",
                WindowStanding { QRect(0, 0, 1920, 500), true }, kMaxPlaceAttempts + 3, PlaceAction::giveUp },
        }) {
        EXPECT_EQ(placeAction(kAsked, row.standing, row.attempts), row.action) << row.meaning;
    }
}

} // namespace
