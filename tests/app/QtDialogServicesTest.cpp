#include "QtWait.h"
#include "TempDir.h"

#include "CFolderDialog.h"
#include "QtDialogServices.h"
#include "audio/Types.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

// Runs `act` on the first visible modal dialog of type T once it is open.
template <typename T>
void whenOpen(std::function<void(T&)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = visibleWindow<T>()) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start(5);
}

QString native(const std::filesystem::path& path)
{
    return QDir::toNativeSeparators(QString::fromStdString(utf8FromPath(path)));
}

} // namespace

TEST(FolderChooser, ReturnsTheChosenFolderAndItsName)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "My Project");
    QString title;
    whenOpen<QFileDialog>([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        dialog.setDirectory(native(dir.path() / "My Project"));
        dialog.selectFile(native(dir.path() / "My Project"));
        static_cast<QDialog&>(dialog).accept();
    });
    CFolderDialog chooser("Choose Folder", QString(), nullptr, CFolderDialog::returnOnlyFsDirs);
    EXPECT_EQ(chooser.doModal(), 1);
    EXPECT_EQ(title, "Choose Folder");
    EXPECT_EQ(chooser.selectedPath(), native(dir.path() / "My Project"));
    EXPECT_EQ(chooser.displayName(), "My Project");
}

TEST(FolderChooser, CancelReturnsTwoWithNothingSelected)
{
    whenOpen<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    CFolderDialog chooser("Choose Folder", QString(), nullptr, CFolderDialog::returnOnlyFsDirs);
    EXPECT_EQ(chooser.doModal(), 2);
    EXPECT_TRUE(chooser.selectedPath().isEmpty());
}

TEST(SaveDialog, OffersWavAndAllFilesAndAddsTheExtension)
{
    TempDir dir;
    QStringList filters;
    QString title;
    whenOpen<QFileDialog>([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        filters = dialog.nameFilters();
        EXPECT_EQ(dialog.selectedNameFilter(), "WAV (*.wav)");
        EXPECT_EQ(dialog.defaultSuffix(), "wav");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        dialog.setDirectory(native(dir.path()));
        dialog.selectFile("mix");
        static_cast<QDialog&>(dialog).accept();
    });
    QtDialogServices services;
    const SaveChoice choice = services.chooseSaveFile("Left Channel Filename", "ProjL.wav");
    EXPECT_EQ(title, "Left Channel Filename");
    EXPECT_EQ(filters, (QStringList{"WAV (*.wav)", "All Files (*.*)"}));
    ASSERT_TRUE(choice.confirmed);
    EXPECT_EQ(choice.fileName, "mix.wav");
    EXPECT_EQ(QString::fromStdString(choice.fullPath), native(dir.path() / "mix.wav"));
}

TEST(ErrorMessage, IsACriticalBoxWithOneOkButton)
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    whenOpen<QMessageBox>([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        icon = box.icon();
        buttonCount = static_cast<int>(box.buttons().size());
        box.accept();
    });
    QtDialogServices services;
    services.showMessage("Files cannot have same name.", "Error");
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(text, "Files cannot have same name.");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttonCount, 1);
}

TEST(FreeSpace, AnswersForAnExistingFolderAndNotForAMissingOne)
{
    TempDir dir;
    QtDialogServices services;
    const auto space = services.volumeSpace(utf8FromPath(dir.path()));
    ASSERT_TRUE(space.has_value());
    EXPECT_GT(space->capacityBytes, 0u);
    EXPECT_LE(space->availableBytes, space->capacityBytes);
    EXPECT_FALSE(services.volumeSpace(utf8FromPath(dir.path() / "missing")).has_value());
}
