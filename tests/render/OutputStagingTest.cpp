#include "RenderHarness.h"

#include <gtest/gtest.h>

namespace tabrix::testing {

// Staged blocks reach the files only when written, contiguously and in order, and give the
// bytes that converting and writing each piece on its own gives; no more than two wait.
TEST(OutputStaging, StagedBlocksWriteTheSameBytesInOneCallPerFile)
{
    const std::uint64_t sizes[] = {blockFrames, 5001, blockFrames, 3};
    std::vector<WorkFrame> frames;
    for (const std::uint64_t n : sizes)
        for (std::uint64_t f = 0; f < n; ++f)
            frames.push_back({wordAt(0, frames.size(), 0, 32), wordAt(0, frames.size(), 1, 32)});
    for (const std::uint8_t bits : {std::uint8_t(16), std::uint8_t(24)}) {
        for (const int mode : {0, 3, 4}) {
            SCOPED_TRACE(::testing::Message() << int(bits) << "-bit, mode " << mode);
            TempDir dir;
            BwfFile first(dir.path() / "1.wav", mode == 0 ? 2 : 1, 48000, bits, 0);
            BwfFile second(dir.path() / "2.wav", 1, 48000, bits, 0);
            TimelineSegment output(&first, mode == 4 ? &second : nullptr, mode);
            OutputConverter converter;
            ASSERT_TRUE(first.create() && second.create() && converter.bindOutput(&output));
            const WorkFrame* next = frames.data();
            for (std::size_t pair = 0; pair < 2; ++pair) {
                for (std::size_t i = 0; i < 2; ++i) {
                    ASSERT_TRUE(converter.stageBlock(next, sizes[2 * pair + i]));
                    next += sizes[2 * pair + i];
                }
                EXPECT_FALSE(converter.stageBlock(next, 1)) << "a third block may not wait";
                EXPECT_EQ(converter.stagedBlocks(), 2u);
                const std::uint64_t before = first.dataSize();
                ASSERT_TRUE(converter.writeStaged());
                const std::uint64_t frameBytes = (bits / 8u) * (mode == 0 ? 2u : 1u);
                EXPECT_EQ(first.dataSize() - before,
                          (sizes[2 * pair] + sizes[2 * pair + 1]) * frameBytes);
                EXPECT_EQ(converter.stagedBlocks(), 0u);
            }
            EXPECT_TRUE(converter.writeStaged()) << "nothing staged is nothing to do";
            converter.closeOutputs();
            second.close();
            const auto [left, right] = convertEach(frames, bits, mode);
            EXPECT_TRUE(outputData(dir.path() / "1.wav") == left);
            if (mode == 4) {
                EXPECT_TRUE(outputData(dir.path() / "2.wav") == right);
            }
        }
    }
}

} // namespace tabrix::testing
