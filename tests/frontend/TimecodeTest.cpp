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
