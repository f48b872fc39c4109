#include "audio/BwfFile.h"

#include "TakeFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace tabrix {
namespace {

using namespace tabrix::testing;

class SampleReading : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = constantFrames(2, 16, 4096, 100, /*ramp*/ true); // 16384 bytes
        take = writeTake(dir, RiffBuilder{}
                                  .chunk("bext", bextBody({}))
                                  .chunk("fmt ", fmtBody({.bits = 16}))
                                  .chunk("data", data)
                                  .bytes());
        ASSERT_TRUE(take->parse());
    }

    Bytes dataSpan(std::uint64_t offset, std::uint64_t count) const
    {
        return Bytes(data.begin() + long(offset), data.begin() + long(offset + count));
    }

    TempDir dir;
    Bytes data;
    std::unique_ptr<Take> take;
};

TEST_F(SampleReading, FirstReadOpensAndAdjacentReadsRunOn)
{
    ASSERT_EQ(take->stream().state(), StreamState::Closed);
    Bytes into(4096);
    std::uint64_t bytesRead = 0;
    ASSERT_TRUE(take->readSamples(into.data(), 0, 4096, bytesRead));
    EXPECT_EQ(bytesRead, 4096u);
    EXPECT_EQ(take->stream().state(), StreamState::Reading);
    EXPECT_EQ(into, dataSpan(0, 4096));
    EXPECT_EQ(take->readPosition(), take->dataStart() + 4096);

    ASSERT_TRUE(take->readSamples(into.data(), 4096, 4096, bytesRead));
    EXPECT_EQ(into, dataSpan(4096, 4096));
    EXPECT_EQ(take->readPosition(), take->dataStart() + 8192);
}

TEST_F(SampleReading, NonAdjacentSpanRepositions)
{
    Bytes into(100);
    std::uint64_t bytesRead = 0;
    ASSERT_TRUE(take->readSamples(into.data(), 8000, 100, bytesRead));
    EXPECT_EQ(into, dataSpan(8000, 100));
    ASSERT_TRUE(take->readSamples(into.data(), 40, 100, bytesRead));
    EXPECT_EQ(into, dataSpan(40, 100));
    EXPECT_EQ(take->readPosition(), take->dataStart() + 140);
}

TEST_F(SampleReading, SpanPastTheEndFailsAndReportsNothing)
{
    Bytes into(8192);
    std::uint64_t bytesRead = 99;
    EXPECT_FALSE(take->readSamples(into.data(), data.size() - 4096, 8192, bytesRead));
    EXPECT_EQ(bytesRead, 0u);
    EXPECT_FALSE(take->readSamples(nullptr, 0, 4, bytesRead));
    EXPECT_FALSE(take->readSamples(into.data(), 0, 0, bytesRead));
}

TEST_F(SampleReading, ValidSpanAfterAFailedReadSucceeds)
{
    // A failed read leaves the stream at the end of the file; the next read must reposition.
    Bytes into(data.size() + 16);
    std::uint64_t bytesRead = 0;
    ASSERT_FALSE(take->readSamples(into.data(), 0, into.size(), bytesRead));
    ASSERT_TRUE(take->readSamples(into.data(), 0, 16, bytesRead));
    EXPECT_EQ(Bytes(into.begin(), into.begin() + 16), dataSpan(0, 16));
}

TEST_F(SampleReading, ReadAfterCloseReopens)
{
    Bytes into(16);
    std::uint64_t bytesRead = 0;
    ASSERT_TRUE(take->readSamples(into.data(), 0, 16, bytesRead));
    EXPECT_TRUE(take->close());
    EXPECT_EQ(take->stream().state(), StreamState::Closed);
    EXPECT_EQ(take->readPosition(), 0u);
    ASSERT_TRUE(take->readSamples(into.data(), 16, 16, bytesRead));
    EXPECT_EQ(into, dataSpan(16, 16));
}

TEST_F(SampleReading, LastFrameIsReadable)
{
    Bytes into(4);
    std::uint64_t bytesRead = 0;
    ASSERT_TRUE(take->readSamples(into.data(), take->dataSize() - 4, 4, bytesRead));
    EXPECT_EQ(into, dataSpan(data.size() - 4, 4));
}

TEST(SameTfid, ComparesWholeRecords)
{
    TempDir dir;
    auto parsed = [&](const std::string& name, int tfid) {
        auto take = writeTake(dir, takeBytes({.tfid = tfid, .data = Bytes(12)}), name);
        EXPECT_TRUE(take->parse());
        return take;
    };
    const auto a = parsed("a.wav", 0x11);
    const auto sameAsA = parsed("b.wav", 0x11);
    const auto other = parsed("c.wav", 0x22);
    const auto none1 = parsed("d.wav", -1);
    const auto none2 = parsed("e.wav", -1);
    EXPECT_TRUE(a->sameTfid(a.get()));
    EXPECT_TRUE(a->sameTfid(sameAsA.get()));
    EXPECT_FALSE(a->sameTfid(other.get()));
    EXPECT_FALSE(a->sameTfid(none1.get()));
    EXPECT_TRUE(none1->sameTfid(none2.get()));
    EXPECT_FALSE(a->sameTfid(nullptr));
}

// A take just under the 4 GiB RIFF limit, kept sparse: only the marked bytes take up space.
TEST(LargeTake, ReadsSpansBeyondTwoAndThreeGiB)
{
    constexpr std::uint32_t dataBytes = 0xFFFF'0000u;
    const Bytes head = RiffBuilder{}
                           .chunk("fmt ", fmtBody({.channels = 2, .bits = 16}))
                           .chunkDeclaring("data", dataBytes, {})
                           .bytes();
    TempDir dir;
    const auto path = dir.write("big.wav", head);
    std::error_code error;
    std::filesystem::resize_file(path, head.size() + dataBytes, error);
    if (error)
        GTEST_SKIP() << "temporary file system refuses a 4 GiB sparse file: " << error.message();

    struct Mark { std::uint64_t offset; std::uint8_t value; };
    constexpr Mark marks[] = {
        {0x8000'0000ull + 12, 0xA1},  // just past 2 GiB
        {0xC000'0000ull + 400, 0xB2}, // past 3 GiB
        {dataBytes - 1, 0xC3},        // the last byte
    };
    {
        std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
        for (const Mark& m : marks) {
            out.seekp(std::streamoff(head.size() + m.offset));
            out.put(static_cast<char>(m.value));
        }
        ASSERT_TRUE(out.good());
    }

    Take take(dir.path(), "big.wav");
    ASSERT_TRUE(take.parse());
    EXPECT_EQ(take.dataSize(), dataBytes);
    EXPECT_EQ(take.dataStart(), head.size());
    for (const Mark& m : marks) {
        SCOPED_TRACE(m.offset);
        std::array<std::uint8_t, 2> into{9, 9};
        std::uint64_t bytesRead = 0;
        const std::uint64_t from = m.offset - 1; // the byte before the mark is a sparse zero
        ASSERT_TRUE(take.readSamples(into.data(), from, 2, bytesRead));
        EXPECT_EQ(into[0], 0);
        EXPECT_EQ(into[1], m.value);
    }
    take.close();
    std::filesystem::remove(path, error);
}

} // namespace
} // namespace tabrix
