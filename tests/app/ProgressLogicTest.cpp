#include "app/ProgressLogic.h"

#include <gtest/gtest.h>

using namespace tabrix;

TEST(ProgressWindow, EndOfRunShowsItsOutcomeWithOkAndAFullBar)
{
    // Presses of the button, the close command or Escape while the run goes on.
    struct Case { int cancelPresses; bool runResult; ProgressState state; const char* title; };
    constexpr Case cases[] = {
        {0, true, ProgressState::Completed, "Conform Complete..."},
        {0, false, ProgressState::Failed, "Conform Failed..."},
        {1, false, ProgressState::Cancelled, "Conform Cancelled..."},
        {3, true, ProgressState::Cancelled, "Conform Cancelled..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancelPresses);
        int stopRequests = 0;
        ProgressLogic logic{[&] { ++stopRequests; }};
        logic.onTimer(57.9);
        for (int press = 0; press < c.cancelPresses; ++press)
            EXPECT_FALSE(logic.onCancelButton()); // a running window stays open
        EXPECT_EQ(logic.fields().title, c.cancelPresses ? "Conform Cancelled..." : "Converting...");
        // Cancelling: the bar stays; each tick repeats the stop request (the run may listen late).
        logic.onTimer(110.0);
        EXPECT_EQ(logic.fields().barPosition, c.cancelPresses ? 57 : 100);
        const int stops = c.cancelPresses ? c.cancelPresses + 1 : 0;
        EXPECT_EQ(stopRequests, stops);
        logic.finishConform(c.runResult);
        EXPECT_EQ(logic.state(), c.state);
        EXPECT_EQ(logic.fields().title, c.title);
        EXPECT_EQ(logic.fields().buttonCaption, "OK");
        EXPECT_EQ(logic.fields().barPosition, 100);
        EXPECT_TRUE(logic.onCancelButton()); // OK closes; nothing is left to stop
        EXPECT_EQ(stopRequests, stops);
    }
}
