#include "FileSizeLimit.h"
#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tabrix::testing {

// Staged blocks reach the files only when written, contiguously and in order, and give the
// bytes that converting and writing each piece on its own gives; no more than the limit wait.
TEST(OutputStaging, StagedBlocksWriteTheSameBytesInOneCallPerFile)
{
    constexpr std::size_t limit = OutputConverter::maxStagedBlocks;
    std::vector<std::uint64_t> sizes; // two full stages of blocks, some cut short
    for (std::size_t i = 0; i < 2 * limit; ++i)
        sizes.push_back(i % 3 == 1 ? 5001 - i : blockFrames);
    sizes.back() = 3;
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
            OutputConverter converter;
            const OutputLayout layout{mode == 4 ? std::vector{&first, &second} : std::vector{&first},
                                      mode, bits == 24 ? OutputFormat::Int24 : OutputFormat::Int16};
            ASSERT_TRUE(first.create() && second.create() && converter.bindOutput(layout));
            const WorkFrame* next = frames.data();
            const std::uint64_t frameBytes = (bits / 8u) * (mode == 0 ? 2u : 1u);
            std::uint64_t writtenBytes = 0;
            for (std::size_t stage = 0; stage < 2; ++stage) {
                std::uint64_t stagedFrames = 0;
                for (std::size_t i = 0; i < limit; ++i) {
                    ASSERT_TRUE(converter.stageBlock({next}, sizes[stage * limit + i]));
                    next += sizes[stage * limit + i];
                    stagedFrames += sizes[stage * limit + i];
                }
                EXPECT_FALSE(converter.stageBlock({next}, 1)) << "one block more may not wait";
                EXPECT_EQ(converter.stagedBlocks(), limit);
                EXPECT_EQ(first.dataSize(), writtenBytes) << "staged blocks went out early";
                ASSERT_TRUE(converter.writeStaged());
                writtenBytes += stagedFrames * frameBytes;
                EXPECT_EQ(first.dataSize(), writtenBytes);
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

// A left file that fills up inside any staged block leaves the right file holding the blocks
// before that one, as block-by-block writing would, and the left file's reason for failing.
TEST(OutputStaging, RightFileKeepsTheBlocksBeforeTheOneTheLeftFailedIn)
{
    constexpr std::size_t limit = OutputConverter::maxStagedBlocks;
    const std::vector<WorkFrame> frames(limit * blockFrames, WorkFrame{0x12345678, -0x789ABC00});
    for (std::size_t failing = 0; failing < limit; ++failing) {
        SCOPED_TRACE(::testing::Message() << "left file full in staged block " << failing);
        TempDir dir;
        BwfFile first(dir.path() / "1.wav", 1, 48000, 16, 0);
        BwfFile second(dir.path() / "2.wav", 1, 48000, 16, 0);
        OutputConverter converter;
        ASSERT_TRUE(first.create() && second.create() &&
                    converter.bindOutput({{&first, &second}, 4, OutputFormat::Int16}));
        for (std::size_t k = 0; k < limit; ++k)
            ASSERT_TRUE(converter.stageBlock({&frames[k * blockFrames]}, blockFrames));
        bool written = true;
        {
            FileSizeLimit full(1024 + 2 * failing * blockFrames + 1001);
            if (!full.active())
                GTEST_SKIP() << "file size limits are not available here";
            errno = 0;
            written = converter.writeStaged();
            EXPECT_EQ(errno, EFBIG);
        }
        EXPECT_FALSE(written);
        std::uint64_t leftFrames = 0;
        ASSERT_TRUE(first.framesOnDisk(leftFrames));
        EXPECT_EQ(leftFrames, failing * blockFrames + 500);
        EXPECT_EQ(second.dataSize(), 2 * failing * blockFrames);
        converter.closeOutputs();
        second.close();
    }
}

} // namespace tabrix::testing
