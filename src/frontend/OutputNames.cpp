#include "frontend/OutputNames.h"

#include "audio/Types.h"

#include <algorithm>
#include <cstring>

namespace tabrix {

namespace {

std::string folded(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The base without a trailing ".wav" in any letter case.
std::string withoutWav(const std::string& name)
{
    if (name.size() >= 4 && folded(name.substr(name.size() - 4)) == ".wav")
        return name.substr(0, name.size() - 4);
    return name;
}

} // namespace

std::string safeFileName(const std::string& name)
{
    std::string safe;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool forbidden = byte < 0x20 || byte == 0x7F || std::strchr("<>:\"/\\|?*", c) != nullptr;
        safe += forbidden ? '_' : c;
    }
    // Windows drops trailing dots and spaces from a name, which could make two files one.
    while (!safe.empty() && (safe.back() == ' ' || safe.back() == '.'))
        safe.pop_back();
    return safe;
}

std::vector<std::string> splitTrackPaths(const std::string& basePath,
                                         const std::vector<ProjectTrack>& tracks)
{
    const std::filesystem::path base = pathFromUtf8(basePath);
    const std::string stem = withoutWav(utf8FromPath(base.filename()));
    std::vector<std::string> parts;
    for (const ProjectTrack& track : tracks) {
        const std::string safe = safeFileName(track.name);
        parts.push_back(safe.empty() ? "Track" + std::to_string(track.key) : safe);
    }
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const std::string key = folded(parts[i]);
        const bool clashes =
            std::count_if(parts.begin(), parts.end(),
                          [&](const std::string& other) { return folded(other) == key; }) > 1;
        const std::string name = stem + "_" + parts[i] +
                                 (clashes ? "_" + std::to_string(tracks[i].key) : "") + ".wav";
        paths.push_back(utf8FromPath(base.parent_path() / pathFromUtf8(name)));
    }
    return paths;
}

} // namespace tabrix
