#include "QtDialogServices.h"

#include "CFolderDialog.h"
#include "DetailsDialogView.h"
#include "ProgressDialogView.h"
#include "app/ThreadWorker.h"
#include "audio/Types.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

namespace tabrix {

namespace {

constexpr const char* wavFilter = "WAV (*.wav)";

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

FolderChoice QtDialogServices::chooseFolder(const std::string& title,
                                            const std::string& initialPath,
                                            const std::string& startFolder)
{
    CFolderDialog dialog(fromUtf8(title), fromUtf8(initialPath), owner,
                         CFolderDialog::returnOnlyFsDirs);
    dialog.setStartFolder(fromUtf8(startFolder));
    FolderChoice choice;
    choice.result = dialog.doModal();
    if (choice.result == 1) {
        choice.selectedPath = dialog.selectedPath().toStdString();
        choice.displayName = dialog.displayName().toStdString();
    }
    return choice;
}

SaveChoice QtDialogServices::chooseSaveFile(const std::string& title,
                                            const std::string& defaultName,
                                            const std::string& startFolder)
{
    QFileDialog dialog(owner, fromUtf8(title));
    dialog.setObjectName("saveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({wavFilter, "All Files (*.*)"});
    dialog.selectNameFilter(wavFilter);
    dialog.setDefaultSuffix("wav");
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!startFolder.empty() && QFileInfo(fromUtf8(startFolder)).isDir())
        dialog.setDirectory(fromUtf8(startFolder));
    dialog.selectFile(fromUtf8(defaultName));

    SaveChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return choice;
    const QFileInfo file(dialog.selectedFiles().front());
    choice.confirmed = true;
    choice.fullPath = QDir::toNativeSeparators(file.absoluteFilePath()).toStdString();
    choice.fileName = file.fileName().toStdString();
    choice.wavFilter = dialog.selectedNameFilter() == wavFilter;
    return choice;
}

void QtDialogServices::showMessage(const std::string& text, const std::string& title)
{
    QMessageBox box(QMessageBox::Critical, fromUtf8(title), fromUtf8(text), QMessageBox::Ok, owner);
    box.exec();
}

bool QtDialogServices::confirm(const std::string& text, const std::string& title)
{
    QMessageBox box(QMessageBox::Warning, fromUtf8(title), fromUtf8(text),
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogServices::showDetails(const DetailsContent& content)
{
    DetailsDialogView dialog(content, owner);
    dialog.exec();
}

std::string QtDialogServices::recall(const std::string& key)
{
    return QSettings().value(fromUtf8(key)).toString().toStdString();
}

void QtDialogServices::remember(const std::string& key, const std::string& value)
{
    QSettings().setValue(fromUtf8(key), fromUtf8(value));
}

std::optional<VolumeSpace> QtDialogServices::volumeSpace(const std::string& folder)
{
    return systemVolumeSpace(folder);
}

void QtDialogServices::runProgress(ConformProject& project, const ProgressJob& job)
{
    ThreadWorker worker;
    ProgressDialogView progress(project, worker, job, owner);
    progress.exec();
}

} // namespace tabrix
