#pragma once
#include <windows.h>

#include <string>

namespace tabrix::win32 {

/// Modal folder picker in the shape of the application's other dialogs, drawn by the shell's
/// file dialog: built with a title, an initial folder, an owner and options, run once, then read.
class CFolderDialog {
public:
    /// Only real file-system folders can be chosen.
    static constexpr unsigned returnOnlyFsDirs = 1;

    /// `title` and `initialPath` in UTF-8; `initialPath` empty: nothing preselected. `owner`
    /// may be null.
    CFolderDialog(const std::string& title, const std::string& initialPath, HWND owner,
                  unsigned flags);

    /// 1: a folder was chosen (selectedPath and displayName are set); -1: the choice has no
    /// usable file-system path; 2: cancelled, or the dialog could not be shown.
    int doModal();
    /// The folder the chooser shows first when nothing is preselected (UTF-8); empty: the
    /// shell's choice.
    void setStartFolder(const std::string& folder) { startFolder = folder; }

    /// Full path (UTF-8); empty unless doModal returned 1.
    const std::string& selectedPath() const noexcept { return chosenPath; }
    /// The chosen folder's own name, not a path.
    const std::string& displayName() const noexcept { return chosenName; }

private:
    std::string title;
    std::string initialPath;
    std::string startFolder;
    HWND owner;
    unsigned flags;
    std::string chosenPath;
    std::string chosenName;
};

} // namespace tabrix::win32
