#include "frontend/OutputChecks.h"

#include "audio/TakeList.h"
#include "audio/Types.h"
#include "frontend/ProjectSummary.h"
#include "project/ConformProject.h"

#include <vector>

namespace tabrix {

namespace {

std::string folderOf(const std::string& path)
{
    const std::filesystem::path folder = pathFromUtf8(path).parent_path();
    return folder.empty() ? std::string(".") : utf8FromPath(folder);
}

bool isOneOfTheTakes(const ConformProject& project, const std::string& path)
{
    const std::filesystem::path output = pathFromUtf8(path);
    for (const Take* take = project.takes().head(); take; take = TakeList::nextOf(take))
        if (samePath(output, take->path()))
            return true;
    return false;
}

bool isInTakeFolder(const ConformProject& project, const std::string& path)
{
    return !project.takeFolder().empty() &&
           samePath(pathFromUtf8(folderOf(path)), project.takeFolder());
}

std::string bytesText(std::uint64_t byteCount)
{
    return formatByteSize(static_cast<std::int64_t>(byteCount));
}

// "20 KB" and "1.00 MB"; exact byte counts where rounding would make need and space look equal.
std::string neededAndFree(std::uint64_t neededBytes, std::uint64_t freeBytes, const char* joint)
{
    std::string needed = bytesText(neededBytes);
    std::string available = bytesText(freeBytes);
    if (needed == available) {
        needed = std::to_string(neededBytes) + " bytes";
        available = std::to_string(freeBytes) + " bytes";
    }
    return needed + joint + available + " free.";
}

std::string shortOfSpace(const std::string& folder, std::uint64_t neededBytes,
                         const VolumeSpace& volume)
{
    return "Insufficient space to create file. " + folder + " needs " +
           neededAndFree(neededBytes, volume.availableBytes, " but has ");
}

std::string unreadableSpace(const std::string& folder)
{
    return "Insufficient space to create file. The free space in " + folder +
           " could not be read.";
}

// Why the output(s) don't fit; none when they do. The header counts as well as the data.
std::optional<std::string> missingSpace(const OutputTargets& targets, std::uint64_t bytesPerFile,
                                        const VolumeQuery& volumeSpace)
{
    const std::uint64_t neededPerFile = bytesPerFile + outputHeaderBytes;
    const std::string leftFolder = folderOf(targets.leftPath);
    const std::optional<VolumeSpace> leftVolume = volumeSpace(leftFolder);
    if (!leftVolume)
        return unreadableSpace(leftFolder);
    if (!targets.dualMono) {
        if (neededPerFile < leftVolume->availableBytes)
            return std::nullopt;
        return shortOfSpace(leftFolder, neededPerFile, *leftVolume);
    }

    const std::string rightFolder = folderOf(targets.rightPath);
    const std::optional<VolumeSpace> rightVolume = volumeSpace(rightFolder);
    if (!rightVolume)
        return unreadableSpace(rightFolder);
    // The standard library names no volume; two folders reporting the same capacity and the
    // same free bytes are taken to share one, which then has to hold both files.
    const bool oneVolume = leftVolume->capacityBytes == rightVolume->capacityBytes &&
                           leftVolume->availableBytes == rightVolume->availableBytes;
    if (oneVolume) {
        if (2 * neededPerFile < leftVolume->availableBytes)
            return std::nullopt;
        if (leftFolder == rightFolder)
            return shortOfSpace(leftFolder, 2 * neededPerFile, *leftVolume);
        return "Insufficient space to create file. " + leftFolder + " and " + rightFolder +
               " share a volume; both files need " +
               neededAndFree(2 * neededPerFile, leftVolume->availableBytes, " but it has ");
    }
    if (!(neededPerFile < leftVolume->availableBytes))
        return shortOfSpace(leftFolder, neededPerFile, *leftVolume);
    if (!(neededPerFile < rightVolume->availableBytes))
        return shortOfSpace(rightFolder, neededPerFile, *rightVolume);
    return std::nullopt;
}

} // namespace

std::optional<std::string> refuseOutputs(const ConformProject& project,
                                         const OutputTargets& targets,
                                         const VolumeQuery& volumeSpace)
{
    // Two names for one file would interleave both channels' writes into it.
    if (targets.dualMono &&
        samePath(pathFromUtf8(targets.rightPath), pathFromUtf8(targets.leftPath)))
        return "Files cannot have same name. Left and right would both be " + targets.leftPath +
               ".";
    const std::vector<const std::string*> outputs =
        targets.dualMono ? std::vector{&targets.leftPath, &targets.rightPath}
                         : std::vector{&targets.leftPath};
    // Creating the output truncates it; if it is a take, that take is gone before it is read.
    for (const std::string* path : outputs)
        if (isOneOfTheTakes(project, *path))
            return "Output file cannot be one of the project's takes. " + *path +
                   " would be overwritten before it is read.";
    // The next load would read an output there as the newest take, winning every overlap.
    for (const std::string* path : outputs)
        if (isInTakeFolder(project, *path))
            return "Output file cannot be saved in the project's take folder. " +
                   utf8FromPath(project.takeFolder()) +
                   " holds the takes; the next load would read " +
                   utf8FromPath(pathFromUtf8(*path).filename()) + " as one of them.";
    const std::uint64_t bytesPerFile = targets.dualMono ? targets.dataBytes / 2 : targets.dataBytes;
    if (std::optional<std::string> shortfall = missingSpace(targets, bytesPerFile, volumeSpace))
        return shortfall;
    return std::nullopt;
}

std::optional<VolumeSpace> systemVolumeSpace(const std::string& folder)
{
    return platform::volumeSpace(pathFromUtf8(folder));
}

} // namespace tabrix
