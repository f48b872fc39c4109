#include "render/FadeTable.h"

#include "RenderHarness.h"

#include <gtest/gtest.h>

namespace tabrix {
namespace {

using testing::tableEntry;

TEST(FadeTable, HoldsTheDocumentedEntries)
{
    struct Case { std::size_t step; std::uint32_t expected; };
    constexpr Case cases[] = {
        {0, 0}, {3, 0},               // silence below entry 4
        {4, 67108863},
        {2048, 1518500249},
        {4095, 2147221486},           // just under unity: no fade frame gets full gain
    };
    const FadeTable& table = FadeTable::instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "step=" << c.step);
        EXPECT_EQ(table.gainAt(c.step), c.expected);
    }
}

TEST(FadeTable, EveryEntryFollowsTheSquareRootFormula)
{
    const FadeTable& table = FadeTable::instance();
    for (std::size_t i = 0; i < fadeTableSize; ++i)
        ASSERT_EQ(table.gainAt(i), tableEntry(i)) << "step " << i;
}

TEST(FadeGain, UsesTopSixteenBitsOfSampleAndGain)
{
    struct Case { std::int32_t sample; std::uint32_t gain; std::int32_t expected; };
    const Case cases[] = {
        {2147483392, 2147221486, 2147090442},      // full-scale positive 24-bit sample
        {-2147483647 - 1, 2147221486, -2147155968},// most negative sample
        {0x0000FFFF, 2147221486, 0},               // below the top 16 bits: gone
        {-1, 2147221486, -65526},                  // -1 >> 16 stays -1 (toward minus infinity)
        {0x12345678, 0, 0},                        // entry 0 silences
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "sample=" << c.sample << " gain=" << c.gain);
        EXPECT_EQ(applyGain(c.sample, c.gain), c.expected);
        EXPECT_EQ(testing::withGain(c.sample, c.gain), c.expected); // the tests' own model
    }
}

} // namespace
} // namespace tabrix
