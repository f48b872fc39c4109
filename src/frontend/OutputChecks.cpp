#include "frontend/OutputChecks.h"

#include "audio/TakeList.h"
#include "audio/Types.h"
#include "frontend/SizeText.h"
#include "project/ConformProject.h"

#include <algorithm>
#include <utility>
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

std::string bytesText(std::uint64_t byteCount)
{
    return sizeForPeople(byteCount);
}

// "20 KB" and "1.8 MB"; exact byte counts where rounding would make need and space look equal.
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

OutputRefusal shortOfSpace(const std::string& folder, std::uint64_t neededBytes,
                           const VolumeSpace& volume, std::size_t file)
{
    return {"Insufficient space to create file. " + folder + " needs " +
                neededAndFree(neededBytes, volume.availableBytes, " but has "),
            file};
}

OutputRefusal unreadableSpace(const std::string& folder, std::size_t file)
{
    return {"Insufficient space to create file. The free space in " + folder +
                " could not be read.",
            file};
}

// Why the output(s) don't fit; none when they do. The header counts as well as the data. The
// standard library names no volume; folders reporting the same capacity and the same free bytes
// are taken to share one, which then has to hold all their files.
std::optional<OutputRefusal> missingSpace(const OutputTargets& targets,
                                          const VolumeQuery& volumeSpace)
{
    struct Volume {
        VolumeSpace space;
        std::vector<std::string> folders;
        std::uint64_t neededBytes = 0;
        std::size_t firstFile = 0; ///< the first of the files it would hold
    };
    const std::uint64_t neededPerFile = targets.dataBytes / targets.paths.size() + outputHeaderBytes;
    std::vector<Volume> volumes;
    for (std::size_t file = 0; file < targets.paths.size(); ++file) {
        const std::string folder = folderOf(targets.paths[file]);
        const std::optional<VolumeSpace> space = volumeSpace(folder);
        if (!space)
            return unreadableSpace(folder, file);
        auto volume = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) {
            return v.space.capacityBytes == space->capacityBytes &&
                   v.space.availableBytes == space->availableBytes;
        });
        if (volume == volumes.end())
            volume = volumes.insert(volumes.end(), Volume{*space, {}, 0, file});
        if (std::find(volume->folders.begin(), volume->folders.end(), folder) == volume->folders.end())
            volume->folders.push_back(folder);
        volume->neededBytes += neededPerFile;
    }
    for (const Volume& volume : volumes) {
        if (volume.neededBytes < volume.space.availableBytes)
            continue;
        if (volume.folders.size() == 1)
            return shortOfSpace(volume.folders.front(), volume.neededBytes, volume.space,
                                volume.firstFile);
        std::string folders;
        for (std::size_t i = 0; i < volume.folders.size(); ++i)
            folders += (i == 0 ? "" : i + 1 == volume.folders.size() ? " and " : ", ") +
                       volume.folders[i];
        return OutputRefusal{
            "Insufficient space to create file. " + folders + " share a volume; " +
                (targets.paths.size() == 2 ? "both files" : "the files") + " need " +
                neededAndFree(volume.neededBytes, volume.space.availableBytes, " but it has "),
            volume.firstFile};
    }
    return std::nullopt;
}

} // namespace

std::optional<OutputRefusal> checkOutputs(const ConformProject& project,
                                          const OutputTargets& targets,
                                          const VolumeQuery& volumeSpace)
{
    if (targets.paths.empty())
        return OutputRefusal{"No output file was named.", 0};
    // Two names for one file would interleave two outputs' writes into it.
    for (std::size_t i = 0; i < targets.paths.size(); ++i)
        for (std::size_t j = i + 1; j < targets.paths.size(); ++j)
            if (samePath(pathFromUtf8(targets.paths[j]), pathFromUtf8(targets.paths[i])))
                return OutputRefusal{
                    "Files cannot have same name. " +
                        std::string(targets.dualMono ? "Left and right" : "Two outputs") +
                        " would both be " + targets.paths[i] + ".",
                    j};
    // Creating the output truncates it; if it is a take, that take is gone before it is read.
    for (std::size_t i = 0; i < targets.paths.size(); ++i)
        if (isOneOfTheTakes(project, targets.paths[i]))
            return OutputRefusal{"Output file cannot be one of the project's takes. " +
                                     targets.paths[i] + " would be overwritten before it is read.",
                                 i};
    for (std::size_t i = 0; i < targets.paths.size(); ++i)
        if (std::optional<std::string> reason =
                refuseInTakeFolder(project.takeFolder(), targets.paths[i]))
            return OutputRefusal{std::move(*reason), i};
    return missingSpace(targets, volumeSpace);
}

std::optional<std::string> refuseOutputs(const ConformProject& project,
                                         const OutputTargets& targets,
                                         const VolumeQuery& volumeSpace)
{
    std::optional<OutputRefusal> refusal = checkOutputs(project, targets, volumeSpace);
    if (!refusal)
        return std::nullopt;
    return std::move(refusal->text);
}

std::optional<std::string> refuseInTakeFolder(const std::filesystem::path& takeFolder,
                                              const std::string& outputPath)
{
    // The next load would read an output there as the newest take, winning every overlap.
    if (takeFolder.empty() || !samePath(pathFromUtf8(folderOf(outputPath)), takeFolder))
        return std::nullopt;
    return "Output file cannot be saved in the project's take folder. " + utf8FromPath(takeFolder) +
           " holds the takes; the next load would read " +
           utf8FromPath(pathFromUtf8(outputPath).filename()) + " as one of them.";
}

std::optional<VolumeSpace> systemVolumeSpace(const std::string& folder)
{
    return platform::volumeSpace(pathFromUtf8(folder));
}

} // namespace tabrix
