#pragma once

namespace tabrix::cli {

/// The command line's exit statuses. In batch mode the program ends with the highest status
/// of any project.
enum ExitStatus : int {
    Success = 0,
    RunFailed = 1,      ///< the conform started or tried to create its output and failed
    Refused = 2,        ///< a usage error, or the outputs were refused before anything was written
    NotConformable = 3, ///< no usable takes, mixed sample rates, or a folder that fails to list
    Cancelled = 130,    ///< stopped by SIGINT, SIGTERM or SIGHUP (Windows: Ctrl-C, Ctrl-Break,
                        ///< closing the console)
};

} // namespace tabrix::cli
