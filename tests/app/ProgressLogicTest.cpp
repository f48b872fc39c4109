#include "TempDir.h"

#include "app/ProgressLogic.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

constexpr SamplePos second = 48000;

ProgressJob fortySeconds(std::vector<std::string> outputs)
{
    return {std::move(outputs), 6, 40 * second, 48000};
}

} // namespace

TEST(ProgressWindow, EndOfRunSaysHowItEndedAndLeavesTheBarWhereTheFileStopped)
{
    const std::vector<std::string> one{"/out/Day.wav"}, two{"/out/DayL.wav", "/out/DayR.wav"};
    const std::string noSpace = "cannot write Day.wav: No space left on device";
    // Presses of the button, the close command or Escape while the run goes on.
    struct Case { int cancelPresses; std::vector<std::string> outputs; RunEnd end;
                  ProgressState state; const char* title; int bar; std::string message; };
    const Case cases[] = {
        {0, one, {true, 40 * second, ""}, ProgressState::Completed, "Conform Complete...", 100,
         "Complete: Day.wav, 0:00:40.00 written."},
        // The last block may leave the percentage short of 100: a complete file is full.
        {0, two, {true, 40 * second - 1, ""}, ProgressState::Completed, "Conform Complete...",
         100, "Complete: DayL.wav and DayR.wav, 0:00:39.99 written."},
        {0, one, {false, 10 * second, noSpace}, ProgressState::Failed, "Conform Failed...", 25,
         "Failed: " + noSpace + ". 0:00:10.00 of 0:00:40.00 were written and are readable."},
        {0, one, {false, 0, ""}, ProgressState::Failed, "Conform Failed...", 0,
         "Failed: the run stopped. 0:00:00.00 of 0:00:40.00 were written and are readable."},
        {1, one, {true, 12 * second + 19200, ""}, ProgressState::Cancelled,
         "Conform Cancelled...", 31,
         "Cancelled after 0:00:12.40 of 0:00:40.00. Day.wav is valid up to there."},
        {3, two, {false, 2 * second, noSpace}, ProgressState::Cancelled, "Conform Cancelled...",
         5,
         "Cancelled after 0:00:02.00 of 0:00:40.00. DayL.wav and DayR.wav are valid up to "
         "there."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        int stopRequests = 0;
        ProgressLogic logic{[&] { ++stopRequests; }, fortySeconds(c.outputs)};
        logic.onTimer(57.9);
        EXPECT_EQ(logic.fields().barPosition, 57);
        for (int press = 0; press < c.cancelPresses; ++press)
            EXPECT_FALSE(logic.onCancelButton()); // a running window stays open
        EXPECT_EQ(logic.fields().title, c.cancelPresses ? "Conform Cancelled..." : "Converting...");
        // Cancelling: the bar stays; each tick repeats the stop request (the run may listen late).
        logic.onTimer(110.0);
        EXPECT_EQ(logic.fields().barPosition, c.cancelPresses ? 57 : 100);
        const int stops = c.cancelPresses ? c.cancelPresses + 1 : 0;
        EXPECT_EQ(stopRequests, stops);
        logic.finishConform(c.end);
        EXPECT_EQ(logic.state(), c.state);
        EXPECT_EQ(logic.fields().title, c.title);
        EXPECT_EQ(logic.fields().buttonCaption, "OK");
        EXPECT_EQ(logic.fields().barPosition, c.bar);
        EXPECT_EQ(logic.fields().message, c.message);
        EXPECT_TRUE(logic.onCancelButton()); // OK closes; nothing is left to stop
        EXPECT_EQ(stopRequests, stops);
    }
}

TEST(ProgressWindow, SaysWhatItWritesWhileRunning)
{
    ProgressLogic logic{nullptr, fortySeconds({"/out/Day.wav"})};
    EXPECT_EQ(logic.fields().message, "Writing Day.wav, 0:00:40.00 of audio.");
    logic.onCancelButton();
    EXPECT_EQ(logic.fields().message, "Stopping at the next block...");
}

TEST(ProgressWindow, CountsTheWholeFramesAfterTheHeader)
{
    TempDir dir;
    struct Case { std::size_t byteCount; std::uint32_t frameBytes; SamplePos frames; };
    constexpr Case cases[] = {
        {1024 + 60, 6, 10}, {1024 + 31, 3, 10}, // a pad byte after odd data is no frame
        {1024, 6, 0}, {100, 6, 0}, {1024 + 60, 0, 0},
    };
    for (const Case& c : cases) {
        const auto path = dir.write("out.wav", Bytes(c.byteCount));
        EXPECT_EQ(ProgressLogic::framesInFile(path.string(), c.frameBytes), c.frames)
            << c.byteCount;
    }
    EXPECT_EQ(ProgressLogic::framesInFile((dir.path() / "missing.wav").string(), 6), 0u);
}
