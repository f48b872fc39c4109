#include "project/TimelineSegment.h"
#include "render/OutputConverter.h"

#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace tabrix {
namespace {

using testing::Bytes;
using testing::TempDir;

constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();

// The bytes an OutputConverter writes for `frames`, per file (one, or left and right).
struct Written {
    Bytes first;
    Bytes second;
};

Written convertThrough(const std::vector<WorkFrame>& frames, std::uint8_t bits, int mode)
{
    TempDir dir;
    const bool dual = mode == 4;
    const std::uint8_t channels = mode == 0 ? 2 : 1;
    auto first = std::make_unique<BwfFile>(dir.path() / "first.wav", channels, 48000, bits, 0);
    auto second = std::make_unique<BwfFile>(dir.path() / "second.wav", 1, 48000, bits, 0);
    if (!first->create() || (dual && !second->create()))
        return {};
    TimelineSegment output(first.get(), dual ? second.get() : nullptr, mode);
    OutputConverter converter;
    EXPECT_TRUE(converter.bindOutput(&output));
    EXPECT_TRUE(converter.convertBlock(frames.data(), frames.size()));
    converter.closeOutputs();
    return {testing::outputData(dir.path() / "first.wav"),
            dual ? testing::outputData(dir.path() / "second.wav") : Bytes{}};
}

TEST(SampleConversion, SixteenBitOutputTruncatesTowardMinusInfinity)
{
    struct Case { std::int32_t word; Bytes expected; };
    const Case cases[] = {
        {0x12345600, {0x34, 0x12}},   // 24-bit source: low 8 bits dropped
        {0x0000FFFF, {0x00, 0x00}},   // not rounded up
        {-1, {0xFF, 0xFF}},           // -1, not 0
        {lowest, {0x00, 0x80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "word=" << c.word);
        EXPECT_EQ(convertThrough({{c.word, 0}}, 16, 1).first, c.expected);
    }
}

TEST(SampleConversion, TwentyFourBitOutputKeepsBitsEightToThirtyOne)
{
    struct Case { std::int32_t word; Bytes expected; };
    const Case cases[] = {
        {static_cast<std::int32_t>(0xABCD0000u), {0x00, 0xCD, 0xAB}}, // 16-bit source
        {0x12345678, {0x56, 0x34, 0x12}},
        {-1, {0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "word=" << c.word);
        EXPECT_EQ(convertThrough({{c.word, 0}}, 24, 1).first, c.expected);
    }
}

TEST(MonoSum, AddsWithSaturationAndWithoutHalving)
{
    struct Case { std::int32_t left, right; std::uint8_t bits; Bytes expected; };
    const Case cases[] = {
        {0x40000000, 0x40000000, 16, {0xFF, 0x7F}},
        {0x40000000, 0x40000000, 24, {0xFF, 0xFF, 0x7F}},
        {lowest, -256, 16, {0x00, 0x80}},
        {lowest, -256, 24, {0x00, 0x00, 0x80}},
        {0x20000000, 0x10000000, 16, {0x00, 0x30}},
        {-65536, 0, 16, {0xFF, 0xFF}},                 // 16-bit -1 and 0: -1, not -0.5
        {0x7FFFFFFF, lowest, 16, {0xFF, 0xFF}},        // opposite signs never saturate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.left << " + " << c.right << " at " << int(c.bits));
        EXPECT_EQ(convertThrough({{c.left, c.right}}, c.bits, 3).first, c.expected);
    }
}

TEST(ChannelModes, EachModeWritesItsChannels)
{
    const std::vector<WorkFrame> frames = {{0x11110000, 0x22220000}, {0x33330000, -65536}};
    struct Case { int mode; Bytes expected; };
    const Case cases[] = {
        {0, {0x11, 0x11, 0x22, 0x22, 0x33, 0x33, 0xFF, 0xFF}},
        {1, {0x11, 0x11, 0x33, 0x33}},
        {2, {0x22, 0x22, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode);
        EXPECT_EQ(convertThrough(frames, 16, c.mode).first, c.expected);
    }
}

TEST(ChannelModes, DualMonoWritesLeftToFirstFileAndRightToSecond)
{
    const Written w = convertThrough({{0x12345600, 0x65432100}, {-256, 0x100}}, 24, 4);
    EXPECT_EQ(w.first, (Bytes{0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(w.second, (Bytes{0x21, 0x43, 0x65, 0x01, 0x00, 0x00}));
}

// A whole block in the widest layouts: the two Dual Mono halves and the 98304-byte Stereo
// block must not overlap in the shared output buffer.
TEST(ChannelModes, FullBlockInEveryLayoutMatchesFrameByFrameConversion)
{
    std::vector<WorkFrame> frames(blockFrames);
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = {testing::sampleAt(0, i, 0, 24) * 256, testing::sampleAt(0, i, 1, 24) * 256};
    for (int mode = 0; mode <= 4; ++mode) {
        for (std::uint8_t bits : {std::uint8_t(16), std::uint8_t(24)}) {
            SCOPED_TRACE(::testing::Message() << "mode " << mode << ", " << int(bits) << " bit");
            const Written w = convertThrough(frames, bits, mode);
            if (mode == 4) {
                EXPECT_EQ(w.first, testing::convertFrames(frames, bits, 1));
                EXPECT_EQ(w.second, testing::convertFrames(frames, bits, 2));
            } else {
                EXPECT_EQ(w.first, testing::convertFrames(frames, bits, mode));
            }
        }
    }
}

TEST(ChannelModes, MonoRightOfAMonoTakeEqualsMonoLeft)
{
    TempDir dir;
    testing::writeProject(dir, 48000, {{.start = 0, .frames = 5000, .channels = 1, .bits = 24}});
    ConformProject left;
    ConformProject right;
    ASSERT_TRUE(testing::conform(left, dir, dir.path() / "left.wav", true, 1));
    ASSERT_TRUE(testing::conform(right, dir, dir.path() / "right.wav", true, 2));
    const Bytes leftData = testing::outputData(dir.path() / "left.wav");
    EXPECT_EQ(leftData.size(), 5000u * 3);
    EXPECT_EQ(testing::outputData(dir.path() / "right.wav"), leftData);
}

} // namespace
} // namespace tabrix
