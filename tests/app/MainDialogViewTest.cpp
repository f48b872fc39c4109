#include "FakeDialogs.h"
#include "ProjectFiles.h"
#include "QtWait.h"

#include "MainDialogView.h"
#include "ProgressDialogView.h"
#include "audio/ByteOrder.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

// Real progress window; scripted folder and file choices.
class ScriptedQtServices : public QtDialogServices {
public:
    FolderChoice chooseFolder(const std::string&, const std::string&) override { return folder; }
    SaveChoice chooseSaveFile(const std::string& title, const std::string&) override
    {
        saveTitles.push_back(title);
        return save;
    }
    void showMessage(const std::string& text, const std::string&) override { messages.push_back(text); }

    FolderChoice folder;
    SaveChoice save;
    std::vector<std::string> saveTitles;
    std::vector<std::string> messages;
};

QString summaryOf(const MainDialogView& view) { return view.summaryLine()->text(); }

} // namespace

TEST(MainWindowView, StartsWithTheFixedLayoutAndTexts)
{
    ScriptedQtServices services;
    MainDialogView view(&services);
    view.QDialog::show();
    EXPECT_EQ(view.windowTitle(), "Tabrix Conform");
    EXPECT_EQ(view.chooseButton()->text(), "Choose Project...");
    EXPECT_EQ(view.conformButton()->text(), "Conform Project");
    EXPECT_FALSE(view.conformButton()->isEnabled());
    const char* widths[] = {"16 Bit", "24 Bit"};
    const char* channels[] = {"Stereo", "Mono L", "Mono R", "Mono Sum", "Dual Mono"};
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(view.widthButton(i)->text(), widths[i]);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(view.channelButton(i)->text(), channels[i]);
    EXPECT_TRUE(view.widthButton(0)->isChecked());
    EXPECT_TRUE(view.channelButton(0)->isChecked());
    EXPECT_EQ(summaryOf(view), "16 Bit, Stereo");
    EXPECT_EQ(view.pathLine()->text(), "");
    EXPECT_EQ(view.minimumSize(), view.maximumSize());
    EXPECT_FALSE(view.windowIcon().isNull());
}

TEST(MainWindowView, RadioClicksRebuildTheSummaryLine)
{
    ScriptedQtServices services;
    MainDialogView view(&services);
    view.widthButton(1)->click();
    EXPECT_EQ(summaryOf(view), "24 Bit, Stereo");
    view.channelButton(4)->click();
    EXPECT_EQ(summaryOf(view), "24 Bit, Dual Mono");
    view.channelButton(2)->click();
    EXPECT_EQ(summaryOf(view), "24 Bit, Mono Right");
    view.widthButton(0)->click();
    EXPECT_EQ(summaryOf(view), "16 Bit, Mono Right");
    EXPECT_TRUE(view.channelButton(2)->isChecked());
    EXPECT_FALSE(view.channelButton(4)->isChecked());
}

TEST(MainWindowView, ChoosingAProjectShowsItsPathAndFullSummary)
{
    TempDir dir;
    const auto folder = writeSimpleProject(dir, "Proj");
    ScriptedQtServices services;
    services.folder = {1, utf8FromPath(folder), "Proj"};
    MainDialogView view(&services);
    view.chooseButton()->click();
    EXPECT_EQ(view.pathLine()->toolTip().toStdString(), utf8FromPath(folder));
    EXPECT_EQ(summaryOf(view), "16 Bit, Stereo, 48.0Khz, 10:00:00.00-10:00:00.10, 19 KB");
    EXPECT_TRUE(view.conformButton()->isEnabled());
    view.channelButton(1)->click();
    EXPECT_EQ(summaryOf(view), "16 Bit, Mono Left, 48.0Khz, 10:00:00.00-10:00:00.10, 9.60 KB");
}

TEST(MainWindowView, SummaryLineIsNotClipped)
{
    TempDir dir;
    writeTake(dir, "P", "a.wav", takeSpec(23ull * 3600 * 48000), 48000);
    ScriptedQtServices services;
    MainDialogView view(&services);
    view.QDialog::show();
    ASSERT_TRUE(view.logic().openProject(utf8FromPath(dir.path() / "P"), "P"));
    view.channelButton(2)->click();
    view.widthButton(1)->click();
    const QLabel* summary = view.summaryLine();
    EXPECT_LE(summary->fontMetrics().horizontalAdvance(summary->text()), summary->width());
}

TEST(ConformFromTheWindow, WritesTheWholeProjectThroughTheProgressWindow)
{
    TempDir dir;
    const auto folder = writeSimpleProject(dir, "Proj");
    ScriptedQtServices services;
    services.folder = {1, utf8FromPath(folder), "Proj"};
    services.save = savedAs(dir.path() / "Proj.wav");
    MainDialogView view(&services);
    services.setOwner(&view);
    view.chooseButton()->click();
    view.widthButton(1)->click();

    // The progress window runs modally; this closes it once it offers OK.
    std::string endTitle;
    int endBar = -1;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* progress = visibleWindow<ProgressDialogView>();
        if (progress && progress->button()->text() == "OK") {
            endTitle = progress->windowTitle().toStdString();
            endBar = progress->bar()->value();
            progress->button()->click();
        }
    });
    closer.start(5);
    view.conformButton()->click();
    closer.stop();

    EXPECT_EQ(endTitle, "Conform Complete...");
    EXPECT_EQ(endBar, 100);
    EXPECT_TRUE(services.messages.empty());
    const Bytes written = readFile(dir.path() / "Proj.wav");
    ASSERT_EQ(written.size(), 1024u + 4800u * 2 * 3);
    EXPECT_EQ(loadU32le(&written[4]), 1016u + 4800u * 2 * 3);
    EXPECT_EQ(loadU32le(&written[1020]), 4800u * 2 * 3);
}
