#include "RenderHarness.h"

#include <gtest/gtest.h>

namespace tabrix::testing {

// Each splice slides from one frame before a block edge to one after, so the early close,
// fade-ins carried into the next block and fade-outs cut at a block edge all run.
TEST(BlockEdges, RendererMatchesPerFrameReference)
{
    struct Row { std::string name; std::uint32_t rate; std::vector<TakeDef> takes; };
    const auto take = [](SamplePos at, std::uint64_t frames, int tfid, std::uint16_t channels = 2) {
        return TakeDef{.start = at, .frames = frames, .tfid = tfid, .channels = channels};
    };
    const SamplePos t = 48000ull * 3600;
    std::vector<Row> rows = {{"one take, 16884 frames", 44100, {take(t, 16884, 1)}},
                             {"short first segment near frame 0", 44100,
                              {take(300, 500, 1), take(800, 30000, 2)}}};
    for (const std::int64_t d : {-1, 0, 1}) {
        const SamplePos e = t + 16384 + d; // the splice
        const std::string at = ", splice at edge" + std::to_string(d);
        rows.push_back({"same recording, short piece, other" + at, 48000,
                        {take(t, e - t, 1), take(e, 600, 1), take(e + 600, 30000, 2)}});
        rows.push_back({"gap, same recording, gap, other" + at, 48000,
                        {take(t, e - t, 1), take(e + 700, 20000, 1), take(e + 23700, 20000, 2)}});
        rows.push_back({"short newer take splits an older one" + at, 44100,
                        {{.start = t, .frames = 60000, .tfid = 1, .time = "09:00:00"},
                         take(e, 500, 2)}});
        rows.push_back({"fade-out region starts at the edge, 96 kHz" + at, 96000,
                        {take(t, e + 2048 - t, 1), take(e + 2048, 30000, 2)}});
        rows.push_back({"other recording, mono, 192 kHz" + at, 192000,
                        {take(t, e - t, 1), take(e, 30000, 2, 1)}});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        ConformProject project;
        ASSERT_TRUE(loadProject(project, dir, row.rate, row.takes));
        const Rendered r = renderTimeline(project);
        EXPECT_EQ(firstDiff(r.frames, referenceRender(row.takes, row.rate, r.blockStarts)), -1);
        if (row.takes.size() == 1) { // the first block closes where the fade-out begins
            EXPECT_EQ(r.blockStarts, (std::vector<SamplePos>{t, t + 15860}));
        }
    }
}

// A splice fades unless both sides are one recording: one take, or two takes carrying equal
// TFID records. Takes without a TFID chunk (what most recorders write) fade at every splice.
TEST(RecordingJoins, FadeExactlyWhereTheRecordingChanges)
{
    const SamplePos t = 48000ull * 3600;
    struct Pair { const char* name; int first, second; bool fade; };
    const Pair pairs[] = {{"equal TFIDs", 1, 1, false}, {"different TFIDs", 1, 2, true},
                          {"neither has a TFID", -1, -1, true}, {"one has a TFID", 1, -1, true},
                          {"a zero TFID is not the missing one", 0, -1, true}};
    struct Layout { const char* name; std::vector<TakeDef> takes; SamplePos splice; };
    for (const Pair& pair : pairs) {
        const auto def = [&](SamplePos at, std::uint64_t frames, bool second, const char* time) {
            return TakeDef{.start = at, .frames = frames, .tfid = second ? pair.second : pair.first,
                           .time = time};
        };
        const Layout layouts[] = {
            {"abutting", {def(t, 20000, false, "09:00:00"), def(t + 20000, 20000, true, "10:00:00")},
             t + 20000},
            {"overlapping", {def(t, 20000, false, "09:00:00"), def(t + 15000, 20000, true, "10:00:00")},
             t + 15000},
            {"split by a newer take",
             {def(t, 40000, false, "09:00:00"), def(t + 15000, 10000, true, "10:00:00")}, t + 15000},
            {"across a gap", {def(t, 20000, false, "09:00:00"), def(t + 25000, 20000, true, "10:00:00")},
             t + 20000},
        };
        for (const Layout& layout : layouts) {
            SCOPED_TRACE(std::string(pair.name) + ", " + layout.name);
            TempDir dir;
            ConformProject project;
            ASSERT_TRUE(loadProject(project, dir, 48000, layout.takes));
            const Rendered r = renderTimeline(project);
            EXPECT_EQ(firstDiff(r.frames, referenceRender(layout.takes, 48000, r.blockStarts)), -1);
            // The last frame before the splice (or the gap) is silent exactly when it fades.
            const WorkFrame before = r.frames.at(layout.splice - 1 - t);
            EXPECT_EQ(before.left == 0 && before.right == 0, pair.fade);
        }
    }
}

// The working frames rendered for `data`, frames in format `fmt`, placed between 1500 zero
// frames at each end so that no fade touches them.
static std::vector<WorkFrame> renderMiddle(const Bytes& fmt, std::size_t frameBytes, Bytes data)
{
    data.insert(data.begin(), 1500 * frameBytes, 0);
    data.resize(data.size() + 1500 * frameBytes);
    TempDir dir;
    dir.write("Audio Files/a.wav", RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmt)
                                       .chunk("data", data).bytes());
    ConformProject project;
    if (!project.load(dir.path().string()))
        return {};
    const std::vector<WorkFrame> all = renderTimeline(project).frames;
    return all.size() < 3000 ? all : std::vector<WorkFrame>(all.begin() + 1500, all.end() - 1500);
}

