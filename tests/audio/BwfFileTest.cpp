#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"
#include "audio/TakeList.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tabrix;
using namespace tabrix::testing;

static std::string localStamp()
{
    const std::time_t now = std::time(nullptr);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d%H:%M:%S", std::localtime(&now));
    return stamp;
}

TEST(OutputHeader, HoldsSizesFormatAndLocalStampAtTheirOffsets)
{
    constexpr SamplePos timeReference = (SamplePos(1) << 32) + 5;
    struct Case { std::uint8_t channels, bits; std::uint32_t rate, byteRate, align, dataBytes; };
    constexpr Case cases[] = {
        {2, 24, 48000, 288000, 6, 0}, // closed right after create: close fails, sizes stay 0
        {2, 16, 48000, 192000, 4, 12},
        {1, 24, 44100, 132300, 3, 9}, // odd size and no pad byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        TempDir dir;
        const Bytes samples(c.dataBytes, 0x5A);
        BwfFile out(dir.path() / "out.wav", c.channels, c.rate, c.bits, timeReference);
        const std::string before = localStamp();
        ASSERT_TRUE(out.create());
        const std::string after = localStamp();
        ASSERT_TRUE(samples.empty() || out.writeSamples(samples.data(), samples.size()));
        EXPECT_EQ(out.close(), !samples.empty());
        const Bytes file = readFile(dir.path() / "out.wav");
        ASSERT_EQ(file.size(), 1024 + samples.size());
        EXPECT_EQ(loadU32le(&file[4]), samples.empty() ? 0 : 1016 + c.dataBytes); // RIFF size
        EXPECT_EQ(loadU32le(&file[1020]), c.dataBytes);
        EXPECT_EQ(loadU32le(&file[358]) + (SamplePos(loadU32le(&file[362])) << 32), timeReference);
        EXPECT_EQ(loadU32le(&file[894]), c.byteRate);
        EXPECT_EQ(loadU16le(&file[898]), c.align);
        EXPECT_EQ(Bytes(file.begin() + 1024, file.end()), samples);
        // Fixed-width date and time sort like time: an hour off fails, a rollover passes.
        const std::string stamp(reinterpret_cast<const char*>(&file[340]), 18);
        EXPECT_TRUE(before <= stamp && stamp <= after) << stamp;
        if (samples.empty())
            continue;
        Take take(dir.path(), "out.wav"); // our own output must be accepted as a take
        ASSERT_TRUE(take.parse());
        EXPECT_EQ(take.format().bitsPerSample, c.bits);
        EXPECT_EQ(take.timeReference(), timeReference);
        EXPECT_EQ(take.dataSize(), c.dataBytes);
    }
}

