#pragma once
#include "audio/PlatformFs.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace tabrix::testing {

/// Creates `root` (an ordinary, short path) and folders below it, one level at a time through the
/// platform's long-path form, until the path is at least `minChars` characters long; returns the
/// deepest one as an ordinary path. Windows itself refuses such paths without that form.
inline std::filesystem::path makeDeepFolder(const std::filesystem::path& root, std::size_t minChars)
{
    std::filesystem::create_directories(root);
    std::filesystem::path folder = root;
    for (int level = 0; folder.native().size() < minChars; ++level) {
        folder /= "level " + std::to_string(level) + " " + std::string(60, 'x');
        std::filesystem::create_directory(platform::longPath(folder));
    }
    return folder;
}

} // namespace tabrix::testing
