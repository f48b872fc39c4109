#pragma once
#include "project/ConformProject.h"
#include "render/MixBlock.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <cstdint>
#include <string>
#include <vector>

// Shared by the render tests: synthetic projects, a loop that drives the renderer block by
// block, and a slow per-frame model of what the conform should produce.
namespace tabrix::testing {

/// One take of a synthetic project. Its samples come from `sampleAt`, so every frame differs
/// and a frame taken from the wrong place shows.
struct TakeDef {
    SamplePos start = 0;
    std::uint64_t frames = 0;
    int tfid = -1;                  ///< fill byte of the TFID body; -1 for no TFID chunk
    std::string time = "10:00:00";  ///< recording time: the later one wins an overlap
    std::uint16_t channels = 2;
    std::uint16_t bits = 24;        ///< 16 or 24
};

/// Sample `channel` of `frame` of take `takeIndex`, in the take's own width (full range).
std::int32_t sampleAt(std::size_t takeIndex, std::uint64_t frame, unsigned channel,
                      std::uint16_t bits);
/// The working frame a take's frame becomes: channels 1 and 2 (mono: 1 twice) in the top bits.
WorkFrame sourceFrame(const TakeDef& take, std::size_t takeIndex, std::uint64_t frame);

/// Writes the takes to "<dir>/Audio Files/takeNN.wav" (NN = index) at `rate`.
void writeProject(const TempDir& dir, std::uint32_t rate, const std::vector<TakeDef>& takes);
/// The bytes of one take file.
Bytes takeFileBytes(const TakeDef& take, std::size_t takeIndex, std::uint32_t rate);

/// The frames from the timeline's first start to its last end, and where each block began.
struct Rendered {
    SamplePos from = 0;
    std::vector<WorkFrame> frames;
    std::vector<SamplePos> blockStarts;
};

/// Calls renderBlock the way a conform does, over the loaded project's whole timeline.
Rendered renderTimeline(const ConformProject& project);

/// The reference: lays the takes out frame by frame (newest wins), simulates where blocks end
/// (full, or where a fade-out region would straddle the end), then applies each splice's
/// fades in the order the renderer meets them.
Rendered referenceRender(const std::vector<TakeDef>& takes, std::uint32_t rate);

/// Fade table entry i, straight from the formula.
std::uint32_t tableEntry(std::size_t i);
/// The gain rule: only the top 16 bits of sample and gain take part.
std::int32_t withGain(std::int32_t sample, std::uint32_t gain);

/// The file's data chunk as written by a conform (after the 1024-byte header).
Bytes outputData(const std::filesystem::path& path);
/// Reference conversion of working frames to output bytes (`mode` 0-3; 4 is two calls with
/// 1 and 2).
Bytes convertFrames(const std::vector<WorkFrame>& frames, std::uint16_t bits, int mode);

/// Loads `dir`, conforms into `outPath` and returns run's result (false if a step fails).
bool conform(ConformProject& project, const TempDir& dir, const std::filesystem::path& outPath,
             bool bits24, int mode);

} // namespace tabrix::testing
