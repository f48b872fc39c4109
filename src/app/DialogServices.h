#pragma once
#include "app/ProgressLogic.h"
#include "app/ProjectDetails.h"
#include "frontend/OutputChecks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
    bool wavFilter = true; ///< the "WAV (*.wav)" filter was chosen, not "All Files"
};

/// Everything the window logic needs from the toolkit and the platform: modal dialogs, the
/// error box, the Details window, the settings, the free-space query and the progress window.
/// The Qt layer implements it; tests fake it.
class DialogServices {
public:
    virtual ~DialogServices() = default;
    /// Modal folder picker restricted to file-system folders; `initialPath` empty: no
    /// preselection. It opens in `startFolder` (UTF-8); empty: wherever the toolkit likes.
    virtual FolderChoice chooseFolder(const std::string& title, const std::string& initialPath,
                                      const std::string& startFolder) = 0;
    /// Modal save dialog for a WAV file with the given title and proposed file name, opening
    /// in `startFolder` (UTF-8; empty: wherever the toolkit likes).
    virtual SaveChoice chooseSaveFile(const std::string& title, const std::string& defaultName,
                                      const std::string& startFolder) = 0;
    /// Modal message box with an error icon and one OK button.
    virtual void showMessage(const std::string& text, const std::string& title) = 0;
    /// Modal question with Yes and No; true for Yes.
    virtual bool confirm(const std::string& text, const std::string& title) = 0;
    /// The Details window: resizable, every section's table with columns as wide as their
    /// widest cell, `content.focusSection` scrolled into view. Modal.
    virtual void showDetails(const DetailsContent& content) = 0;
    /// A value remembered between runs (UTF-8); empty when none was stored under `key`.
    virtual std::string recall(const std::string& key) = 0;
    virtual void remember(const std::string& key, const std::string& value) = 0;
    /// The volume holding `folder` (UTF-8); empty when the query failed.
    virtual std::optional<VolumeSpace> volumeSpace(const std::string& folder) = 0;
    /// Runs the progress window modally over a prepared project; returns when it closes.
    virtual void runProgress(ConformProject& project, const ProgressJob& job) = 0;
};

} // namespace tabrix
