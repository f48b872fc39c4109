#include "FakeDialogs.h"
#include "ProjectFiles.h"

#include "app/MainDialog.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

struct Window {
    FakeControls controls;
    FakeServices services;
    MainDialog dialog{controls, services};
    Window() { dialog.onInitDialog(); }

    void choose(const std::filesystem::path& folder)
    {
        services.folder = {1, utf8FromPath(folder), utf8FromPath(folder.filename())};
        dialog.onChooseProject();
    }
};

} // namespace

TEST(FolderChoice, AsksForAFolderWithNothingPreselected)
{
    Window window;
    window.services.folder = {2, "", ""};
    window.dialog.onChooseProject();
    ASSERT_EQ(window.services.folderRequests.size(), 1u);
    EXPECT_EQ(window.services.folderRequests[0].first, "Choose Folder");
    EXPECT_EQ(window.services.folderRequests[0].second, "");
}

TEST(FolderChoice, CancelOrNonFolderChoiceKeepsTheLoadedProject)
{
    for (int result : {2, -1}) {
        SCOPED_TRACE(result);
        TempDir dir;
        Window window;
        const auto folder = writeSimpleProject(dir, "Take 12");
        window.choose(folder);
        const MainDialogFields before = window.controls.shown;

        window.services.folder = {result, "", ""};
        window.dialog.onChooseProject();
        EXPECT_EQ(window.dialog.projectPath(), utf8FromPath(folder));
        EXPECT_EQ(window.dialog.projectName(), "Take 12");
        window.dialog.onWidth24();
        EXPECT_EQ(window.controls.shown.projectPath, before.projectPath);
        EXPECT_TRUE(window.controls.shown.conformEnabled);
        EXPECT_EQ(window.dialog.outputDataSize(), 19200u * 3 / 2);
    }
}

TEST(FolderChoice, FailedLoadShowsTheNewFolderWithItsOwnFiguresAndDisablesConform)
{
    TempDir dir;
    Window window;
    window.choose(writeSimpleProject(dir, "Good"));
    ASSERT_TRUE(window.controls.shown.conformEnabled);

    const auto empty = dir.path() / "Empty";
    std::filesystem::create_directories(empty / "Audio Files");
    window.choose(empty);
    EXPECT_EQ(window.controls.shown.projectPath, utf8FromPath(empty));
    EXPECT_EQ(window.controls.shown.summaryText, "16 Bit, Stereo");
    EXPECT_FALSE(window.controls.shown.conformEnabled);
    EXPECT_EQ(window.dialog.projectName(), "Empty");
    EXPECT_EQ(window.dialog.outputDataSize(), 0u);
    EXPECT_EQ(window.dialog.timeRangeText(), "");

    window.choose(dir.path() / "Good");
    EXPECT_TRUE(window.controls.shown.conformEnabled);
    EXPECT_EQ(window.controls.shown.summaryText,
              "16 Bit, Stereo, 48.0Khz, 10:00:00.00-10:00:00.10, 19 KB");
}

TEST(FolderChoice, FolderWithoutAudioFilesSubfolderFailsQuietly)
{
    TempDir dir;
    Window window;
    window.choose(dir.path());
    EXPECT_TRUE(window.services.messages.empty());
    EXPECT_FALSE(window.controls.shown.conformEnabled);
    EXPECT_EQ(window.controls.shown.projectPath, utf8FromPath(dir.path()));
}
