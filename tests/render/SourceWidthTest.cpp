#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tabrix {
namespace {

using testing::Bytes;
using testing::FmtFields;
using testing::TempDir;

// Frames this far from both ends of a take are outside every fade.
constexpr std::uint64_t paddingFrames = 1500;

// Renders one take whose data is `frames` (raw bytes in the take's own layout) between two
// runs of padding, and returns the working frames rendered for `frames`.
std::vector<WorkFrame> renderMiddle(const Bytes& fmtChunkBody, std::uint32_t frameBytes,
                                    const Bytes& frames)
{
    Bytes data(paddingFrames * frameBytes, 0);
    data.insert(data.end(), frames.begin(), frames.end());
    data.resize(data.size() + paddingFrames * frameBytes, 0);
    const Bytes file = testing::RiffBuilder{}
                           .chunk("bext", testing::bextBody({.timeReference = 96000}))
                           .chunk("fmt ", fmtChunkBody)
                           .chunk("TFID", testing::tfidBody(1))
                           .chunk("data", data)
                           .bytes();
    TempDir dir;
    dir.write("Audio Files/take.wav", file);
    ConformProject project;
    if (!project.load(dir.path().string()))
        return {};
    const testing::Rendered r = testing::renderTimeline(project);
    const std::size_t count = frames.size() / frameBytes;
    if (r.frames.size() != count + 2 * paddingFrames)
        return {};
    return std::vector<WorkFrame>(r.frames.begin() + std::ptrdiff_t(paddingFrames),
                                  r.frames.begin() + std::ptrdiff_t(paddingFrames + count));
}

void expectFrames(const std::vector<WorkFrame>& actual,
                  const std::vector<std::pair<std::int32_t, std::int32_t>>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "frame " << i);
        EXPECT_EQ(actual[i].left, expected[i].first);
        EXPECT_EQ(actual[i].right, expected[i].second);
    }
}

TEST(SourceWidths, EightBitIsUnsignedWithOffset128)
{
    const Bytes frames = {0, 128, 255, 1, 127, 129};
    const auto fmt = testing::fmtBody({.tag = 1, .channels = 2, .rate = 48000, .bits = 8});
    expectFrames(renderMiddle(fmt, 2, frames),
                 {{-2147483647 - 1, 0}, {2130706432, -127 * 16777216}, {-16777216, 16777216}});
}

TEST(SourceWidths, SixteenAndTwentyFourBitFillTheTopBits)
{
    const auto fmt16 = testing::fmtBody({.tag = 1, .channels = 2, .rate = 48000, .bits = 16});
    expectFrames(renderMiddle(fmt16, 4, testing::pcm16({0x7FFF, -0x8000, -1, 0x1234})),
                 {{0x7FFF0000, -2147483647 - 1}, {-65536, 0x12340000}});
    const auto fmt24 = testing::fmtBody({.tag = 1, .channels = 2, .rate = 48000, .bits = 24});
    expectFrames(renderMiddle(fmt24, 6, testing::pcm24({0x7FFFFF, -0x800000, -1, 0x123456})),
                 {{0x7FFFFF00, -2147483647 - 1}, {-256, 0x12345600}});
}

TEST(SourceWidths, ThirtyTwoBitIntegerIsTakenAsItIs)
{
    const auto fmt = testing::fmtBody({.tag = 1, .channels = 2, .rate = 48000, .bits = 32});
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    expectFrames(renderMiddle(fmt, 8, testing::pcm32({lowest, 0x7FFFFFFF, 0x12345678, -1})),
                 {{lowest, 0x7FFFFFFF}, {0x12345678, -1}});
}

TEST(SourceWidths, FloatIsScaledTruncatedTowardZeroAndSaturated)
{
    const float tiny = std::ldexp(1.5f, -31); // 1.5 steps of the 32-bit scale
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    const std::vector<float> samples = {
        1.0f,   -1.0f,                               // full scale: top is one step short
        2.0f,   -2.0f,                               // beyond full scale saturates
        std::numeric_limits<float>::quiet_NaN(), 0.5f,
        tiny,   -tiny,                               // 1.5 -> 1, -1.5 -> -1
        std::numeric_limits<float>::infinity(), -0.25f,
    };
    const std::vector<std::pair<std::int32_t, std::int32_t>> expected = {
        {2147483647, lowest}, {2147483647, lowest}, {0, 1073741824},
        {1, -1},              {2147483647, -536870912}};
    const auto plain = testing::fmtBody({.tag = 3, .channels = 2, .rate = 48000, .bits = 32});
    {
        SCOPED_TRACE("format tag 3");
        expectFrames(renderMiddle(plain, 8, testing::float32(samples)), expected);
    }
    const auto extensible =
        testing::fmtExtensibleBody({.channels = 2, .rate = 48000, .bits = 32}, true);
    {
        SCOPED_TRACE("extensible, float sub-format");
        expectFrames(renderMiddle(extensible, 8, testing::float32(samples)), expected);
    }
}

TEST(SourceWidths, ExtensiblePcmReadsLikePlainPcm)
{
    const auto fmt = testing::fmtExtensibleBody({.channels = 2, .rate = 48000, .bits = 24});
    expectFrames(renderMiddle(fmt, 6, testing::pcm24({0x123456, -2, 0x7FFFFF, 5})),
                 {{0x12345600, -512}, {0x7FFFFF00, 0x500}});
}

TEST(SourceChannels, MonoPlaysOnBothSides)
{
    const auto fmt = testing::fmtBody({.tag = 1, .channels = 1, .rate = 48000, .bits = 24});
    expectFrames(renderMiddle(fmt, 3, testing::pcm24({0x123456, -3, 0x000100})),
                 {{0x12345600, 0x12345600}, {-768, -768}, {0x10000, 0x10000}});
}

TEST(SourceChannels, FourChannelTakePlaysChannelsOneAndTwo)
{
    const auto fmt = testing::fmtBody({.tag = 1, .channels = 4, .rate = 48000, .bits = 16});
    expectFrames(renderMiddle(fmt, 8, testing::pcm16({1, 2, 3, 4, -5, -6, -7, -8, 9, 10, 11, 12})),
                 {{0x10000, 0x20000}, {-5 * 65536, -6 * 65536}, {9 * 65536, 10 * 65536}});
}

} // namespace
} // namespace tabrix
