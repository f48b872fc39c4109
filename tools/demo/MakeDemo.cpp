// Writes a small demo project: a dozen sine-tone takes on a timeline around 10:00:00, with
// overlaps, a gap, a split recording, one mono take and one take hidden under a newer one, so
// every kind of splice can be heard; and two WAV files that are no takes, so the window has
// something to list as skipped.
//
// With --day it writes a shooting day instead, for pictures of the window: about seventy takes
// from 09:12 to the evening with the pauses between them, a lunch break, a recording split
// across two files, a late pickup over the end of a take and a take covered by a newer one.
// Only each take's first seconds hold a tone; the rest is left to the file system as a hole, so
// hours of takes take almost no disk space.
#include "RiffBuilder.h"
#include "audio/ByteOrder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <system_error>
#include <vector>

namespace {

using tabrix::testing::TakeFields;

constexpr std::uint32_t rateHz = 48000;
constexpr std::uint64_t tenOClockFrames = 10ull * 3600 * rateHz;
constexpr double amplitude = 0.4 * 8388607.0; // 24-bit full scale

struct DemoTake {
    const char* name;
    double startSeconds; ///< on the timeline, after 10:00:00
    double lengthSeconds;
    double pitchHz;
    const char* recordedAt; ///< time of day; later recordings win overlaps
    int tfid;               ///< equal values: pieces of one recording
    std::uint16_t channels;
};

// Pitches rise through the project so each splice is audible as a step.
constexpr DemoTake demoTakes[] = {
    {"Scene 1 Take 1.wav", 0.0, 4.0, 220.00, "11:00:00", 1, 2},
    {"Scene 1 Take 2.wav", 3.0, 4.0, 261.63, "11:05:00", 2, 2},   // newer: cuts take 1 short
    {"Scene 1 Take 3.wav", 6.5, 2.5, 293.66, "10:50:00", 3, 2},   // older: loses its start
    // 9 s to 10 s: a gap of silence
    {"Scene 2 Take 1a.wav", 10.0, 4.0, 329.63, "11:10:00", 4, 2},
    {"Scene 2 Take 1b.wav", 14.0, 3.0, 329.63, "11:10:04", 4, 2}, // same recording: no fade
    {"Scene 2 Take 2.wav", 17.0, 3.0, 392.00, "11:20:00", 5, 2},
    {"Scene 3 Take 1.wav", 19.0, 4.0, 440.00, "10:30:00", 6, 2},  // oldest here: trimmed
    {"Scene 3 Pickup.wav", 21.0, 1.0, 523.25, "12:00:00", 7, 2},  // newest: splits take 1
    {"Scene 4 Wild Mono.wav", 23.0, 3.0, 587.33, "11:30:00", 8, 1},
    {"Scene 5 Take 1.wav", 26.0, 3.0, 659.25, "11:40:00", 9, 2},
    {"Scene 5 Take 1 Alt.wav", 26.5, 1.5, 698.46, "11:35:00", 12, 2}, // covered: plays nowhere
    {"Scene 5 Take 2.wav", 28.5, 2.5, 783.99, "11:45:00", 10, 2},
    {"Scene 6 Take 1.wav", 31.0, 3.0, 880.00, "11:50:00", 11, 2},
};

std::uint64_t frames(double seconds) { return static_cast<std::uint64_t>(seconds * rateHz); }

// Phase follows the timeline position, so the two pieces of one recording join seamlessly.
tabrix::testing::Bytes toneSamples(const DemoTake& take)
{
    const std::uint64_t first = frames(take.startSeconds);
    const std::uint64_t count = frames(take.lengthSeconds);
    std::vector<std::int32_t> samples;
    samples.reserve(count * take.channels);
    for (std::uint64_t i = 0; i < count; ++i) {
        const double t = double(first + i) / rateHz;
        const double value = amplitude * std::sin(2.0 * std::numbers::pi * take.pitchHz * t);
        for (std::uint16_t c = 0; c < take.channels; ++c)
            samples.push_back(static_cast<std::int32_t>(c == 0 ? value : 0.8 * value));
    }
    return tabrix::testing::pcm(24, samples);
}

// --- the shooting day ---

struct DayTake {
    std::string name;
    std::uint64_t startSeconds;    ///< time of day
    std::uint64_t lengthSeconds;
    std::uint64_t recordedSeconds; ///< time of day it was recorded; later wins overlaps
    int tfid;
    std::string scene = {};        ///< as the recorder's iXML names it
    std::string takeNumber = {};
};

constexpr std::uint64_t toneSeconds = 3;

std::string clockOf(std::uint64_t seconds)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned(seconds / 3600 % 24),
                  unsigned(seconds / 60 % 60), unsigned(seconds % 60));
    return text;
}

