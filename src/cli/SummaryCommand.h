#pragma once
#include "cli/OutputOptions.h"
#include "frontend/ProjectSummary.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <iosfwd>
#include <string>

namespace tabrix::cli {

/// The summary line as the window shows it, the tracks for All and Split Tracks, then
/// "skipped: NAME: REASON" per skipped file.
std::string summaryText(const ConformProject& project, const ProjectSummary& summary);

/// The summary as one JSON object; `loaded` is what `load` answered. Clock times and the
/// output size are null without a timeline, `recorded` is null for an undated take.
nlohmann::ordered_json summaryJson(const ConformProject& project, bool loaded,
                                   const ProjectSummary& summary);

/// `tabrix summary`: loads `projectFolder` and prints its summary on `out`. Returns Success,
/// or NotConformable (with the reason on `err`) when the project can't be conformed; the
/// summary is printed in both cases. Once `cancelled` answers true (it is polled through the
/// load) nothing is printed and the result is Cancelled.
int summaryCommand(const std::string& projectFolder, const OutputOptions& options, bool json,
                   std::ostream& out, std::ostream& err,
                   const std::function<bool()>& cancelled = {});

} // namespace tabrix::cli
