#include "app/ProjectLocation.h"

#include "audio/PlatformFs.h"
#include "audio/Types.h"

#include <filesystem>
#include <system_error>

namespace tabrix {

namespace {

bool isWavName(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension == ".wav";
}

ProjectLocation opened(const std::filesystem::path& folder)
{
    const std::string name = utf8FromPath(folder.filename());
    const std::string path = utf8FromPath(folder);
    return {path, name.empty() ? path : name, std::string()};
}

ProjectLocation refused(std::string reason)
{
    return {std::string(), std::string(), std::move(reason)};
}

constexpr const char* whatOpens = "Drop a project folder, or one of its WAV takes.";

} // namespace

ProjectLocation ProjectLocation::of(const std::string& path)
{
    if (path.empty())
        return refused(std::string("Nothing was given to open. ") + whatOpens);
    // Absolute and without "." or "..": an argument like "." still names its folder.
    std::error_code error;
    std::filesystem::path item = std::filesystem::absolute(pathFromUtf8(path), error);
    item = error ? pathFromUtf8(path) : item.lexically_normal();
    if (!item.has_filename() && item.has_parent_path() && item.parent_path() != item.root_path())
        item = item.parent_path(); // "Day 1/" is the folder "Day 1"
    if (platform::isFolder(item))
        return opened(item);
    const std::string name = utf8FromPath(item.filename());
    if (!std::filesystem::exists(platform::longPath(item), error))
        return refused(path + " can't be found.");
    if (!isWavName(name))
        return refused(name + " is neither a folder nor a WAV file, so no project was opened. " +
                       whatOpens);
    // A take: the project is its folder, or the folder above when this is its "Audio Files"
    // (the folder a load of the one above would read).
    const std::filesystem::path folder = item.parent_path();
    const std::filesystem::path above = folder.parent_path();
    if (!above.empty() && above != folder && platform::sameFile(above / "Audio Files", folder) &&
        platform::isFolder(above / "Audio Files"))
        return opened(above);
    return opened(folder);
}

ProjectLocation ProjectLocation::ofDrop(const std::vector<std::string>& paths)
{
    if (paths.size() > 1)
        return refused(std::to_string(paths.size()) +
                       " items were dropped; a project is opened from one. " + whatOpens);
    return of(paths.empty() ? std::string() : paths.front());
}

} // namespace tabrix
