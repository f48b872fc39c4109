#include "frontend/ProjectSummary.h"

#include "audio/TakeList.h"
#include "frontend/ProblemText.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace tabrix {

ProjectSummary summariseProject(ConformProject& project, std::int32_t widthChoice,
                                std::int32_t channelChoice)
{
    ProjectSummary summary;
    const std::string width = widthText(widthChoice);
    std::string channels = channelText(channelChoice);
    if (channelChoice == int(ChannelMode::AllTracks) || channelChoice == int(ChannelMode::SplitTracks))
        channels += " (" + std::to_string(project.tracks().size()) + ")";
    const std::string rate = formatRate(project.rateMismatch() ? 0 : project.sampleRate());
    project.setOutputOptions(widthOf(widthChoice), channelChoice);

    std::uint64_t byteCount = 0;
    summary.sized = project.getOutputSize(byteCount);
    if (summary.sized) {
        summary.dataBytes = byteCount;
        summary.size = formatByteSize(static_cast<std::int64_t>(byteCount));
    }
    ClockTime start;
    ClockTime end;
    if (project.getStartEndTimes(start, end))
        summary.timeRange = formatClockTime(start) + "-" + formatClockTime(end);
    summary.line = summary.sized ? width + ", " + channels + ", " + rate + ", " +
                                       summary.timeRange + ", " + summary.size
                                 : width + ", " + channels;
    return summary;
}

namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char text[128];
    const int length = std::snprintf(text, sizeof text, pattern, args...);
    return length < 0 ? std::string() : std::string(text);
}

} // namespace

std::string formatClockTime(const ClockTime& time)
{
    return format("%2d:%02d:%02d.%02d", int{time.hours}, int{time.minutes}, int{time.seconds},
                  int{time.fraction});
}

std::string formatByteSize(std::int64_t byteCount)
{
    const double v = static_cast<double>(byteCount);
    if (v < 1000)
        return format("%d B", static_cast<int>(byteCount));
    if (v < 10000)
        return format("%1.2f KB", v * 0.001);
    if (v < 1000000)
        return format("%1.f KB", v * 0.001);
    if (v < 10000000)
        return format("%1.2f MB", v * 0.000001);
    return format("%1.f MB", v * 0.000001);
}

std::string formatRate(std::uint32_t rateHz)
{
    return format("%0.1fKhz", rateHz * 0.001);
}

SampleWidth widthOf(std::int32_t widthChoice) noexcept
{
    return widthChoice == 0   ? SampleWidth::Bits16
           : widthChoice == 2 ? SampleWidth::Float32
                              : SampleWidth::Bits24;
}

std::string widthText(std::int32_t widthChoice)
{
    switch (widthOf(widthChoice)) {
    case SampleWidth::Bits16: return "16 Bit";
    case SampleWidth::Float32: return "32 Bit Float";
    default: return "24 Bit";
    }
}

const std::vector<std::string>& widthChoiceTexts()
{
    static const std::vector<std::string> texts{"16 Bit", "24 Bit", "32 Bit Float"};
    return texts;
}

const std::vector<std::string>& channelChoiceTexts()
{
    static const std::vector<std::string> texts{"Stereo",    "Mono L",     "Mono R",      "Mono Sum",
                                                "Dual Mono", "All Tracks", "Split Tracks"};
    return texts;
}

std::string tracksText(const ConformProject& project)
{
    const std::vector<ProjectTrack>& tracks = project.tracks();
    if (tracks.empty())
        return std::string();
    std::string text = std::to_string(tracks.size()) + (tracks.size() == 1 ? " track: " : " tracks: ");
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(tracks[i].key);
        if (!tracks[i].name.empty())
            text += " " + tracks[i].name;
    }
    return text;
}

std::string channelText(std::int32_t channelChoice)
{
    switch (channelChoice) {
    case 0: return "Stereo";
    case 1: return "Mono Left";
    case 2: return "Mono Right";
    case 3: return "Mono Sum";
    case 4: return "Dual Mono";
    case 5: return "All Tracks";
    case 6: return "Split Tracks";
    default: return "(chan type not implemented)";
    }
}

int wholePercent(double percent) noexcept
{
    if (!(percent > 0.0))
        return 0;
    if (percent >= 100.0)
        return 100;
    return static_cast<int>(percent);
}

std::string rateText(std::uint32_t rateHz)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g kHz", rateHz / 1000.0);
    return text;
}

namespace {

// Why a folder listed in full has no takes: what was wrong with its files.
std::string noTakesText(const ConformProject& project)
{
    const std::string folder = utf8FromPath(project.takeFolder());
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

// "Scene 9.wav and 2 more at 44.1 kHz, 13 takes at 48 kHz: ...": the odd takes by name, so
// the user knows which files to move.
std::string mixedRatesText(const ConformProject& project)
{
    const std::uint32_t prevailing = prevailingRate(project);
    std::map<std::uint32_t, std::vector<const Take*>> oddByRate;
    for (const Take* take : oddRateTakes(project))
        oddByRate[take->format().sampleRate].push_back(take);
    std::string text;
    for (const auto& [rate, takes] : oddByRate) {
        text += utf8FromPath(takes.front()->path().filename());
        if (takes.size() > 1)
            text += " and " + std::to_string(takes.size() - 1) + " more";
        text += " at " + rateText(rate) + ", ";
    }
    const std::size_t count = project.takes().count() - oddRateTakes(project).size();
    return text + std::to_string(count) + (count == 1 ? " take" : " takes") + " at " +
           rateText(prevailing) + ": sample rates can't be mixed. Move the takes that aren't at " +
           rateText(prevailing) + " out of the folder to conform it.";
}

} // namespace

std::uint32_t prevailingRate(const ConformProject& project)
{
    std::map<std::uint32_t, std::size_t> takesByRate;
    for (const Take* take = project.takes().head(); take; take = TakeList::nextOf(take))
        ++takesByRate[take->format().sampleRate];
    std::uint32_t rate = project.sampleRate();
    std::size_t most = takesByRate.count(rate) != 0 ? takesByRate[rate] : 0;
    for (const auto& [candidate, count] : takesByRate)
        if (count > most) {
            rate = candidate;
            most = count;
        }
    return rate;
}

std::vector<const Take*> oddRateTakes(const ConformProject& project)
{
    std::vector<const Take*> odd;
    if (!project.rateMismatch())
        return odd;
    const std::uint32_t prevailing = prevailingRate(project);
    for (const Take* take = project.takes().head(); take; take = TakeList::nextOf(take))
        if (take->format().sampleRate != prevailing)
            odd.push_back(take);
    return odd;
}

std::string projectRefusalText(const ConformProject& project)
{
    const std::string folder = utf8FromPath(project.takeFolder());
    // A listing broken off partway loads nothing: half a folder is not the project.
    const RunFailure& failure = project.lastFailure();
    if (failure.kind == FailureKind::ListFolder)
        return "The folder " + failure.fileName + " can't be read" +
               (failure.systemError != 0 ? ": " + systemErrorText(failure.systemError) : "") +
               ".";
    if (project.takes().count() == 0)
        return noTakesText(project);
    if (project.rateMismatch())
        return mixedRatesText(project);
    if (project.timeline() == nullptr)
        return "No take in " + folder + " can be placed on the timeline.";
    return std::string();
}

} // namespace tabrix
