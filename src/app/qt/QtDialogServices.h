#pragma once
#include "app/DialogServices.h"

class QWidget;

namespace tabrix {

/// The real dialogs: folder chooser, WAV save dialog, message boxes, the Details window,
/// the settings remembered between runs, the free-space query and the progress window, all
/// modal over `owner`.
class QtDialogServices : public DialogServices {
public:
    explicit QtDialogServices(QWidget* owner = nullptr) : owner(owner) {}

    void setOwner(QWidget* window) noexcept { owner = window; }

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
    QWidget* owner;
};

} // namespace tabrix
