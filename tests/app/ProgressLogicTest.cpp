#include "LongPaths.h"
#include "RiffBuilder.h"
#include "TempDir.h"

#include "FakeDialogs.h"
#include "app/ProgressLogic.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

constexpr SamplePos second = 48000;

ProgressJob fortySeconds(std::vector<std::string> outputs)
{
    return {std::move(outputs), 40 * second, TimeFormat(48000)};
}

} // namespace

TEST(ProgressWindow, EndOfRunSaysHowItEndedAndLeavesTheBarWhereTheFileStopped)
{
    const std::vector<std::string> one{"/out/Day.wav"}, two{"/out/DayL.wav", "/out/DayR.wav"};
    const std::string noSpace = "cannot write Day.wav: No space left on device";
    // Presses of the button, the close command or Escape while the run goes on. The bar
    // counts tenths of a percent.
    struct Case { int cancelPresses; std::vector<std::string> outputs; RunEnd end;
                  ProgressState state; const char* title; int bar; std::string message; };
    const Case cases[] = {
        {0, one, {true, 40 * second, ""}, ProgressState::Completed, "Conform Complete", 1000,
         "Complete: Day.wav, 0:00:40.00 written."},
        // The last block may leave the percentage short of 100: a complete file is full.
        {0, two, {true, 40 * second - 1, ""}, ProgressState::Completed, "Conform Complete",
         1000, "Complete: DayL.wav and DayR.wav, 0:00:39.99 written."},
        {0, one, {false, 10 * second, noSpace}, ProgressState::Failed, "Conform Failed", 250,
         "Failed: " + noSpace + ". 0:00:10.00 of 0:00:40.00 were written and are readable."},
        {0, one, {false, 0, ""}, ProgressState::Failed, "Conform Failed", 0,
         "Failed: the run stopped. 0:00:00.00 of 0:00:40.00 were written and are readable."},
        // 35.9 % of the file written: the bar ends there, not at the whole percent below.
        {1, one, {true, 14 * second + 17280, ""}, ProgressState::Cancelled, "Conform Cancelled",
         359, "Cancelled after 0:00:14.36 of 0:00:40.00. Day.wav is valid up to there."},
        // A run that failed says so, whatever was asked of it.
        {3, two, {false, 2 * second, noSpace}, ProgressState::Failed, "Conform Failed", 50,
         "Failed: " + noSpace + ". 0:00:02.00 of 0:00:40.00 were written and are readable."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        int stopRequests = 0;
        ProgressLogic logic{[&] { ++stopRequests; }, fortySeconds(c.outputs)};
        logic.onTimer(57.96);
        EXPECT_EQ(logic.fields().barPosition, 579);
        for (int press = 0; press < c.cancelPresses; ++press)
            EXPECT_FALSE(logic.onCancelButton()); // a running window stays open
        EXPECT_FALSE(logic.onEnterKey());         // a stray Enter stops nothing
        EXPECT_EQ(logic.fields().title, c.cancelPresses ? "Cancelling..." : "Converting...");
        // Cancelling: the bar stays; each tick repeats the stop request (the run may listen late).
        logic.onTimer(110.0);
        EXPECT_EQ(logic.fields().barPosition, c.cancelPresses ? 579 : 1000);
        const int stops = c.cancelPresses ? c.cancelPresses + 1 : 0;
        EXPECT_EQ(stopRequests, stops);
        logic.finishConform(c.end);
        EXPECT_EQ(logic.state(), c.state);
        EXPECT_EQ(logic.fields().title, c.title);
        EXPECT_EQ(logic.fields().buttonCaption, "OK");
        EXPECT_EQ(logic.fields().barPosition, c.bar);
        EXPECT_EQ(logic.fields().message, c.message);
        EXPECT_TRUE(logic.onEnterKey()); // Enter is "OK" now
        EXPECT_TRUE(logic.onCancelButton()); // so are the button and Escape
        EXPECT_EQ(stopRequests, stops);
    }
}

TEST(ProgressWindow, SaysWhatItWritesWhileRunning)
{
    ProgressLogic logic{nullptr, fortySeconds({"/out/Day.wav"})};
    EXPECT_EQ(logic.fields().message, "Writing Day.wav, 0:00:40.00 of audio.");
    logic.onCancelButton();
    EXPECT_EQ(logic.fields().message, "Stopping at the next block...");
    // Split Tracks: sixteen files are named by the first, so the line stays short.
    std::vector<std::string> tracks;
    for (int i = 1; i <= 16; ++i)
        tracks.push_back("/out/Day_Track" + std::to_string(i) + ".wav");
    ProgressLogic split{nullptr, fortySeconds(tracks)};
    EXPECT_EQ(split.fields().message,
              "Writing Day_Track1.wav and 15 more files, 0:00:40.00 of audio.");
    split.onCancelButton();
    split.finishConform({true, 0, ""});
    EXPECT_EQ(split.fields().message, "Cancelled after 0:00:00.00 of 0:00:40.00. Day_Track1.wav "
                                      "and 15 more files are valid up to there.");
}

// The header says what the file holds; chunks after the data and a torn last frame don't count.
TEST(ProgressWindow, CountsTheFramesTheOutputDeclares)
{
    TempDir dir;
    const Bytes tenFrames = constantFrames(2, 24, 10, 7);
    Bytes torn = tenFrames;
    torn.resize(torn.size() - 2);
    struct Case { const char* name; Bytes bytes; SamplePos frames; };
    const Case cases[] = {
        {"plain.wav", takeBytes({.data = tenFrames}), 10},
        {"trailing.wav", RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmtBody({}))
                             .chunk("data", tenFrames).chunk("LIST", Bytes(600, 'x')).bytes(), 10},
        {"cut.wav", RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmtBody({}))
                        .chunkDeclaring("data", 60, torn).bytes(), 9},
        {"empty.wav", takeBytes({}), 0},
        {"junk.wav", Bytes(2000, 'x'), 0},
    };
    // Windows reaches these only through the long form: past 260 characters, a trailing dot.
    const auto deep = makeDeepFolder(dir.path() / "deep", 300);
    for (const Case& c : cases) {
        const std::filesystem::path paths[] = {dir.path() / c.name, deep / c.name,
                                               dir.path() / (std::string(c.name) + ".")};
        for (const auto& path : paths) {
            writeFile(verbatimPath(path), c.bytes);
            EXPECT_EQ(ProgressLogic::framesInFile(utf8FromPath(path)), c.frames)
                << path.filename() << " " << path.native().size();
            std::error_code ignored;
            std::filesystem::remove(verbatimPath(path), ignored);
        }
    }
    EXPECT_EQ(ProgressLogic::framesInFile(utf8FromPath(dir.path() / "missing.wav")), 0u);
}

// With a timecode the messages also say where the output begins and where a stopped one ends,
// in the project's rate.
TEST(ProgressWindow, MessagesGiveTimecodeWhenTheProjectHasIt)
{
    ProgressJob job{{"/out/Day.wav"}, 40 * second,
                    TimeFormat(48000, readTimecodeRate("25/1", "NDF")), 10 * 3600 * second};
    ProgressLogic logic({}, job);
    EXPECT_EQ(logic.fields().message, "Writing Day.wav, 0:00:40.00 of audio from 10:00:00:00 (25).");
    EXPECT_FALSE(logic.onCancelButton());
    logic.finishConform({true, 12 * second + 12 * 1920, ""}); // 12 frames of 25 a second
    EXPECT_EQ(logic.fields().message, "Cancelled after 0:00:12.48 of 0:00:40.00, to 10:00:12:12. "
                                      "Day.wav is valid up to there.");
}
