#include "audio/ByteOrder.h"

#include "ConformFixture.h"
#include "FileSizeLimit.h"

#include <gtest/gtest.h>
#if TABRIX_TEST_SNDFILE
#include <sndfile.h>
#endif

namespace tabrix::testing {

constexpr SamplePos t = 48000ull * 3600;

TEST_F(Conform, ProgressStepsByWholeBlocksToTheEnd)
{
    for (const auto& [n, percent] : {std::pair{163840u, 100.}, {163841u, 110.}, {5000u, 100.}}) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(prepare({{.frames = n, .channels = 1, .bits = 16}}, false, 1));
        ASSERT_TRUE(project.run(progress));
        EXPECT_DOUBLE_EQ(progress.load(), percent);
    }
}

TEST_F(Conform, CancelStopsAtABlockEdgeWithAFinalisedFile)
{
    constexpr std::uint64_t blocks = 400, blockBytes = blockFrames * 2;
    ASSERT_TRUE(prepare({{.frames = blocks * blockFrames, .channels = 1, .bits = 16}}, false, 1));
    // Cancel pressed once the second block is on disk; the blocks staged with it still go out.
    project.setBlockObserver([this](std::uint64_t written) {
        if (written == 2)
            project.requestCancel();
    });
    EXPECT_TRUE(project.run(progress));
    EXPECT_EQ(finalisedDataBytes(), OutputConverter::maxStagedBlocks * blockBytes);
    EXPECT_DOUBLE_EQ(progress.load(), OutputConverter::maxStagedBlocks * 100.0 / blocks);
}

// 24-bit mono with an odd frame count: the data chunk is followed by a zero pad byte that the
// RIFF size counts and the data size does not, also when a failed write cut the file back.
TEST_F(Conform, OddDataEndsWithAPadByteCountedInTheRiffSizeOnly)
{
    constexpr std::uint64_t frames = 2 * blockFrames + 1;
    const std::vector<TakeDef> takes = {{.frames = frames, .channels = 1}};
    for (const int mode : {1, 4}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(prepare(takes, true, mode));
        ASSERT_TRUE(project.run(progress));
        const auto [left, right] = convertEach(referenceRender(takes, 48000), 24, mode);
        for (const auto& [name, expected] : {std::pair{"L.wav", left}, {"R.wav", right}}) {
            if (mode != 4 && name[0] == 'R')
                continue;
            const WrittenWav wav = readWrittenWav(out(name)); // checks the pad and the RIFF size
            EXPECT_TRUE(wav.wellFormed);
            EXPECT_EQ(wav.dataBytes, 3 * frames);
            EXPECT_EQ(readFile(out(name))[1024 + 3 * frames], 0);
            EXPECT_EQ(wav.trailingIds(), (std::vector<std::string>{"iXML", "cue ", "LIST"}));
            EXPECT_TRUE(wav.data == expected);
        }
    }
    ConformScene cut; // a limit two bytes into frame 1002 leaves 1001 frames and room for the pad
    ASSERT_TRUE(cut.prepare(takes, true, 1));
    {
        FileSizeLimit limit(1024 + 3 * 1001 + 2);
        if (!limit.active())
            GTEST_SKIP() << "file size limits are not available here";
        EXPECT_FALSE(cut.project.run(cut.progress));
    }
    const Bytes file = readFile(cut.out("L.wav"));
    ASSERT_EQ(file.size(), 1024 + 3 * 1001 + 1);
    EXPECT_EQ(loadU32le(&file[4]), 1016 + 3 * 1001 + 1);
    EXPECT_EQ(loadU32le(&file[1020]), 3 * 1001);
}

