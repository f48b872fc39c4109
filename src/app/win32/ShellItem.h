#pragma once
#include <shobjidl.h>

#include <string>

namespace tabrix::win32 {

/// Releases a COM interface when it goes out of scope.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr()
    {
        if (pointer != nullptr)
            pointer->Release();
    }
    Interface* operator->() const noexcept { return pointer; }
    Interface* get() const noexcept { return pointer; }
    /// For a call that hands back a new reference.
    Interface** out() noexcept { return &pointer; }
    void** outVoid() noexcept { return reinterpret_cast<void**>(&pointer); }

private:
    Interface* pointer = nullptr;
};

/// The shell item of a folder given in UTF-8; null when the shell doesn't know it.
IShellItem* shellFolder(const std::string& path);
/// The file-system path of `item` in UTF-8; empty when it has none (a library, a phone).
std::string fileSystemPath(IShellItem* item);

} // namespace tabrix::win32
