#include "app/ConformCommand.h"

#include "audio/PlatformFs.h"
#include "audio/Types.h"
#include "frontend/OutputNames.h"
#include "frontend/ProblemText.h"
#include "project/ConformProject.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace tabrix {

namespace {

constexpr std::int32_t dualMono = static_cast<std::int32_t>(ChannelMode::DualMono);
constexpr std::int32_t splitTracks = static_cast<std::int32_t>(ChannelMode::SplitTracks);

std::string folderOf(const std::string& path)
{
    return utf8FromPath(pathFromUtf8(path).parent_path());
}

bool isFolder(const std::string& path)
{
    return !path.empty() && platform::isFolder(pathFromUtf8(path));
}

} // namespace

ConformCommand::ConformCommand(ConformProject& project, DialogServices& services)
    : project(project), services(services)
{
}

ConformOutcome ConformCommand::run(const ConformRequest& request)
{
    const bool dual = request.channelChoice == dualMono;
    ConformOutcome outcome;
    const SaveChoice left = chooseOutput(dual ? "Left Channel Filename" : "Choose Filename",
                                         dual ? request.projectName + "L.wav" : request.projectName,
                                         firstSaveFolder());
    if (!left.confirmed)
        return outcome;
    outcome.outputPath = left.fullPath;
    outcome.outputFileName = left.fileName;

    std::vector<std::string> paths{left.fullPath};
    if (dual) {
        // The two halves belong together: the right dialog opens where the left file goes.
        const SaveChoice right = chooseOutput("Right Channel Filename",
                                              rightDefaultName(left.fileName, request.projectName),
                                              folderOf(left.fullPath));
        if (!right.confirmed)
            return outcome;
        paths.push_back(right.fullPath);
    }
    if (request.channelChoice == splitTracks) {
        // One name stands for a file per track; the dialog asked only about that name.
        paths = splitTrackPaths(left.fullPath, project.tracks());
        if (!confirmReplacing(paths))
            return outcome;
    }

    const OutputTargets targets{paths, dual, request.outputDataSize};
    const VolumeQuery volumes = [this](const std::string& folder) {
        return services.volumeSpace(folder);
    };
    if (const std::optional<std::string> reason = refuseOutputs(project, targets, volumes)) {
        refuse(*reason);
        return outcome;
    }

    if (!project.prepareOutputs(paths)) {
        refuse(creationFailureText(paths));
        return outcome;
    }
    services.remember(lastOutputFolderKey, folderOf(left.fullPath));
    services.runProgress(project, progressJob(request, paths));
    return outcome;
}

bool ConformCommand::confirmReplacing(const std::vector<std::string>& paths)
{
    std::vector<std::string> existing;
    for (const std::string& path : paths)
        if (std::error_code error; std::filesystem::exists(pathFromUtf8(path), error))
            existing.push_back(utf8FromPath(pathFromUtf8(path).filename()));
    if (existing.empty())
        return true;
    std::string names = existing.front();
    if (existing.size() > 1)
        names += " and " + std::to_string(existing.size() - 1) + " more";
    return services.confirm(names + (existing.size() == 1 ? " already exists" : " already exist") +
                                ".\nDo you want to replace " +
                                (existing.size() == 1 ? "it?" : "them?"),
                            "Split Tracks");
}

std::string ConformCommand::rightDefaultName(const std::string& leftFileName,
                                             const std::string& projectName)
{
    // "<rest>L.wav" becomes "<rest>R.wav"; anything else falls back to the project's name.
    const std::size_t tailLength = leftFileName.size() < 5 ? leftFileName.size() : 5;
    const std::size_t restLength = leftFileName.size() - tailLength;
    if (tailLength > 0 && leftFileName[restLength] == 'L')
        return leftFileName.substr(0, restLength) + "R.wav";
    return projectName + "R.wav";
}

std::string ConformCommand::withWavExtension(const std::string& name)
{
    constexpr std::string_view extension = ".wav";
    if (name.size() >= extension.size() &&
        std::equal(extension.begin(), extension.end(), name.end() - extension.size(),
                   [](char a, char b) {
                       return a == std::tolower(static_cast<unsigned char>(b));
                   }))
        return name;
    return name + ".wav";
}

SaveChoice ConformCommand::chooseOutput(const std::string& title, const std::string& defaultName,
                                        const std::string& startFolder)
{
    SaveChoice choice = services.chooseSaveFile(title, defaultName, startFolder);
    if (!choice.confirmed || !choice.wavFilter)
        return choice;
    const std::string fileName = withWavExtension(choice.fileName);
    if (fileName == choice.fileName)
        return choice;
    choice.fullPath += fileName.substr(choice.fileName.size());
    choice.fileName = fileName;
    // The dialog asked about the name as typed; the name with ".wav" may be another file.
    std::error_code error;
    if (std::filesystem::exists(pathFromUtf8(choice.fullPath), error) &&
        !services.confirm(fileName + " already exists.\nDo you want to replace it?", title))
        choice.confirmed = false;
    return choice;
}

std::string ConformCommand::firstSaveFolder() const
{
    const std::string last = services.recall(lastOutputFolderKey);
    if (isFolder(last))
        return last;
    // First time: beside the project, never inside its take folder.
    const std::filesystem::path projectFolder = project.takeFolder().parent_path();
    return projectFolder.empty() ? std::string() : utf8FromPath(projectFolder.parent_path());
}

std::string ConformCommand::creationFailureText(const std::vector<std::string>& paths) const
{
    const RunFailure& failure = project.lastFailure();
    std::string text = "Unable to create file(s).\n\n";
    if (failure.kind == FailureKind::None)
        return text + "The project has nothing to write.";
    std::string reason = failureText(failure);
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    const auto failed = std::find_if(paths.begin(), paths.end(), [&](const std::string& path) {
        return utf8FromPath(pathFromUtf8(path).filename()) == failure.fileName;
    });
    return text + reason + ".\nFolder: " + folderOf(failed != paths.end() ? *failed : paths.front());
}

ProgressJob ConformCommand::progressJob(const ConformRequest& request,
                                        const std::vector<std::string>& paths) const
{
    ProgressJob job;
    job.outputPaths = paths;
    job.sampleRate = project.sampleRate();
    const TakeTimeline* timeline = project.timeline();
    if (timeline != nullptr && timeline->first() != nullptr)
        job.totalFrames = timeline->last()->end - timeline->first()->start;
    if (job.totalFrames > 0)
        job.fileFrameBytes = static_cast<std::uint32_t>(
            request.outputDataSize / job.totalFrames / job.outputPaths.size());
    return job;
}

void ConformCommand::refuse(const std::string& text)
{
    services.showMessage(text, "Error");
}

} // namespace tabrix
