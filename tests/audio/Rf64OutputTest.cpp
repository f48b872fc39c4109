// Outputs whose planned data passes what a RIFF header can describe are written as RF64; all
// others keep the RIFF header byte for byte.
#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#if TABRIX_TEST_SNDFILE
#include <sndfile.h>
#endif

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

constexpr SamplePos timeReference = (SamplePos(1) << 32) + 5;

std::string id(const Bytes& file, std::size_t at)
{
    return std::string(file.begin() + long(at), file.begin() + long(at) + 4);
}

// 24-bit mono at 48 kHz planned to hold `plannedBytes` followed by a chunk of
// `trailerBytes` (header included), closed after `written` bytes.
Bytes writeOutput(const TempDir& dir, std::uint64_t plannedBytes, std::size_t written,
                  bool* rf64 = nullptr, std::size_t trailerBytes = 0)
{
    BwfFile out(dir.path() / "out.wav", 1, 48000, 24, timeReference, plannedBytes);
    if (trailerBytes != 0) {
        Bytes chunk = {'n', 'o', 't', 'e'};
        for (int shift = 0; shift < 32; shift += 8)
            chunk.push_back(std::uint8_t((trailerBytes - 8) >> shift));
        chunk.resize(trailerBytes, 0x33);
        out.setTrailingChunks(chunk);
    }
    EXPECT_TRUE(out.create());
    if (rf64 != nullptr)
        *rf64 = out.writesRf64();
    const Bytes samples(written, 0x5A);
    EXPECT_TRUE(samples.empty() || out.writeSamples(samples.data(), samples.size()));
    EXPECT_EQ(out.close(), written != 0);
    return readFile(dir.path() / "out.wav");
}

#if TABRIX_TEST_SNDFILE
struct SoundFile {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> handle{nullptr, sf_close};
    explicit SoundFile(const std::filesystem::path& path)
        : handle(sf_open(path.c_str(), SFM_READ, &info), sf_close)
    {
    }
};
#endif

} // namespace

TEST(Rf64Output, FormIsChosenByThePlannedSizeAndHeaderHoldsEachFieldAtItsOffset)
{
    TempDir dir;
    struct Case { std::uint64_t planned; std::size_t written; bool rf64; std::size_t trailer = 0; };
    const Case cases[] = {
        {maxRiffDataBytes, 9, false}, {maxRiffDataBytes + 1, 9, true},
        {maxRiffDataBytes + 1, 0, true}, // cancelled before the first block: sizes stay 0
        {0, 9, false},
        // Chunks after the audio take the RIFF size to 2^32 - 1 exactly, or one word past it.
        {maxRiffDataBytes - 100, 9, false, 100}, {maxRiffDataBytes - 100, 9, true, 102},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.planned << " " << c.written << " " << c.trailer);
        bool rf64 = false;
        const Bytes file = writeOutput(dir, c.planned, c.written, &rf64, c.trailer);
        EXPECT_EQ(rf64, c.rf64);
        const std::size_t padBytes = c.written % 2; // after odd data, in the RIFF size only
        const std::size_t trailer = c.written == 0 ? 0 : c.trailer; // only after samples
        ASSERT_EQ(file.size(), 1024 + c.written + padBytes + trailer); // samples at 1024
        if (trailer != 0) {
            EXPECT_EQ(id(file, 1024 + c.written + padBytes), "note");
        }
        const std::uint64_t riffBytes = c.written == 0 ? 0 : file.size() - 8;
        if (!c.rf64) {
            EXPECT_EQ(id(file, 0) + id(file, 12) + id(file, 938), "RIFFbextPAD ");
            EXPECT_EQ(loadU32le(&file[4]), riffBytes);
            EXPECT_EQ(loadU32le(&file[1020]), c.written);
            continue;
        }
        EXPECT_EQ(id(file, 0) + id(file, 8) + id(file, 12) + id(file, 974) + id(file, 1016),
                  "RF64WAVEds64PAD data");
        EXPECT_EQ(loadU32le(&file[4]), 0xFFFF'FFFFu);
        EXPECT_EQ(loadU32le(&file[16]), 28u);
        EXPECT_EQ(loadU64le(&file[20]), riffBytes);
        EXPECT_EQ(loadU64le(&file[28]), c.written);
        EXPECT_EQ(loadU64le(&file[36]), c.written / 3); // frames
        EXPECT_EQ(loadU32le(&file[44]), 0u);            // no table
        EXPECT_EQ(loadU32le(&file[978]), 34u);
        EXPECT_TRUE(std::all_of(&file[982], &file[1016], [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(loadU32le(&file[1020]), 0xFFFF'FFFFu);
        // bext, fmt and TFID are the RIFF header's bytes 12 to 937 moved 36 bytes up.
        BwfFile same(dir.path() / "riff.wav", 1, 48000, 24, timeReference);
        ASSERT_TRUE(same.create());
        same.close();
        Bytes riff = readFile(dir.path() / "riff.wav");
        std::copy_n(&file[48 + 328], 18, &riff[12 + 328]); // the two files' creation stamps
        EXPECT_TRUE(std::equal(&file[48], &file[974], &riff[12]));
        if (c.written == 0)
            continue;
        Take take(dir.path(), "out.wav");
        ASSERT_TRUE(take.parse());
        EXPECT_EQ(take.dataSize(), c.written);
        EXPECT_EQ(take.timeReference(), timeReference);
#if TABRIX_TEST_SNDFILE
        SoundFile read(dir.path() / "out.wav");
        ASSERT_NE(read.handle, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(read.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
        EXPECT_EQ(read.info.frames, 3);
        SF_BROADCAST_INFO bext{};
        ASSERT_EQ(sf_command(read.handle.get(), SFC_GET_BROADCAST_INFO, &bext, sizeof bext),
                  SF_TRUE);
        EXPECT_EQ(bext.time_reference_low, 5u);
        EXPECT_EQ(bext.time_reference_high, 1u);
#endif
    }
}

#if TABRIX_TEST_SNDFILE
// The 64-bit sizes as the header states them for 5 GiB of data, read by the library from a
// sparse file of that length.
TEST(Rf64Output, HeaderForMoreThanFourGiBOpensWithItsFrameCount)
{
    constexpr std::uint64_t dataBytes = 5ull << 30;
    BwfHeader header;
    header.format.format.setFormat(2, 16, 48000);
    header.bext.setTimeReference(timeReference);
    header.riffSize = 1016 + dataBytes;
    header.dataSize = dataBytes;
    const auto image = header.rf64Image();
    TempDir dir;
    const auto path = dir.write("big.wav", Bytes(image.begin(), image.end()));
    std::error_code error;
    std::filesystem::resize_file(path, 1024 + dataBytes, error);
    if (error)
        GTEST_SKIP() << "no 5 GiB sparse file here: " << error.message();
    EXPECT_EQ(loadU64le(&image[36]), dataBytes / 4);
    SoundFile file(path);
    ASSERT_NE(file.handle, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(file.info.frames, sf_count_t(dataBytes / 4));
    EXPECT_EQ(file.info.channels, 2);
}
#endif
