#pragma once
#include <string>
#include <vector>

namespace tabrix {

/// Where something handed to the window leads: a project folder to open, or why it leads
/// nowhere. Dropped items and the program's argument follow the same rule: a folder is the
/// project; a WAV file opens the folder it is in, or the folder above when it lies in that
/// folder's "Audio Files"; anything else is refused with the reason.
struct ProjectLocation {
    std::string folder;      ///< UTF-8; empty when refused
    std::string displayName; ///< the folder's own name, or the whole path for a root
    std::string refusal;     ///< why nothing is opened, in words; empty when `folder` is set

    bool found() const noexcept { return !folder.empty(); }

    /// The project `path` (UTF-8) leads to.
    static ProjectLocation of(const std::string& path);
    /// The project a drop of `paths` leads to: exactly one item is needed.
    static ProjectLocation ofDrop(const std::vector<std::string>& paths);
};

} // namespace tabrix
