#include "app/ProjectSummary.h"

#include "app/MainDialog.h"
#include "app/ProblemText.h"
#include "audio/PlatformFs.h"
#include "audio/TakeList.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace tabrix {

ProjectSummary summariseProject(ConformProject& project, std::int32_t widthChoice,
                                std::int32_t channelChoice)
{
    ProjectSummary summary;
    const std::string width = MainDialog::widthText(widthChoice);
    const std::string channels = MainDialog::channelText(channelChoice);
    const std::string rate = MainDialog::formatRate(project.rateMismatch() ? 0 : project.sampleRate());
    project.setOutputOptions(widthChoice != 0, channelChoice);

    std::uint64_t byteCount = 0;
    summary.sized = project.getOutputSize(byteCount);
    if (summary.sized) {
        summary.dataBytes = byteCount;
        summary.size = MainDialog::formatByteSize(static_cast<std::int64_t>(byteCount));
    }
    ClockTime start;
    ClockTime end;
    if (project.getStartEndTimes(start, end))
        summary.timeRange = MainDialog::formatClockTime(start) + "-" + MainDialog::formatClockTime(end);
    summary.line = summary.sized ? width + ", " + channels + ", " + rate + ", " +
                                       summary.timeRange + ", " + summary.size
                                 : width + ", " + channels;
    return summary;
}

std::string rateText(std::uint32_t rateHz)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g kHz", rateHz / 1000.0);
    return text;
}

namespace {

// Why a folder without takes has none: it can't be read, or what was wrong with its files.
std::string noTakesText(const ConformProject& project)
{
    const std::string folder = utf8FromPath(project.takeFolder());
    if (!project.takeFolder().empty() && !platform::isFolder(project.takeFolder()))
        return "The folder " + folder + " can't be read.";
    const std::vector<SkippedFile>& skipped = project.skippedFiles();
    if (skipped.empty())
        return "No takes found in " + folder + ".";
    // One reason shared by every file is worth saying; a mixture is in "Details...".
    const std::string reason = rejectionText(skipped.front().rejection);
    const bool oneReason = std::all_of(skipped.begin(), skipped.end(), [&](const SkippedFile& f) {
        return rejectionText(f.rejection) == reason;
    });
    const std::string because = oneReason ? ": " + reason + "." : ".";
    if (skipped.size() == 1)
        return "The only WAV file in " + folder + " is not a usable take" + because;
    return "None of the " + std::to_string(skipped.size()) + " WAV files in " + folder +
           " is a usable take" + because;
}

} // namespace

std::string projectRefusalText(const ConformProject& project)
{
    const std::string folder = utf8FromPath(project.takeFolder());
    if (project.takes().count() == 0)
        return noTakesText(project);
    if (project.rateMismatch()) {
        std::map<std::uint32_t, int> takesByRate;
        for (const Take* take = project.takes().head(); take; take = TakeList::nextOf(take))
            ++takesByRate[take->format().sampleRate];
        std::string text;
        std::size_t index = 0;
        for (const auto& [rate, count] : takesByRate) {
            if (index > 0)
                text += index + 1 == takesByRate.size() ? " and " : ", ";
            text += std::to_string(count) + (index == 0 ? (count == 1 ? " take" : " takes") : "") +
                    " at " + rateText(rate);
            ++index;
        }
        return text + ", which can't be mixed.";
    }
    if (project.timeline() == nullptr)
        return "No take in " + folder + " can be placed on the timeline.";
    return std::string();
}

} // namespace tabrix
