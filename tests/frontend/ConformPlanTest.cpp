#include "TempDir.h"

#include "frontend/ConformPlan.h"
#include "project/ConformProject.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

constexpr std::uint64_t tenOClock = 10ull * 3600 * 48000;

struct PlanTake { const char* name; std::uint64_t start, end; const char* recordedAt; int tfid; };

// The demo's shape in miniature: overlaps won by the newer take, a gap, a recording in two
// files, a take split by a newer pickup and one take hidden under an older-but-newer one.
constexpr PlanTake planTakes[] = {
    {"A.wav", 0, 4000, "11:00:00", 1},       {"B.wav", 3000, 7000, "11:05:00", 2},
    {"C.wav", 6500, 9000, "10:50:00", 3},    {"D1.wav", 10000, 14000, "11:10:00", 4},
    {"D2.wav", 14000, 17000, "11:10:04", 4}, {"E.wav", 19000, 23000, "10:30:00", 6},
    {"F.wav", 21000, 22000, "12:00:00", 7},  {"G.wav", 19500, 20500, "10:00:00", 8},
};

std::string writePlanProject(const TempDir& dir)
{
    for (const PlanTake& take : planTakes)
        dir.write(std::string("P/Audio Files/") + take.name,
                  takeBytes({.timeReference = tenOClock + take.start, .time = take.recordedAt,
                             .tfid = take.tfid,
                             .data = constantFrames(2, 24, take.end - take.start, 1000)}));
    return utf8FromPath(dir.path() / "P");
}

// The plan of that project, loaded once per test.
class ConformPlanOf : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(project.load(writePlanProject(dir))); }
    TempDir dir;
    ConformProject project;
};

} // namespace

TEST_F(ConformPlanOf, OneBlockPerSegmentColouredByRecordingWithFadesAtSplices)
{
    const ConformPlan plan = ConformPlan::of(project);

    struct Expected { const char* take; std::uint64_t start, end, source; std::size_t recording;
                      bool fadeIn, fadeOut; };
    const Expected expected[] = {
        {"A.wav", 0, 3000, 0, 0, true, true},         // cut short by the newer B
        {"B.wav", 3000, 7000, 0, 1, true, true},
        {"C.wav", 7000, 9000, 500, 2, true, true},    // loses its start to B
        {"D1.wav", 10000, 14000, 0, 3, true, false},  // one recording: no fade between
        {"D2.wav", 14000, 17000, 0, 3, false, true},
        {"E.wav", 19000, 21000, 0, 4, true, true},    // split by the newer pickup F
        {"F.wav", 21000, 22000, 0, 5, true, true},
        {"E.wav", 22000, 23000, 3000, 4, true, true},
    };
    ASSERT_EQ(plan.segments().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const PlanSegment& block = plan.segments()[i];
        const Expected& e = expected[i];
        EXPECT_EQ(block.takeName, e.take);
        EXPECT_EQ(block.start, tenOClock + e.start);
        EXPECT_EQ(block.end, tenOClock + e.end);
        EXPECT_EQ(block.sourceFrame, e.source);
        EXPECT_EQ(block.recording, e.recording);
        EXPECT_EQ(block.colour, ConformPlan::colourOf(e.recording));
        EXPECT_EQ(block.fadeIn, e.fadeIn);
        EXPECT_EQ(block.fadeOut, e.fadeOut);
        if (i > 0 && block.recording != plan.segments()[i - 1].recording) {
            EXPECT_NE(block.colour, plan.segments()[i - 1].colour);
        }
    }
    EXPECT_EQ(plan.recordingCount(), 6u);
    // G would play from 19500 to 20500, where E and F play.
    const PlanUnusedTake g{"G.wav", tenOClock + 19500, tenOClock + 20500};
    EXPECT_EQ(plan.unusedTakes(), std::vector<PlanUnusedTake>{g});
    EXPECT_EQ(plan.fadeFrames(), 1024u);
    EXPECT_EQ(plan.start(), tenOClock);
    EXPECT_EQ(plan.end(), tenOClock + 23000);
}

TEST_F(ConformPlanOf, FindsTheBlockUnderAPositionAndDescribesIt)
{
    const ConformPlan plan = ConformPlan::of(project);
    const std::pair<std::uint64_t, std::optional<std::size_t>> hits[] = {
        {0, 0}, {2999, 0}, {3000, 1}, {9000, std::nullopt}, {9999, std::nullopt},
        {14000, 4}, {22999, 7}, {23000, std::nullopt},
    };
    for (const auto& [offset, index] : hits)
        EXPECT_EQ(plan.segmentAt(tenOClock + offset), index) << offset;
    EXPECT_EQ(plan.segmentAt(tenOClock - 1), std::nullopt);
    EXPECT_EQ(plan.describe(7), "E.wav\nsource 0:00:00.06\u20130:00:00.08\n"
                                "timeline 10:00:00.45\u201310:00:00.47");
    EXPECT_DOUBLE_EQ(plan.fractionOf(tenOClock + 11500), 0.5);
    EXPECT_DOUBLE_EQ(plan.fractionOf(0), 0.0);
}

TEST(ConformPlan, IsEmptyForAProjectThatCannotBeConformed)
{
    TempDir dir;
    for (const auto& [name, rate] : {std::pair{"m/Audio Files/a.wav", 48000u},
                                     std::pair{"m/Audio Files/b.wav", 44100u}})
        dir.write(name, takeBytes({.rate = rate, .data = constantFrames(2, 24, 100, 1)}));
    ConformProject project;
    EXPECT_FALSE(project.load(utf8FromPath(dir.path() / "m")));
    ASSERT_NE(project.timeline(), nullptr); // built, but its positions mix two rates
    EXPECT_TRUE(ConformPlan::of(project).empty());
    EXPECT_TRUE(ConformPlan::of(ConformProject{}).empty());
}
