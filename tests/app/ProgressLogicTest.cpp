#include "app/ProgressLogic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tabrix;

namespace {

struct Progress {
    int cancelRequests = 0;
    ProgressLogic logic{[this] { ++cancelRequests; }};
};

} // namespace

TEST(ProgressBar, ShowsTruncatedPercentWithinRange)
{
    struct Case { double percent; int position; };
    const Case cases[] = {
        {0.0, 0},    {57.9, 57},  {99.999, 99}, {100.0, 100}, {110.0, 100},
        {-3.5, 0},   {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.percent);
        Progress progress;
        progress.logic.onTimer(c.percent);
        EXPECT_EQ(progress.logic.fields().barPosition, c.position);
    }
}

TEST(ProgressWindow, OpensConvertingWithCancel)
{
    Progress progress;
    EXPECT_EQ(progress.logic.fields().title, "Converting...");
    EXPECT_EQ(progress.logic.fields().buttonCaption, "Cancel");
    EXPECT_EQ(progress.logic.fields().barPosition, 0);
    EXPECT_EQ(progress.logic.state(), ProgressState::Running);
}

TEST(ProgressWindow, EndOfRunShowsItsOutcomeWithOkAndFullBar)
{
    struct Case { bool runResult; ProgressState state; const char* title; };
    constexpr Case cases[] = {
        {true, ProgressState::Completed, "Conform Complete..."},
        {false, ProgressState::Failed, "Conform Failed..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        Progress progress;
        progress.logic.onTimer(99.4);
        progress.logic.finishConform(c.runResult);
        EXPECT_EQ(progress.logic.state(), c.state);
        EXPECT_EQ(progress.logic.fields().title, c.title);
        EXPECT_EQ(progress.logic.fields().buttonCaption, "OK");
        EXPECT_EQ(progress.logic.fields().barPosition, 100);
        progress.logic.onTimer(12.0);
        EXPECT_EQ(progress.logic.fields().barPosition, 100);
        EXPECT_EQ(progress.cancelRequests, 0);
    }
}

TEST(ProgressWindow, CancelFreezesBarAndKeepsWindowOpenUntilTheRunEnds)
{
    Progress progress;
    progress.logic.onTimer(30.2);
    EXPECT_FALSE(progress.logic.onCancelButton());
    EXPECT_EQ(progress.cancelRequests, 1);
    EXPECT_EQ(progress.logic.state(), ProgressState::Cancelling);
    EXPECT_EQ(progress.logic.fields().title, "Conform Cancelled...");
    EXPECT_EQ(progress.logic.fields().buttonCaption, "Cancel");
    progress.logic.onTimer(45.0);
    EXPECT_EQ(progress.logic.fields().barPosition, 30);

    for (bool runResult : {true, false}) {
        SCOPED_TRACE(runResult);
        Progress cancelled;
        EXPECT_FALSE(cancelled.logic.onCancelButton());
        cancelled.logic.finishConform(runResult);
        EXPECT_EQ(cancelled.logic.state(), ProgressState::Cancelled);
        EXPECT_EQ(cancelled.logic.fields().title, "Conform Cancelled...");
        EXPECT_EQ(cancelled.logic.fields().buttonCaption, "OK");
        EXPECT_EQ(cancelled.logic.fields().barPosition, 100);
    }
}

TEST(ProgressWindow, RepeatedCancelsChangeNothingMore)
{
    Progress progress;
    progress.logic.onTimer(10.0);
    for (int press = 0; press < 3; ++press)
        EXPECT_FALSE(progress.logic.onCancelButton());
    EXPECT_EQ(progress.logic.state(), ProgressState::Cancelling);
    EXPECT_EQ(progress.logic.fields().title, "Conform Cancelled...");
    EXPECT_EQ(progress.logic.fields().barPosition, 10);
    progress.logic.finishConform(true);
    EXPECT_EQ(progress.logic.state(), ProgressState::Cancelled);
}

TEST(ProgressWindow, CancellingTicksRepeatTheStopRequest)
{
    // A request that reached the run before it began listening must not be lost.
    Progress progress;
    EXPECT_FALSE(progress.logic.onCancelButton());
    progress.logic.onTimer(0.0);
    progress.logic.onTimer(0.0);
    EXPECT_EQ(progress.cancelRequests, 3);
    progress.logic.finishConform(true);
    progress.logic.onTimer(0.0);
    EXPECT_EQ(progress.cancelRequests, 3);
}

TEST(ProgressWindow, ClosesOnlyAfterTheRunHasEnded)
{
    Progress progress;
    EXPECT_FALSE(progress.logic.onCancelButton());
    EXPECT_FALSE(progress.logic.ended());
    progress.logic.finishConform(true);
    EXPECT_TRUE(progress.logic.onCancelButton());
    EXPECT_EQ(progress.cancelRequests, 1);

    Progress completed;
    completed.logic.finishConform(true);
    EXPECT_TRUE(completed.logic.onCancelButton());
    EXPECT_EQ(completed.cancelRequests, 0);
    EXPECT_EQ(completed.logic.fields().title, "Conform Complete...");
}
