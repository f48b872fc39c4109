#include "app/ConformCommand.h"

#include "audio/Types.h"
#include "project/ConformProject.h"


namespace tabrix {

namespace {

constexpr std::int32_t dualMono = static_cast<std::int32_t>(ChannelMode::DualMono);

} // namespace

ConformCommand::ConformCommand(ConformProject& project, DialogServices& services)
    : project(project), services(services)
{
}

ConformOutcome ConformCommand::run(const ConformRequest& request)
{
    const bool dual = request.channelChoice == dualMono;
    ConformOutcome outcome;
    const SaveChoice left = services.chooseSaveFile(
        dual ? "Left Channel Filename" : "Choose Filename",
        dual ? request.projectName + "L.wav" : request.projectName);
    if (!left.confirmed)
        return outcome;
    outcome.outputPath = left.fullPath;
    outcome.outputFileName = left.fileName;

    std::string rightPath;
    if (dual) {
        const SaveChoice right = services.chooseSaveFile(
            "Right Channel Filename", rightDefaultName(left.fileName, request.projectName));
        if (!right.confirmed)
            return outcome;
        rightPath = right.fullPath;
    }

    const OutputTargets targets{left.fullPath, rightPath, dual, request.outputDataSize};
    const VolumeQuery volumes = [this](const std::string& folder) {
        return services.volumeSpace(folder);
    };
    if (const std::optional<std::string> reason = refuseOutputs(project, targets, volumes)) {
        refuse(*reason);
        return outcome;
    }

    const bool prepared = dual ? project.prepareDualMonoOutput(left.fullPath, rightPath)
                               : project.prepareOutput(left.fullPath);
    if (!prepared) {
        refuse("Unable to create file(s).");
        return outcome;
    }
    services.runProgress(project);
    return outcome;
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

void ConformCommand::refuse(const std::string& text)
{
    services.showMessage(text, "Error");
}

} // namespace tabrix
