#include "FakeDialogs.h"

#include "MainDialogView.h"
#include "PlanStripView.h"
#include "ProgressDialogView.h"
#include "audio/ByteOrder.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

// Scripted file dialogs around the real progress window and its worker thread. With
// `closeWhileRunning` the window is closed once the run has started, which cancels it.
struct RealProgress : FakeServices {
    void runProgress(ConformProject& project, const ProgressJob& job) override
    {
        ProgressDialogView view(project, job);
        view.open();
        const QDeadlineTimer deadline(30000); // a hang guard, not a timing check
        const auto waitFor = [&](auto done) {
            while (!done() && !deadline.hasExpired())
                QApplication::processEvents(QEventLoop::AllEvents, 5);
        };
        if (closeWhileRunning) {
            waitFor([&] { return view.progressPercent() > 0.0; }); // the run is listening
            view.close();
            EXPECT_TRUE(view.isVisible());
            EXPECT_EQ(view.windowTitle(), "Conform Cancelled...");
        }
        waitFor([&] { return view.button()->text() == "OK"; });
        EXPECT_EQ(view.windowTitle(),
                  closeWhileRunning ? "Conform Cancelled..." : "Conform Complete...");
        EXPECT_TRUE(view.messageLine()->text().startsWith(closeWhileRunning ? "Cancelled after"
                                                                            : "Complete: out.wav"))
            << view.messageLine()->text().toStdString();
        EXPECT_EQ(view.bar()->value() == 100, !closeWhileRunning);
        view.button()->click();
        EXPECT_FALSE(view.isVisible());
        EXPECT_TRUE(view.workerJoined());
    }
    bool closeWhileRunning = false;
};

} // namespace

TEST(MainWindowView, StartsAt16BitStereoAndEachClickRebuildsTheSummary)
{
    TempDir dir;
    FakeServices services;
    services.folder = {1, writeTake(dir, "Proj"), "Proj"};
    MainDialogView view(&services);
    EXPECT_EQ(view.summaryLine()->text(), "16 Bit, Stereo");
    const std::pair<QAbstractButton*, const char*> clicks[] = {
        {view.widthButton(1), "24 Bit, Stereo"},    {view.channelButton(4), "24 Bit, Dual Mono"},
        {view.channelButton(2), "24 Bit, Mono Right"}, {view.channelButton(3), "24 Bit, Mono Sum"},
        {view.widthButton(0), "16 Bit, Mono Sum"},  {view.channelButton(1), "16 Bit, Mono Left"},
        {view.chooseButton(), "16 Bit, Mono Left, 48.0Khz, 10:00:00.00-10:00:00.10, 9.60 KB"},
    };
    for (const auto& [button, summary] : clicks) {
        button->click();
        EXPECT_EQ(view.summaryLine()->text().toStdString(), summary);
    }
}

TEST(MainWindowView, ConformsThroughTheProgressWindowOrStopsWhenItIsClosed)
{
    TempDir dir;
    writeTake(dir, "Short");
    writeTake(dir, "Long", 48000, 180 * 48000, 0, 1, 16); // far more blocks than a cancel needs
    struct Case { const char* project; bool close; std::uint32_t dataBytes; };
    const Case cases[] = {{"Short", false, 4800 * 6}, {"Long", true, 180 * 48000 * 6}};
    for (const auto& c : cases) {
        RealProgress services;
        services.folder = {1, utf8FromPath(dir.path() / c.project), c.project};
        services.saves = {savedAs(dir.path() / "out.wav")};
        services.closeWhileRunning = c.close;
        MainDialogView view(&services);
        view.chooseButton()->click();
        view.widthButton(1)->click();
        view.conformButton()->click();
        const Bytes written = readFile(dir.path() / "out.wav");
        ASSERT_GE(written.size(), 1024u);
        EXPECT_EQ(written.size(), 1024u + loadU32le(&written[1020]));
        EXPECT_EQ(loadU32le(&written[1020]) == c.dataBytes, !c.close); // all of it, or cut short
    }
}

