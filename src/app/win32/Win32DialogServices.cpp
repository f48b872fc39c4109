#include "Win32DialogServices.h"

#include "CFolderDialog.h"
#include "DetailsDialogView.h"
#include "ProgressDialogView.h"
#include "ShellItem.h"
#include "WideText.h"
#include "app/ThreadWorker.h"
#include "audio/PlatformFs.h"
#include "audio/Types.h"

namespace tabrix::win32 {

namespace {

// The file types the save dialog offers; the first is the WAV filter.
constexpr COMDLG_FILTERSPEC fileTypes[] = {{L"WAV (*.wav)", L"*.wav"},
                                           {L"All Files (*.*)", L"*.*"}};

} // namespace

FolderChoice Win32DialogServices::chooseFolder(const std::string& title,
                                               const std::string& initialPath,
                                               const std::string& startFolder)
{
    CFolderDialog dialog(title, initialPath, owner, CFolderDialog::returnOnlyFsDirs);
    dialog.setStartFolder(startFolder);
    FolderChoice choice;
    choice.result = dialog.doModal();
    if (choice.result == 1) {
        choice.selectedPath = dialog.selectedPath();
        choice.displayName = dialog.displayName();
    }
    return choice;
}

SaveChoice Win32DialogServices::chooseSaveFile(const std::string& title,
                                               const std::string& defaultName,
                                               const std::string& startFolder)
{
    SaveChoice choice;
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileSaveDialog, dialog.outVoid())))
        return choice;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    // The dialog asks before replacing the name as typed; adding ".wav" is the conform's rule.
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_OVERWRITEPROMPT | FOS_NOREADONLYRETURN);
    dialog->SetFileTypes(UINT(std::size(fileTypes)), fileTypes);
    dialog->SetFileTypeIndex(1);
    const std::wstring wideTitle = wideFromUtf8(title);
    const std::wstring wideName = wideFromUtf8(defaultName);
    dialog->SetTitle(wideTitle.c_str());
    dialog->SetFileName(wideName.c_str());
    if (IShellItem* folder =
            platform::isFolder(pathFromUtf8(startFolder)) ? shellFolder(startFolder) : nullptr) {
        dialog->SetFolder(folder);
        folder->Release();
    }
    if (FAILED(dialog->Show(owner)))
        return choice;
    ComPtr<IShellItem> chosen;
    UINT typeIndex = 1;
    if (FAILED(dialog->GetResult(chosen.out())))
        return choice;
    dialog->GetFileTypeIndex(&typeIndex);
    const std::string path = fileSystemPath(chosen.get());
    if (path.empty())
        return choice;
    choice.confirmed = true;
    choice.fullPath = path;
    choice.fileName = utf8FromPath(pathFromUtf8(path).filename());
    choice.wavFilter = typeIndex == 1;
    return choice;
}

void Win32DialogServices::showMessage(const std::string& text, const std::string& title)
{
    MessageBoxW(owner, wideFromUtf8(text).c_str(), wideFromUtf8(title).c_str(),
                MB_OK | MB_ICONERROR);
}

bool Win32DialogServices::confirm(const std::string& text, const std::string& title)
{
    return MessageBoxW(owner, wideFromUtf8(text).c_str(), wideFromUtf8(title).c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void Win32DialogServices::showDetails(const DetailsContent& content)
{
    DetailsDialogView view(content);
    view.runModal(owner);
}

std::string Win32DialogServices::recall(const std::string& key)
{
    const std::wstring name = wideFromUtf8(key);
    DWORD byteCount = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, registryKey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     nullptr, &byteCount) != ERROR_SUCCESS)
        return {};
    std::wstring value(byteCount / sizeof(wchar_t) + 1, L'\0');
    byteCount = DWORD(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, registryKey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     value.data(), &byteCount) != ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    return utf8FromWide(value);
}

void Win32DialogServices::remember(const std::string& key, const std::string& value)
{
    HKEY settings = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, registryKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &settings, nullptr) != ERROR_SUCCESS)
        return; // nothing is remembered; the dialogs then open where the system likes
    const std::wstring name = wideFromUtf8(key);
    const std::wstring wide = wideFromUtf8(value);
    RegSetValueExW(settings, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   DWORD((wide.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(settings);
}

std::optional<VolumeSpace> Win32DialogServices::volumeSpace(const std::string& folder)
{
    return systemVolumeSpace(folder);
}

void Win32DialogServices::runProgress(ConformProject& project, const ProgressJob& job)
{
    ThreadWorker worker;
    ProgressDialogView progress(project, worker, job);
    progress.runModal(owner);
}

} // namespace tabrix::win32
