#include "QtDialogServices.h"

#include "CFolderDialog.h"
#include "ProgressDialogView.h"
#include "audio/Types.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QDir>

#include <filesystem>
#include <system_error>

namespace tabrix {

FolderChoice QtDialogServices::chooseFolder(const std::string& title, const std::string& initialPath)
{
    CFolderDialog dialog(QString::fromStdString(title), QString::fromStdString(initialPath), owner,
                         CFolderDialog::returnOnlyFsDirs);
    FolderChoice choice;
    choice.result = dialog.doModal();
    if (choice.result == 1) {
        choice.selectedPath = dialog.selectedPath().toStdString();
        choice.displayName = dialog.displayName().toStdString();
    }
    return choice;
}

SaveChoice QtDialogServices::chooseSaveFile(const std::string& title, const std::string& defaultName)
{
    QFileDialog dialog(owner, QString::fromStdString(title));
    dialog.setObjectName("saveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({"WAV (*.wav)", "All Files (*.*)"});
    dialog.selectNameFilter("WAV (*.wav)");
    dialog.setDefaultSuffix("wav");
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.selectFile(QString::fromStdString(defaultName));

    SaveChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return choice;
    const QFileInfo file(dialog.selectedFiles().front());
    choice.confirmed = true;
    choice.fullPath = QDir::toNativeSeparators(file.absoluteFilePath()).toStdString();
    choice.fileName = file.fileName().toStdString();
    return choice;
}

void QtDialogServices::showMessage(const std::string& text, const std::string& title)
{
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok, owner);
    box.exec();
}

std::optional<VolumeSpace> QtDialogServices::volumeSpace(const std::string& folder)
{
    return systemVolumeSpace(folder);
}

void QtDialogServices::runProgress(ConformProject& project)
{
    ProgressDialogView progress(project, owner);
    progress.exec();
}

} // namespace tabrix
