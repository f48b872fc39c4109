#include "FakeDialogs.h"
#include "WrittenWav.h"

#include "DetailsDialogView.h"
#include "MainDialogView.h"
#include "PlanStripView.h"
#include "ProgressDialogView.h"
#include "app/ConformWorker.h"
#include "audio/ByteOrder.h"

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;
using Texts = std::vector<std::string>;

namespace {

constexpr std::uint64_t tenOClock = 10ull * 3600 * 48000;

// The conform on the test's own thread, the moment the window starts it.
struct RunNowWorker : ConformWorker {
    void start(ConformProject& project, std::atomic<double>& percent) override
    {
        ok = project.run(percent);
        done = true;
    }
    bool finished() const noexcept override { return done; }
    bool result() const noexcept override { return ok; }
    void join() override { ++joins; }
    bool done = false, ok = false;
    int joins = 0;
};

// A run that ends only when the test says so, and writes nothing.
struct HeldWorker : RunNowWorker {
    void start(ConformProject&, std::atomic<double>& percent) override { progress = &percent; }
    std::atomic<double>* progress = nullptr;
};

void press(QWidget* widget, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Scripted file dialogs around the real progress window, driven step by step. With
// `truncateTake` the take is cut to a third after loading, so the run fails a third of the way.
struct ProgressServices : FakeServices {
    void runProgress(ConformProject& project, const ProgressJob& job) override
    {
        ++progressRuns;
        if (!truncateTake.empty())
            std::filesystem::resize_file(truncateTake,
                                         std::filesystem::file_size(truncateTake) / 3);
        RunNowWorker worker;
        ProgressDialogView view(project, worker, job);
        view.open(); // the conform runs here, on this thread
        EXPECT_EQ(view.windowTitle(), "Converting...");
        view.tick();
        EXPECT_EQ(worker.joins, 1);
        EXPECT_TRUE(view.workerJoined());
        title = view.windowTitle().toStdString();
        message = view.messageLine()->text().toStdString();
        bar = view.bar()->value();
        EXPECT_EQ(view.button()->text(), "OK");
        press(view.button(), Qt::Key_Return); // Enter is OK once it has ended
        EXPECT_FALSE(view.isVisible());
    }
    std::filesystem::path truncateTake;
    std::string title, message;
    int bar = -1;
};

// Every label and button shows its whole text, on one line or wrapped into the room it has.
void expectNothingClipped(QWidget* root)
{
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(root) || label->text().isEmpty() ||
            label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) // elided on purpose
            continue;
        SCOPED_TRACE(label->objectName().toStdString() + ": " + label->text().toStdString());
        if (label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        } else {
            EXPECT_GE(label->width(), label->sizeHint().width());
            EXPECT_GE(label->height(), label->fontMetrics().height());
        }
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(root))
            continue;
        SCOPED_TRACE(button->objectName().toStdString() + ": " + button->text().toStdString());
        EXPECT_GE(button->width(), button->sizeHint().width());
        EXPECT_GE(button->height(), button->sizeHint().height());
    }
}

// The views at the application's font and at twice its size (text twice as large against
// every fixed pixel); the suite also runs at a scale factor of 2.
class AtTwoTextSizes : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override
    {
        QFont font = original;
        font.setPointSizeF(original.pointSizeF() * GetParam());
        QApplication::setFont(font);
    }
    void TearDown() override { QApplication::setFont(original); }
    QFont original = QApplication::font();
};

INSTANTIATE_TEST_SUITE_P(Font, AtTwoTextSizes, ::testing::Values(1.0, 2.0));

// A project with a long name, takes that play nowhere and files that are no takes.
std::string busyProject(const TempDir& dir)
{
    const std::string folder = "A project folder with a long name, as recorders make them";
    for (int i = 0; i < 12; ++i)
        dir.write(folder + "/Audio Files/Scene " + std::to_string(i) + " Take 1.wav",
                  takeBytes({.timeReference = tenOClock + std::uint64_t(i) * 4800,
                             .time = i % 3 == 0 ? "09:00:00" : "11:00:00",
                             .data = constantFrames(2, 24, 9600, 1)}));
    dir.write(folder + "/Audio Files/memo.wav", Bytes{'x'});
    return utf8FromPath(dir.path() / folder);
}

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

