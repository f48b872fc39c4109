#include "audio/ByteOrder.h"
#include "project/TakeTimeline.h"
#include "render/RenderState.h"

#include "FileSizeLimit.h"
#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace tabrix {
namespace {

using testing::Bytes;
using testing::TakeDef;
using testing::TempDir;

constexpr SamplePos hourAt48k = 48000ull * 3600;
constexpr std::uint64_t headerBytes = 1024;

// A project of several blocks with overlaps, gaps, a short piece and several recordings.
std::vector<TakeDef> mixedTakes()
{
    const SamplePos t = hourAt48k;
    return {{.start = t, .frames = 50000, .tfid = 1, .time = "09:00:00"},
            {.start = t + 20000, .frames = 10000, .tfid = 2, .time = "09:30:00"},
            {.start = t + 45000, .frames = 40000, .tfid = 1, .time = "10:00:00"},
            {.start = t + 90000, .frames = 700, .tfid = 3, .time = "10:10:00"},
            {.start = t + 91300, .frames = 40000, .time = "10:30:00"},
            {.start = t + 140000, .frames = 5000, .time = "10:40:00", .channels = 1, .bits = 16}};
}

// Sizes in the header of a finished output file agree with its length and frame size.
void expectFinalised(const std::filesystem::path& path, std::uint32_t frameBytes)
{
    const Bytes file = testing::readFile(path);
    ASSERT_GE(file.size(), headerBytes);
    const std::uint32_t dataBytes = loadU32le(&file[1020]);
    EXPECT_EQ(loadU32le(&file[4]), 1016u + dataBytes);
    EXPECT_EQ(dataBytes % frameBytes, 0u);
    EXPECT_GE(file.size(), headerBytes + dataBytes);
    Take reread(path.parent_path(), path.filename().string());
    ASSERT_TRUE(reread.parse());
    EXPECT_EQ(reread.dataSize(), dataBytes);
}

std::uint32_t dataSizeField(const std::filesystem::path& path)
{
    const Bytes file = testing::readFile(path);
    return file.size() >= headerBytes ? loadU32le(&file[1020]) : 0;
}

struct Layout {
    bool bits24;
    int mode;
};

void PrintTo(const Layout& layout, std::ostream* out)
{
    *out << (layout.bits24 ? 24 : 16) << " bit, mode " << layout.mode;
}

class ConformLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(ConformLayouts, OutputMatchesPerFrameReference)
{
    const auto [bits24, mode] = GetParam();
    const std::vector<TakeDef> takes = mixedTakes();
    TempDir dir;
    testing::writeProject(dir, 48000, takes);
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    project.setOutputOptions(bits24, mode);
    const auto left = dir.path() / "outL.wav";
    const auto right = dir.path() / "outR.wav";
    ASSERT_TRUE(mode == 4 ? project.prepareDualMonoOutput(left.string(), right.string())
                          : project.prepareOutput(left.string()));
    std::atomic<double> progress{0.0};
    ASSERT_TRUE(project.run(progress));

    const std::uint16_t bits = bits24 ? 24 : 16;
    const std::vector<WorkFrame> expected = testing::referenceRender(takes, 48000).frames;
    EXPECT_EQ(testing::outputData(left), testing::convertFrames(expected, bits, mode == 4 ? 1 : mode));
    if (mode == 4) {
        EXPECT_EQ(testing::outputData(right), testing::convertFrames(expected, bits, 2));
    }

