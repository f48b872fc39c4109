// Writes a small demo project: a dozen sine-tone takes on a timeline around 10:00:00, with
// overlaps, a gap, a split recording, one mono take and one take hidden under a newer one, so
// every kind of splice can be heard; and two WAV files that are no takes, so the window has
// something to list as skipped.
#include "RiffBuilder.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tabrix-make-demo <project folder>\n");
        return 2;
    }
    const std::filesystem::path audioFolder = std::filesystem::path(argv[1]) / "Audio Files";
    std::error_code error;
    std::filesystem::create_directories(audioFolder, error);
    if (error) {
        std::fprintf(stderr, "tabrix-make-demo: cannot create %s\n", audioFolder.string().c_str());
        return 1;
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
    std::printf("%s\n", std::filesystem::absolute(argv[1]).string().c_str());
    return 0;
}
