// Every track (All Tracks, Split Tracks), 32-bit float output and multi-file takes, each
// against the per-frame model.
#include "audio/ByteOrder.h"

#include "ConformFixture.h"

#include <gtest/gtest.h>
#if TABRIX_TEST_SNDFILE
#include <sndfile.h>
#endif

#include <cmath>
#include <limits>

namespace tabrix::testing {

namespace {

constexpr SamplePos t = 48000ull * 3600 * 10;

// The model's lanes as one file's bytes: every lane interleaved (`lane` < 0) or one lane.
template <typename Sample>
Bytes laneBytes(const std::vector<Sample>& samples, std::size_t laneCount, SampleWidth width,
                int lane = -1)
{
    Bytes out;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (lane >= 0 && i % laneCount != std::size_t(lane))
            continue;
        std::uint32_t bits = 0;
        if constexpr (std::is_same_v<Sample, float>)
            bits = std::bit_cast<std::uint32_t>(samples[i]);
        else
            bits = std::uint32_t(samples[i]);
        const unsigned first = width == SampleWidth::Bits16 ? 16 : width == SampleWidth::Bits24 ? 8 : 0;
        for (unsigned b = first; b < 32; b += 8)
            out.push_back(std::uint8_t(bits >> b));
    }
    return out;
}

// A day of poly takes whose armed tracks change: Lav 1 on track 4 in the first take, off in the
// second, where Lav 2 is armed on track 5; a mono take without iXML; a float take.
const std::vector<TakeDef> polyDay = {
    {.start = t, .frames = 40000, .time = "09:00:00", .channels = 4,
     .keys = {1, 2, 3, 4}, .names = {"Mix L", "Mix R", "Boom", "Lav 1"}},
    {.start = t + 30000, .frames = 30000, .time = "09:30:00", .channels = 4,
     .keys = {1, 2, 3, 5}, .names = {"Mix L", "Mix R", "Boom 2", "Lav 2"}},
    {.start = t + 61000, .frames = 9000, .time = "09:40:00", .channels = 1, .bits = 16},
    {.start = t + 70000, .frames = 20000, .time = "09:50:00", .channels = 3, .bits = 32,
     .keys = {5, 3, 2}},
};

template <typename Sample> Bytes expectedFile(int mode, SampleWidth width, int file)
{
    const std::vector<std::uint32_t> keys = {1, 2, 3, 4, 5};
    const auto lanes = referenceLanes<Sample>(polyDay, 48000, {}, keys);
    return laneBytes(lanes, keys.size(), width, mode == 5 ? -1 : file);
}

} // namespace

TEST(EveryTrack, ProjectTracksAreEveryKeyNamedByTheNewestRecording)
{
    TempDir dir;
    ConformProject project;
    ASSERT_TRUE(loadProject(project, dir, 48000, polyDay));
    EXPECT_EQ(project.tracks(), (std::vector<ProjectTrack>{
                                    {1, "Mix L"}, {2, "Mix R"}, {3, "Boom 2"}, {4, "Lav 1"},
                                    {5, "Lav 2"}}));
    project.setOutputOptions(SampleWidth::Float32, 6);
    std::uint64_t bytes = 0;
    ASSERT_TRUE(project.getOutputSize(bytes));
    EXPECT_EQ(bytes, 90000u * 4 * 5);
    EXPECT_EQ(project.outputFileCount(), 5u);
}

class EveryTrackLayouts : public Conform,
                          public ::testing::WithParamInterface<std::tuple<SampleWidth, int>> {};

// Track k of every frame is the playing take's channel with key k, or silence; fades and gaps
// fall where they do in Stereo, on every track alike.
TEST_P(EveryTrackLayouts, FilesHoldTheModelsTracks)
{
    const auto [width, mode] = GetParam();
    ASSERT_TRUE(prepare(polyDay, width, mode));
    ASSERT_TRUE(project.run(progress));
    for (int file = 0; file < (mode == 5 ? 1 : 5); ++file) {
        SCOPED_TRACE(file);
        const std::string name = mode == 5 ? "L.wav" : "T" + std::to_string(file + 1) + ".wav";
        const Bytes expected = width == SampleWidth::Float32
                                   ? expectedFile<float>(mode, width, file)
                                   : expectedFile<std::int32_t>(mode, width, file);
        EXPECT_TRUE(declaredData(name) == expected);
        const Bytes head = readFile(out(name));
        EXPECT_EQ(loadU16le(&head[886]), width == SampleWidth::Float32 ? 3 : 1); // no extensible
        EXPECT_EQ(loadU16le(&head[888]), mode == 5 ? 5 : 1);
    }
}

