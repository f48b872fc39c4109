#pragma once
#include "project/ConformProject.h"

#include <string>

// The plain words the window and the command line use for what the core only classifies.
namespace tabrix {

/// Why a file is not a take, e.g. "compressed audio (format 85) is not supported".
std::string rejectionText(const TakeRejection& rejection);

/// Why a conform failed, naming the file and the system's reason where there is one, e.g.
/// "cannot read take B07.wav: No such file or directory". Empty for kind None.
std::string failureText(const RunFailure& failure);

/// The system's own message for an error number ("No space left on device").
std::string systemErrorText(int errorNumber);

} // namespace tabrix
