#include "app/ProjectSummary.h"

#include "app/MainDialog.h"
#include "audio/TakeList.h"

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

std::string projectRefusalText(const ConformProject& project)
{
    const std::string folder = utf8FromPath(project.takeFolder());
    const std::size_t skippedCount = project.skippedFiles().size();
    if (project.takes().count() == 0) {
        if (skippedCount == 0)
            return "No takes found in " + folder + ".";
        if (skippedCount == 1)
            return "The only WAV file in " + folder + " is not a usable take.";
        return "None of the " + std::to_string(skippedCount) + " WAV files in " + folder +
               " is a usable take.";
    }
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
