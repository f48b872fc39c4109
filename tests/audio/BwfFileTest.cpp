#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"
#include "audio/TakeList.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
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
        {1, 24, 44100, 132300, 3, 9}, // odd size: a zero pad byte follows, in the RIFF size
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
        const std::uint32_t padBytes = c.dataBytes % 2;
        ASSERT_EQ(file.size(), 1024 + samples.size() + padBytes);
        EXPECT_EQ(loadU32le(&file[4]), samples.empty() ? 0 : 1016 + c.dataBytes + padBytes);
        EXPECT_EQ(loadU32le(&file[1020]), c.dataBytes);
        EXPECT_EQ(loadU32le(&file[358]) + (SamplePos(loadU32le(&file[362])) << 32), timeReference);
        EXPECT_EQ(loadU32le(&file[894]), c.byteRate);
        EXPECT_EQ(loadU16le(&file[898]), c.align);
        Bytes padded = samples;
        padded.resize(samples.size() + padBytes, 0);
        EXPECT_EQ(Bytes(file.begin() + 1024, file.end()), padded);
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

// A header update mid-write declares what is written so far and leaves the writing where it
// was: the finished file is the same byte for byte as one written without updates. Mid-write
// an odd size has no pad byte yet, so the RIFF size counts none.
TEST(OutputWriting, HeaderUpdatesDeclareTheSamplesSoFarAndLeaveTheResultUnchanged)
{
    TempDir dir;
    const Bytes first(4095, 0x11), second(1002, 0x22);
    const auto writeOut = [&](const std::string& name, bool update) {
        BwfFile out(dir.path() / name, 1, 48000, 24, 7);
        ASSERT_TRUE(out.create());
        EXPECT_TRUE(out.updateHeader()); // nothing written yet: nothing to declare
        EXPECT_EQ(loadU32le(&readFile(dir.path() / name)[1020]), 0u);
        ASSERT_TRUE(out.writeSamples(first.data(), first.size()));
        if (update) {
            ASSERT_TRUE(out.updateHeader());
            const Bytes sofar = readFile(dir.path() / name);
            EXPECT_EQ(sofar.size(), 1024u + 4095);
            EXPECT_EQ(loadU32le(&sofar[4]), 1016u + 4095);
            EXPECT_EQ(loadU32le(&sofar[1020]), 4095u);
        }
        ASSERT_TRUE(out.writeSamples(second.data(), second.size()));
        EXPECT_TRUE(out.close());
        EXPECT_FALSE(out.updateHeader()) << "closed";
    };
    writeOut("plain.wav", false);
    writeOut("updated.wav", true);
    const auto unstamped = [&](const std::string& name) {
        Bytes file = readFile(dir.path() / name);
        std::fill_n(file.begin() + 340, 18, 0); // the creation times may differ by a second
        return file;
    };
    EXPECT_EQ(unstamped("updated.wav").size(), 1024u + 5097 + 1); // and the pad byte
    EXPECT_TRUE(unstamped("updated.wav") == unstamped("plain.wav"));
}

// declaredBytes >= 0 overrides the size field. Stereo 24-bit: `data` holds two 6-byte frames.
struct Chunk { const char* id; Bytes body; std::int64_t declaredBytes = -1; bool padOdd = true; };
static const Chunk fmt{"fmt ", fmtBody({.channels = 2, .bits = 24})}, data{"data", Bytes(12)};

// A take needs a bext chunk to be placed: one leads unless a row places its own, or asks for
// none with `withBext` false.
static Bytes wav(std::initializer_list<Chunk> chunks, bool withBext = true)
{
    RiffBuilder riff;
    if (withBext && std::none_of(chunks.begin(), chunks.end(),
                                 [](const Chunk& c) { return std::string(c.id) == "bext"; }))
        riff.chunk("bext", bextBody({}));
    for (const Chunk& c : chunks)
        c.declaredBytes < 0 ? riff.chunk(c.id, c.body, c.padOdd)
                            : riff.chunkDeclaring(c.id, std::uint32_t(c.declaredBytes), c.body);
    return riff.bytes();
}

// Accepted rows check `value` against the time reference, refused rows against the detail.
struct Row { const char* name; Bytes file; TakeProblem problem; std::int64_t value = 0;
             int tfidFill = 0; SampleEncoding encoding = SampleEncoding::Integer; };

static void expectParse(const Row& row)
{
    SCOPED_TRACE(row.name);
    TempDir dir;
    dir.write("t.wav", row.file);
    Take take(dir.path(), "t.wav");
    ASSERT_EQ(take.parse(), row.problem == TakeProblem::None);
    EXPECT_EQ(take.stream().state(), StreamState::Closed);
    EXPECT_EQ(take.rejection().problem, row.problem);
    if (row.problem != TakeProblem::None) {
        EXPECT_EQ(take.rejection().detail, row.value);
        return;
    }
    EXPECT_EQ(take.dataSize(), 12u);
    EXPECT_EQ(take.timeReference(), std::uint64_t(row.value));
    EXPECT_EQ(std::count(take.tfid().body.begin(), take.tfid().body.end(), row.tfidFill), 26);
    EXPECT_EQ(take.encoding(), row.encoding);
}

