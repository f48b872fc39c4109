#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>

// The few file calls whose portable spelling differs by platform: opening by a Unicode path of
// any length, 64-bit positioning, the length and truncation of an open file. Everything else
// uses <cstdio> as it is.
namespace tabrix::platform {

/// fopen with a mode such as "rb"; nullptr on failure. On Windows the path goes through
/// longPath(), so it may exceed 260 characters.
std::FILE* openFile(const std::filesystem::path& path, const char* mode) noexcept;

/// Absolute (origin SEEK_SET) or relative (SEEK_CUR) positioning with a 64-bit offset.
bool seekFile(std::FILE* file, std::int64_t offset, int origin) noexcept;

/// Current position, or -1 when the query fails.
std::int64_t tellFile(std::FILE* file) noexcept;

/// Length in bytes of the open file as the system holds it (bytes still in the stream's own
/// buffer are not counted), or -1 when the query fails.
std::int64_t fileLength(std::FILE* file) noexcept;

/// Cuts the open file to `byteCount` bytes after flushing the stream's buffer. The position
/// is left where it was.
bool truncateFile(std::FILE* file, std::uint64_t byteCount) noexcept;

} // namespace tabrix::platform
