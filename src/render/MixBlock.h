#pragma once
#include "audio/Types.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tabrix {

/// One stereo frame of the working format: the source sample in the top bits of each word.
struct WorkFrame {
    std::int32_t left = 0;
    std::int32_t right = 0;
};

constexpr std::size_t blockFrames = 16384;

/// The working samples of a run.
enum class BlockLayout : std::uint8_t {
    Frames, ///< WorkFrame pairs: the five two-channel layouts at 16 or 24 bit
    Words,  ///< `laneCount` integer words a frame: every track at 16 or 24 bit
    Floats, ///< `laneCount` floats a frame (full scale 1.0): 32-bit float output
};

/// The frames of a rendered block, as the converter reads them: `frames` for the Frames
/// layout, else `laneCount` samples a frame from `words` or `floats`.
struct BlockView {
    const WorkFrame* frames = nullptr;
    const std::int32_t* words = nullptr;
    const float* floats = nullptr;
    std::size_t laneCount = 2;
};

/// The block being rendered. The pair buffer is allocated once with the project; the lane
/// buffers when a run first needs them, and kept.
struct MixBlock {
    MixBlock() : frames(new WorkFrame[blockFrames]) {}

    SamplePos startPosition = 0;  ///< timeline position of frames[0]
    std::uint64_t filled = 0;     ///< frames in the block
    std::unique_ptr<WorkFrame[]> frames;
    std::unique_ptr<std::int32_t[]> words;
    std::unique_ptr<float[]> floats;
    std::size_t wordLanes = 0;    ///< lanes `words` holds
    std::size_t floatLanes = 0;   ///< lanes `floats` holds
    BlockLayout layout = BlockLayout::Frames;
    std::size_t laneCount = 2;
    bool closed = false;          ///< the block ends before it is full
};

} // namespace tabrix
