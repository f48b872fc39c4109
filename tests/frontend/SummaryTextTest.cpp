#include "frontend/OutputNames.h"
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

// The windows draw one radio button per entry; button i must choose what the summary then names,
// or a window would conform another layout than the one the user picked.
TEST(SummaryTexts, EachChoiceButtonStartsTheSummarysNameForItsIndex)
{
    const std::vector<std::string>& widths = widthChoiceTexts();
    for (std::size_t i = 0; i < widths.size(); ++i)
        EXPECT_EQ(widthText(std::int32_t(i)).rfind(widths[i], 0), 0u) << widths[i];
    const std::vector<std::string>& channels = channelChoiceTexts();
    for (std::size_t i = 0; i < channels.size(); ++i)
        EXPECT_EQ(channelText(std::int32_t(i)).rfind(channels[i], 0), 0u) << channels[i];
    // A layout the summary names but no button offers could never be chosen in a window.
    EXPECT_EQ(channelText(std::int32_t(channels.size())), channelText(-1));
    EXPECT_EQ(widthOf(2), SampleWidth::Float32); // the third button writes floats
    EXPECT_EQ(widthText(7), "24 Bit"); // any other index counts as 24 bit, as before
}

// Split Tracks names each file after its track, safely, and tells clashing tracks apart.
TEST(SplitTrackNames, FollowTheTrackNamesMadeSafe)
{
    const std::vector<ProjectTrack> tracks = {
        {1, "Mix L"}, {2, ""}, {3, "Boom/Pole: \"A\"?"}, {4, "Lav 1. "}, {5, "Lav:1"},
        {6, "lav?1"}, {7, "..."}, {8, "Plant\tRr"},
    };
    const std::filesystem::path folder = pathFromUtf8("out");
    const std::vector<std::string> expected = {
        "Day 1_Mix L.wav",  "Day 1_Track2.wav", "Day 1_Boom_Pole_ _A__.wav",
        "Day 1_Lav 1.wav",  "Day 1_Lav_1_5.wav", "Day 1_lav_1_6.wav",
        "Day 1_Track7.wav", "Day 1_Plant_Rr.wav"};
    std::vector<std::string> names;
    for (const std::string& path : splitTrackPaths(utf8FromPath(folder / "Day 1.WAV"), tracks)) {
        EXPECT_EQ(pathFromUtf8(path).parent_path(), folder);
        names.push_back(utf8FromPath(pathFromUtf8(path).filename()));
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(utf8FromPath(pathFromUtf8(splitTrackPaths("day", {{1, "A"}})[0]).filename()),
              "day_A.wav"); // a base without ".wav"
}
