// Takes as field recorders and editors really write them: other date separators, RF64/BW64
// headers, and takes left behind by a recorder that lost power.
#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"
#include "audio/TakeList.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tabrix;
using namespace tabrix::testing;

TEST(OriginationText, AcceptsAnyNonDigitSeparator)
{
    struct Case { const char* date; const char* time; bool dated; CalendarTime expected; };
    // CalendarTime is second, minute, hour, day, month, year. TakeOrder sorts by the other
    // date separators.
    const Case cases[] = {
        {"2019-01-02", "13:36:16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019_01_02", "13 36 16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019 01 02", "13-36-16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019-1-2  ", "1:2:3   ", true, {3, 2, 1, 2, 1, 2019}},   // short fields as before
        {"2019-01-- ", "13:36   ", false, {0, 36, 13, 0, 1, 2019}}, // two separators in a row
        {"20190102  ", "133616  ", false, {0, 0, 13, 0, 0, 2019}},  // a digit is no separator
        {"          ", "        ", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        BextChunk bext;
        const std::string text = std::string(c.date) + c.time;
        std::copy(text.begin(), text.end(), bext.body.begin() + BextChunk::dateOffset);
        CalendarTime parsed;
        EXPECT_EQ(bext.parseOrigination(parsed), c.dated);
        EXPECT_EQ(parsed, c.expected);
    }
}

namespace {

// Stereo 24-bit: 6-byte frames. `audio` holds two frames and a 4-byte partial one.
const Bytes fmt24 = fmtBody({.channels = 2, .bits = 24});
const Bytes audio = constantFrames(2, 24, 2, 0x10, /*ramp*/ true);
const Bytes audioAndPartial = [] {
    Bytes bytes = audio;
    bytes.insert(bytes.end(), {1, 2, 3, 4});
    return bytes;
}();

// A RIFF file whose data chunk declares `dataDeclared` and holds `body`, then `after` chunks.
struct Layout {
    std::string riffId = "RIFF";
    Bytes ds64{};          ///< the first chunk when not empty
    std::uint32_t ds64Declared = 0; ///< 0: the body's own size
    bool ds64AfterFmt = false;
    std::uint32_t dataDeclared = 0xFFFF'FFFF;
    Bytes body = audio;
    bool iXmlAfter = false;
};

Bytes build(const Layout& l)
{
    RiffBuilder riff;
    const auto addDs64 = [&] {
        if (l.ds64Declared != 0)
            riff.chunkDeclaring("ds64", l.ds64Declared, l.ds64);
        else
            riff.chunk("ds64", l.ds64);
    };
    if (!l.ds64.empty() && !l.ds64AfterFmt)
        addDs64();
    riff.chunk("bext", bextBody({.timeReference = 48000}));
    riff.chunk("fmt ", fmt24);
    if (!l.ds64.empty() && l.ds64AfterFmt)
        addDs64();
    riff.chunkDeclaring("data", l.dataDeclared, l.body);
    if (l.iXmlAfter)
        riff.chunk("iXML", Bytes(40, '<'));
    const Bytes bytes = riff.bytes();
    return l.riffId == "RIFF" ? bytes : withRiffId(bytes, l.riffId);
}

Bytes cut(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

void expectTake(const char* name, const Bytes& file, TakeProblem problem, std::uint64_t dataBytes)
{
    SCOPED_TRACE(name);
    TempDir dir;
    dir.write("t.wav", file);
    Take take(dir.path(), "t.wav");
    ASSERT_EQ(take.parse(), problem == TakeProblem::None);
    EXPECT_EQ(take.rejection().problem, problem);
    if (problem != TakeProblem::None)
        return;
    EXPECT_EQ(take.dataSize(), dataBytes);
    EXPECT_EQ(take.timeReference(), 48000u);
    Bytes into(dataBytes);
    std::uint64_t bytesRead = 0;
    ASSERT_TRUE(take.readSamples(into.data(), 0, dataBytes, bytesRead));
    EXPECT_EQ(into, Bytes(audio.begin(), audio.begin() + long(dataBytes)));
}

} // namespace

// Each accepted take must deliver exactly the frames it claims, from the right place.
TEST(Rf64Take, TakesItsDataSizeFromDs64OnlyWhereTheDataChunkDefersToIt)
{
    using enum TakeProblem;
    const Bytes ds64 = ds64Body(0, audio.size(), 2);
    struct Case { const char* name; Bytes file; TakeProblem problem; std::uint64_t dataBytes; };
    const Case cases[] = {
        {"RF64, iXML after the data", build({.riffId = "RF64", .ds64 = ds64, .iXmlAfter = true}),
         None, 12},
        {"BW64 with a table entry", build({.riffId = "BW64", .ds64 = ds64Body(0, 12, 2, {"iXML"}),
                                           .iXmlAfter = true}), None, 12},
        {"data chunk's own size wins", build({.riffId = "RF64", .ds64 = ds64Body(0, 999, 166),
                                              .dataDeclared = 6, .iXmlAfter = true}), None, 6},
        {"ds64 size past the end", build({.riffId = "RF64", .ds64 = ds64Body(0, 1 << 20, 0),
                                          .body = audioAndPartial}), None, 12},
        {"ds64 data size 0: power loss", build({.riffId = "RF64", .ds64 = ds64Body(0, 0, 0),
                                                .body = audioAndPartial}), None, 12},
        // Not where a ds64 belongs, or too short: skipped, so the data runs to the end.
        {"ds64 after fmt", build({.ds64 = ds64Body(0, 6, 1), .ds64AfterFmt = true}), None, 12},
        {"ds64 of 24 bytes", build({.ds64 = cut(ds64Body(0, 6, 1), 24)}), None, 12},
        {"ds64 table past the end", build({.riffId = "RF64", .ds64 = ds64,
                                           .ds64Declared = 0xFFFF'FF00}), NoData, 0},
        {"ds64 cut off", cut(build({.ds64 = ds64}), 40), Damaged, 0},
    };
    for (const Case& c : cases)
        expectTake(c.name, c.file, c.problem, c.dataBytes);
}

// A recorder that lost power leaves the sizes at 0 although the audio is on the card.
TEST(PowerLossTake, PlaysEveryWholeFrameToTheEndOfTheFile)
{
    using enum TakeProblem;
    Bytes riffSizeZero = build({.dataDeclared = 0});
    std::fill_n(riffSizeZero.begin() + 4, 4, 0);
    struct Case { const char* name; Bytes file; TakeProblem problem; std::uint64_t dataBytes; };
    const Case cases[] = {
        {"data size 0", build({.dataDeclared = 0}), None, 12},
        {"data and RIFF size 0", riffSizeZero, None, 12},
        {"data size 0, partial frame", build({.dataDeclared = 0, .body = audioAndPartial}), None,
         12},
        {"0xFFFFFFFF without ds64", build({.body = audioAndPartial}), None, 12},
        {"data size 0, no whole frame", build({.dataDeclared = 0, .body = {1, 2, 3, 4, 5}}),
         NoFrames, 0},
        {"data size 0, nothing at all", build({.dataDeclared = 0, .body = {}}), NoFrames, 0},
    };
    for (const Case& c : cases)
        expectTake(c.name, c.file, c.problem, c.dataBytes);
}

// Positions and sizes past 2 and 4 GiB must not pass through 32 bits. The files are sparse.
TEST(LargeTake, ReadsPastTwoAndFourGiB)
{
    struct Case { const char* name; Bytes head; std::uint64_t dataBytes, mark; };
    const Case cases[] = {
        {"WAVE", RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmtBody({.bits = 16}))
                     .chunkDeclaring("data", 0xFFFF'0000u, {}).bytes(),
         0xFFFF'0000u, 0x8000'0000ull + 12},
        {"RF64", withRiffId(RiffBuilder{}
                                .chunk("ds64", ds64Body(0, 0x1'4000'0000ull, 0x5000'0000ull))
                                .chunk("bext", bextBody({}))
                                .chunk("fmt ", fmtBody({.channels = 2, .bits = 16}))
                                .chunkDeclaring("data", sizeInDs64, {})
                                .bytes(), "RF64"),
         0x1'4000'0000ull, 0x1'0000'0000ull + 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto path = dir.write("big.wav", c.head);
        std::error_code error;
        std::filesystem::resize_file(path, c.head.size() + c.dataBytes, error);
        if (error)
            GTEST_SKIP() << "no large sparse file here: " << error.message();
        std::fstream(path, std::ios::in | std::ios::out | std::ios::binary)
            .seekp(std::streamoff(c.head.size() + c.mark)).put(char(0xA5));
        Take take(dir.path(), "big.wav");
        ASSERT_TRUE(take.parse());
        EXPECT_EQ(take.dataSize(), c.dataBytes);
        std::array<std::uint8_t, 2> into{9, 9};
        std::uint64_t bytesRead = 0;
        ASSERT_TRUE(take.readSamples(into.data(), c.mark - 1, 2, bytesRead));
        EXPECT_EQ(into, (std::array<std::uint8_t, 2>{0, 0xA5})); // a sparse zero, then the mark
    }
}
