#pragma once
#include "audio/BwfFile.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <memory>
#include <string>

// Shared by the audio tests: a take written to a temporary folder, not yet parsed.
namespace tabrix::testing {

inline std::unique_ptr<Take> writeTake(const TempDir& dir, const Bytes& bytes,
                                       const std::string& name = "take.wav")
{
    dir.write(name, bytes);
    return std::make_unique<Take>(dir.path(), name);
}

/// 2 channels, 24 bits, 48000 Hz: the format most tests use (6-byte frames).
inline Bytes fmt24()
{
    return fmtBody({.tag = 1, .channels = 2, .rate = 48000, .bits = 24});
}

/// Two frames of 2-channel 24-bit samples (12 bytes).
inline Bytes twoFrames24()
{
    return pcm24({1, -1, 2, -2});
}

} // namespace tabrix::testing
