#if !defined(_WIN32) && !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64
#endif
#include "audio/PlatformFile.h"

#include "audio/PlatformFs.h"

#include <cerrno>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tabrix::platform {

std::FILE* openFile(const std::filesystem::path& path, const char* mode) noexcept
{
#ifdef _WIN32
    wchar_t wideMode[8] = {};
    for (int i = 0; i < 7 && mode[i] != '\0'; ++i)
        wideMode[i] = static_cast<wchar_t>(mode[i]);
    const std::filesystem::path native = longPath(path);
    std::FILE* file = native.empty() ? nullptr : _wfopen(native.c_str(), wideMode);
    // Windows refuses a folder as "access denied"; name the cause as POSIX does.
    if (file == nullptr && errno == EACCES && isFolder(path))
        errno = EISDIR;
    return file;
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool seekFile(std::FILE* file, std::int64_t offset, int origin) noexcept
{
#ifdef _WIN32
    return _fseeki64(file, offset, origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

std::int64_t tellFile(std::FILE* file) noexcept
{
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<std::int64_t>(ftello(file));
#endif
}

std::int64_t fileLength(std::FILE* file) noexcept
{
#ifdef _WIN32
    struct _stat64 status {};
    if (_fstat64(_fileno(file), &status) != 0)
        return -1;
#else
    struct stat status {};
    if (fstat(fileno(file), &status) != 0)
        return -1;
#endif
    return static_cast<std::int64_t>(status.st_size);
}

bool truncateFile(std::FILE* file, std::uint64_t byteCount) noexcept
{
    if (std::fflush(file) != 0 || byteCount > std::uint64_t(INT64_MAX))
        return false;
#ifdef _WIN32
    return _chsize_s(_fileno(file), static_cast<__int64>(byteCount)) == 0;
#else
    return ftruncate(fileno(file), static_cast<off_t>(byteCount)) == 0;
#endif
}

} // namespace tabrix::platform