    Take written(dir.path(), "outL.wav");
    ASSERT_TRUE(written.parse());
    EXPECT_EQ(written.format().bitsPerSample, bits);
    EXPECT_EQ(written.format().channelCount, mode == 0 ? 2 : 1);
    EXPECT_EQ(written.format().sampleRate, 48000u);
    EXPECT_EQ(written.timeReference(), hourAt48k);
}

std::string layoutName(const ::testing::TestParamInfo<Layout>& info)
{
    static const char* const modes[] = {"Stereo", "MonoLeft", "MonoRight", "MonoSum", "DualMono"};
    return std::string(info.param.bits24 ? "Bits24" : "Bits16") + modes[info.param.mode];
}

INSTANTIATE_TEST_SUITE_P(WidthsAndModes, ConformLayouts,
                         ::testing::Values(Layout{false, 0}, Layout{false, 1}, Layout{false, 2},
                                           Layout{false, 3}, Layout{false, 4}, Layout{true, 0},
                                           Layout{true, 1}, Layout{true, 2}, Layout{true, 3},
                                           Layout{true, 4}),
                         layoutName);

TEST(ConformProgress, StepsByWholeBlocksAndEndsAtTheDocumentedPercentage)
{
    struct Case { std::uint64_t frames; std::size_t blocks; double percent; };
    constexpr Case cases[] = {
        {163840, 10, 100.0},
        {163841, 11, 110.0},  // the tenth block stops where the fade-out begins
        {5000, 1, 100.0},     // shorter than a block: still a finite 100
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.frames << " frames");
        TempDir dir;
        testing::writeProject(dir, 48000, {{.start = 0, .frames = c.frames, .bits = 16}});
        ConformProject project;
        ASSERT_TRUE(project.load(dir.path().string()));
        EXPECT_EQ(testing::renderTimeline(project).blockStarts.size(), c.blocks);
        project.setOutputOptions(false, 0);
        ASSERT_TRUE(project.prepareOutput((dir.path() / "out.wav").string()));
        std::atomic<double> progress{0.0};
        ASSERT_TRUE(project.run(progress));
        EXPECT_TRUE(std::isfinite(progress.load()));
        EXPECT_DOUBLE_EQ(progress.load(), c.percent);
    }
}

TEST(ConformData, HoldsExactlyTheTimelinesFramesWhateverTheBlockBoundaries)
{
    for (std::uint64_t frames : {1ull, 1023ull, 1024ull, 16383ull, 16384ull, 16385ull, 17407ull,
                                 17408ull, 17409ull, 32768ull + 1024ull + 5ull}) {
        SCOPED_TRACE(::testing::Message() << frames << " frames");
        TempDir dir;
        testing::writeProject(dir, 44100, {{.start = 777, .frames = frames, .bits = 24}});
        ConformProject project;
        ASSERT_TRUE(testing::conform(project, dir, dir.path() / "out.wav", true, 3));
        EXPECT_EQ(dataSizeField(dir.path() / "out.wav"), frames * 3);
        EXPECT_EQ(testing::readFile(dir.path() / "out.wav").size(), headerBytes + frames * 3);
    }
}

TEST(ConformData, TimeReferenceIsTheEarliestTakeStart)
{
    TempDir dir;
    testing::writeProject(dir, 48000,
                          {{.start = 5000000, .frames = 3000, .tfid = 1, .time = "08:00:00"},
                           {.start = 4000000, .frames = 3000, .tfid = 2, .time = "12:00:00"}});
    ConformProject project;
    const auto out = dir.path() / "out.wav";
    ASSERT_TRUE(testing::conform(project, dir, out, false, 0));
    Take written(dir.path(), "out.wav");
    ASSERT_TRUE(written.parse());
    EXPECT_EQ(written.timeReference(), 4000000u);
    EXPECT_EQ(written.dataSize(), (5003000u - 4000000u) * 4);
}

TEST(ConformCancel, StopsAtABlockBoundaryAndFinalisesTheFile)
{
    constexpr std::uint64_t totalBlocks = 400;
    TempDir dir;
    testing::writeProject(dir, 48000,
                          {{.start = 0, .frames = totalBlocks * 16384, .channels = 1, .bits = 16}});
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    project.setOutputOptions(false, 1);
    const auto out = dir.path() / "out.wav";
    ASSERT_TRUE(project.prepareOutput(out.string()));
    std::atomic<double> progress{0.0};
    std::atomic<bool> finished{false};
    bool result = false;
    std::thread worker([&] {
        result = project.run(progress);
        finished.store(true);
    });
    const double step = 100.0 / double(totalBlocks);
    // Wait, without sleeping, until two blocks are written, then press Cancel.
    while (progress.load() < 2 * step - 1e-9 && !finished.load())
        std::this_thread::yield();
    project.requestCancel();
    worker.join();

    EXPECT_TRUE(result);
    const std::uint32_t dataBytes = dataSizeField(out);
    EXPECT_EQ(dataBytes % (16384 * 2), 0u) << "whole blocks only";
    EXPECT_GE(dataBytes, 2u * 16384 * 2);
    EXPECT_LT(dataBytes, totalBlocks * 16384 * 2) << "the cancel was not honoured";
    EXPECT_DOUBLE_EQ(progress.load(), step * double(dataBytes / (16384 * 2)));
    expectFinalised(out, 2);
}

