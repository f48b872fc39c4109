#include "CFolderDialog.h"

#include "ShellItem.h"
#include "WideText.h"
#include "audio/PlatformFs.h"
#include "audio/Types.h"

namespace tabrix::win32 {

CFolderDialog::CFolderDialog(const std::string& title, const std::string& initialPath, HWND owner,
                             unsigned flags)
    : title(title), initialPath(initialPath), owner(owner), flags(flags)
{
}

int CFolderDialog::doModal()
{
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, dialog.outVoid())))
        return 2;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    options |= FOS_PICKFOLDERS | FOS_PATHMUSTEXIST;
    if ((flags & returnOnlyFsDirs) != 0)
        options |= FOS_FORCEFILESYSTEM;
    dialog->SetOptions(options);
    const std::wstring wideTitle = wideFromUtf8(title);
    dialog->SetTitle(wideTitle.c_str());

    // A preselected folder opens in its parent with its name filled in.
    const std::filesystem::path initial = pathFromUtf8(initialPath);
    const std::string openIn =
        initialPath.empty() ? startFolder : utf8FromPath(initial.parent_path());
    if (IShellItem* folder =
            platform::isFolder(pathFromUtf8(openIn)) ? shellFolder(openIn) : nullptr) {
        dialog->SetFolder(folder);
        folder->Release();
    }
    if (!initialPath.empty()) {
        const std::wstring name = wideFromUtf8(utf8FromPath(initial.filename()));
        dialog->SetFileName(name.c_str());
    }
    if (FAILED(dialog->Show(owner)))
        return 2; // cancelled, or the dialog could not be shown
    ComPtr<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.out())))
        return -1;
    const std::string path = fileSystemPath(chosen.get());
    if (path.empty() || !platform::isFolder(pathFromUtf8(path)))
        return -1;
    chosenPath = path;
    const std::string name = utf8FromPath(pathFromUtf8(path).filename());
    chosenName = name.empty() ? path : name; // a drive's root has no name of its own
    return 1;
}

} // namespace tabrix::win32
