#pragma once
#include "project/ConformProject.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace tabrix::cli {

/// The timeline's segments in timeline order as CSV: the header
/// "take,start,end,source_offset,start_time,end_time", then one row per segment with the
/// take's file name, the first frame, the frame after the last, the first frame read from the
/// take and the two clock times. Empty rows without a timeline.
std::string planCsv(const ConformProject& project);

/// The same segments as an aligned table for people, with the gaps of silence between them.
std::string planTable(const ConformProject& project);

/// `tabrix plan`: loads `projectFolder` and prints its timeline. Returns Success, or
/// NotConformable (with the reason on `err`) when the project can't be conformed; a timeline
/// that exists (mixed rates) is still printed. Once `cancelled` answers true (it is polled
/// through the load) nothing is printed and the result is Cancelled.
int planCommand(const std::string& projectFolder, bool csv, std::ostream& out, std::ostream& err,
                const std::function<bool()>& cancelled = {});

} // namespace tabrix::cli