TEST(OutputWriting, RefusesMissingFolderAndWritesThatWouldWrapTheSizes)
{
    TempDir dir;
    BwfFile nowhere(dir.path() / "missing" / "out.wav", 2, 48000, 24, 0);
    EXPECT_FALSE(nowhere.create());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
    BwfFile out(dir.path() / "out.wav", 2, 48000, 16, 0);
    ASSERT_TRUE(out.create());
    const Bytes bytes(16, 1);
    ASSERT_TRUE(out.writeSamples(bytes.data(), bytes.size()));
    // The first takes the RIFF size to 2^32; a 32-bit count would see the second as 4 bytes.
    for (std::uint64_t count : {0xFFFF'FFFFull - 1016 - 16 + 1, 0x1'0000'0004ull})
        EXPECT_FALSE(out.writeSamples(bytes.data(), count)) << count;
    EXPECT_TRUE(out.close());
    EXPECT_EQ(readFile(dir.path() / "out.wav").size(), 1040u);
}

// declaredBytes >= 0 overrides the size field. Stereo 24-bit: `data` holds two 6-byte frames.
struct Chunk { const char* id; Bytes body; std::int64_t declaredBytes = -1; bool padOdd = true; };
static const Chunk fmt{"fmt ", fmtBody({.channels = 2, .bits = 24})}, data{"data", Bytes(12)};

static Bytes wav(std::initializer_list<Chunk> chunks)
{
    RiffBuilder riff;
    for (const Chunk& c : chunks)
        c.declaredBytes < 0 ? riff.chunk(c.id, c.body, c.padOdd)
                            : riff.chunkDeclaring(c.id, std::uint32_t(c.declaredBytes), c.body);
    return riff.bytes();
}

struct Row { const char* name; Bytes file; bool accepted; std::uint64_t timeReference = 0;
             int tfidFill = 0; SampleEncoding encoding = SampleEncoding::Integer; };

static void expectParse(const Row& row)
{
    SCOPED_TRACE(row.name);
    TempDir dir;
    dir.write("t.wav", row.file);
    Take take(dir.path(), "t.wav");
    ASSERT_EQ(take.parse(), row.accepted);
    EXPECT_EQ(take.stream().state(), StreamState::Closed);
    if (!row.accepted)
        return;
    EXPECT_EQ(take.dataSize(), 12u);
    EXPECT_EQ(take.timeReference(), row.timeReference);
    EXPECT_EQ(std::count(take.tfid().body.begin(), take.tfid().body.end(), row.tfidFill), 26);
    EXPECT_EQ(take.encoding(), row.encoding);
}

TEST(ChunkWalk, AcceptsAndRejectsByTheChunkLayout)
{
    Bytes riffX = wav({fmt, data}), waveX = riffX;
    riffX[3] = 'X';
    waveX[11] = 'X';
    const Row rows[] = {
        {"RIFF id not compared", riffX, true},
        {"form type not WAVE", waveX, false},
        {"bext of 601 bytes", wav({{"bext", bextBody({.bodyBytes = 601})}, fmt, data}), false},
        {"bext of 602 bytes", wav({{"bext", bextBody({.timeReference = 7})}, fmt, data}), true, 7},
        {"bext of 1024 bytes", wav({{"bext", bextBody({.bodyBytes = 1024})}, fmt, data}), true},
        {"JUNK before fmt", wav({{"JUNK", Bytes(28)}, fmt, data}), true},
        {"bext after fmt", wav({fmt, {"bext", bextBody({.timeReference = 9})}, data}), true, 9},
        {"data before fmt", wav({data, fmt, data}), false},
        {"no data", wav({fmt}), false},
        {"empty fmt", wav({{"fmt ", {}}, data}), false},
        {"odd chunk with pad byte", wav({fmt, {"iXML", Bytes(5)}, data}), true},
        {"odd chunk without pad byte", wav({fmt, {"iXML", Bytes(5), -1, false}, data}), true},
        {"TFID before data", wav({fmt, {"TFID", tfidBody(0xAB)}, data}), true, 0, 0xAB},
        {"TFID after data", wav({fmt, data, {"TFID", tfidBody(0xAB)}}), true},
        // 13 of the 600 declared bytes are there: two whole frames.
        {"data longer than the file", wav({fmt, {"data", Bytes(13), 600}}), true},
        // Refused from the file length; the fuzz target's malloc limit guards the allocation.
        {"bext history past the end", wav({{"bext", bextBody({}), 0xFFFF'FFF0}, fmt, data}), false},
    };
    for (const Row& row : rows)
        expectParse(row);
}

TEST(FormatChunk, AcceptsOnlyRenderableFormats)
{
    for (int bits : {8, 16, 24, 32})
        expectParse({"PCM", wav({{"fmt ", fmtBody({.bits = std::uint16_t(bits)})}, data}), true});
    Bytes unknownGuid = fmtExtensibleBody({.bits = 24});
    unknownGuid[24] = 0x02; // ADPCM sub-format
    const auto withFmt = [](const Bytes& body) { return wav({{"fmt ", body}, data}); };
    using enum SampleEncoding;
    const Row rows[] = {
        {"32-bit float", withFmt(fmtBody({.tag = 3, .bits = 32})), true, 0, 0, Float},
        {"extensible PCM", withFmt(fmtExtensibleBody({.bits = 24})), true},
        {"extensible float", withFmt(fmtExtensibleBody({.bits = 32}, true)), true, 0, 0, Float},
        {"no channels", withFmt(fmtBody({.channels = 0})), false},
        {"rate 0", withFmt(fmtBody({.rate = 0})), false},
        {"12 bits", withFmt(fmtBody({.bits = 12})), false},
        {"ADPCM tag", withFmt(fmtBody({.tag = 2, .bits = 16})), false},
        {"16-bit float", withFmt(fmtBody({.tag = 3, .bits = 16})), false},
        {"extensible with unknown GUID", withFmt(unknownGuid), false},
        {"extensible of 24 bytes", withFmt({unknownGuid.begin(), unknownGuid.begin() + 24}), false},
    };
    for (const Row& row : rows)
        expectParse(row);
}

// Every refusal says why, so the user can be told what happened to the file.
TEST(TakeRejection, NamesTheProblemOfEachRefusedFile)
{
    const auto withFmt = [](const Bytes& body) { return wav({{"fmt ", body}, data}); };
    Bytes adpcmGuid = fmtExtensibleBody({.bits = 16});
    adpcmGuid[24] = 0x02;
    Bytes waveX = wav({fmt, data});
    waveX[11] = 'X';
    using enum TakeProblem;
    struct Case { const char* name; Bytes file; TakeProblem problem; std::int64_t detail = 0; };
    const Case cases[] = {
        {"accepted", wav({fmt, data}), None},
        {"shorter than a RIFF header", Bytes{'R', 'I', 'F', 'F'}, NotWave},
        {"form type not WAVE", waveX, NotWave},
        {"bext shorter than its fixed part", wav({{"bext", bextBody({.bodyBytes = 601})}, fmt, data}),
         Damaged},
        {"empty fmt", wav({{"fmt ", {}}, data}), Damaged},
        {"data before fmt", wav({data, fmt}), NoFormat},
        {"no data", wav({fmt}), NoData},
        {"rate 0", withFmt(fmtBody({.rate = 0})), BadFormat},
        {"extensible without GUID", withFmt(Bytes(adpcmGuid.begin(), adpcmGuid.begin() + 24)),
         BadFormat},
        {"compressed tag", withFmt(fmtBody({.tag = 85, .bits = 16})), Compressed, 85},
        {"compressed GUID", withFmt(adpcmGuid), Compressed, 2},
        {"12 bits", withFmt(fmtBody({.bits = 12})), UnsupportedBits, 12},
        {"16-bit float", withFmt(fmtBody({.tag = 3, .bits = 16})), UnsupportedFloat, 16},
        {"too many channels", withFmt(fmtBody({.channels = 50000, .bits = 24})), TooManyChannels,
         50000},
        {"no whole frame", wav({fmt, {"data", Bytes(5)}}), NoFrames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("t.wav", c.file);
        Take take(dir.path(), "t.wav");
        EXPECT_EQ(take.parse(), c.problem == None);
        EXPECT_EQ(take.rejection().problem, c.problem);
        EXPECT_EQ(take.rejection().detail, c.detail);
    }
    TempDir dir;
    Take missing(dir.path(), "gone.wav");
    EXPECT_FALSE(missing.parse());
    EXPECT_EQ(missing.rejection().problem, CannotOpen);
    EXPECT_NE(missing.rejection().detail, 0);
}

TEST(SampleReading, ReadsSpansAndRecoversFromFailures)
{
    TempDir dir;
    const Bytes pcm = constantFrames(2, 16, 4096, 100, /*ramp*/ true); // 16384 bytes
    dir.write("t.wav", wav({{"fmt ", fmtBody({.bits = 16})}, {"data", pcm}}));
    Take take(dir.path(), "t.wav");
    ASSERT_TRUE(take.parse());
    Bytes into(8192);
    std::uint64_t bytesRead = 0;
    const auto expectSpan = [&](std::uint64_t offset, std::uint64_t count) {
        SCOPED_TRACE(offset);
        ASSERT_TRUE(take.readSamples(into.data(), offset, count, bytesRead));
        EXPECT_EQ(bytesRead, count);
        EXPECT_TRUE(std::equal(into.begin(), into.begin() + long(count), &pcm[offset]));
        EXPECT_EQ(take.readPosition(), take.dataStart() + offset + count);
    };
    expectSpan(0, 4096);    // opens the file
    expectSpan(4096, 4096); // runs on from the last span
    expectSpan(40, 100);    // repositions
    const std::uint64_t nearEnd = pcm.size() - 4096;
    EXPECT_FALSE(take.readSamples(into.data(), nearEnd, 8192, bytesRead));
    EXPECT_EQ(bytesRead, 0u);
    // The failed read left the file at its end, so the same offset must be sought again.
    expectSpan(nearEnd, 4096);
    EXPECT_TRUE(take.close());
    expectSpan(16, 16); // reopens
}

// Positions past 2 GiB must not pass through 32-bit offsets. The file is sparse.
TEST(LargeTake, ReadsPastTwoGiB)
{
    constexpr std::uint32_t dataBytes = 0xFFFF'0000u;
    constexpr std::uint64_t mark = 0x8000'0000ull + 12;
    const Bytes head = wav({{"fmt ", fmtBody({.bits = 16})}, {"data", {}, dataBytes}});
    TempDir dir;
    const auto path = dir.write("big.wav", head);
    std::error_code error;
    std::filesystem::resize_file(path, head.size() + dataBytes, error);
    if (error)
        GTEST_SKIP() << "no 4 GiB sparse file here: " << error.message();
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary)
        .seekp(std::streamoff(head.size() + mark)).put(char(0xA5));
    Take take(dir.path(), "big.wav");
    ASSERT_TRUE(take.parse());
    std::array<std::uint8_t, 2> into{9, 9};
    std::uint64_t bytesRead = 0;
    ASSERT_TRUE(take.readSamples(into.data(), mark - 1, 2, bytesRead));
    EXPECT_EQ(into, (std::array<std::uint8_t, 2>{0, 0xA5})); // a sparse zero, then the mark
}

TEST(SameTfid, ComparesWholeRecords)
{
    TempDir dir;
    Take takes[] = {{dir.path(), "a"}, {dir.path(), "b"}, {dir.path(), "c"}, {dir.path(), "d"}};
    const int fills[] = {0x11, 0x22, -1, -1}; // the last two have no TFID chunk
    for (int i = 0; i < 4; ++i) {
        writeFile(takes[i].path(), takeBytes({.tfid = fills[i], .data = Bytes(12)}));
        ASSERT_TRUE(takes[i].parse());
    }
    EXPECT_TRUE(takes[0].sameTfid(&takes[0]));
    EXPECT_FALSE(takes[0].sameTfid(&takes[1]));
    EXPECT_FALSE(takes[0].sameTfid(&takes[2]));
    EXPECT_TRUE(takes[2].sameTfid(&takes[3]));
    EXPECT_FALSE(takes[0].sameTfid(nullptr));
}

TEST(TakeOrder, SortsByRecordingTimeKeepingInsertionOrderForEqualKeys)
{
    struct Row { const char* name; const char* date; const char* time = "10:00:00"; };
    constexpr Row rows[] = {{"ten", "2005-06-01"}, {"2040", "2040-01-01"}, // inserted in this order
        {"nine", "2005-06-01", "09:00:00"}, {"undated", "1 Jun 2005"}, {"ten-b", "2005-06-01"},
        {"2037", "2037-12-31"}};
    TempDir dir;
    TakeList list;
    for (const Row& r : rows) {
        dir.write(r.name, takeBytes({.date = r.date, .time = r.time, .data = Bytes(12)}));
        auto take = std::make_unique<Take>(dir.path(), r.name);
        ASSERT_TRUE(take->parse());
        ASSERT_NE(list.insertSorted(std::move(take)), nullptr);
    }
    std::string forward, backward;
    for (const Take* t = list.head(); t != nullptr; t = TakeList::nextOf(t))
        forward += t->path().filename().string() + " ";
    for (const Take* t = list.tail(); t != nullptr; t = TakeList::previousOf(t))
        backward = t->path().filename().string() + " " + backward;
    // The key is local time in 64 bits (2040 must not wrap below 2037), undated is oldest.
    EXPECT_EQ(forward, "undated nine ten ten-b 2037 2040 ");
    EXPECT_EQ(backward, forward);
}
