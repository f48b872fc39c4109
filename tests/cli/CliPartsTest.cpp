#include "CliSupport.h"
#include "LongPaths.h"
#include "TempDir.h"

#include "cli/CliText.h"
#include "cli/ConformJob.h"
#include "cli/ExitStatus.h"
#include "cli/Platform.h"
#include "cli/ProgressMeter.h"
#include "frontend/ProblemText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tabrix::cli {
namespace {

using namespace tabrix::testing;

TEST(CliText, QuotesCsvFieldsOnlyWhenTheyNeedIt)
{
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"Take 1.wav", "Take 1.wav"},
        {"a,b.wav", "\"a,b.wav\""},
        {"say \"hi\".wav", "\"say \"\"hi\"\".wav\""},
        {"two\nlines", "\"two\nlines\""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(csvField(c.text), c.expected) << c.text;
}

TEST(CliText, ReplacesEachBrokenRunOfBytesWithOneReplacementCharacter)
{
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"Take 1.wav", "Take 1.wav"},
        {"Sc\xC3\xA8ne \xE5\x9C\xBA \xF0\x9F\x8E\x99.wav",
         "Sc\xC3\xA8ne \xE5\x9C\xBA \xF0\x9F\x8E\x99.wav"},
        {"Sz\xE9ne.wav", "Sz" + fffd + "ne.wav"},  // Latin-1
        {"\xE9\xE8", fffd + fffd},                  // each stray byte
        {"a\xE5\x9C", "a" + fffd},                  // a character cut off at the end
        {"\xE5\x9C.wav", fffd + ".wav"},            // ... or in the middle
        {"\xC0\xAF", fffd + fffd},                  // an overlong '/'
        {"\xED\xA0\x80", fffd + fffd + fffd},      // a surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd}, // past U+10FFFF
        {"\xF0\x9F\x8E", fffd},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(validUtf8(c.text), c.expected) << c.text;
}

TEST(CliText, FormatsDurationsAndProjectNames)
{
    EXPECT_EQ(durationText(0.0), "0:00");
    EXPECT_EQ(durationText(7.9), "0:07");
    EXPECT_EQ(durationText(754.0), "12:34");
    EXPECT_EQ(durationText(3723.0), "1:02:03");
    EXPECT_EQ(durationText(-5.0), "0:00");
    EXPECT_EQ(durationText(std::nan("")), "0:00");

    EXPECT_EQ(projectName("/cards/Day 1"), "Day 1");
    EXPECT_EQ(projectName("/cards/Day 1/"), "Day 1"); // as shells complete folders
    EXPECT_EQ(projectName("/cards/Day 1/."), "Day 1");
    EXPECT_EQ(projectName("/cards/Day 1/x/.."), "Day 1");
}

TEST(ProgressMeterLines, PrintsOneLinePerTenPercentReached)
{
    ProgressMeter meter(ProgressStyle::Lines, "Day1");
    EXPECT_EQ(meter.update(9.9, 1.0), "");
    EXPECT_EQ(meter.update(25.0, 5.0), "Day1: 10%, 0:05 elapsed, 0:15 left\n"
                                       "Day1: 20%, 0:05 elapsed, 0:15 left\n");
    EXPECT_EQ(meter.update(29.0, 6.0), "");
    // The run's last block may count past 100.
    const std::string end = meter.update(100.7, 20.0);
    EXPECT_EQ(linesOf(end).size(), 8u);
    EXPECT_EQ(linesOf(end).back(), "Day1: 100%, 0:20 elapsed, 0:00 left");
    EXPECT_EQ(meter.update(100.0, 21.0), "");
    EXPECT_EQ(meter.finish(), "");
}

TEST(ProgressMeterBar, RedrawsInPlaceOnlyWhenItChanges)
{
    EXPECT_EQ(ProgressMeter::barText(0, 0.0, 10), "[..........]   0%  0:00 elapsed, -:-- left");
    EXPECT_EQ(ProgressMeter::barText(50, 10.0, 10), "[#####.....]  50%  0:10 elapsed, 0:10 left");

    ProgressMeter meter(ProgressStyle::Bar, "");
    const std::string first = meter.update(0.0, 0.2);
    EXPECT_EQ(first.front(), '\r');
    EXPECT_EQ(meter.update(0.5, 0.4), ""); // same percentage, same second
    const std::string next = meter.update(12.0, 3.0);
    EXPECT_EQ(next.front(), '\r');
    EXPECT_EQ(next.size(), first.size()); // old text fully covered
    EXPECT_EQ(meter.finish(), "\n");
    EXPECT_EQ(ProgressMeter(ProgressStyle::None, "x").update(50.0, 1.0), "");
    EXPECT_EQ(ProgressMeter(ProgressStyle::Bar, "x").finish(), ""); // nothing drawn: no newline
}

