#include "FakeDialogs.h"
#include "ProjectFiles.h"

#include "app/MainDialog.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

struct Window {
    FakeControls controls;
    FakeServices services;
    MainDialog dialog{controls, services};
    Window() { dialog.onInitDialog(); }

    void clickChannel(int index)
    {
        controls.shown.channelChoice = index;
        dialog.onChannelChoice();
    }
};

} // namespace

TEST(MainWindowStartUp, ShowsWidthAndChannelOnlyWithConformDisabled)
{
    Window window;
    EXPECT_EQ(window.controls.shown.summaryText, "16 Bit, Stereo");
    EXPECT_EQ(window.controls.shown.widthChoice, 0);
    EXPECT_EQ(window.controls.shown.channelChoice, 0);
    EXPECT_EQ(window.controls.shown.projectPath, "");
    EXPECT_FALSE(window.controls.shown.conformEnabled);
}

TEST(MainWindowOptions, EachClickRebuildsTheSummaryWithoutAProject)
{
    Window window;
    window.dialog.onWidth24();
    EXPECT_EQ(window.controls.shown.summaryText, "24 Bit, Stereo");
    EXPECT_EQ(window.controls.shown.widthChoice, 1);
    window.clickChannel(4);
    EXPECT_EQ(window.controls.shown.summaryText, "24 Bit, Dual Mono");
    window.clickChannel(1);
    EXPECT_EQ(window.controls.shown.summaryText, "24 Bit, Mono Left");
    window.clickChannel(2);
    EXPECT_EQ(window.controls.shown.summaryText, "24 Bit, Mono Right");
    window.dialog.onWidth16();
    window.clickChannel(3);
    EXPECT_EQ(window.controls.shown.summaryText, "16 Bit, Mono Sum");
    window.clickChannel(9);
    EXPECT_EQ(window.controls.shown.summaryText, "16 Bit, (chan type not implemented)");
}

TEST(MainWindowOptions, ChannelClickReadsOnlyTheSelectionsBack)
{
    TempDir dir;
    Window window;
    const auto folder = writeSimpleProject(dir, "Proj");
    ASSERT_TRUE(window.dialog.openProject(utf8FromPath(folder), "Proj"));
    window.controls.shown.projectPath = "typed over";
    window.controls.shown.widthChoice = 1;
    window.clickChannel(1);
    EXPECT_EQ(window.controls.shown.projectPath, utf8FromPath(folder));
    EXPECT_EQ(window.dialog.widthChoice(), 1);
}

TEST(SizeFormatting, SwitchesUnitsAtPowersOfTen)
{
    struct Case { std::int64_t bytes; const char* text; };
    constexpr Case cases[] = {
        {0, "0 B"},          {999, "999 B"},           {1000, "1.00 KB"},
        {9999, "10.00 KB"},  {10000, "10 KB"},         {999999, "1000 KB"},
        {1000000, "1.00 MB"}, {9999999, "10.00 MB"},   {10000000, "10 MB"},
        {4294966279, "4295 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(MainDialog::formatByteSize(c.bytes), c.text);
    }
}

TEST(ClockFormatting, PadsHoursWithASpaceAndTheRestWithZeros)
{
    struct Case { ClockTime time; const char* text; };
    const Case cases[] = {
        {{1, 2, 3, 4}, " 1:02:03.04"},
        {{14, 5, 0, 9}, "14:05:00.09"},
        {{0, 0, 0, 0}, " 0:00:00.00"},
        {{23, 59, 59, 99}, "23:59:59.99"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MainDialog::formatClockTime(c.time), c.text);
    }
}

TEST(MainWindowSummary, LoadedProjectShowsRateTimesAndSize)
{
    TempDir dir;
    Window window;
    ASSERT_TRUE(window.dialog.openProject(utf8FromPath(writeSimpleProject(dir, "Proj")), "Proj"));
    EXPECT_EQ(window.controls.shown.summaryText,
              "16 Bit, Stereo, 48.0Khz, 10:00:00.00-10:00:00.10, 19 KB");
    EXPECT_EQ(window.dialog.outputDataSize(), 19200u);
    EXPECT_TRUE(window.controls.shown.conformEnabled);
}

TEST(MainWindowSummary, OutputSizeFollowsWidthAndChannels)
{
    TempDir dir;
    Window window;
    ASSERT_TRUE(window.dialog.openProject(utf8FromPath(writeSimpleProject(dir, "Proj")), "Proj"));
    const std::uint64_t stereo16 = window.dialog.outputDataSize();
    window.clickChannel(1);
    EXPECT_EQ(window.dialog.outputDataSize(), stereo16 / 2);
    window.clickChannel(3);
    EXPECT_EQ(window.dialog.outputDataSize(), stereo16 / 2);
    window.clickChannel(4);
    EXPECT_EQ(window.dialog.outputDataSize(), stereo16);
    window.clickChannel(0);
    EXPECT_EQ(window.dialog.outputDataSize(), stereo16);
    window.dialog.onWidth24();
    EXPECT_EQ(window.dialog.outputDataSize(), stereo16 * 3 / 2);
    EXPECT_EQ(window.dialog.project().outputWidth(), 24);
}

TEST(MainWindowSummary, RateTextHasOneDecimalInKilohertz)
{
    struct Case { std::uint32_t rate; const char* text; };
    constexpr Case cases[] = {
        {44100, "44.1Khz"}, {48000, "48.0Khz"}, {88200, "88.2Khz"}, {176400, "176.4Khz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        TempDir dir;
        writeTake(dir, "P", "a.wav", takeSpec(0, c.rate), 100);
        Window window;
        ASSERT_TRUE(window.dialog.openProject(utf8FromPath(dir.path() / "P"), "P"));
        EXPECT_NE(window.controls.shown.summaryText.find(std::string(", ") + c.text + ", "),
                  std::string::npos)
            << window.controls.shown.summaryText;
    }
}

TEST(MainWindowSummary, MixedRatesShowZeroRateAndCannotBeConformed)
{
    TempDir dir;
    writeTake(dir, "P", "a.wav", takeSpec(0, 48000), 100);
    writeTake(dir, "P", "b.wav", takeSpec(1000, 44100), 100);
    Window window;
    EXPECT_FALSE(window.dialog.openProject(utf8FromPath(dir.path() / "P"), "P"));
    EXPECT_NE(window.controls.shown.summaryText.find(", 0.0Khz, "), std::string::npos)
        << window.controls.shown.summaryText;
    EXPECT_FALSE(window.controls.shown.conformEnabled);
}
