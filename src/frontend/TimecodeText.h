#pragma once
#include "project/ConformProject.h"

#include <optional>
#include <string>

// Timecode as editors read it, for every front end.
namespace tabrix {

/// "10:10:00:00", or "10:10:00;00" in drop-frame.
std::string timecodeText(const Timecode& timecode);

/// The rate for people: "25", "23.976", "29.97 DF", "59.94 NDF" when the flag says so.
std::string rateLabel(const TimecodeRate& rate);

/// The timecode of `position` in the project's rate; none when the project has no rate.
std::optional<std::string> projectTimecode(const ConformProject& project, SamplePos position);

} // namespace tabrix
