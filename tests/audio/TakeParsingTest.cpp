#include "audio/BwfFile.h"

#include "TakeFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace tabrix {
namespace {

using namespace tabrix::testing;

Bytes withId(Bytes bytes, std::size_t offset, const char* id)
{
    std::copy_n(id, 4, bytes.begin() + long(offset));
    return bytes;
}

Bytes truncated(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

struct WalkCase {
    const char* name;
    Bytes file;
    bool accepted;
};

TEST(ChunkWalk, AcceptsAndRejectsByTheChunkLayout)
{
    const Bytes fmt = fmt24();
    const Bytes data = twoFrames24();
    const Bytes plain = RiffBuilder{}.chunk("fmt ", fmt).chunk("data", data).bytes();
    const WalkCase cases[] = {
        {"plain fmt and data", plain, true},
        {"RIFF id not compared", withId(plain, 0, "XYZW"), true},
        {"form type not WAVE", withId(plain, 8, "WAVX"), false},
        {"bext of 601 bytes",
         RiffBuilder{}.chunk("bext", bextBody({.bodyBytes = 601})).chunk("fmt ", fmt)
             .chunk("data", data).bytes(), false},
        {"bext of 602 bytes",
         RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmt).chunk("data", data).bytes(),
         true},
        {"bext of 1024 bytes with history",
         RiffBuilder{}.chunk("bext", bextBody({.bodyBytes = 1024})).chunk("fmt ", fmt)
             .chunk("data", data).bytes(), true},
        {"bext history past the end of the file",
         RiffBuilder{}.chunkDeclaring("bext", 5000, bextBody({})).chunk("fmt ", fmt)
             .chunk("data", data).bytes(), false},
        {"JUNK before fmt",
         RiffBuilder{}.chunk("JUNK", Bytes(28)).chunk("fmt ", fmt).chunk("data", data).bytes(),
         true},
        {"JUNK between fmt and data",
         RiffBuilder{}.chunk("fmt ", fmt).chunk("JUNK", Bytes(10)).chunk("data", data).bytes(),
         true},
        {"data before fmt",
         RiffBuilder{}.chunk("data", data).chunk("fmt ", fmt).chunk("data", data).bytes(), false},
        {"no data chunk", RiffBuilder{}.chunk("fmt ", fmt).bytes(), false},
        {"no fmt chunk",
         RiffBuilder{}.chunk("bext", bextBody({})).chunk("data", data).bytes(), false},
        {"empty fmt", RiffBuilder{}.chunk("fmt ", {}).chunk("data", data).bytes(), false},
        {"16-byte fmt", RiffBuilder{}.chunk("fmt ", truncated(fmt, 16)).chunk("data", data).bytes(),
         true},
        {"fmt body cut by the end of the file",
         truncated(RiffBuilder{}.chunk("fmt ", fmt).bytes(), 30), false},
        {"second empty fmt after the first is skipped",
         RiffBuilder{}.chunk("fmt ", fmt).chunk("fmt ", {}).chunk("data", data).bytes(), true},
        {"less than one frame of data",
         RiffBuilder{}.chunk("fmt ", fmt).chunk("data", Bytes(5)).bytes(), false},
        {"exactly one frame of data",
         RiffBuilder{}.chunk("fmt ", fmt).chunk("data", Bytes(6)).bytes(), true},
        {"empty file", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto take = writeTake(dir, c.file);
        EXPECT_EQ(take->parse(), c.accepted);
        EXPECT_EQ(take->stream().state(), StreamState::Closed);
    }
}

TEST(ChunkWalk, FortyByteFileClaimingHugeBextIsRejected)
{
    // Must be refused without reserving the declared size: under the fuzzer's malloc limit or
    // ASan this fails loudly if the reader allocates from the declared size.
    Bytes bytes = RiffBuilder{}.chunkDeclaring("bext", 0xFFFF'FFF0u, Bytes(20, 0)).bytes();
    ASSERT_EQ(bytes.size(), 40u);
    TempDir dir;
    EXPECT_FALSE(writeTake(dir, bytes)->parse());
}

TEST(ChunkWalk, BextAfterFmtKeepsTimeReferenceAndDate)
{
    // fmt, an odd-sized LIST with its pad byte, bext, data: the order many editors write.
    const Bytes bytes = RiffBuilder{}
                            .chunk("fmt ", fmt24())
                            .chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'})
                            .chunk("bext", bextBody({.timeReference = 123456789012ull,
                                                     .date = "2005-06-01",
                                                     .time = "14:05:09"}))
                            .chunk("data", twoFrames24())
                            .bytes();
    TempDir dir;
    auto take = writeTake(dir, bytes);
    ASSERT_TRUE(take->parse());
    EXPECT_TRUE(take->hasBext());
    EXPECT_EQ(take->timeReference(), 123456789012ull);
    EXPECT_EQ(take->originTime().year, 2005);
    EXPECT_EQ(take->originTime().hour, 14);
    EXPECT_NE(take->key(), BwfFile::undatedKey);
    EXPECT_EQ(take->dataSize(), 12u);
}

TEST(ChunkWalk, OnlyTheFirstBextIsRead)
{
    const Bytes bytes = RiffBuilder{}
                            .chunk("bext", bextBody({.timeReference = 7}))
                            .chunk("fmt ", fmt24())
                            .chunk("bext", bextBody({.timeReference = 99}))
                            .chunk("data", twoFrames24())
                            .bytes();
    TempDir dir;
    auto take = writeTake(dir, bytes);
    ASSERT_TRUE(take->parse());
    EXPECT_EQ(take->timeReference(), 7u);
}

TEST(ChunkWalk, OddSizedChunkIsReadWithAndWithoutPadByte)
{
    const Bytes data = pcm24({0x010203, 0x040506, 0x070809, 0x0A0B0C});
    for (bool padOdd : {true, false}) {
        SCOPED_TRACE(padOdd ? "padded" : "unpadded");
        const Bytes bytes = RiffBuilder{}
                                .chunk("fmt ", fmt24())
                                .chunk("iXML", Bytes{'<', 'x', '/', '>', 0x0A}, padOdd)
                                .chunk("data", data)
                                .bytes();
        TempDir dir;
        auto take = writeTake(dir, bytes);
        ASSERT_TRUE(take->parse());
        EXPECT_EQ(take->dataStart(), bytes.size() - data.size());
        EXPECT_EQ(take->dataSize(), data.size());
    }
}

TEST(ChunkWalk, TfidIsReadOnlyBeforeData)
{
    TempDir dir;
    auto before = writeTake(dir,
                            RiffBuilder{}.chunk("fmt ", fmt24()).chunk("TFID", tfidBody(0xAB))
                                .chunk("data", twoFrames24()).bytes(),
                            "before.wav");
    auto after = writeTake(dir,
                           RiffBuilder{}.chunk("fmt ", fmt24()).chunk("data", twoFrames24())
                               .chunk("TFID", tfidBody(0xAB)).bytes(),
                           "after.wav");
    ASSERT_TRUE(before->parse());
    ASSERT_TRUE(after->parse());
    std::array<std::uint8_t, 26> expected{};
    expected.fill(0xAB);
    EXPECT_EQ(before->tfid().body, expected);
    EXPECT_EQ(after->tfid(), TfidChunk{});
}

TEST(ChunkWalk, TfidDeclaringOtherSizeKeepsRecordIdAndSize)
{
    const Bytes bytes = RiffBuilder{}
                            .chunk("fmt ", fmt24())
                            .chunkDeclaring("TFID", 48, tfidBody(0x11))
                            .chunk("data", twoFrames24())
                            .bytes();
    TempDir dir;
    auto take = writeTake(dir, bytes);
    ASSERT_TRUE(take->parse()); // only 26 bytes are read whatever the chunk declares
    EXPECT_EQ(take->tfid().size, 26u);
    EXPECT_EQ(take->tfid().id, makeFourCc("TFID"));
    EXPECT_EQ(take->tfid().body[25], 0x11);
}

TEST(ChunkWalk, DataLongerThanFileIsCutToWholeFrames)
{
    // Declares 600 bytes; 13 are there: two whole 6-byte frames.
    const Bytes bytes = RiffBuilder{}
                            .chunk("fmt ", fmt24())
                            .chunkDeclaring("data", 600, Bytes(13, 1))
                            .bytes();
    TempDir dir;
    auto take = writeTake(dir, bytes);
    ASSERT_TRUE(take->parse());
    EXPECT_EQ(take->dataSize(), 12u);
}

TEST(FormatChunk, ShortBodyKeepsDefaultsForMissingFields)
{
    // 14 bytes end before bits per sample: the default 16 bits stays.
    const Bytes bytes = RiffBuilder{}
                            .chunk("fmt ", truncated(fmtBody({.channels = 1, .bits = 16}), 14))
                            .chunk("data", Bytes(4))
                            .bytes();
    TempDir dir;
    auto take = writeTake(dir, bytes);
    ASSERT_TRUE(take->parse());
    EXPECT_EQ(take->format().channelCount, 1u);
    EXPECT_EQ(take->format().sampleRate, 48000u);
    EXPECT_EQ(take->format().bitsPerSample, 16u);
    EXPECT_EQ(take->format().extraSize, 0u);
}

struct FormatCase {
    const char* name;
    Bytes fmt;
    bool accepted;
    SampleEncoding encoding = SampleEncoding::Integer;
};

TEST(FormatChunk, AcceptsOnlyRenderableFormats)
{
    Bytes unknownGuid = fmtExtensibleBody({.bits = 24});
    unknownGuid[24] = 0x02; // ADPCM sub-format
    const FormatCase cases[] = {
        {"8-bit PCM", fmtBody({.bits = 8}), true},
        {"16-bit PCM", fmtBody({.bits = 16}), true},
        {"24-bit PCM", fmtBody({.bits = 24}), true},
        {"32-bit PCM", fmtBody({.bits = 32}), true},
        {"32-bit float", fmtBody({.tag = 3, .bits = 32}), true, SampleEncoding::Float},
        {"extensible PCM", fmtExtensibleBody({.bits = 24}), true},
        {"extensible float", fmtExtensibleBody({.bits = 32}, true), true, SampleEncoding::Float},
        {"no channels", fmtBody({.channels = 0}), false},
        {"rate 0", fmtBody({.rate = 0}), false},
        {"12 bits", fmtBody({.bits = 12}), false},
        {"ADPCM tag", fmtBody({.tag = 2, .bits = 16}), false},
        {"16-bit float", fmtBody({.tag = 3, .bits = 16}), false},
        {"extensible with unknown GUID", unknownGuid, false},
        {"extensible 24-bit float", fmtExtensibleBody({.bits = 24}, true), false},
        {"extensible shorter than 40 bytes", truncated(fmtExtensibleBody({.bits = 24}), 24), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto take = writeTake(dir, RiffBuilder{}.chunk("fmt ", c.fmt).chunk("data", Bytes(64)).bytes());
        ASSERT_EQ(take->parse(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(take->encoding(), c.encoding);
        }
        EXPECT_EQ(take->stream().state(), StreamState::Closed);
    }
}

TEST(FormatChunk, LongBodyIsSkippedAndWalkContinues)
{
    Bytes body = fmtExtensibleBody({.bits = 24});
    body.resize(50, 0xEE); // beyond the 40 extensible bytes: skipped
    const Bytes bytes = RiffBuilder{}.chunk("fmt ", body).chunk("data", twoFrames24()).bytes();
    TempDir dir;
    auto take = writeTake(dir, bytes);
    ASSERT_TRUE(take->parse());
    EXPECT_TRUE(take->formatChunk().hasSubFormat);
    EXPECT_EQ(take->dataSize(), 12u);
    EXPECT_EQ(take->tfid(), TfidChunk{}); // nothing spilled into other records
    EXPECT_EQ(take->bext().timeReference(), 0u);
}

} // namespace
} // namespace tabrix
