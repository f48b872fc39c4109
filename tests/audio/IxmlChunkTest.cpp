#include "audio/BwfFile.h"
#include "audio/IxmlChunk.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tabrix::testing {

namespace {

std::string track(const std::string& channel, const std::string& interleave,
                  const std::string& name = "")
{
    return "<TRACK><CHANNEL_INDEX>" + channel + "</CHANNEL_INDEX><INTERLEAVE_INDEX>" + interleave +
           "</INTERLEAVE_INDEX><NAME>" + name + "</NAME></TRACK>";
}

std::string document(const std::string& tracks, const std::string& rest = "")
{
    return "<?xml version=\"1.0\"?><BWFXML><TRACK_LIST><TRACK_COUNT>9</TRACK_COUNT>" + tracks +
           "</TRACK_LIST>" + rest + "</BWFXML>";
}

Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

std::vector<std::uint32_t> keysOf(const TakeIxml& ixml)
{
    std::vector<std::uint32_t> keys;
    for (const IxmlTrack& t : ixml.tracks)
        keys.push_back(t.key);
    return keys;
}

} // namespace

// Only a list that accounts for every channel exactly once says which track is where.
TEST(IxmlTrackList, MapsInterleavePositionsToChannelIndexesOnlyWhenComplete)
{
    using Keys = std::vector<std::uint32_t>;
    struct Row { const char* name; std::string xml; Keys keys; };
    const Row rows[] = {
        {"in order", document(track("1", "1") + track("2", "2") + track("5", "3")), {1, 2, 5}},
        {"listed out of interleave order",
         document(track("5", "3") + track(" 1 ", "1") + track("2", "2")), {1, 2, 5}},
        {"short", document(track("1", "1") + track("2", "2")), {}},
        {"one too many", document(track("1", "1") + track("2", "2") + track("3", "3") +
                                  track("4", "4")), {}},
        {"repeated interleave index", document(track("1", "1") + track("2", "1") + track("3", "3")),
         {}},
        {"repeated channel index", document(track("1", "1") + track("1", "2") + track("3", "3")),
         {}},
        {"points past the channels", document(track("1", "1") + track("2", "2") + track("3", "4")),
         {}},
        {"not a number", document(track("1", "1") + track("2a", "2") + track("3", "3")), {}},
        {"zero", document(track("0", "1") + track("2", "2") + track("3", "3")), {}},
        {"negative", document(track("1", "1") + track("-2", "2") + track("3", "3")), {}},
        {"another root", "<OTHER><TRACK_LIST>" + track("1", "1") + "</TRACK_LIST></OTHER>", {}},
        {"not XML", "<BWFXML><TRACK_LIST>", {}},
        {"empty", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(keysOf(readIxml(bytesOf(row.xml), 3)), row.keys);
    }
}

TEST(IxmlFields, ReadsNamesSceneTakeRateAndFamilyTrimmed)
{
    const std::string xml = document(track("3", "1", "  Boom ") + track("4", "2", "Lav &amp; 1"),
                                     "<PROJECT>Day</PROJECT><SCENE> 12A </SCENE><TAKE>3</TAKE>"
                                     "<TAPE>T1</TAPE><SPEED><TIMECODE_RATE>30000/1001"
                                     "</TIMECODE_RATE><TIMECODE_FLAG>DF</TIMECODE_FLAG></SPEED>"
                                     "<FILE_SET><FAMILY_UID> ABC </FAMILY_UID></FILE_SET>");
    const TakeIxml ixml = readIxml(bytesOf(xml), 2);
    EXPECT_EQ(ixml.tracks, (std::vector<IxmlTrack>{{3, "Boom"}, {4, "Lav & 1"}}));
    EXPECT_EQ(ixml.scene, "12A");
    EXPECT_EQ(ixml.take, "3");
    EXPECT_EQ(ixml.project, "Day");
    EXPECT_EQ(ixml.tape, "T1");
    EXPECT_EQ(ixml.timecodeRate, "30000/1001");
    EXPECT_EQ(ixml.timecodeFlag, "DF");
    EXPECT_EQ(ixml.familyUid, "ABC");
}

// Recorders write iXML before or after the audio; the first one counts, and a take whose sizes
// were never written has nothing after its audio.
TEST(IxmlChunkPlace, FirstIxmlBeforeOrAfterTheDataIsRead)
{
    const Bytes named = bytesOf(document(track("7", "1", "Mix L") + track("8", "2", "Mix R")));
    const Bytes other = bytesOf(document(track("1", "1") + track("2", "2")));
    const Bytes bext = bextBody({});
    const Bytes fmt = fmtBody({.channels = 2, .bits = 16});
    const Bytes data(8);
    struct Row { const char* name; Bytes file; std::vector<std::uint32_t> keys; };
    const Row rows[] = {
        {"before", RiffBuilder{}.chunk("bext", bext).chunk("iXML", named).chunk("fmt ", fmt)
                       .chunk("data", data).bytes(), {7, 8}},
        {"after", RiffBuilder{}.chunk("bext", bext).chunk("fmt ", fmt).chunk("data", data)
                      .chunk("LIST", Bytes(5)).chunk("iXML", named).bytes(), {7, 8}},
        {"after an odd data chunk", RiffBuilder{}.chunk("bext", bext).chunk("fmt ", fmt)
                                        .chunk("data", Bytes(7)).chunk("iXML", named).bytes(),
         {7, 8}}, // a frame and a stray byte, then the pad byte
        {"before wins", RiffBuilder{}.chunk("bext", bext).chunk("fmt ", fmt).chunk("iXML", named)
                            .chunk("data", data).chunk("iXML", other).bytes(), {7, 8}},
        {"data size never written", RiffBuilder{}.chunk("bext", bext).chunk("fmt ", fmt)
                                        .chunkDeclaring("data", 0, data).chunk("iXML", named)
                                        .bytes(), {1, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        dir.write("t.wav", row.file);
        Take take(dir.path(), "t.wav");
        ASSERT_TRUE(take.parse());
        EXPECT_EQ((std::vector<std::uint32_t>{take.trackKey(0), take.trackKey(1)}), row.keys);
    }
}

} // namespace tabrix::testing
