#include "frontend/OutputChecks.h"

#include "audio/TakeList.h"
#include "audio/Types.h"
#include "frontend/ProjectSummary.h"
#include "project/ConformProject.h"

#include <algorithm>
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

// Why the output(s) don't fit; none when they do. The header counts as well as the data. The
// standard library names no volume; folders reporting the same capacity and the same free bytes
// are taken to share one, which then has to hold all their files.
std::optional<std::string> missingSpace(const OutputTargets& targets, const VolumeQuery& volumeSpace)
{
    struct Volume {
        VolumeSpace space;
        std::vector<std::string> folders;
        std::uint64_t neededBytes = 0;
    };
    const std::uint64_t neededPerFile = targets.dataBytes / targets.paths.size() + outputHeaderBytes;
    std::vector<Volume> volumes;
    for (const std::string& path : targets.paths) {
        const std::string folder = folderOf(path);
        const std::optional<VolumeSpace> space = volumeSpace(folder);
        if (!space)
            return unreadableSpace(folder);
        auto volume = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) {
            return v.space.capacityBytes == space->capacityBytes &&
                   v.space.availableBytes == space->availableBytes;
        });
        if (volume == volumes.end())
            volume = volumes.insert(volumes.end(), Volume{*space, {}, 0});
        if (std::find(volume->folders.begin(), volume->folders.end(), folder) == volume->folders.end())
            volume->folders.push_back(folder);
        volume->neededBytes += neededPerFile;
    }
    for (const Volume& volume : volumes) {
        if (volume.neededBytes < volume.space.availableBytes)
            continue;
        if (volume.folders.size() == 1)
            return shortOfSpace(volume.folders.front(), volume.neededBytes, volume.space);
        std::string folders;
        for (std::size_t i = 0; i < volume.folders.size(); ++i)
            folders += (i == 0 ? "" : i + 1 == volume.folders.size() ? " and " : ", ") +
                       volume.folders[i];
        return "Insufficient space to create file. " + folders + " share a volume; " +
               (targets.paths.size() == 2 ? "both files" : "the files") + " need " +
               neededAndFree(volume.neededBytes, volume.space.availableBytes, " but it has ");
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> refuseOutputs(const ConformProject& project,
                                         const OutputTargets& targets,
                                         const VolumeQuery& volumeSpace)
{
    if (targets.paths.empty())
        return "No output file was named.";
    // Two names for one file would interleave two outputs' writes into it.
    for (std::size_t i = 0; i < targets.paths.size(); ++i)
        for (std::size_t j = i + 1; j < targets.paths.size(); ++j)
            if (samePath(pathFromUtf8(targets.paths[j]), pathFromUtf8(targets.paths[i])))
                return "Files cannot have same name. " +
                       std::string(targets.dualMono ? "Left and right" : "Two outputs") +
                       " would both be " + targets.paths[i] + ".";
    // Creating the output truncates it; if it is a take, that take is gone before it is read.
    for (const std::string& path : targets.paths)
        if (isOneOfTheTakes(project, path))
            return "Output file cannot be one of the project's takes. " + path +
                   " would be overwritten before it is read.";
    // The next load would read an output there as the newest take, winning every overlap.
    for (const std::string& path : targets.paths)
        if (isInTakeFolder(project, path))
            return "Output file cannot be saved in the project's take folder. " +
                   utf8FromPath(project.takeFolder()) +
                   " holds the takes; the next load would read " +
                   utf8FromPath(pathFromUtf8(path).filename()) + " as one of them.";
    return missingSpace(targets, volumeSpace);
}

std::optional<VolumeSpace> systemVolumeSpace(const std::string& folder)
{
    return platform::volumeSpace(pathFromUtf8(folder));
}

} // namespace tabrix
