#pragma once
#include "audio/PlatformFs.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tabrix {

class ConformProject;

/// Sizes of the volume holding a folder, in bytes, as the platform reports them.
using VolumeSpace = platform::VolumeBytes;

/// The volume holding a folder (UTF-8); empty when the query failed.
using VolumeQuery = std::function<std::optional<VolumeSpace>(const std::string& folder)>;

/// The file(s) a conform is about to write.
struct OutputTargets {
    std::vector<std::string> paths; ///< UTF-8: the one file, left and right, or one per track
    bool dualMono = false;          ///< the two paths are Dual Mono's left and right
    std::uint64_t dataBytes = 0;    ///< audio data bytes of all the files together
};

/// Largest data chunk a RIFF WAV file can describe: the RIFF size (1016 header bytes after the
/// size field, plus the data) must fit in 32 bits. Larger outputs are written as RF64.
constexpr std::uint64_t maxWavDataBytes = 0xFFFF'FFFFull - 1016;
/// Header bytes every output file starts with.
constexpr std::uint64_t outputHeaderBytes = 1024;

/// Why the outputs can't be written, in the user's words, and which file that concerns.
struct OutputRefusal {
    std::string text;
    std::size_t file = 0; ///< index into OutputTargets::paths; the first when several share it
};

/// The checks every conform passes before anything is created, shared by the window and the
/// command line. Returns the first reason why `targets` can't be written for `project`, and
/// the file it concerns, so a window can ask for that name again; none when they can be.
std::optional<OutputRefusal> checkOutputs(const ConformProject& project,
                                          const OutputTargets& targets,
                                          const VolumeQuery& volumeSpace);

/// The text of `checkOutputs`' refusal; none when the outputs can be written.
std::optional<std::string> refuseOutputs(const ConformProject& project,
                                         const OutputTargets& targets,
                                         const VolumeQuery& volumeSpace);

/// Why `outputPath` (UTF-8) may not be written: it would be saved in `takeFolder`, where the
/// next load of that project would read it as its newest take; none when it lies elsewhere.
std::optional<std::string> refuseInTakeFolder(const std::filesystem::path& takeFolder,
                                              const std::string& outputPath);

/// The free-space query of the platform layer.
std::optional<VolumeSpace> systemVolumeSpace(const std::string& folder);

/// True when `a` and `b` name the same file, however spelt; a missing file is compared by its
/// normalised absolute path (without letter case on Windows).
inline bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    return platform::sameFile(a, b);
}

} // namespace tabrix