// The same day every time: a fixed sequence stands in for the day's chance.
std::vector<DayTake> dayTakes()
{
    std::uint32_t state = 20240501;
    const auto next = [&state](std::uint32_t low, std::uint32_t high) {
        state = state * 1103515245u + 12345u;
        return low + (state >> 16) % (high - low + 1);
    };
    std::vector<DayTake> takes;
    std::uint64_t at = 9 * 3600 + 12 * 60;
    bool lunch = false;
    int tfid = 1;
    for (int scene = 1; scene <= 18; ++scene) {
        if (!lunch && at >= 13 * 3600) {
            at = 14 * 3600 + 5 * 60;
            lunch = true;
        }
        const std::uint32_t takeCount = next(3, 6);
        for (std::uint32_t take = 1; take <= takeCount; ++take) {
            const std::uint64_t length = next(60, 320);
            const std::string name = "Scene " + std::to_string(scene) + " Take " +
                                     std::to_string(take);
            const std::string sceneText = std::to_string(scene), takeText = std::to_string(take);
            if (scene == 4 && take == 2) {
                // A long take the recorder split into two files: one recording, no fade.
                const std::uint64_t first = length + 240;
                takes.push_back({name + "_1.wav", at, first, at, tfid, sceneText, takeText});
                takes.push_back({name + "_2.wav", at + first, 200, at + first, tfid++, sceneText,
                                 takeText});
                at += first + 200 + next(15, 60);
                continue;
            }
            takes.push_back({name + ".wav", at, length, at, tfid++, sceneText, takeText});
            if (scene == 9 && take == 1) // recorded on a second machine, and never used
                takes.push_back({name + " Alt.wav", at + 10, length - 20, at - 600, tfid++,
                                 sceneText, takeText});
            if (scene == 7 && take == 2) // a pickup recorded in the evening over its end
                takes.push_back({"Scene 7 Pickup.wav", at + length - 30, 55, 18 * 3600, tfid++,
                                 "7PU", "1"});
            at += length + next(15, 60);
        }
        at += next(2, 8) * 60;
    }
    return takes;
}

// A take whose data chunk declares all of its frames while only the first seconds are
// written; the file is then extended to its full length, which leaves a hole, not zeros on
// disk.
bool writeDayTake(const std::filesystem::path& folder, const DayTake& take, int index)
{
    constexpr std::uint16_t channels = 2;
    constexpr std::uint32_t frameBytes = 3 * channels;
    const std::uint64_t fullBytes = take.lengthSeconds * rateHz * frameBytes;
    const DemoTake tone{"", 0.0, double(std::min(toneSeconds, take.lengthSeconds)),
                        220.0 * std::pow(2.0, (index % 24) / 12.0), "", 0, channels};
    TakeFields fields;
    fields.timeReference = take.startSeconds * rateHz;
    fields.date = "2024-05-01";
    fields.time = clockOf(take.recordedSeconds);
    fields.tfid = take.tfid;
    fields.data = toneSamples(tone);
    tabrix::testing::Bytes bytes = tabrix::testing::takeBytes(fields);
    const std::size_t dataHeader = bytes.size() - fields.data.size() - 8;
    tabrix::storeU32le(&bytes[dataHeader + 4], static_cast<std::uint32_t>(fullBytes));
    tabrix::storeU32le(&bytes[4], static_cast<std::uint32_t>(dataHeader + fullBytes));
    // The recorder's iXML follows the audio: scene, take and the day's timecode rate.
    const std::string ixml = "<?xml version=\"1.0\"?><BWFXML><PROJECT>Demo Day</PROJECT><SCENE>" +
                             take.scene + "</SCENE><TAKE>" + take.takeNumber +
                             "</TAKE><TAPE>Day 1</TAPE><SPEED><TIMECODE_RATE>25/1</TIMECODE_RATE>"
                             "<TIMECODE_FLAG>NDF</TIMECODE_FLAG></SPEED></BWFXML>";
    const tabrix::testing::Bytes chunk = tabrix::testing::RiffBuilder{}
                                             .chunk("iXML", tabrix::testing::Bytes(ixml.begin(), ixml.end()))
                                             .bytes();
    const std::uint64_t fileBytes = dataHeader + 8 + fullBytes + (chunk.size() - 12);
    tabrix::storeU32le(&bytes[4], static_cast<std::uint32_t>(fileBytes - 8));
    const std::filesystem::path path = folder / take.name;
    tabrix::testing::writeFile(path, bytes);
    std::error_code error;
    std::filesystem::resize_file(path, dataHeader + 8 + fullBytes, error);
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(chunk.data() + 12), std::streamsize(chunk.size() - 12));
    return !error && std::filesystem::file_size(path, error) == fileBytes;
}