class ConformRunnerTest : public ::testing::Test {
  protected:
    ConformJob job(const std::string& output)
    {
        return {project, {utf8FromPath(dir.path() / output)}, OutputOptions{}, false};
    }

    TempDir dir;
    std::string project = writeProject(dir.path() / "P", demoLikeTakes());
};

// A refusal or an early cancel leaves nothing behind.
TEST_F(ConformRunnerTest, RefusalAndCancelBeforeTheRunWriteNothing)
{
    ConformEnvironment noSpace, cancelled, cancelledWhileLoading;
    noSpace.volumeSpace = [](const std::string&) {
        return std::optional<VolumeSpace>(VolumeSpace{1'000'000, 1000});
    };
    cancelled.cancelled = [] { return true; };
    // The first poll comes before the load, the next ones for each listed file and take.
    int polls = 0;
    cancelledWhileLoading.cancelled = [&] { return ++polls >= 3; };
    const JobResult refused = ConformRunner(noSpace).conform(job("out.wav"));
    EXPECT_EQ(refused.status, Refused);
    EXPECT_EQ(refused.message, "Insufficient space to create file. " + utf8FromPath(dir.path()) +
                                   " needs 1.8 MB but has 1 KB free.");
    EXPECT_EQ(ConformRunner(cancelled).conform(job("out.wav")).status, Cancelled);
    const JobResult stopped = ConformRunner(cancelledWhileLoading).conform(job("out.wav"));
    EXPECT_EQ(stopped.status, Cancelled);
    EXPECT_EQ(stopped.message, "cancelled while loading the project; nothing was written.");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.wav"));
}

#ifdef _WIN32
// The system ends a process as soon as the handler returns from a close, logoff or shutdown
// event: those must hold it while the command finalises, Ctrl-C and Ctrl-Break must not.
TEST(ConsoleEvents, CloseLogoffAndShutdownCancelAndHoldTheProcess)
{
    struct Case { unsigned long event; ConsoleEventAction action; };
    const Case cases[] = {
        {CTRL_C_EVENT, ConsoleEventAction::Cancel},
        {CTRL_BREAK_EVENT, ConsoleEventAction::Cancel},
        {CTRL_CLOSE_EVENT, ConsoleEventAction::CancelAndHold},
        {CTRL_LOGOFF_EVENT, ConsoleEventAction::CancelAndHold},
        {CTRL_SHUTDOWN_EVENT, ConsoleEventAction::CancelAndHold},
        {99, ConsoleEventAction::PassOn},
    };
    for (const Case& c : cases)
        EXPECT_EQ(consoleEventAction(c.event), c.action) << c.event;
}
#endif

// Without --force an existing output stays, also past 260 characters or with a name ending in
// a dot, which Windows reaches only through the platform layer's long form.
TEST_F(ConformRunnerTest, KeepsAnExistingOutputOfAnyNameWithoutForce)
{
    const auto deep = makeDeepFolder(dir.path() / "out", 300);
    for (const auto& existing : {deep / "out.wav", dir.path() / "Mix."}) {
        SCOPED_TRACE(existing.filename());
        writeFile(verbatimPath(existing), Bytes{'k', 'e', 'e', 'p'});
        const JobResult result = ConformRunner({}).conform(
            {project, {utf8FromPath(existing)}, OutputOptions{}, false});
        EXPECT_EQ(result.status, Refused);
        EXPECT_EQ(result.message,
                  utf8FromPath(existing) + " already exists (--force replaces it).");
        EXPECT_EQ(readFile(verbatimPath(existing)), (Bytes{'k', 'e', 'e', 'p'}));
        std::error_code ignored;
        std::filesystem::remove(verbatimPath(existing), ignored);
    }
}

TEST_F(ConformRunnerTest, ListsSkippedFilesAsNotes)
{
    writeFile(dir.path() / "P" / "Audio Files" / "junk.wav", Bytes{1, 2, 3});
    std::ostringstream notes;
    ConformEnvironment environment;
    environment.noteStream = &notes;
    environment.namePrefix = true;
    ConformRunner runner(environment);
    EXPECT_EQ(runner.conform(job("out.wav")).status, Success);
    EXPECT_EQ(notes.str(), "tabrix: " + project + ": skipped: junk.wav: " +
                               rejectionText({TakeProblem::NotWave, 0}) + "\n");
}

} // namespace
} // namespace tabrix::cli
