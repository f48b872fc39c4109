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

/// `absolute` (already normalised) in the "\\\\?\\" form spelt out by hand on Windows, which
/// passes names ending in a dot or a space through untouched; `absolute` itself elsewhere.
/// Lets a test make such names without trusting the platform layer it checks.
inline std::filesystem::path verbatimPath(const std::filesystem::path& absolute)
{
#ifdef _WIN32
    return L"\\\\?\\" + absolute.native();
#else
    return absolute;
#endif
}

} // namespace tabrix::testing
