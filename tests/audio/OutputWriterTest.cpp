#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

namespace tabrix {
namespace {

using testing::Bytes;
using testing::TempDir;

constexpr SamplePos bigTimeReference = (SamplePos(1) << 32) + 5;

std::string textAt(const Bytes& file, std::size_t offset, std::size_t count)
{
    return std::string(file.begin() + long(offset), file.begin() + long(offset + count));
}

bool allZero(const Bytes& file, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
        if (file[i] != 0)
            return false;
    return true;
}

/// Creates an output, writes `samples` (when not empty) and closes it; returns the file.
Bytes writeOutput(const TempDir& dir, std::uint8_t channels, std::uint32_t rate,
                  std::uint8_t bits, const Bytes& samples, bool& closed)
{
    const auto path = dir.path() / "out.wav";
    BwfFile out(path, channels, rate, bits, bigTimeReference);
    EXPECT_TRUE(out.create());
    if (!samples.empty()) {
        EXPECT_TRUE(out.writeSamples(samples.data(), samples.size()));
    }
    closed = out.close();
    return testing::readFile(path);
}

TEST(OutputHeader, FinalisedHeaderHoldsEveryFieldAtItsOffset)
{
    TempDir dir;
    const Bytes samples = testing::pcm24({1, 2, 3, 4});
    bool closed = false;
    const Bytes file = writeOutput(dir, 2, 48000, 24, samples, closed);
    EXPECT_TRUE(closed);
    ASSERT_EQ(file.size(), 1024u + samples.size());

    struct Id { std::size_t offset; const char* text; };
    for (const Id& id : {Id{0, "RIFF"}, Id{8, "WAVE"}, Id{12, "bext"}, Id{878, "fmt "},
                         Id{904, "TFID"}, Id{938, "PAD "}, Id{1016, "data"}})
        EXPECT_EQ(textAt(file, id.offset, 4), id.text) << "at " << id.offset;

    struct U32 { std::size_t offset; std::uint32_t value; };
    for (const U32& f : {U32{4, 1016 + 12}, U32{16, 858}, U32{358, 5}, U32{362, 1},
                         U32{882, 18}, U32{908, 26}, U32{942, 70}, U32{1020, 12}})
        EXPECT_EQ(loadU32le(&file[f.offset]), f.value) << "at " << f.offset;
    EXPECT_EQ(loadU16le(&file[366]), 1u); // bext version
    EXPECT_EQ(loadU16le(&file[886]), 1u); // integer PCM
    EXPECT_EQ(loadU16le(&file[902]), 0u); // extra size

    EXPECT_TRUE(allZero(file, 20, 340));   // description, originator, reference
    EXPECT_TRUE(allZero(file, 368, 878));  // UMID, reserved, coding history
    EXPECT_TRUE(allZero(file, 912, 938));  // TFID body
    EXPECT_TRUE(allZero(file, 946, 1016)); // PAD body
    EXPECT_EQ(Bytes(file.begin() + 1024, file.end()), samples);
}

TEST(OutputHeader, FormatDerivesByteRateAndBlockAlign)
{
    struct Case { std::uint8_t channels, bits; std::uint32_t rate, byteRate; std::uint16_t align; };
    constexpr Case cases[] = {
        {2, 24, 48000, 288000, 6},
        {1, 16, 44100, 88200, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.channels) << "ch " << int(c.bits) << "bit");
        TempDir dir;
        bool closed = false;
        const Bytes file = writeOutput(dir, c.channels, c.rate, c.bits, Bytes(12, 1), closed);
        ASSERT_GE(file.size(), 1024u);
        EXPECT_EQ(loadU16le(&file[888]), c.channels);
        EXPECT_EQ(loadU32le(&file[890]), c.rate);
        EXPECT_EQ(loadU32le(&file[894]), c.byteRate);
        EXPECT_EQ(loadU16le(&file[898]), c.align);
        EXPECT_EQ(loadU16le(&file[900]), c.bits);
    }
}

TEST(OutputHeader, PlaceholderDiffersFromFinalOnlyInTheSizes)
{
    TempDir dir;
    bool closed = true;
    Bytes placeholder = writeOutput(dir, 2, 48000, 24, {}, closed);
    EXPECT_FALSE(closed); // nothing was written
    ASSERT_EQ(placeholder.size(), 1024u);
    EXPECT_EQ(loadU32le(&placeholder[4]), 0u);
    EXPECT_EQ(loadU32le(&placeholder[1020]), 0u);

    const Bytes final = writeOutput(dir, 2, 48000, 24, Bytes(6, 1), closed);
    ASSERT_EQ(final.size(), 1030u);
    for (std::size_t at : {4u, 1020u})
        storeU32le(&placeholder[at], loadU32le(&final[at]));
    // The date and time text may differ by a second rollover between the two creates.
    std::copy_n(final.begin() + 340, 18, placeholder.begin() + 340);
    EXPECT_EQ(placeholder, Bytes(final.begin(), final.begin() + 1024));
}

TEST(OutputHeader, OddMonoDataHasNoPadByte)
{
    TempDir dir;
    bool closed = false;
    const Bytes file = writeOutput(dir, 1, 48000, 24, testing::pcm24({1, 2, 3}), closed);
    EXPECT_TRUE(closed);
    EXPECT_EQ(file.size(), 1033u);
    EXPECT_EQ(loadU32le(&file[1020]), 9u);
    EXPECT_EQ(loadU32le(&file[4]), 1025u);
}

TEST(OutputWriting, BlocksAppendAndSizeTheHeader)
{
    TempDir dir;
    const auto path = dir.path() / "out.wav";
    BwfFile out(path, 2, 48000, 16, 0);
    ASSERT_TRUE(out.create());
    for (int block = 0; block < 3; ++block) {
        const Bytes bytes(4096, static_cast<std::uint8_t>(block + 1));
        ASSERT_TRUE(out.writeSamples(bytes.data(), bytes.size()));
    }
    EXPECT_EQ(out.dataSize(), 12288u);
    EXPECT_TRUE(out.close());
    const Bytes file = testing::readFile(path);
    ASSERT_EQ(file.size(), 13312u);
    EXPECT_EQ(loadU32le(&file[4]), 13304u);
    EXPECT_EQ(loadU32le(&file[1020]), 12288u);
    EXPECT_EQ(file[1024 + 4096], 2); // second block follows the first directly
    EXPECT_EQ(file.back(), 3);

    EXPECT_TRUE(out.close()); // already closed: nothing to finalise
    EXPECT_EQ(testing::readFile(path), file);
}

TEST(OutputWriting, RefusesEmptyWritesAndWritesThatWouldWrapTheHeader)
{
    TempDir dir;
    const auto path = dir.path() / "out.wav";
    BwfFile out(path, 2, 48000, 16, 0);
    ASSERT_TRUE(out.create());
    const Bytes bytes(16, 1);
    ASSERT_TRUE(out.writeSamples(bytes.data(), bytes.size()));
    EXPECT_FALSE(out.writeSamples(nullptr, 4));
    EXPECT_FALSE(out.writeSamples(bytes.data(), 0));
    // Each count would push the RIFF size past 2^32 - 1; a truncating writer would take the
    // last one as 4 bytes.
    for (std::uint64_t count : {0xFFFFFFFFull - 1016 - 16 + 1, 0x1'0000'0004ull}) {
        SCOPED_TRACE(count);
        EXPECT_FALSE(out.writeSamples(bytes.data(), count));
        EXPECT_EQ(out.dataSize(), 16u);
    }
    EXPECT_TRUE(out.close());
    EXPECT_EQ(testing::readFile(path).size(), 1040u);
}

TEST(OutputCreate, FailsInMissingFolderAndCreatesNothing)
{
    TempDir dir;
    const auto folder = dir.path() / "missing";
    BwfFile out(folder / "out.wav", 2, 48000, 24, 0);
    EXPECT_FALSE(out.create());
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_TRUE(out.close());
}

std::string localStamp(std::time_t when)
{
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&when));
    return text;
}

