#include "frontend/ProjectSummary.h"

#include <gtest/gtest.h>

#include <utility>

using namespace tabrix;

TEST(SummaryTexts, FormatsSizesRatesAndClockTimes)
{
    const auto size = &formatByteSize;
    const auto rate = &formatRate;
    const auto clock = &formatClockTime;
    const std::pair<std::string, const char*> cases[] = {
        {size(999), "999 B"}, {size(1000), "1.00 KB"}, {size(9999), "10.00 KB"},
        {size(10000), "10 KB"}, {size(999999), "1000 KB"}, {size(1000000), "1.00 MB"},
        {size(10000000), "10 MB"}, {rate(44100), "44.1Khz"}, {rate(176400), "176.4Khz"},
        {clock({1, 2, 3, 4}), " 1:02:03.04"}, {clock({14, 5, 0, 9}), "14:05:00.09"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
}
