#pragma once
#include "app/OutputChecks.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tabrix {

class ConformProject;

/// The folder chooser's answer. `result`: 1 a folder with a file-system path was chosen,
/// -1 an item without a file-system path was chosen, 2 the user cancelled.
struct FolderChoice {
    int result = 2;
    std::string selectedPath; ///< UTF-8 full path; empty unless `result` is 1
    std::string displayName;  ///< the folder's own name, not a path
};

/// A save dialog's answer; `fullPath` and `fileName` (UTF-8) are empty unless `confirmed`.
struct SaveChoice {
    bool confirmed = false;
    std::string fullPath;
    std::string fileName; ///< the last component of `fullPath`
};

/// Everything the window logic needs from the toolkit and the platform: modal dialogs, the
/// error box, the free-space query and the progress window. The Qt layer implements it;
/// tests fake it.
class DialogServices {
public:
    virtual ~DialogServices() = default;
    /// Modal folder picker restricted to file-system folders; `initialPath` empty: no
    /// preselection.
    virtual FolderChoice chooseFolder(const std::string& title, const std::string& initialPath) = 0;
    /// Modal save dialog for a WAV file with the given title and proposed file name.
    virtual SaveChoice chooseSaveFile(const std::string& title, const std::string& defaultName) = 0;
    /// Modal message box with an error icon and one OK button.
    virtual void showMessage(const std::string& text, const std::string& title) = 0;
    /// The volume holding `folder` (UTF-8); empty when the query failed.
    virtual std::optional<VolumeSpace> volumeSpace(const std::string& folder) = 0;
    /// Runs the progress window modally over a prepared project; returns when it closes.
    virtual void runProgress(ConformProject& project) = 0;
};

} // namespace tabrix