TEST(OutputCreate, StampsLocalDateAndHour)
{
    TempDir dir;
    const auto path = dir.path() / "out.wav";
    BwfFile out(path, 2, 48000, 24, 0);
    const std::string before = localStamp(std::time(nullptr));
    ASSERT_TRUE(out.create());
    const std::string after = localStamp(std::time(nullptr));
    out.close();
    const Bytes file = testing::readFile(path);
    ASSERT_EQ(file.size(), 1024u);
    const std::string stamp = textAt(file, 340, 10) + " " + textAt(file, 350, 8);
    // Fixed-width text sorts like time, so this also holds across a minute or day rollover.
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(out.originTime().hour, std::stoi(stamp.substr(11, 2)));
}

TEST(OutputReadBack, OwnOutputIsAcceptedAsTake)
{
    TempDir dir;
    const Bytes samples = testing::pcm16({1, -1, 2, -2, 3, -3});
    {
        BwfFile out(dir.path() / "out.wav", 2, 44100, 16, bigTimeReference);
        ASSERT_TRUE(out.create());
        ASSERT_TRUE(out.writeSamples(samples.data(), samples.size()));
        ASSERT_TRUE(out.close());
    }
    Take take(dir.path(), "out.wav");
    ASSERT_TRUE(take.parse());
    EXPECT_EQ(take.format().channelCount, 2u);
    EXPECT_EQ(take.format().sampleRate, 44100u);
    EXPECT_EQ(take.format().bitsPerSample, 16u);
    EXPECT_EQ(take.timeReference(), bigTimeReference);
    EXPECT_EQ(take.dataStart(), 1024u);
    EXPECT_EQ(take.dataSize(), samples.size());
    EXPECT_NE(take.key(), BwfFile::undatedKey);
}

} // namespace
} // namespace tabrix
