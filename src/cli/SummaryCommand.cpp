#include "cli/SummaryCommand.h"

#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "frontend/ProblemText.h"

#include <memory>
#include <ostream>

namespace tabrix::cli {

namespace {

nlohmann::ordered_json takeJson(const BwfFile& take)
{
    const WaveFormat& format = take.format();
    const std::uint32_t frameBytes = take.frameBytes();
    const std::optional<std::string> recorded = recordedText(take);
    return {
        {"file", utf8FromPath(take.path().filename())},
        {"timeReference", take.timeReference()},
        {"frames", frameBytes == 0 ? 0u : take.dataSize() / frameBytes},
        {"channels", format.channelCount},
        {"bits", format.bitsPerSample},
        {"sampleRate", format.sampleRate},
        {"recorded",
         recorded ? nlohmann::ordered_json(*recorded) : nlohmann::ordered_json(nullptr)},
    };
}

} // namespace

std::string summaryText(const ConformProject& project, const ProjectSummary& summary)
{
    std::string text = summary.line + "\n";
    for (const SkippedFile& skipped : project.skippedFiles())
        text += "skipped: " + skipped.fileName + ": " + rejectionText(skipped.rejection) + "\n";
    return text;
}

nlohmann::ordered_json summaryJson(const ConformProject& project, bool loaded,
                                   const ProjectSummary& summary)
{
    ClockTime start;
    ClockTime end;
    const bool timed = project.getStartEndTimes(start, end);
    nlohmann::ordered_json takes = nlohmann::ordered_json::array();
    for (const Take* take = project.takes().head(); take; take = TakeList::nextOf(take))
        takes.push_back(takeJson(*take));
    nlohmann::ordered_json skipped = nlohmann::ordered_json::array();
    for (const SkippedFile& file : project.skippedFiles())
        skipped.push_back({{"file", file.fileName}, {"reason", rejectionText(file.rejection)}});
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
        {"summary", summary.line},
        {"takes", std::move(takes)},
        {"skipped", std::move(skipped)},
    };
}

int summaryCommand(const std::string& projectFolder, const OutputOptions& options, bool json,
                   std::ostream& out, std::ostream& err)
{
    // The project holds the render buffers; they don't belong on the stack.
    const auto project = std::make_unique<ConformProject>();
    const bool loaded = project->load(projectFolder);
    const ProjectSummary summary =
        summariseProject(*project, options.widthChoice, options.channelChoice);
    if (json)
        out << summaryJson(*project, loaded, summary).dump(2) << "\n";
    else
        out << summaryText(*project, summary);
    if (loaded)
        return Success;
    err << "tabrix: " << notConformableText(*project) << "\n";
    return NotConformable;
}

} // namespace tabrix::cli
