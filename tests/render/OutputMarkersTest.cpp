#include "audio/ByteOrder.h"

#include "ConformFixture.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#if TABRIX_TEST_SNDFILE
#include <sndfile.h>
#endif

#include <memory>
#include <string>
#include <vector>

namespace tabrix::testing {

namespace {

struct Marker {
    std::uint32_t name = 0, position = 0;
    std::string label, note;
    bool operator==(const Marker&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Marker& m)
{
    return out << m.name << "@" << m.position << " " << m.label << " / " << m.note;
}

std::string textAt(const Bytes& body, std::size_t at, std::size_t size)
{
    std::string text(body.begin() + long(at), body.begin() + long(at + size));
    EXPECT_EQ(text.back(), '\0');
    return text.substr(0, text.find('\0'));
}

// The cue points, with the label and note the adtl list gives each, as a reader would pair
// them up: by dwName.
std::vector<Marker> markersOf(const WrittenWav& wav)
{
    const Bytes cue = wav.chunk("cue ");
    const Bytes list = wav.chunk("LIST");
    std::vector<Marker> markers;
    if (cue.size() < 4 || list.size() < 4)
        return markers;
    const std::uint32_t count = loadU32le(&cue[0]);
    EXPECT_EQ(cue.size(), 4 + 24 * std::size_t(count));
    for (std::uint32_t i = 0; i < count && 4 + 24 * (i + 1) <= cue.size(); ++i) {
        const std::uint8_t* point = &cue[4 + 24 * i];
        EXPECT_EQ(std::string(point + 8, point + 12), "data");
        EXPECT_EQ(loadU32le(point + 12), 0u);                   // dwChunkStart
        EXPECT_EQ(loadU32le(point + 16), 0u);                   // dwBlockStart
        EXPECT_EQ(loadU32le(point + 20), loadU32le(point + 4)); // dwSampleOffset
        markers.push_back({loadU32le(point), loadU32le(point + 4), {}, {}});
    }
    EXPECT_EQ(std::string(list.begin(), list.begin() + 4), "adtl");
    for (std::size_t at = 4; at + 12 <= list.size();) {
        const std::string id(list.begin() + long(at), list.begin() + long(at) + 4);
        const std::uint32_t size = loadU32le(&list[at + 4]);
        const std::uint32_t name = loadU32le(&list[at + 8]);
        const std::string text = textAt(list, at + 12, size - 4);
        for (Marker& m : markers)
            if (m.name == name)
                (id == "labl" ? m.label : m.note) = text;
        EXPECT_TRUE(id == "labl" || id == "note") << id;
        at += 8 + size + size % 2;
    }
    return markers;
}

constexpr SamplePos tenHours = 10ull * 3600 * 48000;

// A cut into two by a newer take, B over A's tail, C wholly under B, D after a gap: each
// segment gets a marker, C none. Labels come from scene and take where the iXML has both.
const std::vector<TakeDef> day = {
    {.start = tenHours,
     .frames = 40000,
     .keys = {1, 2},
     .names = {"Boom", "Lav"},
     .scene = "12A",
     .takeNumber = "3",
     .project = "Day 4",
     .tape = "T1"},
    {.start = tenHours + 5000, .frames = 1000, .time = "12:00:00"},
    {.start = tenHours + 20000, .frames = 30000, .time = "11:00:00", .project = "Day 4"},
    {.start = tenHours + 25000,
     .frames = 2000,
     .time = "10:30:00",
     .scene = "C",
     .takeNumber = "9"},
    {.start = tenHours + 70000,
     .frames = 5000,
     .time = "09:00:00",
     .scene = "12B",
     .takeNumber = "1",
     .tape = "T2",
     .timecodeRate = "25/1",
     .timecodeFlag = "NDF"},
};

const std::vector<Marker> dayMarkers = {
    {1, 0, "12A T3", "take100.wav"},     {2, 5000, "take101", "take101.wav"},
    {3, 6000, "12A T3", "take100.wav"},  {4, 20000, "take102", "take102.wav"},
    {5, 70000, "12B T1", "take104.wav"},
};

struct IxmlTrack {
    int channel = 0, interleave = 0;
    std::string name;
    bool operator==(const IxmlTrack&) const = default;
};

std::ostream& operator<<(std::ostream& out, const IxmlTrack& t)
{
    return out << t.channel << "/" << t.interleave << " " << t.name;
}

std::vector<IxmlTrack> tracksOf(const pugi::xml_node& root)
{
    std::vector<IxmlTrack> tracks;
    for (const pugi::xml_node track : root.child("TRACK_LIST").children("TRACK"))
        tracks.push_back({track.child("CHANNEL_INDEX").text().as_int(),
                          track.child("INTERLEAVE_INDEX").text().as_int(),
                          track.child("NAME").text().as_string()});
    return tracks;
}

} // namespace

// Every file of every layout carries iXML, cue and adtl after its audio, in that order, with
// a marker per segment and the tracks of that file.
TEST(OutputMarkers, EveryFileOfEveryLayoutCarriesIxmlAndAMarkerPerSegment)
{
    struct Case {
        int mode;
        std::vector<std::string> files;
        std::vector<std::vector<IxmlTrack>> tracks; // per file
    };
    const Case cases[] = {
        {0, {"L.wav"}, {{{1, 1, "L"}, {2, 2, "R"}}}},
        {4, {"L.wav", "R.wav"}, {{{1, 1, "L"}}, {{1, 1, "R"}}}},
        {5, {"L.wav"}, {{{1, 1, "Boom"}, {2, 2, "Lav"}}}},
        {6, {"T1.wav", "T2.wav"}, {{{1, 1, "Boom"}}, {{2, 1, "Lav"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ConformScene scene;
        ASSERT_TRUE(scene.prepare(day, true, c.mode));
        ASSERT_TRUE(scene.project.run(scene.progress));
        for (std::size_t f = 0; f < c.files.size(); ++f) {
            SCOPED_TRACE(c.files[f]);
            const WrittenWav wav = readWrittenWav(scene.out(c.files[f]));
            EXPECT_TRUE(wav.wellFormed);
            EXPECT_EQ(wav.trailingIds(), (std::vector<std::string>{"iXML", "cue ", "LIST"}));
            EXPECT_EQ(markersOf(wav), dayMarkers);

            const Bytes ixml = wav.chunk("iXML");
            pugi::xml_document document;
            ASSERT_TRUE(document.load_buffer(ixml.data(), ixml.size()));
            const pugi::xml_node root = document.child("BWFXML");
            EXPECT_GE(root.child("IXML_VERSION").text().as_double(), 1.61);
            EXPECT_STREQ(root.child_value("PROJECT"), "Day 4"); // every take that says agrees
            EXPECT_STREQ(root.child_value("TAPE"), "");         // T1 and T2 disagree
            EXPECT_STREQ(root.child_value("SCENE"), "");
            EXPECT_STREQ(root.child_value("TAKE"), "");
            const pugi::xml_node speed = root.child("SPEED");
            EXPECT_STREQ(speed.child_value("TIMECODE_RATE"), "25/1"); // of the first take with one
            EXPECT_STREQ(speed.child_value("TIMECODE_FLAG"), "NDF");
            EXPECT_EQ(speed.child("FILE_SAMPLE_RATE").text().as_uint(), 48000u);
            EXPECT_EQ(speed.child("TIMESTAMP_SAMPLE_RATE").text().as_uint(), 48000u);
            EXPECT_EQ(speed.child("TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI").text().as_ullong(), 0u);
            EXPECT_EQ(speed.child("TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO").text().as_ullong(),
                      tenHours);
            EXPECT_EQ(root.child("TRACK_LIST").child("TRACK_COUNT").text().as_uint(),
                      c.tracks[f].size());
            EXPECT_EQ(tracksOf(root), c.tracks[f]);
        }
    }
}

// A cancelled run's file keeps the markers of the frames it holds, and no other.
TEST(OutputMarkers, ACancelledFileKeepsTheMarkersInsideItsFrames)
{
    ConformScene scene;
    ASSERT_TRUE(scene.prepare(day, true, 4));
    scene.project.setBlockObserver([&scene](std::uint64_t written) {
        if (written == 2)
            scene.project.requestCancel();
    });
    ASSERT_TRUE(scene.project.run(scene.progress));
    for (const char* name : {"L.wav", "R.wav"}) {
        SCOPED_TRACE(name);
        const WrittenWav wav = readWrittenWav(scene.out(name));
        EXPECT_TRUE(wav.wellFormed);
        const std::uint64_t held = wav.dataBytes / 3;
        ASSERT_LT(held, 70000u) << "the cancel came too late to show anything";
        std::vector<Marker> inside;
        for (const Marker& m : dayMarkers)
            if (m.position < held)
                inside.push_back(m);
        EXPECT_EQ(markersOf(wav), inside);
    }
}

// Scene and take characters XML must escape come back as they were; a label needs both.
TEST(OutputMarkers, LabelsAndIxmlKeepTextThatNeedsEscaping)
{
    const std::vector<TakeDef> takes = {
        {.frames = 3000,
         .scene = "5&amp;6 &lt;b&gt;",
         .takeNumber = "2",
         .project = "Rock &amp; Roll"},
        {.start = 3000, .frames = 3000, .scene = "7"}, // no take number: the file name
    };
    ConformScene scene;
    ASSERT_TRUE(scene.prepare(takes, false, 1));
    ASSERT_TRUE(scene.project.run(scene.progress));
    const WrittenWav wav = readWrittenWav(scene.out("L.wav"));
    EXPECT_EQ(markersOf(wav), (std::vector<Marker>{{1, 0, "5&6 <b> T2", "take100.wav"},
                                                   {2, 3000, "take101", "take101.wav"}}));
    const Bytes ixml = wav.chunk("iXML");
    pugi::xml_document document;
    ASSERT_TRUE(document.load_buffer(ixml.data(), ixml.size()));
    EXPECT_STREQ(document.child("BWFXML").child_value("PROJECT"), "Rock & Roll");
    EXPECT_STREQ(document.child("BWFXML").child("SPEED").child_value("TIMECODE_RATE"), "");
}

#if TABRIX_TEST_SNDFILE
// An independent reader finds the audio and the markers where they are.
TEST(OutputMarkers, AnIndependentReaderSeesTheMarkers)
{
    ConformScene scene;
    ASSERT_TRUE(scene.prepare(day, true, 0));
    ASSERT_TRUE(scene.project.run(scene.progress));
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> sound(
        sf_open(scene.out("L.wav").c_str(), SFM_READ, &info), sf_close);
    ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.frames, 75000);
    std::uint32_t count = 0;
    ASSERT_EQ(sf_command(sound.get(), SFC_GET_CUE_COUNT, &count, sizeof count), SF_TRUE);
    ASSERT_EQ(count, dayMarkers.size());
    SF_CUES cues{};
    ASSERT_EQ(sf_command(sound.get(), SFC_GET_CUE, &cues, sizeof cues), SF_TRUE);
    for (std::size_t i = 0; i < dayMarkers.size(); ++i) {
        EXPECT_EQ(cues.cue_points[i].indx, std::int32_t(dayMarkers[i].name));
        EXPECT_EQ(cues.cue_points[i].position, dayMarkers[i].position);
        EXPECT_EQ(cues.cue_points[i].sample_offset, dayMarkers[i].position);
    }
}
#endif

} // namespace tabrix::testing
