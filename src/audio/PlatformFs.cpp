#include "audio/PlatformFs.h"

#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace tabrix::platform {

#ifdef _WIN32

namespace {

bool startsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// GetFullPathNameW makes the path absolute, turns "/" into "\" and resolves "." and "..":
// the "\\?\" form that follows passes the name through untouched, so it must be final.
std::wstring fullPathOf(const std::wstring& path)
{
    const DWORD neededChars = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (neededChars == 0)
        return {};
    std::wstring full(neededChars, L'\0');
    const DWORD writtenChars = GetFullPathNameW(path.c_str(), neededChars, full.data(), nullptr);
    if (writtenChars == 0 || writtenChars >= neededChars)
        return {};
    full.resize(writtenChars);
    return full;
}

std::string utf8Of(const wchar_t* text)
{
    const int byteCount = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (byteCount <= 1)
        return {};
    std::string utf8(std::size_t(byteCount), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), byteCount, nullptr, nullptr);
    utf8.pop_back(); // the terminator
    return utf8;
}

struct FileIdentity {
    DWORD volumeSerial = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

std::optional<FileIdentity> identityOf(const std::filesystem::path& path)
{
    const std::filesystem::path native = longPath(path);
    if (native.empty())
        return std::nullopt;
    // No access rights are asked for, so a file open elsewhere, or a folder, still answers.
    const HANDLE handle =
        CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

} // namespace

std::filesystem::path longPath(const std::filesystem::path& path)
{
    const std::wstring& text = path.native();
    if (text.empty())
        return {};
    if (startsWith(text, L"\\\\?\\") || startsWith(text, L"\\\\.\\"))
        return path; // already a verbatim or device path
    const std::wstring full = fullPathOf(text);
    if (full.empty())
        return {};
    if (startsWith(full, L"\\\\.\\"))
        return full; // a device name such as NUL
    if (startsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::vector<FolderEntry> listFolder(const std::filesystem::path& folder)
{
    std::vector<FolderEntry> entries;
    std::wstring pattern = longPath(folder).native();
    if (pattern.empty())
        return entries;
    if (pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool isDevice = (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
        entries.push_back({utf8Of(found.cFileName), isFolder, !isFolder && !isDevice});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

bool isFolder(const std::filesystem::path& path)
{
    const std::filesystem::path native = longPath(path);
    const DWORD attributes =
        native.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(native.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool exists(const std::filesystem::path& path)
{
    const std::filesystem::path native = longPath(path);
    return !native.empty() && GetFileAttributesW(native.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool removeFile(const std::filesystem::path& path)
{
    const std::filesystem::path native = longPath(path);
    return !native.empty() && DeleteFileW(native.c_str());
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    const std::optional<FileIdentity> first = identityOf(a);
    const std::optional<FileIdentity> second = identityOf(b);
    if (first && second)
        return first->volumeSerial == second->volumeSerial &&
               first->indexHigh == second->indexHigh && first->indexLow == second->indexLow;
    // Not both there yet: the names decide, and NTFS does not tell "a.wav" from "A.WAV".
    const std::wstring left = longPath(a).native();
    const std::wstring right = longPath(b).native();
    if (left.empty() || right.empty())
        return left == right;
    return CompareStringOrdinal(left.c_str(), int(left.size()), right.c_str(), int(right.size()),
                                TRUE) == CSTR_EQUAL;
}

std::optional<VolumeBytes> volumeSpace(const std::filesystem::path& folder)
{
    std::wstring native = longPath(folder).native();
    if (native.empty())
        return std::nullopt;
    if (native.back() != L'\\')
        native += L'\\'; // required for shares, harmless elsewhere
    ULARGE_INTEGER availableBytes{}, capacityBytes{}, freeBytes{};
    if (!GetDiskFreeSpaceExW(native.c_str(), &availableBytes, &capacityBytes, &freeBytes))
        return std::nullopt;
    return VolumeBytes{capacityBytes.QuadPart, availableBytes.QuadPart};
}

#else // POSIX: the standard library's answers are exact here.

namespace {

std::filesystem::path normalised(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

} // namespace

std::filesystem::path longPath(const std::filesystem::path& path)
{
    return path;
}

std::vector<FolderEntry> listFolder(const std::filesystem::path& folder)
{
    std::vector<FolderEntry> entries;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        const bool isRegularFile = it->is_regular_file(typeError);
        const std::u8string name = it->path().filename().u8string();
        entries.push_back({std::string(name.begin(), name.end()), isFolder, isRegularFile});
    }
    return entries;
}

bool isFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

bool removeFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::remove(path, error);
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error; // device and inode, when both exist
    if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
        const bool same = std::filesystem::equivalent(a, b, error);
        if (!error)
            return same;
    }
    return normalised(a) == normalised(b);
}

std::optional<VolumeBytes> volumeSpace(const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(folder, error);
    if (error)
        return std::nullopt;
    return VolumeBytes{space.capacity, space.available};
}

#endif

} // namespace tabrix::platform
