#include "frontend/TimeFormat.h"
#include "frontend/TimecodeText.h"
#include "project/Timecode.h"

#include <gtest/gtest.h>

namespace tabrix {

// Worked values: the frame count is floor(position x N / (D x rate)); drop-frame skips two
// (at 59.94 four) labels every minute but every tenth.
TEST(TimecodeArithmetic, MatchesWorkedValues)
{
    const auto at = [](const char* rate, const char* flag, SamplePos position) {
        return timecodeText(timecodeAt(position, 48000, *readTimecodeRate(rate, flag)));
    };
    // Positions where frame f begins: ceil(f x D x 48000 / N).
    const auto start = [](std::uint64_t f, std::uint64_t n, std::uint64_t d) {
        return (f * d * 48000 + n - 1) / n;
    };
    const SamplePos ten = 48000ull * 36000;
    struct Row { const char* rate; const char* flag; SamplePos position; const char* expected; };
    const Row rows[] = {
        {"25/1", "", ten, "10:00:00:00"},
        {"25", "DF", ten - 1, "09:59:59:24"}, // a flag alone makes no drop frame
        {"24000/1001", "DF", start(864000, 24000, 1001), "10:00:00:00"}, // 23.976: never
        {"24000/1001", "NDF", start(864000, 24000, 1001) - 1, "09:59:59:23"},
        {"30000/1001", "DF", start(1096901, 30000, 1001), "10:09:59;29"},
        {"30000/1001", "DF", start(1096902, 30000, 1001), "10:10:00;00"},
        {"30000/1001", "DF", start(1098701, 30000, 1001), "10:10:59;29"},
        {"30000/1001", "DF", start(1098702, 30000, 1001), "10:11:00;02"},
        {"30000/1001", "NDF", start(1098702, 30000, 1001), "10:10:23:12"},
        {"60000/1001", "DF", start(2193803, 60000, 1001), "10:09:59;59"},
        {"60000/1001", "DF", start(2193804, 60000, 1001), "10:10:00;00"},
        {"60000/1001", "DF", start(2197403, 60000, 1001), "10:10:59;59"},
        {"60000/1001", "DF", start(2197404, 60000, 1001), "10:11:00;04"},
        {"25/1", "", 48000ull * 3600 * 25, "01:00:00:00"}, // hours wrap at midnight
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.rate << " " << row.flag << " " << row.position);
        EXPECT_EQ(at(row.rate, row.flag, row.position), row.expected);
    }
}

TEST(TimecodeRates, ReadOnlyWholePositiveRatesAndLabelThemForPeople)
{
    for (const char* unreadable : {"", "0/1", "25/0", "abc", "30000/1001x", "1/3", "-25", "25.0"})
        EXPECT_FALSE(readTimecodeRate(unreadable, "").has_value()) << unreadable;
    struct Row { const char* rate; const char* flag; const char* label; };
    const Row rows[] = {{"25/1", "NDF", "25"},        {"24000/1001", "DF", "23.976"},
                        {"30000/1001", "DF", "29.97 DF"}, {"30000/1001", "NDF", "29.97 NDF"},
                        {"60000/1001", "DF", "59.94 DF"}, {"48", "", "48"}};
    for (const Row& row : rows)
        EXPECT_EQ(rateLabel(*readTimecodeRate(row.rate, row.flag)), row.label) << row.rate;
}

} // namespace tabrix

namespace tabrix {

// The windows' times follow the project's rate: positions and ruler marks in timecode, a mark
// at a label drop frame skips falling on the next label that exists.
TEST(TimeFormat, ShowsPositionsAndRulerInTheProjectsTimecode)
{
    const SamplePos ten = 48000ull * 36000;
    const TimeFormat pal(48000, readTimecodeRate("25/1", "NDF"));
    EXPECT_EQ(pal.position(ten + 48000 * 9 + 1920 * 12), "10:00:09:12");
    EXPECT_EQ(pal.rateLabel(), "25");
    std::vector<std::string> labels;
    for (const RulerTick& tick : pal.rulerTicks(ten, ten + 48000 * 10, 11)) {
        labels.push_back(tick.label);
        EXPECT_EQ(pal.position(tick.position), tick.label + ":00");
    }
    EXPECT_EQ(labels.size(), 11u);
    EXPECT_EQ(labels.front(), "10:00:00");
    EXPECT_EQ(labels.back(), "10:00:10");

    const TimecodeRate ntsc = *readTimecodeRate("30000/1001", "DF");
    const TimeFormat df(48000, ntsc);
    EXPECT_EQ(df.rateLabel(), "29.97 DF");
    const SamplePos minute = positionOfLabel(labelCount({10, 11, 0, 0, true}, ntsc), 48000, ntsc);
    EXPECT_EQ(df.position(minute), "10:11:00;02"); // ;00 and ;01 don't exist
    const std::vector<RulerTick> ticks = df.rulerTicks(minute - 60000, minute + 60000, 3);
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[1].label, "10:11:00");
    EXPECT_EQ(ticks[1].position, minute);
    // Every label that exists maps to a position that reads back as that label.
    const std::uint64_t from = labelCount({10, 9, 59, 0, true}, ntsc);
    for (std::uint64_t label = from; label < from + 2 * 1800; ++label) {
        const bool exists = label % 1800 >= 2 || label / 1800 % 10 == 0;
        const Timecode back = timecodeAt(positionOfLabel(label, 48000, ntsc), 48000, ntsc);
        EXPECT_EQ(labelCount(back, ntsc), exists ? label : label / 1800 * 1800 + 2) << label;
    }
}

} // namespace tabrix
