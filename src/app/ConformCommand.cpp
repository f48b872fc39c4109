#include "app/ConformCommand.h"

#include "audio/TakeList.h"
#include "audio/Types.h"
#include "project/ConformProject.h"

#include <system_error>

namespace tabrix {

namespace {

constexpr std::int32_t dualMono = static_cast<std::int32_t>(ChannelMode::DualMono);

std::filesystem::path normalised(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

std::string folderOf(const std::string& path)
{
    const std::filesystem::path folder = pathFromUtf8(path).parent_path();
    return folder.empty() ? std::string(".") : utf8FromPath(folder);
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
        // Two names for one file would interleave both channels' writes into it.
        if (samePath(pathFromUtf8(rightPath), pathFromUtf8(left.fullPath))) {
            refuse("Files cannot have same name.");
            return outcome;
        }
    }

    // Creating the output truncates it; if it is a take, that take is gone before it is read.
    if (isOneOfTheTakes(left.fullPath) || (dual && isOneOfTheTakes(rightPath))) {
        refuse("Output file cannot be one of the project's takes.");
        return outcome;
    }
    const std::uint64_t bytesPerFile = dual ? request.outputDataSize / 2 : request.outputDataSize;
    if (bytesPerFile > maxWavDataBytes) {
        refuse("Output is too large for a WAV file.");
        return outcome;
    }
    if (!hasFreeSpace(left.fullPath, rightPath, bytesPerFile, dual)) {
        refuse("Insufficient space to create file.");
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

bool ConformCommand::samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
        const bool same = std::filesystem::equivalent(a, b, error);
        if (!error)
            return same;
    }
    return normalised(a) == normalised(b);
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

bool ConformCommand::isOneOfTheTakes(const std::string& path) const
{
    const std::filesystem::path output = pathFromUtf8(path);
    for (const Take* take = project.takes().head(); take; take = TakeList::nextOf(take))
        if (samePath(output, take->path()))
            return true;
    return false;
}

bool ConformCommand::hasFreeSpace(const std::string& leftPath, const std::string& rightPath,
                                  std::uint64_t bytesPerFile, bool dualMono)
{
    const std::uint64_t neededPerFile = bytesPerFile + outputHeaderBytes;
    const std::optional<VolumeSpace> leftVolume = services.volumeSpace(folderOf(leftPath));
    if (!leftVolume)
        return false;
    if (!dualMono)
        return neededPerFile < leftVolume->availableBytes;

    const std::optional<VolumeSpace> rightVolume = services.volumeSpace(folderOf(rightPath));
    if (!rightVolume)
        return false;
    // The standard library names no volume; two folders reporting the same capacity and the
    // same free bytes are taken to share one, which then has to hold both files.
    const bool oneVolume = leftVolume->capacityBytes == rightVolume->capacityBytes &&
                           leftVolume->availableBytes == rightVolume->availableBytes;
    if (oneVolume)
        return 2 * neededPerFile < leftVolume->availableBytes;
    return neededPerFile < leftVolume->availableBytes && neededPerFile < rightVolume->availableBytes;
}

void ConformCommand::refuse(const char* text)
{
    services.showMessage(text, "Error");
}

} // namespace tabrix
