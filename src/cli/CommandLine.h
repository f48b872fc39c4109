#pragma once
#include "cli/ConformJob.h"

#include <iosfwd>

namespace tabrix::cli {

/// Parses the command line, runs the chosen command and returns the exit status. Help and
/// version go to `out`, usage errors and refusals to `err`. `environment` carries the
/// free-space query and the cancel signal; the progress style is chosen here from --progress
/// and `errIsTerminal`.
int runCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   ConformEnvironment environment, bool errIsTerminal);

} // namespace tabrix::cli
