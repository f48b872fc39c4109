#pragma once
#include <cstdint>

namespace tabrix {

/// Byte-shuffle loops for the hot 24-bit stereo source layouts, run where the processor has a
/// byte shuffle (checked once at run time). Each handles whole groups of `shuffleGroupFrames`
/// frames from the start of the span and returns how many frames it did: a multiple of the
/// group size, 0 when the processor lacks the instructions. The caller converts the rest.
/// Nothing is read or written outside the frames handled.
constexpr std::uint64_t shuffleGroupFrames = 8;

/// True when the loops below do any work on this processor.
bool frameShuffleAvailable() noexcept;

/// 24-bit stereo frames into one 24-bit (`outputBytes` 3) or 16-bit (2, the top two bytes)
/// stream of left samples and one of right samples.
std::uint64_t splitStereo24(const std::uint8_t* from, std::uint64_t frameCount,
                            unsigned outputBytes, std::uint8_t* left,
                            std::uint8_t* right) noexcept;

/// 24-bit stereo frames into 16-bit stereo frames (the top two bytes of each sample).
std::uint64_t narrowStereo24(const std::uint8_t* from, std::uint64_t frameCount,
                             std::uint8_t* into) noexcept;

/// 24-bit stereo frames into one stream of their saturated sums (monoSum of the working
/// words), as 24-bit (`outputBytes` 3) or 16-bit (2) samples.
std::uint64_t sumStereo24(const std::uint8_t* from, std::uint64_t frameCount,
                          unsigned outputBytes, std::uint8_t* into) noexcept;

/// 24-bit samples (any channel count, in order) into little-endian floats of full scale 1.0,
/// exactly as floatOfWord does, in whole groups of 16 samples; returns the samples done.
std::uint64_t floatsFrom24(const std::uint8_t* from, std::uint64_t sampleCount,
                           std::uint8_t* into) noexcept;

} // namespace tabrix