// A complete run fills the bar; a failed one leaves it at the fraction the file declares.
TEST(MainWindowView, ConformsThroughTheProgressWindowAndEndsTheBarWhereTheFileEnds)
{
    TempDir dir;
    writeTake(dir, "Short");
    writeTake(dir, "Long", 48000, 30 * 48000, 0, 1, 16);
    struct Case { const char* project; bool truncate; const char* title; const char* message; };
    const Case cases[] = {
        {"Short", false, "Conform Complete", "Complete: out.wav, 0:00:00.10 written."},
        {"Long", true, "Conform Failed", "Failed: take 0.wav is shorter than when the project "
                                         "was loaded. 0:00:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.project);
        ProgressServices services;
        services.folder = {1, utf8FromPath(dir.path() / c.project), c.project};
        services.saves = {savedAs(dir.path() / "out.wav")};
        if (c.truncate)
            services.truncateTake = dir.path() / c.project / "Audio Files" / "0.wav";
        MainDialogView view(&services);
        view.chooseButton()->click();
        view.widthButton(1)->click();
        view.conformButton()->click();
        ASSERT_EQ(services.progressRuns, 1);
        EXPECT_EQ(services.title, c.title);
        EXPECT_EQ(services.message.rfind(c.message, 0), 0u) << services.message;
        const WrittenWav written = readWrittenWav(dir.path() / "out.wav");
        EXPECT_TRUE(written.wellFormed);
        const std::uint64_t dataBytes = written.dataBytes;
        const std::uint64_t totalFrames = c.truncate ? 30 * 48000 : 4800;
        EXPECT_EQ(services.bar, int(1000 * (dataBytes / 6) / totalFrames));
        EXPECT_EQ(services.bar == 1000, !c.truncate);
        EXPECT_GT(services.bar, 0);
    }
}

// Enter presses the focused button; elsewhere it conforms. Anything dropped opens its project
// or says why it could not.
TEST(MainWindowView, EnterPressesTheFocusedButtonAndDropsOpenFoldersAndTakes)
{
    TempDir dir;
    const std::string project = writeTake(dir, "Dropped");
    dir.write("notes.txt", Bytes{'x'});
    struct DropTarget : MainDialogView {
        using MainDialogView::MainDialogView;
        using MainDialogView::dragEnterEvent;
        using MainDialogView::dropEvent;
    };
    FakeServices services;
    DropTarget view(&services);
    view.QDialog::show();
    press(view.channelButton(0), Qt::Key_Return); // nothing open: nothing to conform
    EXPECT_TRUE(services.asked.empty());

    const auto drop = [&](const std::filesystem::path& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(utf8FromPath(path)))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        enter.setAccepted(false);
        view.dragEnterEvent(&enter);
        EXPECT_TRUE(enter.isAccepted()); // taken, to be answered
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        view.dropEvent(&event);
    };
    drop(dir.path() / "notes.txt");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].rfind("Nothing Opened: notes.txt is neither", 0), 0u);
    drop(dir.path() / "Dropped" / "Audio Files" / "1728000000.wav");
    EXPECT_EQ(view.logic().projectName(), "Dropped");
    EXPECT_TRUE(view.conformButton()->isEnabled());

    press(view.chooseButton(), Qt::Key_Return);
    EXPECT_EQ(services.folderStarts.size(), 1u); // the chooser, not a conform
    EXPECT_TRUE(services.asked.empty());
    press(view.channelButton(2), Qt::Key_Return);
    EXPECT_EQ(services.asked, Texts{"Save the conformed file: Dropped"});
    press(view.fitAllButton(), Qt::Key_Return); // a plan button: pressed, nothing conformed
    EXPECT_EQ(services.asked.size(), 1u);
}

TEST(MainWindowView, OpensAtTheSizeItWasLastClosedAt)
{
    FakeServices services;
    {
        MainDialogView view(&services);
        const QSize wanted = view.minimumSizeHint() + QSize(150, 90);
        const QSize room = view.screen()->availableGeometry().size();
        if (room.width() < wanted.width() || room.height() < wanted.height())
            GTEST_SKIP() << "a screen too small for the size"; // the scaled offscreen screen
        view.restoreSize();
        view.resize(wanted);
        view.done(0);
    }
    const std::string stored = services.settings[MainDialog::windowSizeKey];
    MainDialogView view(&services);
    view.restoreSize();
    EXPECT_EQ(std::to_string(view.width()) + "x" + std::to_string(view.height()), stored);
}

