#pragma once
#include "audio/Types.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <cstdint>
#include <filesystem>
#include <string>

// Shared by the project tests: project folders with an "Audio Files" subfolder, built in a
// temporary directory.
namespace tabrix::testing {

/// A take of `frameCount` silent 16-bit stereo frames starting at `start`.
inline Bytes silentTake(SamplePos start, std::uint64_t frameCount, std::uint32_t rate = 48000,
                        const std::string& date = "2024-05-01")
{
    return takeBytes({.timeReference = start, .date = date, .channels = 2, .rate = rate,
                      .bits = 16, .data = constantFrames(2, 16, frameCount, 0)});
}

/// Writes `bytes` as `<project>/Audio Files/<name>` under `dir`; returns the project folder
/// as UTF-8 text, the form `load` takes.
inline std::string writeProjectTake(const TempDir& dir, const std::string& project,
                                    const std::string& name, const Bytes& bytes)
{
    dir.write(project + "/Audio Files/" + name, bytes);
    return utf8FromPath(dir.path() / pathFromUtf8(project));
}

} // namespace tabrix::testing