TEST(ConformCancel, PressBeforeTheRunStartsIsForgotten)
{
    TempDir dir;
    testing::writeProject(dir, 48000, {{.start = 0, .frames = 40000, .bits = 16}});
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    project.setOutputOptions(false, 0);
    ASSERT_TRUE(project.prepareOutput((dir.path() / "out.wav").string()));
    project.requestCancel();
    std::atomic<double> progress{0.0};
    ASSERT_TRUE(project.run(progress));
    EXPECT_EQ(dataSizeField(dir.path() / "out.wav"), 40000u * 4);
}

TEST(ConformPreparation, DualMonoWithRightFileInMissingFolderFailsAndKeepsLeftFile)
{
    TempDir dir;
    testing::writeProject(dir, 48000, {{.start = 0, .frames = 3000}});
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    project.setOutputOptions(true, 4);
    const auto left = dir.path() / "L.wav";
    EXPECT_FALSE(project.prepareDualMonoOutput(left.string(),
                                               (dir.path() / "missing" / "R.wav").string()));
    EXPECT_TRUE(std::filesystem::exists(left));
    std::atomic<double> progress{0.0};
    EXPECT_FALSE(project.run(progress)) << "no output may remain prepared";
    EXPECT_EQ(progress.load(), 0.0);
}

TEST(ConformPreparation, RunWithoutPreparedOutputFails)
{
    TempDir dir;
    testing::writeProject(dir, 48000, {{.start = 0, .frames = 3000}});
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    std::atomic<double> progress{0.0};
    EXPECT_FALSE(project.run(progress));
}

TEST(ConformRepeat, SecondConformWritesNewFilesAndLeavesTheFirstIntact)
{
    TempDir dir;
    const std::vector<TakeDef> takes = mixedTakes();
    testing::writeProject(dir, 48000, takes);
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    std::atomic<double> progress{0.0};

    project.setOutputOptions(true, 4);
    ASSERT_TRUE(project.prepareDualMonoOutput((dir.path() / "1L.wav").string(),
                                              (dir.path() / "1R.wav").string()));
    ASSERT_TRUE(project.run(progress));
    const Bytes firstLeft = testing::readFile(dir.path() / "1L.wav");

    project.setOutputOptions(true, 0);
    ASSERT_TRUE(project.prepareOutput((dir.path() / "2.wav").string()));
    ASSERT_TRUE(project.run(progress));
    ASSERT_TRUE(project.prepareOutput((dir.path() / "3.wav").string()));
    ASSERT_TRUE(project.run(progress));

    const std::vector<WorkFrame> expected = testing::referenceRender(takes, 48000).frames;
    EXPECT_EQ(testing::outputData(dir.path() / "2.wav"), testing::convertFrames(expected, 24, 0));
    EXPECT_EQ(testing::outputData(dir.path() / "3.wav"), testing::convertFrames(expected, 24, 0));
    EXPECT_EQ(testing::readFile(dir.path() / "1L.wav"), firstLeft);
    EXPECT_EQ(testing::outputData(dir.path() / "1R.wav"), testing::convertFrames(expected, 24, 2));
}

