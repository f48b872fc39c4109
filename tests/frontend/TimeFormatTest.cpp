#include "frontend/SizeText.h"
#include "frontend/TimeFormat.h"

#include <gtest/gtest.h>

using namespace tabrix;

namespace {
constexpr SamplePos second = 48000;
constexpr SamplePos tenOClock = 10 * 3600 * second;
} // namespace

TEST(TimeFormat, PutsPositionsStretchesAndLengthsIntoWords)
{
    const TimeFormat times(48000);
    EXPECT_EQ(times.position(tenOClock + 9 * second), "10:00:09.00");
    EXPECT_EQ(times.range(tenOClock + 9 * second, tenOClock + 10 * second),
              "10:00:09.00\u201310:00:10.00");
    EXPECT_EQ(times.clock(48000ull * 3723 + 24000), "1:02:03.50");
    EXPECT_EQ(times.clock(second - 1), "0:00:00.99"); // truncated, never rounded up
    struct Case { SamplePos frames; const char* length; };
    constexpr Case lengths[] = {
        {0, "0.00 s"},         {second / 4, "0.25 s"},        {60 * second - 480, "59.99 s"},
        {60 * second, "1 min 00 s"}, {125 * second + 9, "2 min 05 s"},
        {3720 * second, "1 h 02 min"}, {30 * 3600 * second, "30 h 00 min"},
    };
    for (const Case& c : lengths)
        EXPECT_EQ(times.length(c.frames), c.length) << c.frames;
    EXPECT_EQ(TimeFormat().position(12345), "0:00:00.00"); // no rate: no time
    EXPECT_EQ(TimeFormat(44100).position(44100 * 7 + 441), "0:00:07.01");
}

TEST(TimeFormat, RulerMarksRoundTimesAtTheFinestSpacingThatFits)
{
    const TimeFormat times(48000);
    const SamplePos from = tenOClock, to = tenOClock + 23000; // 10:00:00.00 to 10:00:00.479
    struct Case { SamplePos from, to; std::size_t maxTicks; std::vector<std::string> labels; };
    const Case cases[] = {
        {from, to, 9, {"10:00:00.00", "10:00:00.10", "10:00:00.20", "10:00:00.30", "10:00:00.40"}},
        {from, to, 4, {"10:00:00.00", "10:00:00.20", "10:00:00.40"}},
        {from, to, 1, {"10:00:00.00"}},
        {from, to, 0, {}},
        {to, from, 9, {}},
        // A stretch between two hundredths has nothing to mark.
        {from + 10, from + 20, 9, {}},
        {from + 1, from + 2 * 480, 2, {"10:00:00.01", "10:00:00.02"}},
        {from, from + 3 * 3600 * second, 4, {"10:00", "11:00", "12:00", "13:00"}},
        {from, from + 90 * second, 4, {"10:00:00", "10:00:30", "10:01:00", "10:01:30"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> labels;
        for (const RulerTick& tick : times.rulerTicks(c.from, c.to, c.maxTicks))
            labels.push_back(tick.label);
        EXPECT_EQ(labels, c.labels) << c.from - from << " " << c.to - from << " " << c.maxTicks;
    }
    EXPECT_EQ(times.rulerTicks(from, to, 4)[1].position, tenOClock + 9600);
    // A mark's position reads back as its own label at a rate that doesn't divide evenly.
    const TimeFormat odd(22050);
    for (const RulerTick& tick : odd.rulerTicks(0, 22050, 100))
        EXPECT_EQ(odd.position(tick.position), "0:00:" + tick.label.substr(5)) << tick.label;
}

TEST(SizeText, ReadsAsAPersonWouldSayIt)
{
    struct Case { std::uint64_t bytes; const char* text; };
    constexpr Case cases[] = {
        {0, "0 bytes"},          {1, "1 byte"},          {999, "999 bytes"},
        {1000, "1 KB"},          {1049, "1 KB"},         {1050, "1.1 KB"},
        {20224, "20 KB"},        {999'499, "999 KB"},    {999'500, "1 MB"},
        {1'800'000, "1.8 MB"},   {6'221'000'000, "6.2 GB"}, {9'960'000'000, "10 GB"},
        {620'000'000'000, "620 GB"}, {999'600'000'000, "1 TB"}, {1'500'000'000'000, "1.5 TB"},
        {18'446'744'073'709'551'615ull, "18 EB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sizeForPeople(c.bytes), c.text) << c.bytes;
}