// Enter presses "Conform Project" once a project is open; a dropped folder opens like a chosen one.
TEST(MainWindowView, EnterConformsAndADroppedFolderOpens)
{
    TempDir dir;
    const std::string project = writeTake(dir, "Dropped");
    // Drops come from the platform's drag manager; the test hands one to the handlers directly.
    struct DropTarget : MainDialogView {
        using MainDialogView::MainDialogView;
        using MainDialogView::dragEnterEvent;
        using MainDialogView::dropEvent;
    };
    FakeServices services;
    DropTarget view(&services);
    view.QDialog::show();
    const auto pressEnter = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(view.channelButton(0), &press);
    };
    pressEnter(); // nothing open: nothing to conform
    EXPECT_TRUE(services.asked.empty());

    QMimeData file, folder;
    file.setUrls({QUrl::fromLocalFile(QString::fromStdString(
        utf8FromPath(dir.path() / "Dropped" / "Audio Files" / "1728000000.wav")))});
    folder.setUrls({QUrl::fromLocalFile(QString::fromStdString(project))});
    for (QMimeData* mime : {&file, &folder}) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        view.dragEnterEvent(&enter);
        EXPECT_EQ(enter.isAccepted(), mime == &folder);
    }
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &folder, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&drop);
    EXPECT_EQ(view.logic().projectName(), "Dropped");
    EXPECT_TRUE(view.conformButton()->isEnabled());
    pressEnter();
    EXPECT_EQ(services.asked, std::vector<std::string>{"Choose Filename: Dropped"});
}

TEST(PlanStrip, PaintsOneBlockPerSegmentInItsRecordingsColour)
{
    TempDir dir;
    constexpr std::uint64_t ten = 10ull * 3600 * 48000;
    struct Piece { const char* name; std::uint64_t start, frames; const char* time; int tfid; };
    // A is split by the newer B; C, after a gap, is another piece of A's recording.
    constexpr Piece pieces[] = {{"A.wav", 0, 4800, "10:00:00", 1},
                                {"B.wav", 2400, 1200, "11:00:00", 2},
                                {"C.wav", 6000, 2000, "10:00:05", 1}};
    for (const Piece& p : pieces)
        dir.write(std::string("S/Audio Files/") + p.name,
                  takeBytes({.timeReference = ten + p.start, .time = p.time, .tfid = p.tfid,
                             .data = constantFrames(2, 24, p.frames, 1)}));
    FakeServices services;
    MainDialogView view(&services);
    ASSERT_TRUE(view.logic().openProject(utf8FromPath(dir.path() / "S"), "S"));
    PlanStripView* strip = view.planStrip();
    const QImage image = strip->grab().toImage();
    const ConformPlan& plan = strip->plan();
    ASSERT_EQ(plan.segments().size(), 4u);
    ASSERT_EQ(strip->paintedBlocks().size(), 4);
    for (int i = 0; i < 4; ++i) {
        const PlanSegment& segment = plan.segments()[std::size_t(i)];
        const QRectF block = strip->paintedBlocks()[i];
        const QPoint probe = (QPointF(block.center().x(), block.bottom() - 3) *
                              image.devicePixelRatio()).toPoint();
        const PlanColour c = segment.colour;
        EXPECT_EQ(image.pixelColor(probe), QColor(c.red, c.green, c.blue)) << i;
        EXPECT_EQ(strip->segmentAtX(block.center().x()), i);
    }
    EXPECT_EQ(strip->segmentAtX((strip->paintedBlocks()[2].right() +
                                 strip->paintedBlocks()[3].left()) / 2), -1); // the gap
    EXPECT_EQ(view.takesLine()->text(), "3 takes, 0 skipped");
    EXPECT_FALSE(view.detailsButton()->isEnabled());
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the widgets are driven without a display
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