TEST(ConformFailure, WriteFailureMidRunReturnsFalseWithFinalisedFile)
{
    TempDir dir;
    testing::writeProject(dir, 48000, {{.start = 0, .frames = 10 * 16384, .tfid = 1}});
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    project.setOutputOptions(true, 0);
    const auto out = dir.path() / "out.wav";
    ASSERT_TRUE(project.prepareOutput(out.string()));
    bool result = true;
    {
        // Room for the header, two blocks of 24-bit stereo and part of a third.
        testing::FileSizeLimit limit(headerBytes + 2 * 98304 + 50000);
        if (!limit.active())
            GTEST_SKIP() << "file size limits are not available here";
        std::atomic<double> progress{0.0};
        result = project.run(progress);
    }
    EXPECT_FALSE(result);
    const std::uint32_t dataBytes = dataSizeField(out);
    EXPECT_GT(dataBytes, 0u) << "the header still says the file is empty";
    EXPECT_LE(dataBytes, 2u * 98304 + 50000);
    expectFinalised(out, 6);
}

TEST(ConformInput, TakeCutShortAfterLoadingPlaysSilenceFromTheFailedReadOn)
{
    // The cut take ends on a block edge, so the next take starts a block of its own.
    const std::vector<TakeDef> takes = {{.start = 0, .frames = 6 * 16384, .tfid = 1},
                                        {.start = 6 * 16384, .frames = 30000, .tfid = 2}};
    TempDir dir;
    testing::writeProject(dir, 48000, takes);
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    Take cut(dir.path() / "Audio Files", "take00.wav");
    ASSERT_TRUE(cut.parse());
    std::filesystem::resize_file(cut.path(), cut.dataStart() + 50000 * 6);
    project.setOutputOptions(true, 0);
    const auto out = dir.path() / "out.wav";
    ASSERT_TRUE(project.prepareOutput(out.string()));
    std::atomic<double> progress{0.0};
    ASSERT_TRUE(project.run(progress));

    // 24-bit stereo refills hold 20480 frames; the one at 40960 reaches past the cut, and
    // every later read of the take fails as well.
    std::vector<WorkFrame> expected = testing::referenceRender(takes, 48000).frames;
    std::fill(expected.begin() + 40960, expected.begin() + 6 * 16384, WorkFrame{});
    EXPECT_EQ(testing::outputData(out), testing::convertFrames(expected, 24, 0));
}

TEST(ConformInput, SourceTakesAreByteIdenticalAfterAConform)
{
    TempDir dir;
    const std::vector<TakeDef> takes = mixedTakes();
    testing::writeProject(dir, 48000, takes);
    std::vector<Bytes> before;
    for (std::size_t k = 0; k < takes.size(); ++k)
        before.push_back(testing::takeFileBytes(takes[k], k, 48000));
    ConformProject project;
    ASSERT_TRUE(testing::conform(project, dir, dir.path() / "out.wav", true, 0));
    for (std::size_t k = 0; k < takes.size(); ++k) {
        char name[64];
        std::snprintf(name, sizeof name, "Audio Files/take%02zu.wav", k);
        EXPECT_EQ(testing::readFile(dir.path() / name), before[k]) << name;
    }
}

TEST(SegmentCaches, ReleasedOnceTheRendererHasPassedTheSegment)
{
    std::vector<TakeDef> takes;
    for (std::uint64_t k = 0; k < 60; ++k)
        takes.push_back({.start = k * 3500, .frames = 3000, .tfid = int(k % 3), .bits = 16});
    TempDir dir;
    testing::writeProject(dir, 48000, takes);
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    const TakeTimeline* timeline = project.timeline();
    ASSERT_EQ(timeline->segmentCount(), 60u);
    const auto buffersHeld = [&] {
        std::size_t held = 0;
        for (const TimelineSegment* s = timeline->first(); s != nullptr; s = s->next)
            held += s->cache.hasBuffer() ? 1 : 0;
        return held;
    };
    RenderState state;
    state.resetRender();
    for (SamplePos position = 0; position < timeline->last()->end;) {
        state.renderBlock(timeline, position, 16);
        ASSERT_LE(buffersHeld(), 1u) << "after the block ending at " << position;
    }

    project.setOutputOptions(false, 0);
    ASSERT_TRUE(project.prepareOutput((dir.path() / "out.wav").string()));
    std::atomic<double> progress{0.0};
    ASSERT_TRUE(project.run(progress));
    EXPECT_EQ(buffersHeld(), 0u);
}

} // namespace
} // namespace tabrix
