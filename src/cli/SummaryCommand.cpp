#include "cli/SummaryCommand.h"

#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "frontend/ProblemText.h"
#include "frontend/TimecodeText.h"

#include <memory>
#include <ostream>

namespace tabrix::cli {

namespace {

// A take, or the files of one recording as one take: named by its first file, with every
// file listed and its tracks counted as channels.
nlohmann::ordered_json takeJson(const TakeSource& source)
{
    const Take& take = source.lead();
    const std::optional<std::string> recorded = recordedText(take);
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const Take* member : source.members())
        files.push_back(validUtf8(utf8FromPath(member->path().filename())));
    return {
        {"file", validUtf8(utf8FromPath(take.path().filename()))},
        {"timeReference", take.timeReference()},
        {"frames", source.frameCount()},
        {"channels", source.tracks().size()},
        {"bits", take.format().bitsPerSample},
        {"sampleRate", take.format().sampleRate},
        {"recorded",
         recorded ? nlohmann::ordered_json(*recorded) : nlohmann::ordered_json(nullptr)},
        {"files", std::move(files)},
    };
}

} // namespace

std::string summaryText(const ConformProject& project, const ProjectSummary& summary)
{
    std::string text = summary.line + "\n";
    const TakeTimeline* timeline = project.timeline();
    if (const auto& rate = project.timecodeRate(); rate && timeline && timeline->first() != nullptr)
        text += "timecode: " + *projectTimecode(project, timeline->first()->start) + "-" +
                *projectTimecode(project, timeline->last()->end) + " at " + rateLabel(*rate) +
                " fps\n";
    const std::int32_t mode = project.channelMode();
    if (mode == int(ChannelMode::AllTracks) || mode == int(ChannelMode::SplitTracks))
        text += tracksText(project) + "\n";
    for (const SkippedFile& skipped : project.skippedFiles())
        text += "skipped: " + skipped.fileName + ": " + rejectionText(skipped.rejection) + "\n";
    return validUtf8(text);
}

nlohmann::ordered_json summaryJson(const ConformProject& project, bool loaded,
                                   const ProjectSummary& summary)
{
    ClockTime start;
    ClockTime end;
    const bool timed = project.getStartEndTimes(start, end);
    nlohmann::ordered_json takes = nlohmann::ordered_json::array();
    for (const std::unique_ptr<TakeSource>& source : project.sources())
        takes.push_back(takeJson(*source));
    nlohmann::ordered_json tracks = nlohmann::ordered_json::array();
    for (const ProjectTrack& track : project.tracks())
        tracks.push_back({{"key", track.key}, {"name", validUtf8(track.name)}});
    nlohmann::ordered_json skipped = nlohmann::ordered_json::array();
    for (const SkippedFile& file : project.skippedFiles())
        skipped.push_back(
            {{"file", validUtf8(file.fileName)}, {"reason", rejectionText(file.rejection)}});
    const std::optional<TimecodeRate>& rate = project.timecodeRate();
    const TakeTimeline* timeline = project.timeline();
    const bool hasTimecode = rate && timeline != nullptr && timeline->first() != nullptr;
    const auto timecodeJson = [&](bool first) {
        return hasTimecode ? nlohmann::ordered_json(*projectTimecode(
                                 project, first ? timeline->first()->start : timeline->last()->end))
                           : nlohmann::ordered_json(nullptr);
    };
    return {
        {"loaded", loaded},
        {"sampleRate", project.sampleRate()},
        {"rateMismatch", project.rateMismatch()},
        {"fadeRate", project.fadeRate()},
        {"start",
         timed ? nlohmann::ordered_json(clockText(start)) : nlohmann::ordered_json(nullptr)},
        {"end", timed ? nlohmann::ordered_json(clockText(end)) : nlohmann::ordered_json(nullptr)},
        {"outputBytes", summary.sized ? nlohmann::ordered_json(summary.dataBytes)
                                      : nlohmann::ordered_json(nullptr)},
        {"timecodeRate", rate ? nlohmann::ordered_json(rate->rateText) : nlohmann::ordered_json(nullptr)},
        {"dropFrame", rate && rate->dropFrame},
        {"startTimecode", timecodeJson(true)},
        {"endTimecode", timecodeJson(false)},
        {"summary", summary.line},
        {"takes", std::move(takes)},
        {"tracks", std::move(tracks)},
        {"skipped", std::move(skipped)},
    };
}

int summaryCommand(const std::string& projectFolder, const OutputOptions& options, bool json,
                   std::ostream& out, std::ostream& err, const std::function<bool()>& cancelled)
{
    // The project holds the render buffers; they don't belong on the stack.
    const auto project = std::make_unique<ConformProject>();
    const bool loaded = project->load(projectFolder, cancelled);
    if (cancelled && cancelled()) {
        err << "tabrix: cancelled.\n";
        return Cancelled;
    }
    const ProjectSummary summary =
        summariseProject(*project, options.widthChoice, options.channelChoice);
    if (json)
        out << summaryJson(*project, loaded, summary)
                   .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << "\n";
    else
        out << summaryText(*project, summary);
    if (loaded)
        return Success;
    err << "tabrix: " << validUtf8(notConformableText(*project)) << "\n";
    return NotConformable;
}

} // namespace tabrix::cli