TEST(SourceFormats, SamplesLandInTheTopBitsOfTheWorkingWord)
{
    const float tiny = std::ldexp(1.5f, -31), inf = HUGE_VALF;
    const Bytes floats = float32({1, -1, 2, -2, std::nanf(""), 0.5f, tiny, -tiny, inf, -0.25f});
    const std::vector<WorkFrame> floatFrames = { // saturated, NaN silent, truncated toward zero
        {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MIN}, {0, 1 << 30}, {1, -1},
        {INT32_MAX, -(1 << 29)}};
    struct Row { const char* name; Bytes fmt; std::size_t frameBytes; Bytes data;
                 std::vector<WorkFrame> frames; };
    const Row rows[] = {
        {"8-bit, unsigned", fmtBody({.bits = 8}), 2, {0, 255}, {{INT32_MIN, 0x7F000000}}},
        {"16-bit", fmtBody({.bits = 16}), 4, pcm(16, {0x7FFF, -0x8000}), {{0x7FFF0000, INT32_MIN}}},
        {"24-bit", fmtBody({.bits = 24}), 6, pcm(24, {0x123456, -1}), {{0x12345600, -256}}},
        {"32-bit", fmtBody({.bits = 32}), 8, pcm(32, {-1, 0x12345678}), {{-1, 0x12345678}}},
        {"float", fmtBody({.tag = 3, .bits = 32}), 8, floats, floatFrames},
        {"extensible float", fmtExtensibleBody({.bits = 32}, true), 8, floats, floatFrames},
        {"4 channels play 1 and 2", fmtBody({.channels = 4, .bits = 16}), 8,
         pcm(16, {1, 2, 3, 4, -5, -6, -7, -8}), {{0x10000, 0x20000}, {-5 * 65536, -6 * 65536}}},
        {"mono on both sides", fmtBody({.channels = 1, .bits = 24}), 3, pcm(24, {0x123456, -3}),
         {{0x12345600, 0x12345600}, {-768, -768}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(firstDiff(renderMiddle(row.fmt, row.frameBytes, row.data), row.frames), -1);
    }
}

TEST(OutputConversion, WritesTheTopBitsOfEachModesChannels)
{
    struct Row { WorkFrame frame; std::uint8_t bits; int mode; Bytes first, second = {}; };
    const Row rows[] = {
        {{0x12345600, 0}, 16, 1, {0x34, 0x12}},          // low bits dropped
        {{-1, 0}, 16, 1, {0xFF, 0xFF}},                   // toward minus infinity
        {{std::int32_t(0xABCD0000u), 0}, 24, 1, {0x00, 0xCD, 0xAB}},
        {{0x11110000, 0x22220000}, 16, 0, {0x11, 0x11, 0x22, 0x22}},
        {{0x11110000, 0x22220000}, 16, 2, {0x22, 0x22}},
        {{0x40000000, 0x40000000}, 16, 3, {0xFF, 0x7F}},  // Mono Sum saturates up...
        {{INT32_MIN, -256}, 24, 3, {0x00, 0x00, 0x80}},   // ...and down
        {{0x20000000, 0x10000000}, 16, 3, {0x00, 0x30}},  // without halving
        {{-65536, 0}, 16, 3, {0xFF, 0xFF}},               // -1 + 0 is -1
        {{0x12345600, -256}, 24, 4, {0x56, 0x34, 0x12}, {0xFF, 0xFF, 0xFF}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "mode " << row.mode << ", " << int(row.bits)
                                          << " bit, " << row.frame.left << " " << row.frame.right);
        EXPECT_EQ(convertEach({row.frame}, row.bits, row.mode), std::pair(row.first, row.second));
    }
}

// A take gone after loading fails the block that needs it, and its segment gives its read
// buffer back at once instead of holding it for the rest of the run.
TEST(UnreadableTake, FailsTheBlockAndReleasesItsSegmentsBuffer)
{
    TempDir dir;
    ConformProject project;
    ASSERT_TRUE(loadProject(project, dir, 48000, {{.frames = 3000, .tfid = 1},
                                                  {.start = 3000, .frames = 40000, .tfid = 2}}));
    std::filesystem::remove(dir.path() / "Audio Files" / takeName(1));
    RenderState state;
    state.resetRender();
    SamplePos position = 0;
    EXPECT_FALSE(state.renderBlock(project.timeline(), position, 16));
    const TimelineSegment* failed = state.failedSegment;
    ASSERT_EQ(failed, project.timeline()->first()->next);
    EXPECT_FALSE(failed->cache.hasBuffer());
    EXPECT_EQ(failed->cache.lastFailure.systemError, ENOENT);
    EXPECT_FALSE(failed->cache.lastFailure.endReached);
}

} // namespace tabrix::testing