TEST(PlanStripView, PaintsTheBlocksInTheirColoursAndNamesGapsAndBlocksUnderThePointer)
{
    TempDir dir;
    struct Piece { const char* name; std::uint64_t start, frames; const char* time; int tfid; };
    // A is split by the newer B; C, after a gap, is another piece of A's recording.
    constexpr Piece pieces[] = {{"A.wav", 0, 4800, "10:00:00", 1},
                                {"B.wav", 2400, 1200, "11:00:00", 2},
                                {"C.wav", 6000, 2000, "10:00:05", 1}};
    for (const Piece& p : pieces)
        dir.write(std::string("S/Audio Files/") + p.name,
                  takeBytes({.timeReference = tenOClock + p.start, .time = p.time,
                             .tfid = p.tfid, .data = constantFrames(2, 24, p.frames, 1)}));
    FakeServices services;
    MainDialogView view(&services);
    view.resize(900, 500);
    ASSERT_TRUE(view.logic().openProject(utf8FromPath(dir.path() / "S"), "S"));
    PlanStripView* strip = view.planStrip();
    const QImage image = strip->grab().toImage();
    const ConformPlan& plan = strip->plan();
    ASSERT_EQ(plan.segments().size(), 4u);
    const QRectF lane = strip->laneRect();
    for (std::size_t i = 0; i < 4; ++i) {
        const PlanSegment& segment = plan.segments()[i];
        const double x =
            lane.left() + strip->logic().xOf(double(segment.start + segment.end) / 2.0);
        const QPoint probe = (QPointF(x, lane.bottom() - 3) * image.devicePixelRatio()).toPoint();
        EXPECT_EQ(image.pixelColor(probe),
                  QColor(segment.colour.red, segment.colour.green, segment.colour.blue))
            << i;
        EXPECT_EQ(strip->tooltipAt(x).toStdString(), plan.describe(i));
    }
    const double gap = lane.left() + strip->logic().xOf(double(tenOClock + 5400));
    EXPECT_EQ(strip->tooltipAt(gap).toStdString(),
              "Silence, 10:00:00.10\u201310:00:00.12, 0.02 s");
    EXPECT_EQ(view.takesLine()->text(), "3 takes, 0 skipped");
    EXPECT_FALSE(view.detailsButton()->isEnabled());

    // The buttons, keys and scroll bar follow the zoom.
    EXPECT_FALSE(view.zoomOutButton()->isEnabled());
    EXPECT_FALSE(view.planScrollBar()->isEnabled());
    view.zoomInButton()->click();
    EXPECT_TRUE(view.zoomOutButton()->isEnabled());
    EXPECT_TRUE(view.planScrollBar()->isEnabled());
    press(strip, Qt::Key_End);
    EXPECT_EQ(view.planScrollBar()->value(), view.planScrollBar()->maximum());
    view.planScrollBar()->setValue(0);
    EXPECT_DOUBLE_EQ(strip->logic().visibleStart(), double(plan.start()));
    view.widthButton(1)->click(); // an option keeps the zoom
    EXPECT_FALSE(strip->logic().fitted());
    press(strip, Qt::Key_0);
    EXPECT_TRUE(strip->logic().fitted());
    EXPECT_FALSE(view.fitAllButton()->isEnabled());
}

TEST_P(AtTwoTextSizes, TheMainWindowShowsEveryTextWholeAtItsSmallestSize)
{
    TempDir dir;
    FakeServices services;
    MainDialogView view(&services);
    ASSERT_TRUE(view.logic().openProject(busyProject(dir), "Busy"));
    view.channelButton(2)->click();
    view.QDialog::show();
    for (const QSize size : {view.minimumSizeHint(), view.minimumSizeHint() + QSize(400, 300)}) {
        view.resize(size);
        QApplication::processEvents(); // lays the window out; no thread is involved
        SCOPED_TRACE(size.width());
        expectNothingClipped(&view);
        EXPECT_TRUE(view.unusedLine()->isVisible());
        EXPECT_GE(view.planStrip()->laneRect().height(), view.fontMetrics().height() * 1.5);
    }
    // A refusal wraps within the summary's room.
    writeTake(dir, "Mixed", 48000, 100, 0);
    writeTake(dir, "Mixed", 44100, 100, 1000);
    EXPECT_FALSE(view.logic().openProject(utf8FromPath(dir.path() / "Mixed"), "Mixed"));
    QApplication::processEvents();
    expectNothingClipped(&view);
}

