#include "app/ConformCommand.h"

#include "audio/PlatformFs.h"
#include "audio/Types.h"
#include "frontend/OutputNames.h"
#include "frontend/ProblemText.h"
#include "project/ConformProject.h"

#include <algorithm>
#include <cctype>

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
    const bool split = request.channelChoice == splitTracks;
    ConformOutcome outcome;
    SaveQuestion left{dual ? leftSaveTitle : split ? splitSaveTitle : singleSaveTitle,
                      dual ? request.projectName + "L.wav" : request.projectName,
                      firstSaveFolder()};
    SaveQuestion right{rightSaveTitle, std::string(), std::string()};
    SaveChoice leftChoice;
    SaveChoice rightChoice;
    std::vector<std::string> paths;
    bool askLeft = true;
    for (;;) {
        if (askLeft) {
            leftChoice = chooseOutput(left);
            if (!leftChoice.confirmed)
                return outcome;
            // The two halves belong together: the right dialog opens where the left file goes.
            right.defaultName = rightDefaultName(leftChoice.fileName, request.projectName);
            right.startFolder = folderOf(leftChoice.fullPath);
        }
        paths = {leftChoice.fullPath};
        if (dual) {
            rightChoice = chooseOutput(right);
            if (!rightChoice.confirmed)
                return outcome;
            paths.push_back(rightChoice.fullPath);
        }
        std::optional<OutputRefusal> refusal;
        if (split) {
            // One name stands for a file per track; the dialog asked only about that name.
            paths = splitTrackPaths(leftChoice.fullPath, project.tracks());
            if (!confirmReplacing(paths))
                refusal = OutputRefusal{std::string(), 0}; // "No": another name, no message
        }
        if (!refusal)
            refusal = checkAndCreate(request, paths, dual);
        if (!refusal)
            break;
        if (!refusal->text.empty())
            refuse(refusal->text);
        // No dead end: the dialog of the file concerned opens again with the name chosen, so
        // only what was refused has to change.
        askLeft = !(dual && refusal->file == 1);
        SaveQuestion& again = askLeft ? left : right;
        const SaveChoice& refused = askLeft ? leftChoice : rightChoice;
        again.defaultName = refused.fileName;
        again.startFolder = againFolder(refused.fullPath);
    }
    outcome.outputPath = leftChoice.fullPath;
    outcome.outputFileName = leftChoice.fileName;
    services.remember(lastOutputFolderKey, folderOf(leftChoice.fullPath));
    services.runProgress(project, progressJob(paths));
    return outcome;
}

std::optional<OutputRefusal> ConformCommand::checkAndCreate(const ConformRequest& request,
                                                            const std::vector<std::string>& paths,
                                                            bool dual)
{
    const OutputTargets targets{paths, dual, request.outputDataSize};
    const VolumeQuery volumes = [this](const std::string& folder) {
        return services.volumeSpace(folder);
    };
    if (std::optional<OutputRefusal> refusal = checkOutputs(project, targets, volumes))
        return refusal;
    if (project.prepareOutputs(paths))
        return std::nullopt;
    return creationFailure(paths);
}

bool ConformCommand::confirmReplacing(const std::vector<std::string>& paths)
{
    std::vector<std::string> existing;
    for (const std::string& path : paths)
        if (platform::exists(pathFromUtf8(path)))
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

SaveChoice ConformCommand::chooseOutput(SaveQuestion question)
{
    for (;;) {
        SaveChoice choice =
            services.chooseSaveFile(question.title, question.defaultName, question.startFolder);
        // A dialog that confirms without a name is taken as cancelled: ".wav" alone would
        // land in whatever folder the program runs in.
        if (choice.confirmed && (choice.fileName.empty() || choice.fullPath.empty()))
            return SaveChoice{};
        if (!choice.confirmed || !choice.wavFilter)
            return choice;
        const std::string typedName = choice.fileName;
        const std::string fileName = withWavExtension(typedName);
        if (fileName == typedName)
            return choice;
        choice.fullPath += fileName.substr(typedName.size());
        choice.fileName = fileName;
        // The dialog asked about the name as typed; the name with ".wav" may be another file.
        // "No" asks for another name rather than ending the conform.
        if (!platform::exists(pathFromUtf8(choice.fullPath)) ||
            services.confirm(fileName + " already exists.\nDo you want to replace it?",
                             question.title))
            return choice;
        question.defaultName = typedName;
        question.startFolder = folderOf(choice.fullPath);
    }
}

std::string ConformCommand::againFolder(const std::string& refusedPath) const
{
    // Back in the take folder the same refusal would follow: start beside the project.
    const std::string folder = folderOf(refusedPath);
    if (!project.takeFolder().empty() && samePath(pathFromUtf8(folder), project.takeFolder()))
        return besideProject();
    return folder;
}

std::string ConformCommand::firstSaveFolder() const
{
    const std::string last = services.recall(lastOutputFolderKey);
    if (isFolder(last))
        return last;
    return besideProject(); // the first time
}

std::string ConformCommand::besideProject() const
{
    // Never inside the take folder.
    const std::filesystem::path projectFolder = project.takeFolder().parent_path();
    return projectFolder.empty() ? std::string() : utf8FromPath(projectFolder.parent_path());
}

OutputRefusal ConformCommand::creationFailure(const std::vector<std::string>& paths) const
{
    const RunFailure& failure = project.lastFailure();
    std::string text = "Unable to create file(s).\n\n";
    if (failure.kind == FailureKind::None)
        return {text + "The project has nothing to write.", 0};
    std::string reason = failureText(failure);
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    const auto failed = std::find_if(paths.begin(), paths.end(), [&](const std::string& path) {
        return utf8FromPath(pathFromUtf8(path).filename()) == failure.fileName;
    });
    const std::size_t file = failed != paths.end() ? std::size_t(failed - paths.begin()) : 0;
    return {text + reason + ".\nFolder: " + folderOf(paths[file]), file};
}

ProgressJob ConformCommand::progressJob(const std::vector<std::string>& paths) const
{
    ProgressJob job;
    job.outputPaths = paths;
    job.times = TimeFormat::of(project);
    const TakeTimeline* timeline = project.timeline();
    if (timeline != nullptr && timeline->first() != nullptr) {
        job.startFrame = timeline->first()->start;
        job.totalFrames = timeline->last()->end - job.startFrame;
    }
    return job;
}

void ConformCommand::refuse(const std::string& text)
{
    services.showMessage(text, "Error");
}

} // namespace tabrix
