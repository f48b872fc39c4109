#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>

// The few file calls whose portable spelling differs by platform: opening by a Unicode path and
// 64-bit positioning. Everything else uses <cstdio> as it is.
namespace tabrix::platform {

/// fopen with a mode such as "rb"; nullptr on failure.
std::FILE* openFile(const std::filesystem::path& path, const char* mode) noexcept;

/// Absolute (origin SEEK_SET) or relative (SEEK_CUR) positioning with a 64-bit offset.
bool seekFile(std::FILE* file, std::int64_t offset, int origin) noexcept;

/// Current position, or -1 when the query fails.
std::int64_t tellFile(std::FILE* file) noexcept;

} // namespace tabrix::platform
