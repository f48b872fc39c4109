// Renders the main window with a project loaded into a PNG, for the documentation.
#include "MainDialogView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QRadioButton>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tabrix-screenshot <project folder> <png file>\n");
        return 2;
    }
    const QFileInfo folder(QString::fromLocal8Bit(argv[1]));
    tabrix::MainDialogView window;
    window.QDialog::show();
    window.logic().openProject(QDir::toNativeSeparators(folder.absoluteFilePath()).toStdString(),
                               folder.fileName().toStdString());
    window.widthButton(1)->click();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tabrix-screenshot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
