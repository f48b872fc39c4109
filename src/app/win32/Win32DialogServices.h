#pragma once
#include "app/DialogServices.h"

#include <windows.h>

#include <string>

namespace tabrix::win32 {

/// The real dialogs on Windows: the shell's folder chooser and save dialog, message boxes, the
/// Details window, the progress window, the free-space query, and values remembered between
/// runs under HKEY_CURRENT_USER, all modal over `owner`.
class Win32DialogServices : public DialogServices {
public:
    /// The key under HKEY_CURRENT_USER where remembered values live.
    static constexpr const wchar_t* settingsKey = L"Software\\Tabrix\\Conform";

    explicit Win32DialogServices(HWND owner = nullptr, std::wstring registryKey = settingsKey)
        : owner(owner), registryKey(std::move(registryKey))
    {
    }

    void setOwner(HWND window) noexcept { owner = window; }

    FolderChoice chooseFolder(const std::string& title, const std::string& initialPath,
                              const std::string& startFolder) override;
    SaveChoice chooseSaveFile(const std::string& title, const std::string& defaultName,
                              const std::string& startFolder) override;
    void showMessage(const std::string& text, const std::string& title) override;
    bool confirm(const std::string& text, const std::string& title) override;
    void showDetails(const DetailsContent& content) override;
    std::string recall(const std::string& key) override;
    void remember(const std::string& key, const std::string& value) override;
    std::optional<VolumeSpace> volumeSpace(const std::string& folder) override;
    void runProgress(ConformProject& project, const ProgressJob& job) override;

protected:
    HWND owner;
    std::wstring registryKey;
};

} // namespace tabrix::win32
