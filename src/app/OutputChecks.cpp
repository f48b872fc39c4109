#include "app/OutputChecks.h"

#include "audio/TakeList.h"
#include "audio/Types.h"
#include "project/ConformProject.h"

#include <system_error>

namespace tabrix {

namespace {

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

bool hasFreeSpace(const OutputTargets& targets, std::uint64_t bytesPerFile,
                  const VolumeQuery& volumeSpace)
{
    const std::uint64_t neededPerFile = bytesPerFile + outputHeaderBytes;
    const std::optional<VolumeSpace> leftVolume = volumeSpace(folderOf(targets.leftPath));
    if (!leftVolume)
        return false;
    if (!targets.dualMono)
        return neededPerFile < leftVolume->availableBytes;

    const std::optional<VolumeSpace> rightVolume = volumeSpace(folderOf(targets.rightPath));
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

} // namespace

std::optional<std::string> refuseOutputs(const ConformProject& project,
                                         const OutputTargets& targets,
                                         const VolumeQuery& volumeSpace)
{
    // Two names for one file would interleave both channels' writes into it.
    if (targets.dualMono &&
        samePath(pathFromUtf8(targets.rightPath), pathFromUtf8(targets.leftPath)))
        return "Files cannot have same name.";
    // Creating the output truncates it; if it is a take, that take is gone before it is read.
    if (isOneOfTheTakes(project, targets.leftPath) ||
        (targets.dualMono && isOneOfTheTakes(project, targets.rightPath)))
        return "Output file cannot be one of the project's takes.";
    // The next load would read an output there as the newest take, winning every overlap.
    if (isInTakeFolder(project, targets.leftPath) ||
        (targets.dualMono && isInTakeFolder(project, targets.rightPath)))
        return "Output file cannot be saved in the project's take folder.";
    const std::uint64_t bytesPerFile = targets.dualMono ? targets.dataBytes / 2 : targets.dataBytes;
    if (!hasFreeSpace(targets, bytesPerFile, volumeSpace))
        return "Insufficient space to create file.";
    return std::nullopt;
}

std::optional<VolumeSpace> systemVolumeSpace(const std::string& folder)
{
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(pathFromUtf8(folder), error);
    if (error)
        return std::nullopt;
    return VolumeSpace{space.capacity, space.available};
}

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
        const bool same = std::filesystem::equivalent(a, b, error);
        if (!error)
            return same;
    }
    return normalised(a) == normalised(b);
}

} // namespace tabrix