int writeDay(const std::filesystem::path& audioFolder)
{
    int index = 0;
    for (const DayTake& take : dayTakes())
        if (!writeDayTake(audioFolder, take, index++)) {
            std::fprintf(stderr, "tabrix-make-demo: cannot write %s\n", take.name.c_str());
            return 1;
        }
    const tabrix::testing::FmtFields memo{.tag = 85, .channels = 1, .rate = 44100, .bits = 0};
    tabrix::testing::writeFile(audioFolder / "Phone Memo.wav",
                               tabrix::testing::RiffBuilder{}
                                   .chunk("fmt ", tabrix::testing::fmtBody(memo))
                                   .chunk("data", tabrix::testing::Bytes(4000, 0x55))
                                   .bytes());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool day = argc == 3 && std::string(argv[1]) == "--day";
    if (argc != 2 && !day) {
        std::fprintf(stderr, "usage: tabrix-make-demo [--day] <project folder>\n");
        return 2;
    }
    const std::filesystem::path project = argv[argc - 1];
    const std::filesystem::path audioFolder = project / "Audio Files";
    std::error_code error;
    std::filesystem::create_directories(audioFolder, error);
    if (error) {
        std::fprintf(stderr, "tabrix-make-demo: cannot create %s\n", audioFolder.string().c_str());
        return 1;
    }
    if (day) {
        const int status = writeDay(audioFolder);
        if (status == 0)
            std::printf("%s\n", std::filesystem::absolute(project).string().c_str());
        return status;
    }
    for (const DemoTake& take : demoTakes) {
        TakeFields fields;
        fields.timeReference = tenOClockFrames + frames(take.startSeconds);
        fields.date = "2024-05-01";
        fields.time = take.recordedAt;
        fields.channels = take.channels;
        fields.rate = rateHz;
        fields.bits = 24;
        fields.tfid = take.tfid;
        fields.data = toneSamples(take);
        const auto bytes = tabrix::testing::takeBytes(fields);
        tabrix::testing::writeFile(audioFolder / take.name, bytes);
        // The writer reports nothing itself; a short or missing file shows in its size.
        if (std::filesystem::file_size(audioFolder / take.name, error) != bytes.size() || error) {
            std::fprintf(stderr, "tabrix-make-demo: cannot write %s\n", take.name);
            return 1;
        }
    }
    // Not takes: a slate marker without audio and a compressed phone memo.
    tabrix::testing::TakeFields slate;
    slate.timeReference = tenOClockFrames;
    tabrix::testing::writeFile(audioFolder / "Slate.wav", tabrix::testing::takeBytes(slate));
    const tabrix::testing::FmtFields memo{.tag = 85, .channels = 1, .rate = 44100, .bits = 0};
    tabrix::testing::writeFile(audioFolder / "Phone Memo.wav",
                               tabrix::testing::RiffBuilder{}
                                   .chunk("fmt ", tabrix::testing::fmtBody(memo))
                                   .chunk("data", tabrix::testing::Bytes(4000, 0x55))
                                   .bytes());
    std::printf("%s\n", std::filesystem::absolute(project).string().c_str());
    return 0;
}
