#include "cli/PlanCommand.h"

#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "frontend/ProjectSummary.h"
#include "frontend/TimecodeText.h"

#include <algorithm>
#include <array>
#include <memory>
#include <ostream>
#include <vector>

namespace tabrix::cli {

namespace {

std::string takeName(const TimelineSegment& segment)
{
    // A family by its first file.
    return validUtf8(utf8FromPath(segment.take->lead().path().filename()));
}

using TableRow = std::array<std::string, 5>;

std::string alignedRows(const std::vector<TableRow>& rows)
{
    std::array<std::size_t, 5> widths{};
    for (const TableRow& row : rows)
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    std::string text;
    for (const TableRow& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            line += row[column];
            if (column + 1 < row.size())
                line += std::string(widths[column] - row[column].size() + 2, ' ');
        }
        text += line + "\n";
    }
    return text;
}

} // namespace

std::string planCsv(const ConformProject& project)
{
    std::string text = "take,start,end,source_offset,start_time,end_time,start_tc,end_tc,scene,"
                       "take_number\n";
    if (project.timeline() == nullptr)
        return text;
    for (const TimelineSegment* s = project.timeline()->first(); s != nullptr; s = s->next) {
        const TakeIxml& ixml = s->take->lead().ixml();
        text += csvField(takeName(*s)) + "," + std::to_string(s->start) + "," +
                std::to_string(s->end) + "," + std::to_string(s->sourceOffset) + "," +
                clockTextAt(project, s->start) + "," + clockTextAt(project, s->end) + "," +
                projectTimecode(project, s->start).value_or("") + "," +
                projectTimecode(project, s->end).value_or("") + "," + csvField(ixml.scene) +
                "," + csvField(ixml.take) + "\n";
    }
    return text;
}

// Clock time, and timecode beside it when the project has a rate.
std::string timeAt(const ConformProject& project, SamplePos position)
{
    const std::optional<std::string> timecode = projectTimecode(project, position);
    return clockTextAt(project, position) + (timecode ? " " + *timecode : std::string());
}

std::string planTable(const ConformProject& project)
{
    std::vector<TableRow> rows{{"Start", "End", "Frames", "From frame", "Take"}};
    if (project.timeline() != nullptr) {
        for (const TimelineSegment* s = project.timeline()->first(); s != nullptr; s = s->next) {
            if (s->previous != nullptr && s->previous->end < s->start)
                rows.push_back({timeAt(project, s->previous->end), timeAt(project, s->start),
                                std::to_string(s->start - s->previous->end), "", "(silence)"});
            rows.push_back({timeAt(project, s->start), timeAt(project, s->end),
                            std::to_string(s->length), std::to_string(s->sourceOffset),
                            takeName(*s)});
        }
    }
    std::string text = alignedRows(rows);
    if (const auto& rate = project.timecodeRate())
        text += "Timecode at " + rateLabel(*rate) + " fps.\n";
    return text;
}

int planCommand(const std::string& projectFolder, bool csv, std::ostream& out, std::ostream& err,
                const std::function<bool()>& cancelled)
{
    const auto project = std::make_unique<ConformProject>();
    const bool loaded = project->load(projectFolder, cancelled);
    if (cancelled && cancelled()) {
        err << "tabrix: cancelled.\n";
        return Cancelled;
    }
    out << validUtf8(csv ? planCsv(*project) : planTable(*project)); // scene names too
    if (loaded)
        return Success;
    err << "tabrix: " << validUtf8(notConformableText(*project)) << "\n";
    return NotConformable;
}

} // namespace tabrix::cli