INSTANTIATE_TEST_SUITE_P(WidthsAndModes, EveryTrackLayouts,
                         ::testing::Combine(::testing::Values(SampleWidth::Bits16,
                                                              SampleWidth::Bits24,
                                                              SampleWidth::Float32),
                                            ::testing::Values(5, 6)));

class FloatTwoChannel : public Conform, public ::testing::WithParamInterface<int> {};

// Float output of the two-channel modes: integer takes exactly, float takes as they are, the
// fades as float products; Mono Sum adds without a clamp.
TEST_P(FloatTwoChannel, MatchesTheFloatModel)
{
    const int mode = GetParam();
    ASSERT_TRUE(prepare(polyDay, SampleWidth::Float32, mode));
    ASSERT_TRUE(project.run(progress));
    const std::vector<float> lanes = referenceLanes<float>(polyDay, 48000);
    Bytes left, right;
    for (std::size_t i = 0; i < lanes.size(); i += 2) {
        const float l = lanes[i], r = lanes[i + 1];
        const std::vector<float> first = mode == 0 ? std::vector{l, r}
                                         : mode == 2 ? std::vector{r}
                                         : mode == 3 ? std::vector{l + r}
                                                     : std::vector{l};
        for (const float v : first)
            for (int b = 0; b < 4; ++b)
                left.push_back(std::uint8_t(std::bit_cast<std::uint32_t>(v) >> (8 * b)));
        for (int b = 0; b < 4 && mode == 4; ++b)
            right.push_back(std::uint8_t(std::bit_cast<std::uint32_t>(r) >> (8 * b)));
    }
    EXPECT_TRUE(declaredData("L.wav") == left);
    EXPECT_TRUE(mode != 4 || declaredData("R.wav") == right);
}

INSTANTIATE_TEST_SUITE_P(Modes, FloatTwoChannel, ::testing::Range(0, 5));

// A float recorder's headroom survives: values past full scale, the largest, the smallest and
// negative zero are kept bit for bit; NaN and the infinities become +0.0.
TEST(FloatSamples, KeptBitForBitAwayFromSplices)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float big = std::numeric_limits<float>::max();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const std::vector<float> values = {1.5f, -1.5f, big, -big, tiny, -tiny, -0.0f,
                                       std::nanf(""), inf, -inf};
    std::vector<float> samples(2 * 1500, 0.0f);
    samples.insert(samples.end(), values.begin(), values.end());
    samples.resize(samples.size() + 2 * 1500, 0.0f);
    TempDir dir;
    dir.write("Audio Files/f.wav", takeBytes({.channels = 2, .bits = 32, .data = float32(samples),
                                              .tag = 3}));
    ConformProject project;
    ASSERT_TRUE(project.load(dir.path().string()));
    project.setOutputOptions(SampleWidth::Float32, 0);
    const std::string path = (dir.path() / "out.wav").string();
    std::atomic<double> progress{0.0};
    ASSERT_TRUE(project.prepareOutput(path) && project.run(progress));
    const Bytes file = readFile(path);
    ASSERT_EQ(readWrittenWav(path).dataBytes, samples.size() * 4);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const float kept = std::isfinite(values[i]) ? values[i] : 0.0f;
        EXPECT_EQ(loadU32le(&file[1024 + 4 * (3000 + i)]), std::bit_cast<std::uint32_t>(kept)) << i;
    }
    // The header: IEEE float, 32 bits, and a fact chunk with the frame count where PAD began.
    EXPECT_EQ(loadU16le(&file[886]), 3);
    EXPECT_EQ(loadU16le(&file[900]), 32);
    EXPECT_EQ(loadU32le(&file[894]), 48000u * 8);
    EXPECT_EQ(std::string(file.begin() + 938, file.begin() + 942), "fact");
    EXPECT_EQ(loadU32le(&file[946]), samples.size() / 2);
    EXPECT_EQ(std::string(file.begin() + 950, file.begin() + 954), "PAD ");
    EXPECT_EQ(loadU32le(&file[954]), 58u);
#if TABRIX_TEST_SNDFILE
    SF_INFO info{};
    SNDFILE* opened = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(opened, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
    EXPECT_EQ(info.frames, sf_count_t(samples.size() / 2));
    sf_close(opened);
#endif
}

