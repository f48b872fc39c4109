#include "project/ConformProject.h"

#include "ProjectFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace tabrix {

bool operator==(const ClockTime& a, const ClockTime& b)
{
    return a.hours == b.hours && a.minutes == b.minutes && a.seconds == b.seconds &&
           a.fraction == b.fraction;
}

std::ostream& operator<<(std::ostream& out, const ClockTime& t)
{
    return out << int(t.hours) << ":" << int(t.minutes) << ":" << int(t.seconds) << "."
               << int(t.fraction);
}

namespace {

using namespace tabrix::testing;

/// Loads a one-take project at `rate`; the take spans [start, start + frameCount).
void loadOneTake(ConformProject& project, const TempDir& dir, std::uint32_t rate,
                 SamplePos start = 0, std::uint64_t frameCount = 10)
{
    const std::string folder = writeProjectTake(dir, "p", "a.wav", silentTake(start, frameCount, rate));
    ASSERT_TRUE(project.load(folder));
    ASSERT_EQ(project.sampleRate(), rate);
}

TEST(ProjectSummary, FadeRateFollowsTheSampleRate)
{
    struct Case { std::uint32_t rate; std::uint8_t fadeRate; };
    const Case cases[] = {
        {8000, 16},  {44100, 16},  {48000, 16},  {87999, 16},  {88000, 8},  {88200, 8},
        {96000, 8},  {175999, 8},  {176000, 4},  {176400, 4},  {192000, 4}, {384000, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rate << " Hz");
        TempDir dir;
        ConformProject project;
        loadOneTake(project, dir, c.rate);
        EXPECT_EQ(project.fadeRate(), c.fadeRate);
    }
}

TEST(ProjectSummary, TimeOfDaySplitsFramesIntoClockFields)
{
    struct Case { std::uint32_t rate; SamplePos pos; ClockTime expected; };
    const Case cases[] = {
        {48000, 0, {0, 0, 0, 0}},
        {48000, 2419200000, {14, 0, 0, 0}},
        {48000, 2419200000 + 48000 * 61 + 24000, {14, 1, 1, 50}},   // hundredths, not tenths
        {48000, 48000ull * 86400 - 1, {23, 59, 59, 99}},             // truncated, not rounded
        {48000, 47999, {0, 0, 0, 99}},
        {48000, 480, {0, 0, 0, 1}},
        {48000, 479, {0, 0, 0, 0}},
        {48000, 48000ull * 3600 * 100, {100, 0, 0, 0}},
        {44100, 44100ull * 3599 + 22050, {0, 59, 59, 50}},
        {96000, 96000ull * 60 * 60 * 23 + 96000 * 60 * 59 + 96000 * 58 + 9600, {23, 59, 58, 10}},
        {192000, 192000ull * 3600 * 12 + 1920 * 33, {12, 0, 0, 33}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pos << " at " << c.rate << " Hz");
        TempDir dir;
        ConformProject project;
        loadOneTake(project, dir, c.rate);
        ClockTime out{-1, -1, -1, -1};
        project.timeOfDay(c.pos, out);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(ProjectSummary, TimeOfDayWithoutARateIsZero)
{
    ConformProject project; // nothing loaded: the rate is 0
    ClockTime out{1, 2, 3, 4};
    project.timeOfDay(2419200000, out);
    EXPECT_EQ(out, (ClockTime{0, 0, 0, 0}));
}

TEST(ProjectSummary, StartAndEndAreTheFirstStartAndTheLastEnd)
{
    TempDir dir;
    const SamplePos fourteen = 2419200000;
    writeProjectTake(dir, "p", "late.wav", silentTake(fourteen + 48000 * 61, 24000));
    const std::string folder = writeProjectTake(dir, "p", "early.wav", silentTake(fourteen, 4800));
    ConformProject project;
    ASSERT_TRUE(project.load(folder));
    ClockTime start{}, end{};
    ASSERT_TRUE(project.getStartEndTimes(start, end));
    EXPECT_EQ(start, (ClockTime{14, 0, 0, 0}));
    EXPECT_EQ(end, (ClockTime{14, 1, 1, 50}));
}

TEST(ProjectSummary, NothingLoadedGivesNoTimesAndNoSize)
{
    ConformProject project;
    project.setOutputOptions(true, 0);
    ClockTime start{1, 2, 3, 4}, end{5, 6, 7, 8};
    EXPECT_FALSE(project.getStartEndTimes(start, end));
    EXPECT_EQ(start, (ClockTime{0, 0, 0, 0}));
    EXPECT_EQ(end, (ClockTime{0, 0, 0, 0}));
    std::uint64_t bytes = 12345;
    EXPECT_FALSE(project.getOutputSize(bytes));
    EXPECT_EQ(bytes, 0u);
}

TEST(ProjectSummary, OutputSizeFollowsWidthAndChannelMode)
{
    struct Case { bool bits24; int mode; std::uint64_t bytes; std::int32_t storedMode; };
    const Case cases[] = {
        {true, 0, 288000, 0},   // Stereo
        {true, 1, 144000, 1},   // Mono Left
        {true, 2, 144000, 2},   // Mono Right
        {true, 3, 144000, 3},   // Mono Sum
        {true, 4, 288000, 4},   // Dual Mono: both files together
        {false, 0, 192000, 0},
        {false, 1, 96000, 1},
        {false, 4, 192000, 4},
        {true, 7, 288000, 0},   // unknown modes are stored as Stereo
        {true, -1, 288000, 0},
        {false, 5, 192000, 0},
    };
    TempDir dir;
    ConformProject project;
    loadOneTake(project, dir, 48000, 0, 48000);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.bits24 ? 24 : 16) << " bit, mode " << c.mode);
        project.setOutputOptions(c.bits24, c.mode);
        EXPECT_EQ(project.channelMode(), c.storedMode);
        EXPECT_EQ(project.outputWidth(), c.bits24 ? 24 : 16);
        std::uint64_t bytes = 0;
        ASSERT_TRUE(project.getOutputSize(bytes));
        EXPECT_EQ(bytes, c.bytes);
    }
}

TEST(ProjectSummary, OutputSizeCountsGapsAsSilence)
{
    TempDir dir;
    writeProjectTake(dir, "p", "a.wav", silentTake(1000, 1000));
    const std::string folder = writeProjectTake(dir, "p", "b.wav", silentTake(5000, 1000));
    ConformProject project;
    ASSERT_TRUE(project.load(folder));
    project.setOutputOptions(false, 0);
    std::uint64_t bytes = 0;
    ASSERT_TRUE(project.getOutputSize(bytes));
    EXPECT_EQ(bytes, 5000u * 4); // frames 1000..6000, 2 bytes x 2 channels
}

TEST(ProjectSummary, OutputSizeOfALongTimelineDoesNotWrap)
{
    // 30 hours apart at 192 kHz, 24-bit stereo: far past 32 bits of bytes.
    TempDir dir;
    const SamplePos far = 192000ull * 3600 * 30;
    writeProjectTake(dir, "p", "a.wav", silentTake(0, 10, 192000));
    const std::string folder = writeProjectTake(dir, "p", "b.wav", silentTake(far, 10, 192000));
    ConformProject project;
    ASSERT_TRUE(project.load(folder));
    project.setOutputOptions(true, 0);
    std::uint64_t bytes = 0;
    ASSERT_TRUE(project.getOutputSize(bytes));
    EXPECT_EQ(bytes, (far + 10) * 6);
}

} // namespace
} // namespace tabrix
