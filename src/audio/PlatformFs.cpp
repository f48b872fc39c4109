#include "audio/PlatformFs.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace tabrix::platform {

#ifdef _WIN32

namespace {

bool startsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// The process's current folder, without a "\\?\" prefix it may have been set with; empty
// when it can't be had.
std::wstring currentFolder()
{
    const DWORD neededChars = GetCurrentDirectoryW(0, nullptr);
    if (neededChars == 0)
        return {};
    std::wstring folder(neededChars, L'\0');
    const DWORD writtenChars = GetCurrentDirectoryW(neededChars, folder.data());
    if (writtenChars == 0 || writtenChars >= neededChars)
        return {};
    folder.resize(writtenChars);
    if (startsWith(folder, L"\\\\?\\UNC\\"))
        return L"\\\\" + folder.substr(8);
    if (startsWith(folder, L"\\\\?\\"))
        return folder.substr(4);
    return folder;
}

bool isDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// "CON", "NUL" and their kin name devices, not files in the current folder.
bool isDeviceName(const std::wstring& name)
{
    std::wstring upper = name;
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (upper == device)
            return true;
    return upper.size() == 4 && (startsWith(upper, L"COM") || startsWith(upper, L"LPT")) &&
           upper[3] >= L'1' && upper[3] <= L'9';
}

// `root` (ending in "\\", or a share's "\\server\share") followed by the components of
// `rest` with "." dropped, ".." taking the one before it away (never the root) and empty
// components from doubled separators left out. Names keep trailing dots and spaces: the
// "\\?\" form passes them to the file system as they are.
std::wstring joinedNormalised(std::wstring root, const std::wstring& rest)
{
    std::vector<std::wstring> parts;
    for (std::size_t at = 0; at <= rest.size();) {
        std::size_t end = rest.find(L'\\', at);
        if (end == std::wstring::npos)
            end = rest.size();
        const std::wstring part = rest.substr(at, end - at);
        if (part == L"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 || root.back() != L'\\')
            root += L'\\';
        root += parts[i];
    }
    return root;
}

// Where the share's root "\\server\share" ends in `path`; 0 when `path` names no share.
std::size_t shareRootEnd(const std::wstring& path)
{
    if (!startsWith(path, L"\\\\"))
        return 0;
    const std::size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos || serverEnd == 2 || serverEnd + 1 == path.size() ||
        path[serverEnd + 1] == L'\\')
        return 0;
    return std::min(path.find(L'\\', serverEnd + 1), path.size());
}

// `path` (separators already "\\") as "\\?\X:\..." or "\\?\UNC\server\share\...",
// made absolute against the current folder; empty when it can't be.
std::wstring verbatimOf(const std::wstring& path)
{
    if (const std::size_t rootEnd = shareRootEnd(path); rootEnd != 0) {
        const std::wstring rest = rootEnd < path.size() ? path.substr(rootEnd + 1) : L"";
        return joinedNormalised(L"\\\\?\\UNC\\" + path.substr(2, rootEnd - 2), rest);
    }
    if (startsWith(path, L"\\\\"))
        return {}; // "\\" without a server and a share
    const bool drive = path.size() >= 2 && isDriveLetter(path[0]) && path[1] == L':';
    if (drive && path.size() >= 3 && path[2] == L'\\')
        return joinedNormalised(L"\\\\?\\" + path.substr(0, 2) + L"\\", path.substr(3));
    const std::wstring current = currentFolder();
    if (current.size() < 2 || (shareRootEnd(current) == 0 && current[1] != L':'))
        return {};
    if (drive) {
        // "X:name" is relative to the current folder when that is on X, else to X's root.
        const bool onDrive = current[1] == L':' && (current[0] | 0x20) == (path[0] | 0x20);
        return verbatimOf((onDrive ? current : path.substr(0, 2)) + L"\\" + path.substr(2));
    }
    if (path[0] == L'\\') { // rooted: on the current folder's drive or share
        const std::size_t rootEnd = current[1] == L':' ? 2 : shareRootEnd(current);
        return verbatimOf(current.substr(0, rootEnd) + path);
    }
    return verbatimOf(current + L"\\" + path);
}

// The errno value the window and the command line word for a Windows error of a listing.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
        return ENODEV;
    default:
        return EIO;
    }
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

// Not through GetFullPathNameW: it strips trailing dots and spaces from names, so a folder
// "Scene 5." copied from a card would resolve to "Scene 5".
std::filesystem::path longPath(const std::filesystem::path& path)
{
    const std::wstring& text = path.native();
    if (text.empty())
        return {};
    if (startsWith(text, L"\\\\?\\") || startsWith(text, L"\\\\.\\"))
        return path; // already a verbatim or device path
    std::wstring separated = text;
    std::replace(separated.begin(), separated.end(), L'/', L'\\');
    if (startsWith(separated, L"\\\\.\\"))
        return separated;
    if (isDeviceName(separated))
        return L"\\\\.\\" + separated;
    return verbatimOf(separated);
}

FolderListing listFolder(const std::filesystem::path& folder,
                         const std::function<bool()>& stopRequested)
{
    std::wstring pattern = longPath(folder).native();
    if (pattern.empty())
        return {{}, ListingEnd::Failed, ENOENT};
    if (pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A drive's root lists no "." entry, so an empty one finds nothing at all.
        if (error == ERROR_FILE_NOT_FOUND && isFolder(folder))
            return {};
        return {{}, ListingEnd::Failed, errnoOf(error)};
    }
    FolderListing listing;
    do {
        if (stopRequested && stopRequested()) {
            FindClose(search);
            return {{}, ListingEnd::Stopped, 0};
        }
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool isDevice = (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
        listing.entries.push_back({utf8Of(found.cFileName), isFolder, !isFolder && !isDevice});
    } while (FindNextFileW(search, &found));
    // Only "no more files" ends a listing; anything else broke it off.
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        return {{}, ListingEnd::Failed, errnoOf(error)};
    return listing;
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
    if (native.empty())
        return false;
    // The attributes of a link are its own: one that leads nowhere still answers.
    if (GetFileAttributesW(native.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
           error != ERROR_INVALID_NAME;
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

FolderListing listFolder(const std::filesystem::path& folder,
                         const std::function<bool()>& stopRequested)
{
    FolderListing listing;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (stopRequested && stopRequested())
            return {{}, ListingEnd::Stopped, 0};
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        const bool isRegularFile = it->is_regular_file(typeError);
        const std::u8string name = it->path().filename().u8string();
        listing.entries.push_back({std::string(name.begin(), name.end()), isFolder, isRegularFile});
    }
    // The iterator ends the same way at the last entry and at a failed read: only the error
    // tells a listing cut short from a complete one.
    if (error)
        return {{}, ListingEnd::Failed, error.value() != 0 ? error.value() : EIO};
    return listing;
}

bool isFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool exists(const std::filesystem::path& path)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0)
        return true;
    return errno != ENOENT && errno != ENOTDIR;
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