// An integer sample is its word over 2^31, rounded once: exact for 8, 16 and 24 bits.
TEST(FloatSamples, IntegerTakesOfEveryWidthConvertExactly)
{
    struct Row { std::uint16_t bits; std::int32_t sample; float expected; };
    const Row rows[] = {
        {8, 0, -1.0f},           {8, 255, 127.0f / 128},      {16, -32768, -1.0f},
        {16, 1, 0x1p-15f},       {24, 0x7FFFFF, 0x7FFFFFp-23f}, {24, -1, -0x1p-23f},
        {32, 0x12345678, float(0x12345678 / 2147483648.0)},   {32, INT32_MIN, -1.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.bits << "-bit " << row.sample);
        std::vector<std::int32_t> samples(3001, 0);
        samples[1500] = row.sample;
        if (row.bits == 8) // unsigned: 128 is silence
            for (std::int32_t& s : samples)
                s = &s == &samples[1500] ? s : 128;
        TempDir dir;
        dir.write("Audio Files/i.wav", takeBytes({.channels = 1, .bits = row.bits,
                                                  .data = pcm(row.bits, samples)}));
        ConformProject project;
        ASSERT_TRUE(project.load(dir.path().string()));
        project.setOutputOptions(SampleWidth::Float32, 1);
        const std::string path = (dir.path() / "out.wav").string();
        std::atomic<double> progress{0.0};
        ASSERT_TRUE(project.prepareOutput(path) && project.run(progress));
        EXPECT_EQ(loadU32le(&readFile(path)[1024 + 4 * 1500]), std::bit_cast<std::uint32_t>(row.expected));
    }
}

// Families: the files of one recording play as one take, mapped by track key.
class Families : public Conform {};

TEST_F(Families, PlayAsOneTakeInEveryMode)
{
    // A five-file family with a 16-bit member, overlapped by a newer four-file family without
    // track 4; a poly mix file listed before its mono copies (the mix wins tracks 1 and 2); a
    // member one frame short (a take of its own); a lone file with a family id.
    std::vector<TakeDef> takes;
    for (std::uint32_t k = 1; k <= 5; ++k)
        takes.push_back({.start = t, .frames = 30000, .time = "09:00:00", .channels = 1,
                         .bits = std::uint16_t(k == 3 ? 16 : 24), .keys = {k},
                         .names = {"Track " + std::to_string(k)}, .family = "A"});
    for (const std::uint32_t k : {1u, 2u, 3u, 5u})
        takes.push_back({.start = t + 20000, .frames = 20000, .time = "09:30:00", .channels = 1,
                         .keys = {k}, .family = "B"});
    takes.push_back({.start = t + 45000, .frames = 20000, .time = "10:00:00", .channels = 2,
                     .keys = {1, 2}, .family = "C"});
    for (const std::uint32_t k : {1u, 2u, 3u})
        takes.push_back({.start = t + 45000, .frames = 20000, .time = "10:00:00", .channels = 1,
                         .keys = {k}, .family = "C"});
    takes.push_back({.start = t + 45000, .frames = 19999, .time = "10:00:00", .channels = 1,
                     .keys = {4}, .family = "C"});
    takes.push_back({.start = t + 70000, .frames = 5000, .time = "10:10:00", .channels = 1,
                     .family = "D"});
    for (int mode = 0; mode <= 6; ++mode) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(prepare(takes, SampleWidth::Bits24, mode));
        EXPECT_EQ(project.sources().size(), 5u);
        ASSERT_TRUE(project.run(progress));
        if (mode == 5 || mode == 6) {
            const auto lanes = referenceLanes<std::int32_t>(takes, 48000, {}, {1, 2, 3, 4, 5});
            for (int file = 0; file < (mode == 5 ? 1 : 5); ++file)
                EXPECT_TRUE(declaredData(mode == 5 ? "L.wav" : "T" + std::to_string(file + 1) + ".wav") ==
                            laneBytes(lanes, 5, SampleWidth::Bits24, mode == 5 ? -1 : file))
                    << file;
            continue;
        }
        const auto [left, right] = convertEach(referenceRender(takes, 48000), 24, mode);
        EXPECT_TRUE(declaredData("L.wav") == left);
        EXPECT_TRUE(mode != 4 || declaredData("R.wav") == right);
    }
}

// A member gone after loading fails the run with its own name, as any take does.
TEST_F(Families, AMemberRemovedAfterLoadingFailsTheRunNamingIt)
{
    std::vector<TakeDef> takes;
    for (std::uint32_t k = 1; k <= 3; ++k)
        takes.push_back({.start = t, .frames = 50000, .channels = 1, .keys = {k}, .family = "A"});
    ASSERT_TRUE(prepare(takes, SampleWidth::Bits24, 5));
    std::filesystem::remove(dir.path() / "Audio Files" / takeName(1));
    EXPECT_FALSE(project.run(progress));
    EXPECT_EQ(project.lastFailure().kind, FailureKind::ReadTake);
    EXPECT_EQ(project.lastFailure().fileName, takeName(1));
}

} // namespace tabrix::testing
