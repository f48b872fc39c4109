#pragma once
#include "app/ProgressLogic.h"

namespace tabrix {

class ConformProject;

/// How the run that just ended on `project` looks to the progress window: `runResult` as the
/// run returned it, the failure in words, and the whole frames the (left) output file holds on
/// disk. Called on the window's thread once the worker is done with the project.
RunEnd runEndOf(const ConformProject& project, bool runResult, const ProgressJob& job);

} // namespace tabrix
