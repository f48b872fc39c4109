#include "FakeDialogs.h"

#include "MainDialogView.h"
#include "ProgressDialogView.h"
#include "audio/ByteOrder.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

// Scripted file dialogs around the real progress window and its worker thread. With
// `closeWhileRunning` the window is closed once the run has started, which cancels it.
struct RealProgress : FakeServices {
    void runProgress(ConformProject& project) override
    {
        ProgressDialogView view(project);
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

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the widgets are driven without a display
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