// Every refusal says why, so the user can be told what happened to the file.
TEST(ChunkWalk, AcceptsAndRejectsByTheChunkLayout)
{
    Bytes riffX = wav({fmt, data}), waveX = riffX;
    riffX[3] = 'X';
    waveX[11] = 'X';
    using enum TakeProblem;
    const Row rows[] = {
        {"RIFF id not compared", riffX, None},
        {"shorter than a RIFF header", Bytes{'R', 'I', 'F', 'F'}, NotWave},
        {"form type not WAVE", waveX, NotWave},
        {"bext of 601 bytes", wav({{"bext", bextBody({.bodyBytes = 601})}, fmt, data}), Damaged},
        {"bext of 602 bytes", wav({{"bext", bextBody({.timeReference = 7})}, fmt, data}), None, 7},
        {"bext of 1024 bytes", wav({{"bext", bextBody({.bodyBytes = 1024})}, fmt, data}), None},
        {"JUNK before fmt", wav({{"JUNK", Bytes(28)}, fmt, data}), None},
        {"bext after fmt", wav({fmt, {"bext", bextBody({.timeReference = 9})}, data}), None, 9},
        {"data before fmt", wav({data, fmt, data}), NoFormat},
        {"no data", wav({fmt}), NoData},
        {"empty fmt", wav({{"fmt ", {}}, data}), Damaged},
        {"no whole frame", wav({fmt, {"data", Bytes(5)}}), NoFrames},
        {"odd chunk with pad byte", wav({fmt, {"iXML", Bytes(5)}, data}), None},
        {"odd chunk without pad byte", wav({fmt, {"iXML", Bytes(5), -1, false}, data}), None},
        // The look-ahead at an odd chunk already holds part of the next header.
        {"odd chunks in a row, padded or not",
         wav({fmt, {"iXML", Bytes(5)}, {"LIST", Bytes(7), -1, false}, {"junk", Bytes(3)}, data}),
         None},
        {"TFID right after an unpadded odd chunk",
         wav({fmt, {"iXML", Bytes(5), -1, false}, {"TFID", tfidBody(0xCD)}, data}), None, 0, 0xCD},
        {"odd bext, padded", wav({{"bext", bextBody({.timeReference = 5, .bodyBytes = 603})}, fmt,
                                  data}), None, 5},
        {"odd chunk last, no data", wav({fmt, {"iXML", Bytes(5)}}), NoData},
        {"TFID before data", wav({fmt, {"TFID", tfidBody(0xAB)}, data}), None, 0, 0xAB},
        {"TFID after data", wav({fmt, data, {"TFID", tfidBody(0xAB)}}), None},
        // Without a time reference a plain WAV would be placed at midnight.
        {"no bext", wav({fmt, data}, false), NoTimeReference},
        {"bext after data", wav({fmt, data, {"bext", bextBody({})}}, false), NoTimeReference},
        // 13 of the 600 declared bytes are there: two whole frames.
        {"data longer than the file", wav({fmt, {"data", Bytes(13), 600}}), None},
        // Refused from the file length; the fuzz target's malloc limit guards the allocation.
        {"bext history past the end", wav({{"bext", bextBody({}), 0xFFFF'FFF0}, fmt, data}),
         Damaged},
    };
    for (const Row& row : rows)
        expectParse(row);
    TempDir dir;
    Take missing(dir.path(), "gone.wav");
    EXPECT_FALSE(missing.parse());
    EXPECT_EQ(missing.rejection().problem, CannotOpen);
    EXPECT_NE(missing.rejection().detail, 0);
}

TEST(FormatChunk, AcceptsOnlyRenderableFormats)
{
    for (int bits : {8, 16, 24, 32})
        expectParse({"PCM", wav({{"fmt ", fmtBody({.bits = std::uint16_t(bits)})}, data}),
                     TakeProblem::None});
    Bytes unknownGuid = fmtExtensibleBody({.bits = 24});
    unknownGuid[24] = 0x02; // ADPCM sub-format
    const auto withFmt = [](const Bytes& body) { return wav({{"fmt ", body}, data}); };
    using enum SampleEncoding;
    using enum TakeProblem;
    const Row rows[] = {
        {"32-bit float", withFmt(fmtBody({.tag = 3, .bits = 32})), None, 0, 0, Float},
        {"extensible PCM", withFmt(fmtExtensibleBody({.bits = 24})), None},
        {"extensible float", withFmt(fmtExtensibleBody({.bits = 32}, true)), None, 0, 0, Float},
        {"no channels", withFmt(fmtBody({.channels = 0})), BadFormat},
        {"rate 0", withFmt(fmtBody({.rate = 0})), BadFormat},
        {"12 bits", withFmt(fmtBody({.bits = 12})), UnsupportedBits, 12},
        {"compressed tag", withFmt(fmtBody({.tag = 85, .bits = 16})), Compressed, 85},
        {"16-bit float", withFmt(fmtBody({.tag = 3, .bits = 16})), UnsupportedFloat, 16},
        {"too many channels", withFmt(fmtBody({.channels = 50000, .bits = 24})), TooManyChannels,
         50000},
        {"extensible with unknown GUID", withFmt(unknownGuid), Compressed, 2},
        {"extensible of 24 bytes", withFmt({unknownGuid.begin(), unknownGuid.begin() + 24}),
         BadFormat},
    };
    for (const Row& row : rows)
        expectParse(row);
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

TEST(TakeOrder, SortsByRecordingTimeKeepingInsertionOrderForEqualKeys)
{
    struct Row { const char* name; const char* date; const char* time = "10:00:00"; };
    // Inserted in this order; any non-digit separates the fields.
    constexpr Row rows[] = {{"ten", "2005-06-01"}, {"2040", "2040:01:01"},
        {"nine", "2005/06/01", "09.00.00"}, {"undated", "1 Jun 2005"}, {"ten-b", "2005 06 01"},
        {"nine-oh-one", "2005_06_01", "09_00_01"}, {"2037", "2037.12.31"}};
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
    EXPECT_EQ(forward, "undated nine nine-oh-one ten ten-b 2037 2040 ");
    EXPECT_EQ(backward, forward);
}
