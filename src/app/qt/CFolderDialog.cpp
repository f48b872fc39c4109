#include "CFolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tabrix {

CFolderDialog::CFolderDialog(const QString& title, const QString& initialPath, QWidget* owner,
                             unsigned flags)
    : title(title), initialPath(initialPath), owner(owner), flags(flags)
{
}

int CFolderDialog::doModal()
{
    QFileDialog dialog(owner, title);
    dialog.setObjectName("folderDialog");
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, (flags & returnOnlyFsDirs) != 0);
    if (!initialPath.isEmpty()) {
        const QFileInfo initial(initialPath);
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    } else if (!startFolder.isEmpty() && QFileInfo(startFolder).isDir()) {
        dialog.setDirectory(startFolder);
    }
    if (dialog.exec() != QDialog::Accepted)
        return 2;

    const QStringList chosen = dialog.selectedFiles();
    const QFileInfo folder(chosen.isEmpty() ? QString() : chosen.front());
    if (chosen.isEmpty() || !folder.isDir())
        return -1;
    chosenPath = QDir::toNativeSeparators(folder.absoluteFilePath());
    chosenName = folder.fileName().isEmpty() ? chosenPath : folder.fileName();
    return 1;
}

} // namespace tabrix
