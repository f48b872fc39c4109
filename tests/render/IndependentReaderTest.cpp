#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <sndfile.h>

namespace tabrix {
namespace {

using testing::TakeDef;
using testing::TempDir;

// A second, unrelated reader sees the same rate, channels, length and samples.
class SoundFile {
public:
    explicit SoundFile(const std::filesystem::path& path)
        : handle(sf_open(path.string().c_str(), SFM_READ, &info))
    {
    }
    ~SoundFile()
    {
        if (handle != nullptr)
            sf_close(handle);
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    SF_INFO info{};
    SNDFILE* handle = nullptr;
};

const std::vector<TakeDef> takes = {
    {.start = 48000 * 60, .frames = 30000, .tfid = 1},
    {.start = 48000 * 60 + 30000, .frames = 25000, .tfid = 2},
    {.start = 48000 * 60 + 60000, .frames = 20000, .tfid = 2, .channels = 1, .bits = 16},
};

TEST(IndependentReader, ReadsTwentyFourBitStereoConformAsRendered)
{
    TempDir dir;
    testing::writeProject(dir, 48000, takes);
    ConformProject project;
    ASSERT_TRUE(testing::conform(project, dir, dir.path() / "out.wav", true, 0));

    SoundFile file(dir.path() / "out.wav");
    ASSERT_NE(file.handle, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(file.info.samplerate, 48000);
    EXPECT_EQ(file.info.channels, 2);
    EXPECT_EQ(file.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
    ASSERT_EQ(file.info.frames, 80000);
    std::vector<int> samples(80000 * 2);
    ASSERT_EQ(sf_readf_int(file.handle, samples.data(), 80000), 80000);
    const std::vector<WorkFrame> expected = testing::referenceRender(takes, 48000).frames;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // The reader puts 24-bit samples in the top bits: the working word without its low byte.
        ASSERT_EQ(samples[2 * i], expected[i].left & ~0xFF) << "frame " << i;
        ASSERT_EQ(samples[2 * i + 1], expected[i].right & ~0xFF) << "frame " << i;
    }
}

TEST(IndependentReader, ReadsSixteenBitMonoSumConform)
{
    TempDir dir;
    testing::writeProject(dir, 48000, takes);
    ConformProject project;
    ASSERT_TRUE(testing::conform(project, dir, dir.path() / "out.wav", false, 3));

    SoundFile file(dir.path() / "out.wav");
    ASSERT_NE(file.handle, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(file.info.samplerate, 48000);
    EXPECT_EQ(file.info.channels, 1);
    EXPECT_EQ(file.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    ASSERT_EQ(file.info.frames, 80000);
    std::vector<short> samples(80000);
    ASSERT_EQ(sf_readf_short(file.handle, samples.data(), 80000), 80000);
    const testing::Bytes expected =
        testing::convertFrames(testing::referenceRender(takes, 48000).frames, 16, 3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto sample = static_cast<short>(expected[2 * i] | expected[2 * i + 1] << 8);
        ASSERT_EQ(samples[i], sample) << "frame " << i;
    }
}

} // namespace
} // namespace tabrix
