#pragma once
#include "RiffBuilder.h"
#include "audio/Types.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Spawning the built program as a user would, and the projects it is run on.
namespace tabrix::testing {

struct ProgramRun {
    int status = -1; ///< exit status; 128 + the signal when a signal ended it
    std::string out;
    std::string err;
};

/// Runs the built `tabrix` with `args` through the system's shell, collecting both streams in
/// files under `scratch`.
ProgramRun runTabrix(const std::vector<std::string>& args, const std::filesystem::path& scratch);

/// One take of a project built in code: a file name and what goes into it.
struct ProjectTake {
    std::string name;
    TakeFields fields;
};

/// Writes the takes into `folder`/Audio Files and returns `folder` as UTF-8.
std::string writeProject(const std::filesystem::path& folder,
                         const std::vector<ProjectTake>& takes);

/// A stereo 24-bit take at 48 kHz: `frames` frames of a rising ramp from `value` on the left
/// and a falling one from `value` / 2 on the other channels, placed at
/// `start` frames and recorded at `time` of 2024-05-01 with TFID fill `tfid`.
ProjectTake rampTake(const std::string& name, std::uint64_t start, std::uint64_t frames,
                     std::int32_t value, const std::string& time, int tfid = -1,
                     std::uint32_t rate = 48000, std::uint16_t channels = 2);

/// A small project like the demo: overlaps, a split, a gap, a mono take and a name with a
/// comma and a quote.
std::vector<ProjectTake> demoLikeTakes();

/// What the library itself writes for `folder` with these options into `outputs`.
void conformWithLibrary(const std::string& folder, SampleWidth width, int channelMode,
                        const std::vector<std::filesystem::path>& outputs);

/// The file's bytes with the origination date and time (file offsets 340..357) blanked.
Bytes withoutOriginationStamp(const std::filesystem::path& file);


/// The lines of `text`, without their line ends.
std::vector<std::string> linesOf(const std::string& text);

} // namespace tabrix::testing