// Two short takes 2^31 frames apart: the silence between them plans each output past what a
// RIFF header can describe, so each is RF64 from the start and keeps its true 64-bit sizes
// when the run is cancelled.
TEST_F(Conform, OutputPlannedPastFourGiBIsRf64WithTrueSizesAfterACancel)
{
    constexpr SamplePos far = SamplePos(1) << 31;
    for (const int mode : {0, 4}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(prepare({{.frames = 1000, .bits = 16}, {.start = far, .frames = 1000, .bits = 16}},
                            false, mode));
        FileSizeLimit guard(256ull << 20); // should the cancel never land
        project.setBlockObserver([this](std::uint64_t written) {
            if (written == 2)
                project.requestCancel();
        });
        ASSERT_TRUE(project.run(progress));
        for (const char* name : {"L.wav", "R.wav"}) {
            if (mode != 4 && name[0] == 'R')
                continue;
            const Bytes file = readFile(out(name));
            const WrittenWav wav = readWrittenWav(out(name));
            const std::uint64_t dataBytes = wav.dataBytes, frameBytes = mode == 4 ? 2 : 4;
            ASSERT_GE(dataBytes, 2 * blockFrames * frameBytes);
            EXPECT_TRUE(wav.rf64);
            EXPECT_TRUE(wav.wellFormed); // the 64-bit RIFF size counts the markers too
            EXPECT_EQ(wav.trailingIds().size(), 3u);
            EXPECT_EQ(loadU64le(&file[36]), dataBytes / frameBytes);
#if TABRIX_TEST_SNDFILE
            SF_INFO info{};
            const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> sound(
                sf_open(out(name).c_str(), SFM_READ, &info), sf_close);
            ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
            EXPECT_EQ(std::uint64_t(info.frames), dataBytes / frameBytes);
#endif
        }
    }
}

// Frames that no fade reaches go from the take's bytes straight to the output. For every source
// format and layout the output must still be the per-frame reference converted, with the
// splices (and so the edges of those stretches) one frame before, on and after a block edge,
// and a piece shorter than a fade whose fade-out reaches back into the segment before it.
TEST(ConformOutput, UnfadedStretchesMatchTheReferenceForEverySourceFormat)
{
    struct Source { const char* name; std::uint16_t channels, bits; };
    constexpr Source sources[] = {{"16-bit stereo", 2, 16}, {"24-bit stereo", 2, 24},
                                  {"16-bit mono", 1, 16},   {"24-bit mono", 1, 24},
                                  {"16-bit, 4 channels", 4, 16}};
    for (const Source& source : sources) {
        for (const std::int64_t d : {-1, 0, 1}) {
            const SamplePos e = t + 16384 + d;
            const auto take = [&](SamplePos at, std::uint64_t frames, int tfid,
                                  const char* time = "10:00:00") {
                return TakeDef{.start = at, .frames = frames, .tfid = tfid, .time = time,
                               .channels = source.channels, .bits = source.bits};
            };
            const std::vector<std::vector<TakeDef>> projects = {
                {take(t, e - t, 1), take(e, 600, 1), take(e + 600, 45000, 2),
                 take(e + 46300, 120000, 2)},
                {take(t, 70000, 1, "09:00:00"), take(e, 500, 2), take(e + 30000, 3000, 3)}};
            for (std::size_t p = 0; p < projects.size(); ++p) {
                TempDir dir;
                ConformProject project;
                ASSERT_TRUE(loadProject(project, dir, 48000, projects[p]));
                const std::vector<WorkFrame> reference =
                    referenceRender(projects[p], 48000, renderTimeline(project).blockStarts);
                const auto out = [&](const char* name) { return (dir.path() / name).string(); };
                for (const bool bits24 : {false, true}) {
                    for (int mode = 0; mode < 5; ++mode) {
                        SCOPED_TRACE(::testing::Message()
                                     << source.name << ", splice at edge" << d << ", project "
                                     << p << ", " << (bits24 ? 24 : 16) << " bit, mode " << mode);
                        project.setOutputOptions(bits24, mode);
                        std::atomic<double> progress{0.0};
                        const bool prepared =
                            mode == 4 ? project.prepareDualMonoOutput(out("L.wav"), out("R.wav"))
                                      : project.prepareOutput(out("L.wav"));
                        ASSERT_TRUE(prepared && project.run(progress));
                        const auto [left, right] = convertEach(reference, bits24 ? 24 : 16, mode);
                        EXPECT_TRUE(outputData(out("L.wav")) == left);
                        EXPECT_TRUE(mode != 4 || outputData(out("R.wav")) == right);
                        EXPECT_EQ(loadU32le(&readFile(out("L.wav"))[358]), t); // bext time ref
                    }
                }
            }
        }
    }
}

} // namespace tabrix::testing
