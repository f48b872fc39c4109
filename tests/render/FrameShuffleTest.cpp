#include "render/FrameShuffle.h"

#include "audio/ByteOrder.h"
#include "render/OutputConverter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace tabrix::testing {

namespace {

constexpr std::uint8_t untouched = 0xA5;

// 24-bit stereo frames: the loudest and quietest samples first (so that sums saturate both
// ways and cross zero), then seeded noise.
std::vector<std::uint8_t> stereo24(std::size_t frameCount)
{
    const std::int32_t extremes[][2] = {{0x7FFFFF, 0x7FFFFF}, {-0x800000, -0x800000},
                                        {0x7FFFFF, -0x800000}, {-1, 1},
                                        {0x400000, 0x400000}, {-0x400001, -0x400000}};
    std::vector<std::uint8_t> bytes(frameCount * 6);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < frameCount; ++i) {
        for (int c = 0; c < 2; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const std::int32_t sample = i < std::size(extremes)
                                            ? extremes[i][c]
                                            : static_cast<std::int32_t>(noise) >> 8;
            storeS24le(&bytes[6 * i + 3 * std::size_t(c)], sample);
        }
    }
    return bytes;
}

std::int32_t wordOf(const std::vector<std::uint8_t>& frames, std::size_t frame, int channel)
{
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(loadS24le(&frames[6 * frame + 3 * std::size_t(channel)])) << 8);
}

// One output sample per byte count, as the per-frame conversion writes it.
void putSample(std::vector<std::uint8_t>& into, std::size_t at, unsigned bytes, std::int32_t word)
{
    if (bytes == 2)
        storeS16le(&into[at], to16(word));
    else
        storeS24le(&into[at], word >> 8);
}

} // namespace

// Every frame the loops report done equals the per-frame conversion, the frames after them are
// left alone, and they do whole groups only (or nothing without the instructions).
TEST(FrameShuffle, MatchesPerFrameConversionAndStopsAtTheLastWholeGroup)
{
    struct Case {
        const char* name;
        unsigned bytes;        // per output sample
        unsigned samplesEach;  // per frame and output stream
        bool twoStreams;
        std::function<std::uint64_t(const std::uint8_t*, std::uint64_t, std::uint8_t*,
                                    std::uint8_t*)> run;
        std::function<std::int32_t(std::int32_t, std::int32_t, int)> sample; // (l, r, n)
    };
    const auto pick = [](std::int32_t l, std::int32_t r, int n) { return n == 0 ? l : r; };
    const auto sum = [](std::int32_t l, std::int32_t r, int) { return monoSum(l, r); };
    const Case cases[] = {
        {"split to 24-bit", 3, 1, true,
         [](auto f, auto n, auto a, auto b) { return splitStereo24(f, n, 3, a, b); }, pick},
        {"split to 16-bit", 2, 1, true,
         [](auto f, auto n, auto a, auto b) { return splitStereo24(f, n, 2, a, b); }, pick},
        {"narrow to 16-bit stereo", 2, 2, false,
         [](auto f, auto n, auto a, auto) { return narrowStereo24(f, n, a); }, pick},
        {"sum to 24-bit", 3, 1, false,
         [](auto f, auto n, auto a, auto) { return sumStereo24(f, n, 3, a); }, sum},
        {"sum to 16-bit", 2, 1, false,
         [](auto f, auto n, auto a, auto) { return sumStereo24(f, n, 2, a); }, sum},
    };
    for (const Case& c : cases) {
        for (const std::uint64_t frameCount : {0u, 7u, 8u, 9u, 16u, 69u}) {
            SCOPED_TRACE(::testing::Message() << c.name << ", " << frameCount << " frames");
            const std::vector<std::uint8_t> source = stereo24(frameCount);
            const std::size_t streamBytes = frameCount * c.bytes * c.samplesEach;
            std::vector<std::uint8_t> first(streamBytes + 8, untouched);
            std::vector<std::uint8_t> second(streamBytes + 8, untouched);
            const std::uint64_t done =
                c.run(source.data(), frameCount, first.data(), second.data());
            EXPECT_EQ(done, frameShuffleAvailable() ? frameCount / 8 * 8 : 0u);

            std::vector<std::uint8_t> expectFirst(first.size(), untouched);
            std::vector<std::uint8_t> expectSecond(second.size(), untouched);
            for (std::size_t i = 0; i < done; ++i) {
                const std::int32_t l = wordOf(source, i, 0);
                const std::int32_t r = wordOf(source, i, 1);
                for (unsigned n = 0; n < c.samplesEach; ++n)
                    putSample(expectFirst, (i * c.samplesEach + n) * c.bytes, c.bytes,
                              c.sample(l, r, int(n)));
                if (c.twoStreams)
                    putSample(expectSecond, i * c.bytes, c.bytes, c.sample(l, r, 1));
            }
            EXPECT_EQ(first, expectFirst);
            EXPECT_EQ(second, expectSecond);
        }
    }
}

} // namespace tabrix::testing

namespace tabrix::testing {

// 24-bit samples to floats: each as its word over 2^31, exactly; whole groups of 16 only.
TEST(FrameShuffle, FloatsFrom24MatchTheScalarConversion)
{
    for (const std::uint64_t frameCount : {0u, 7u, 8u, 9u, 69u}) {
        SCOPED_TRACE(frameCount);
        const std::vector<std::uint8_t> source = stereo24(frameCount);
        const std::uint64_t sampleCount = 2 * frameCount;
        std::vector<std::uint8_t> floats(4 * sampleCount + 8, untouched);
        const std::uint64_t done = floatsFrom24(source.data(), sampleCount, floats.data());
        EXPECT_EQ(done, frameShuffleAvailable() ? sampleCount / 16 * 16 : 0u);
        std::vector<std::uint8_t> expected(floats.size(), untouched);
        for (std::size_t i = 0; i < done; ++i)
            storeF32le(&expected[4 * i], float(double(wordOf(source, i / 2, int(i % 2))) / 2147483648.0));
        EXPECT_EQ(floats, expected);
    }
}

} // namespace tabrix::testing
