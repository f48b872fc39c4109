#include "project/TakeTimeline.h"
#include "render/RenderState.h"

#include "RenderHarness.h"

#include <gtest/gtest.h>

namespace tabrix {
namespace {

using testing::Rendered;
using testing::sourceFrame;
using testing::tableEntry;
using testing::TakeDef;
using testing::TempDir;
using testing::withGain;

constexpr SamplePos hourAt48k = 48000ull * 3600;
constexpr SamplePos edge = 16384; // first block edge, counted from the timeline's start

Rendered renderProject(std::uint32_t rate, const std::vector<TakeDef>& takes)
{
    TempDir dir;
    testing::writeProject(dir, rate, takes);
    ConformProject project;
    if (!project.load(dir.path().string()))
        return {};
    return testing::renderTimeline(project);
}

WorkFrame scaled(WorkFrame frame, std::uint32_t gain)
{
    return {withGain(frame.left, gain), withGain(frame.right, gain)};
}

::testing::AssertionResult sameFrame(const WorkFrame& actual, const WorkFrame& expected)
{
    if (actual.left == expected.left && actual.right == expected.right)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.left << ", " << actual.right
                                         << "), expected (" << expected.left << ", "
                                         << expected.right << ")";
}

// Frame `p` (timeline position) of the rendered output.
const WorkFrame& at(const Rendered& r, SamplePos p)
{
    return r.frames.at(std::size_t(p - r.from));
}

TEST(SingleTake, FadesInOverFirstAndOutOverLastFadeLengthFrames)
{
    const std::vector<TakeDef> takes = {{.start = hourAt48k, .frames = 40000, .tfid = 1}};
    const Rendered r = renderProject(48000, takes);
    ASSERT_EQ(r.frames.size(), 40000u);
    const SamplePos s = hourAt48k;
    for (std::uint64_t i = 0; i < 1024; ++i) {
        SCOPED_TRACE(::testing::Message() << "i=" << i);
        ASSERT_TRUE(sameFrame(at(r, s + i), scaled(sourceFrame(takes[0], 0, i), tableEntry(4 * i))));
        const std::uint64_t tail = 40000 - 1024 + i;
        ASSERT_TRUE(sameFrame(at(r, s + tail),
                              scaled(sourceFrame(takes[0], 0, tail), tableEntry(4095 - 4 * i))));
    }
    for (std::uint64_t f = 1024; f < 40000 - 1024; ++f)
        ASSERT_TRUE(sameFrame(at(r, s + f), sourceFrame(takes[0], 0, f))) << "frame " << f;
    EXPECT_TRUE(sameFrame(r.frames.front(), {}));
    EXPECT_TRUE(sameFrame(r.frames.back(), {}));
}

TEST(SpliceFades, DifferentRecordingsDipToSilenceAtTheSplice)
{
    const std::vector<TakeDef> takes = {{.start = 0, .frames = 30000, .tfid = 1},
                                        {.start = 30000, .frames = 30000, .tfid = 2}};
    const Rendered r = renderProject(48000, takes);
    ASSERT_EQ(r.frames.size(), 60000u);
    EXPECT_TRUE(sameFrame(at(r, 29999), {}));
    EXPECT_TRUE(sameFrame(at(r, 30000), {}));
    for (std::uint64_t i = 0; i < 1024; ++i) {
        SCOPED_TRACE(::testing::Message() << "i=" << i);
        ASSERT_TRUE(sameFrame(at(r, 28976 + i),
                              scaled(sourceFrame(takes[0], 0, 28976 + i), tableEntry(4095 - 4 * i))));
        ASSERT_TRUE(sameFrame(at(r, 30000 + i), scaled(sourceFrame(takes[1], 1, i), tableEntry(4 * i))));
    }
    EXPECT_TRUE(sameFrame(at(r, 28975), sourceFrame(takes[0], 0, 28975)));
    EXPECT_TRUE(sameFrame(at(r, 31024), sourceFrame(takes[1], 1, 1024)));
}

// Around a junction between pieces of one recording every frame is the source frame.
TEST(SpliceFades, PiecesOfOneRecordingJoinWithoutFades)
{
    struct Case { const char* name; std::vector<TakeDef> takes; SamplePos junction; };
    const Case cases[] = {
        {"equal TFID, abutting",
         {{.start = 0, .frames = 30000, .tfid = 7}, {.start = 30000, .frames = 30000, .tfid = 7}},
         30000},
        {"no TFID on either, abutting",
         {{.start = 0, .frames = 30000}, {.start = 30000, .frames = 30000}}, 30000},
        {"two pieces of one take around a newer take of the same recording",
         {{.start = 0, .frames = 60000, .tfid = 7, .time = "10:00:00"},
          {.start = 30000, .frames = 5000, .tfid = 7, .time = "11:00:00"}},
         30000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Rendered r = renderProject(48000, c.takes);
        const std::vector<WorkFrame> plain = testing::referenceRender(c.takes, 48000).frames;
        ASSERT_EQ(r.frames.size(), plain.size());
        // Away from the timeline's own fade-in and fade-out, nothing is scaled.
        for (SamplePos p = 1024; p + 1024 < plain.size(); ++p) {
            std::size_t k = 0;
            for (std::size_t j = 0; j < c.takes.size(); ++j)
                if (p >= c.takes[j].start && p < c.takes[j].start + c.takes[j].frames &&
                    c.takes[j].time >= c.takes[k].time)
                    k = j;
            ASSERT_TRUE(sameFrame(at(r, p), sourceFrame(c.takes[k], k, p - c.takes[k].start)))
                << "position " << p;
        }
    }
}

TEST(Gaps, AreExactSilenceOfTheGapsLength)
{
    const std::vector<TakeDef> takes = {{.start = 0, .frames = 20000, .tfid = 1},
                                        {.start = 23456, .frames = 20000, .tfid = 2}};
    const Rendered r = renderProject(48000, takes);
    ASSERT_EQ(r.frames.size(), 43456u);
    for (SamplePos p = 20000; p < 23456; ++p)
        ASSERT_TRUE(sameFrame(at(r, p), {})) << "position " << p;
    // The frames around the gap are the takes' own (faded, but with gain > 0 there).
    EXPECT_TRUE(sameFrame(at(r, 19998), scaled(sourceFrame(takes[0], 0, 19998), tableEntry(7))));
    EXPECT_TRUE(sameFrame(at(r, 23457), scaled(sourceFrame(takes[1], 1, 1), tableEntry(4))));
}

TEST(Gaps, SameRecordingAcrossAGapHasNoFadeOutOrFadeIn)
{
    const std::vector<TakeDef> takes = {{.start = 0, .frames = 20000, .tfid = 3},
                                        {.start = 25000, .frames = 20000, .tfid = 3}};
    const Rendered r = renderProject(48000, takes);
    ASSERT_EQ(r.frames.size(), 45000u);
    for (std::uint64_t i = 0; i < 1024; ++i) {
        ASSERT_TRUE(sameFrame(at(r, 20000 - 1024 + i), sourceFrame(takes[0], 0, 20000 - 1024 + i)));
        ASSERT_TRUE(sameFrame(at(r, 25000 + i), sourceFrame(takes[1], 1, i)));
    }
    for (SamplePos p = 20000; p < 25000; ++p)
        ASSERT_TRUE(sameFrame(at(r, p), {})) << "position " << p;
}

TEST(FadeGeometry, HigherRatesUseLongerFadesWithFinerTableSteps)
{
    struct Case { std::uint32_t rate; std::uint64_t fadeLength; std::uint32_t step; };
    constexpr Case cases[] = {{44100, 1024, 4}, {88200, 2048, 2}, {96000, 2048, 2},
                              {176400, 4096, 1}, {192000, 4096, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "rate=" << c.rate);
        const std::vector<TakeDef> takes = {{.start = 0, .frames = 20000, .tfid = 1}};
        const Rendered r = renderProject(c.rate, takes);
        ASSERT_EQ(r.frames.size(), 20000u);
        for (std::uint64_t i = 0; i < c.fadeLength; ++i) {
            ASSERT_TRUE(sameFrame(at(r, i), scaled(sourceFrame(takes[0], 0, i), tableEntry(c.step * i))));
            const std::uint64_t tail = 20000 - c.fadeLength + i;
            ASSERT_TRUE(sameFrame(at(r, tail),
                                  scaled(sourceFrame(takes[0], 0, tail), tableEntry(4095 - c.step * i))));
        }
        EXPECT_TRUE(sameFrame(at(r, c.fadeLength), sourceFrame(takes[0], 0, c.fadeLength)));
        EXPECT_TRUE(sameFrame(at(r, 20000 - c.fadeLength - 1),
                              sourceFrame(takes[0], 0, 20000 - c.fadeLength - 1)));
    }
}

// Drives renderBlock directly so each block's contents and the position it returns show.
class BlockLoop {
public:
    BlockLoop(std::uint32_t rate, const std::vector<TakeDef>& takes)
    {
        testing::writeProject(dir, rate, takes);
        loaded = project.load(dir.path().string());
        state.resetRender();
    }
    SamplePos next(SamplePos& position)
    {
        const SamplePos before = position;
        EXPECT_TRUE(state.renderBlock(project.timeline(), position,
                                      static_cast<std::int8_t>(project.fadeRate())));
        return position - before;
    }
    const WorkFrame& frame(std::size_t i) const { return state.frames()[i]; }

    TempDir dir;
    ConformProject project;
    RenderState state;
    bool loaded = false;
};

TEST(EarlyClose, FirstBlockEndsWhereTheFirstTakesFadeOutBegins)
{
    const SamplePos start = 44100ull * 3600 * 10;
    const std::vector<TakeDef> takes = {
        {.start = start, .frames = 16884, .tfid = 1, .channels = 2, .bits = 16}};
    BlockLoop loop(44100, takes);
    ASSERT_TRUE(loop.loaded);
    SamplePos position = start;
    EXPECT_EQ(loop.next(position), 15860u);
    EXPECT_EQ(loop.next(position), 16384u); // fade-out, then silence past the timeline's end
    EXPECT_EQ(position, start + 15860 + 16384);
    for (std::uint64_t i = 0; i < 1024; ++i)
        ASSERT_TRUE(sameFrame(loop.frame(i), scaled(sourceFrame(takes[0], 0, 15860 + i),
                                                   tableEntry(4095 - 4 * i))));
    for (std::size_t i = 1024; i < 16384; ++i)
        ASSERT_TRUE(sameFrame(loop.frame(i), {})) << "block frame " << i;
}

TEST(FadeIn, CarriesOverIntoTheNextBlock)
{
    // A recording fills the first block up to 100 frames before its end; the next one starts
    // there, so its fade-in is split 100 / 924 across the block edge.
    const std::vector<TakeDef> takes = {{.start = 0, .frames = 16284, .tfid = 1, .bits = 16},
                                        {.start = 16284, .frames = 40000, .tfid = 2, .bits = 16}};
    BlockLoop loop(44100, takes);
    ASSERT_TRUE(loop.loaded);
    SamplePos position = 0;
    ASSERT_EQ(loop.next(position), 16384u);
    for (std::uint64_t i = 0; i < 100; ++i)
        ASSERT_TRUE(sameFrame(loop.frame(16284 + i),
                              scaled(sourceFrame(takes[1], 1, i), tableEntry(4 * i))));
    ASSERT_EQ(loop.next(position), 16384u);
    for (std::uint64_t i = 0; i < 924; ++i)
        ASSERT_TRUE(sameFrame(loop.frame(i),
                              scaled(sourceFrame(takes[1], 1, 100 + i), tableEntry(400 + 4 * i))));
    EXPECT_TRUE(sameFrame(loop.frame(924), sourceFrame(takes[1], 1, 1024)));
}

TEST(ShortSegment, FadesInOverItsLengthAndOutIntoWhatPrecedesIt)
{
    const std::vector<TakeDef> takes = {{.start = 0, .frames = 20000, .tfid = 1, .bits = 16},
                                        {.start = 20000, .frames = 500, .tfid = 2, .bits = 16},
                                        {.start = 20500, .frames = 20000, .tfid = 3, .bits = 16}};
    const Rendered r = renderProject(44100, takes);
    ASSERT_EQ(r.frames.size(), 40500u);
    for (std::uint64_t i = 0; i < 500; ++i) {
        const WorkFrame in = scaled(sourceFrame(takes[1], 1, i), tableEntry(4 * i));
        ASSERT_TRUE(sameFrame(at(r, 20000 + i), scaled(in, tableEntry(4095 - 4 * (524 + i)))))
            << "segment frame " << i;
    }
    // The 524 frames before it had the first take's own fade-out, then this one's.
    for (std::uint64_t i = 0; i < 524; ++i) {
        const SamplePos p = 19476 + i;
        const WorkFrame out = scaled(sourceFrame(takes[0], 0, p), tableEntry(4095 - 4 * (500 + i)));
        ASSERT_TRUE(sameFrame(at(r, p), scaled(out, tableEntry(4095 - 4 * i)))) << "position " << p;
    }
    EXPECT_TRUE(sameFrame(at(r, 19475), scaled(sourceFrame(takes[0], 0, 19475),
                                               tableEntry(4095 - 4 * 499))));
}

// One scenario of the block-edge table: the timeline, and the reference must match the
// renderer frame for frame and block for block.
struct EdgeCase {
    std::string name;
    std::uint32_t rate;
    std::vector<TakeDef> takes;
};

void PrintTo(const EdgeCase& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<EdgeCase> edgeCases()
{
    std::vector<EdgeCase> cases;
    const SamplePos t = hourAt48k;
    const SamplePos e = t + edge;
    const std::pair<const char*, std::int64_t> slides[] = {{"Before", -1}, {"On", 0}, {"After", 1}};
    for (const auto& [slideName, d] : slides) {
        const auto slid = [&](SamplePos p) { return SamplePos(std::int64_t(p) + d); };
        const std::string suffix = slideName;
        cases.push_back({"SpliceDifferent" + suffix, 48000,
                         {{.start = t, .frames = slid(e) - t, .tfid = 1},
                          {.start = slid(e), .frames = 30000, .tfid = 2}}});
        cases.push_back({"SpliceSame" + suffix, 48000,
                         {{.start = t, .frames = slid(e) - t, .tfid = 1},
                          {.start = slid(e), .frames = 30000, .tfid = 1}}});
        cases.push_back({"FadeOutRegionOnEdge" + suffix, 48000,
                         {{.start = t, .frames = slid(e + 1024) - t, .tfid = 1},
                          {.start = slid(e + 1024), .frames = 30000, .tfid = 2}}});
        cases.push_back({"GapAfterEdge" + suffix, 48000,
                         {{.start = t, .frames = slid(e) - t, .tfid = 1},
                          {.start = slid(e) + 3000, .frames = 30000, .tfid = 2}}});
        cases.push_back({"GapSameRecording" + suffix, 48000,
                         {{.start = t, .frames = slid(e + 1024) - t, .tfid = 4},
                          {.start = slid(e + 1024) + 700, .frames = 30000, .tfid = 4}}});
        cases.push_back({"ShortSegmentStartingAtEdge" + suffix, 44100,
                         {{.start = t, .frames = slid(e) - t, .tfid = 1, .bits = 16},
                          {.start = slid(e), .frames = 500, .tfid = 2, .bits = 16},
                          {.start = slid(e) + 500, .frames = 30000, .tfid = 3, .bits = 16}}});
        cases.push_back({"ShortSegmentEndingAtEdge" + suffix, 44100,
                         {{.start = t, .frames = slid(e) - 500 - t, .tfid = 1, .bits = 16},
                          {.start = slid(e) - 500, .frames = 500, .tfid = 2, .bits = 16},
                          {.start = slid(e), .frames = 30000, .tfid = 3, .bits = 16}}});
        // A same-recording piece shorter than the fade straddles the edge: its fade-out
        // region begins in the previous block.
        cases.push_back({"ShortPieceAcrossEdge" + suffix, 48000,
                         {{.start = t, .frames = 16000, .tfid = 1},
                          {.start = t + 16000, .frames = slid(e + 100) - t - 16000, .tfid = 1},
                          {.start = slid(e + 100), .frames = 500, .tfid = 2},
                          {.start = slid(e + 100) + 500, .frames = 20000, .tfid = 3}}});
        // Exactly one fade long and reaching past the edge: the block closes where it starts.
        cases.push_back({"FadeLongSegmentBeforeEdge" + suffix, 48000,
                         {{.start = t, .frames = slid(e) - 500 - t, .tfid = 1},
                          {.start = slid(e) - 500, .frames = 1024, .tfid = 2},
                          {.start = slid(e) + 524, .frames = 20000, .tfid = 3}}});
        cases.push_back({"NewerTakeSplitsOlder" + suffix, 48000,
                         {{.start = t, .frames = 60000, .tfid = 1, .time = "09:00:00"},
                          {.start = slid(e), .frames = 2000, .tfid = 2, .time = "12:00:00"}}});
        cases.push_back({"SpliceAt96k" + suffix, 96000,
                         {{.start = t, .frames = slid(e + 2048) - t, .tfid = 1},
                          {.start = slid(e + 2048), .frames = 30000, .tfid = 2}}});
        cases.push_back({"SpliceAt192k" + suffix, 192000,
                         {{.start = t, .frames = slid(e) - t, .tfid = 1},
                          {.start = slid(e), .frames = 30000, .tfid = 2}}});
        cases.push_back({"MonoThenStereo" + suffix, 48000,
                         {{.start = t, .frames = slid(e) - t, .tfid = 1, .channels = 1, .bits = 16},
                          {.start = slid(e), .frames = 30000, .tfid = 2}}});
    }
    cases.push_back({"ShortFirstSegmentAtFrameZero", 44100,
                     {{.start = 0, .frames = 500, .tfid = 1, .bits = 16},
                      {.start = 500, .frames = 30000, .tfid = 2, .bits = 16}}});
    cases.push_back({"ShortFirstSegmentNearFrameZero", 44100,
                     {{.start = 300, .frames = 500, .tfid = 1, .bits = 16},
                      {.start = 800, .frames = 30000, .tfid = 2, .bits = 16}}});
    cases.push_back({"ManyTakesOverlapsAndGaps", 48000,
                     {{.start = t, .frames = 50000, .tfid = 1, .time = "09:00:00"},
                      {.start = t + 20000, .frames = 10000, .tfid = 2, .time = "09:30:00"},
                      {.start = t + 45000, .frames = 40000, .tfid = 1, .time = "10:00:00"},
                      {.start = t + 90000, .frames = 700, .tfid = 3, .time = "10:10:00"},
                      {.start = t + 90700, .frames = 600, .tfid = 3, .time = "10:20:00"},
                      {.start = t + 91300, .frames = 40000, .time = "10:30:00"},
                      {.start = t + 140000, .frames = 5000, .time = "10:40:00"}}});
    return cases;
}

class BlockEdges : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(BlockEdges, RendererMatchesPerFrameReference)
{
    const EdgeCase& c = GetParam();
    const Rendered expected = testing::referenceRender(c.takes, c.rate);
    const Rendered actual = renderProject(c.rate, c.takes);
    EXPECT_EQ(actual.blockStarts, expected.blockStarts);
    ASSERT_EQ(actual.frames.size(), expected.frames.size());
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < expected.frames.size() && mismatches < 5; ++i) {
        const auto same = sameFrame(actual.frames[i], expected.frames[i]);
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << "position " << expected.from + i << ": " << same.message();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Timelines, BlockEdges, ::testing::ValuesIn(edgeCases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tabrix
