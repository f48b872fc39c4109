#include "ShellItem.h"

#include "WideText.h"

#include <shlobj.h>

namespace tabrix::win32 {

IShellItem* shellFolder(const std::string& path)
{
    if (path.empty())
        return nullptr;
    IShellItem* item = nullptr;
    const std::wstring wide = wideFromUtf8(path);
    if (FAILED(SHCreateItemFromParsingName(wide.c_str(), nullptr, IID_IShellItem,
                                           reinterpret_cast<void**>(&item))))
        return nullptr;
    return item;
}

std::string fileSystemPath(IShellItem* item)
{
    wchar_t* path = nullptr;
    if (item == nullptr || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) ||
        path == nullptr)
        return {};
    const std::string text = utf8FromWide(path);
    CoTaskMemFree(path);
    return text;
}

} // namespace tabrix::win32