TEST_P(AtTwoTextSizes, TheRulerKeepsItsLabelsWholeAndApart)
{
    TempDir dir;
    FakeServices services;
    MainDialogView view(&services);
    ASSERT_TRUE(view.logic().openProject(busyProject(dir), "Busy"));
    view.resize(view.minimumSizeHint());
    view.QDialog::show();
    PlanStripView* strip = view.planStrip();
    for (int zoom = 0; zoom < 14; ++zoom) {
        SCOPED_TRACE(zoom);
        strip->grab(); // paints, and so lays the ruler out
        const auto& labels = strip->paintedLabels();
        EXPECT_GE(labels.size(), 2);
        for (qsizetype i = 0; i < labels.size(); ++i) {
            const QRectF& rect = labels[i].first;
            EXPECT_GE(rect.left(), 0.0);
            EXPECT_LE(rect.right(), strip->width());
            EXPECT_LE(rect.bottom(), strip->height());
            EXPECT_GE(rect.width(), strip->fontMetrics().horizontalAdvance(labels[i].second));
            if (i > 0) {
                EXPECT_LE(labels[i - 1].first.right(), rect.left());
            }
        }
        strip->press(PlanKey::ZoomIn);
    }
}

TEST_P(AtTwoTextSizes, DetailsShowEveryCellWhole)
{
    TempDir dir;
    FakeServices services;
    MainDialogView view(&services);
    ASSERT_TRUE(view.logic().openProject(busyProject(dir), "Busy"));
    view.logic().onShowUnused();
    DetailsDialogView details(services.details);
    details.show();
    QApplication::processEvents();
    expectNothingClipped(&details);
    EXPECT_EQ(details.findChild<QLineEdit*>("detailsFolder")->text().toStdString(),
              services.details.folder);
    ASSERT_EQ(details.tables().size(), 2);
    for (QTreeWidget* table : details.tables()) {
        ASSERT_NE(table, nullptr);
        for (int row = 0; row < table->topLevelItemCount(); ++row)
            for (int column = 0; column < table->columnCount(); ++column) {
                const QString cell = table->topLevelItem(row)->text(column);
                EXPECT_GE(table->columnWidth(column),
                          table->fontMetrics().horizontalAdvance(cell))
                    << cell.toStdString();
            }
    }
    EXPECT_EQ(details.tables()[1]->topLevelItemCount(), 3); // every unused take
    EXPECT_TRUE(details.tables()[1]->hasFocus() || !details.isActiveWindow());
}

// Cancel (or Escape) keeps the window open until the run has stopped; then OK closes it.
TEST_P(AtTwoTextSizes, TheProgressWindowShowsItsLongestMessageWholeAndWaitsForACancel)
{
    TempDir dir;
    ConformProject project;
    ASSERT_TRUE(project.load(writeTake(dir, "P")));
    const std::string left = utf8FromPath(dir.path() / "Day 17 Main Unit L.wav");
    const std::string right = utf8FromPath(dir.path() / "Day 17 Main Unit R.wav");
    project.setOutputOptions(false, 4); // Dual Mono, as the main window sets it
    ASSERT_TRUE(project.prepareDualMonoOutput(left, right));
    HeldWorker worker;
    {
        ProgressDialogView view(project, worker, {{left, right}, 4800, TimeFormat(48000)});
        view.open();
        QApplication::processEvents();
        expectNothingClipped(&view);
        worker.progress->store(42.5);
        view.tick();
        EXPECT_EQ(view.bar()->value(), 425);
        press(view.button(), Qt::Key_Return); // a stray Enter stops nothing
        EXPECT_EQ(view.windowTitle(), "Converting...");
        press(&view, Qt::Key_Escape); // asks the run to stop; the window waits for it
        view.tick();
        EXPECT_EQ(view.windowTitle(), "Cancelling...");
        EXPECT_TRUE(view.isVisible());
        EXPECT_EQ(view.button()->text(), "Cancel");
        worker.done = true;
        worker.ok = true; // a cancelled run ends without a failure
        view.tick();
        QApplication::processEvents();
        EXPECT_EQ(view.messageLine()->text().left(15), "Cancelled after");
        EXPECT_EQ(view.bar()->value(), 0); // nothing reached the files
        expectNothingClipped(&view);
        view.button()->click();
        EXPECT_FALSE(view.isVisible());
    }
    EXPECT_EQ(worker.joins, 1);
    std::atomic<double> progress{0.0};
    EXPECT_TRUE(project.run(progress)); // the window's cancel did not leave the project stuck
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the widgets are driven without a display
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
