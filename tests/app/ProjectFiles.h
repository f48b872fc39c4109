#pragma once
#include "RiffBuilder.h"
#include "TempDir.h"

#include <filesystem>
#include <string>

namespace tabrix::testing {

constexpr std::uint64_t tenOClock48k = 10ull * 3600 * 48000;

inline TakeSpec takeSpec(std::uint64_t timeReference, std::uint32_t rate = 48000,
                         std::uint16_t channels = 2, std::uint16_t bits = 24, int tfid = -1)
{
    TakeSpec spec;
    spec.timeReference = timeReference;
    spec.rate = rate;
    spec.channels = channels;
    spec.bits = bits;
    spec.tfid = tfid;
    return spec;
}

// A take of `frames` constant frames, written under <project>/Audio Files/.
inline std::filesystem::path writeTake(const TempDir& dir, const std::string& project,
                                       const std::string& name, TakeSpec spec,
                                       std::uint64_t frames)
{
    spec.data = constantFrames(spec.channels, spec.bits, frames, 1000);
    return dir.write(project + "/Audio Files/" + name, takeBytes(spec));
}

// One stereo 24-bit 48 kHz take of 4800 frames at 10:00:00: 19200 bytes at 16-bit stereo.
inline std::filesystem::path writeSimpleProject(const TempDir& dir, const std::string& project)
{
    writeTake(dir, project, "take1.wav", takeSpec(tenOClock48k), 4800);
    return dir.path() / project;
}

} // namespace tabrix::testing
