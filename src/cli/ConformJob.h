#pragma once
#include "cli/OutputOptions.h"
#include "cli/ProgressMeter.h"
#include "frontend/OutputChecks.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tabrix::cli {

/// One project to conform and where to.
struct ConformJob {
    std::string projectFolder;        ///< UTF-8, as given
    /// One path; Dual Mono: the left and the right file; Split Tracks: the base name of the
    /// files, one per track (BASE_<track>.wav).
    std::vector<std::string> outputs;
    OutputOptions options;
    bool force = false; ///< existing outputs may be replaced
};

/// How one job ended: an ExitStatus and, for anything but success, the reason in the user's
/// words; after a success or a cancel, what was written.
struct JobResult {
    int status = 0;
    std::string message;
};

/// What a run needs from outside: the free-space query, the cancel signal and where progress
/// goes. The defaults are the system's.
struct ConformEnvironment {
    VolumeQuery volumeSpace = systemVolumeSpace;
    std::function<bool()> cancelled; ///< polled while a conform runs; none: never cancelled
    ProgressStyle progress = ProgressStyle::None;
    std::ostream* progressStream = nullptr; ///< required unless `progress` is None
    std::ostream* noteStream = nullptr;     ///< skipped files are listed here when given
    bool namePrefix = false;                ///< lead notes with the project (batch mode)
    /// Called on the run's thread after each block written; none in the program. Lets a test
    /// signal or stop a conform at an exact block.
    std::function<void(const ConformProject&, std::uint64_t blocksWritten)> afterBlock;
};

/// Loads, checks and conforms one project at a time, with the window's checks and reasons.
/// Nothing is created before every check has passed.
class ConformRunner {
  public:
    explicit ConformRunner(ConformEnvironment environment);

    JobResult conform(const ConformJob& job);

  private:
    bool cancelled() const;
    std::optional<std::string> refuseTargets(const ConformProject& project, const ConformJob& job,
                                             const std::vector<std::string>& outputs,
                                             std::uint64_t dataBytes) const;
    JobResult runPrepared(ConformProject& project, const ConformJob& job,
                          const std::vector<std::string>& outputs);

    ConformEnvironment environment;
};

/// The outputs batch mode gives a project: DIR/<name>.wav, or DIR/<name>L.wav and
/// DIR/<name>R.wav for Dual Mono, where <name> is the project folder's own name. For Split
/// Tracks DIR/<name>.wav is the base of DIR/<name>_<track>.wav.
std::vector<std::string> batchOutputPaths(const std::string& projectFolder,
                                          const std::string& outputFolder, bool dualMono);

/// Conforms each of `projectFolders` into `outputFolder`, going on after a failure, and
/// prints one line per project on `out`: "<status> <project>: <result>". An output that would
/// land in the take folder of any project of the batch is refused (Refused). Stops starting new
/// projects once a cancel signal came. Returns the highest status.
int conformBatch(const std::vector<std::string>& projectFolders, const std::string& outputFolder,
                 const OutputOptions& options, bool force, ConformRunner& runner,
                 std::ostream& out);

} // namespace tabrix::cli
