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

/// The block being rendered; its buffer is allocated once with the project.
struct MixBlock {
    MixBlock() : frames(new WorkFrame[blockFrames]) {}

    SamplePos startPosition = 0;  ///< timeline position of frames[0]
    std::uint64_t filled = 0;     ///< frames in the block
    std::unique_ptr<WorkFrame[]> frames;
    bool closed = false;          ///< the block ends before it is full
};

} // namespace tabrix
