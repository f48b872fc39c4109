#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// File-system questions whose answers differ by platform: the path form that reaches files past
// 260 characters on Windows, folder listings with Unicode names, file identity and free space.
// Every Windows or POSIX difference of the core lives here and in PlatformFile.
namespace tabrix::platform {

/// The spelling to hand the operating system. On Windows an absolute, normalised path with the
/// "\\?\" prefix (or "\\?\UNC\" for a share), so names past 260 characters and names ending in a
/// dot or space reach the file; elsewhere `path` unchanged. Empty when it can't be formed.
std::filesystem::path longPath(const std::filesystem::path& path);

/// One entry of a folder.
struct FolderEntry {
    std::string name;           ///< UTF-8, without the folder
    bool isFolder = false;      ///< a subfolder (or a link to one)
    bool isRegularFile = false; ///< a plain file (or a link to one): no pipe, device or socket
};

/// The entries of `folder` except "." and "..", in the order the system gives them; empty when
/// the folder can't be read.
std::vector<FolderEntry> listFolder(const std::filesystem::path& folder);

/// True when `path` names an existing folder (or a link to one).
bool isFolder(const std::filesystem::path& path);

/// True when something exists at `path`: a file, a folder, or a link (even one that leads
/// nowhere).
bool exists(const std::filesystem::path& path);

/// Deletes the file `path`; false when it could not be deleted.
bool removeFile(const std::filesystem::path& path);

/// True when `a` and `b` are one file however they are spelt: by volume and file index (device
/// and inode) when both exist, otherwise by their normalised absolute paths, compared without
/// letter case where the file system ignores it (Windows).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

/// Sizes of the volume that holds a folder, in bytes.
struct VolumeBytes {
    std::uint64_t capacityBytes = 0;
    std::uint64_t availableBytes = 0; ///< what this user may still write
};

/// The volume holding `folder`; empty when the query fails (e.g. the folder is missing).
std::optional<VolumeBytes> volumeSpace(const std::filesystem::path& folder);

} // namespace tabrix::platform
