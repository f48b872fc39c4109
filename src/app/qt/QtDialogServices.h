#pragma once
#include "app/DialogServices.h"

class QWidget;

namespace tabrix {

/// The real dialogs: folder chooser, WAV save dialog, error box, free-space query and the
/// progress window, all modal over `owner`.
class QtDialogServices : public DialogServices {
public:
    explicit QtDialogServices(QWidget* owner = nullptr) : owner(owner) {}

    void setOwner(QWidget* window) noexcept { owner = window; }

    FolderChoice chooseFolder(const std::string& title, const std::string& initialPath) override;
    SaveChoice chooseSaveFile(const std::string& title, const std::string& defaultName) override;
    void showMessage(const std::string& text, const std::string& title) override;
    std::optional<VolumeSpace> volumeSpace(const std::string& folder) override;
    void runProgress(ConformProject& project) override;

protected:
    QWidget* owner;
};

} // namespace tabrix
