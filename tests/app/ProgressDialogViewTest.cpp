#include "ProjectFiles.h"
#include "QtWait.h"

#include "ProgressDialogView.h"
#include "audio/ByteOrder.h"
#include "audio/Types.h"
#include "project/ConformProject.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

constexpr std::uint64_t framesPerTake = 10 * 48000;
constexpr int takeCount = 6;
// 16-bit stereo output of the whole minute.
constexpr std::uint64_t fullDataBytes = framesPerTake * takeCount * 4;

// A minute of mono 16-bit takes in a row: far more blocks than a cancel needs to land.
std::filesystem::path writeLongProject(const TempDir& dir)
{
    for (int i = 0; i < takeCount; ++i)
        writeTake(dir, "Long", "t" + std::to_string(i) + ".wav",
                  takeSpec(i * framesPerTake, 48000, 1, 16, i),
                  framesPerTake);
    return dir.path() / "Long";
}

bool offersOk(const ProgressDialogView& view) { return view.button()->text() == "OK"; }

} // namespace

TEST(ProgressWindowView, CancelStopsTheRunAndKeepsTheWindowUntilOk)
{
    TempDir dir;
    ConformProject project;
    ASSERT_TRUE(project.load(utf8FromPath(writeLongProject(dir))));
    project.setOutputOptions(false, 0);
    const auto output = dir.path() / "out.wav";
    ASSERT_TRUE(project.prepareOutput(utf8FromPath(output)));

    ProgressDialogView view(project);
    view.open();
    EXPECT_EQ(view.windowTitle(), "Converting...");
    ASSERT_TRUE(waitUntil([&] { return view.progressPercent() > 0.0 || offersOk(view); }));
    view.button()->click();
    EXPECT_EQ(view.windowTitle(), "Conform Cancelled...");
    const int frozenBar = view.bar()->value();
    view.close(); // the close command cancels too; it must not close a running window
    EXPECT_TRUE(view.isVisible());

    ASSERT_TRUE(waitUntil([&] { return offersOk(view); }));
    EXPECT_EQ(view.windowTitle(), "Conform Cancelled...");
    EXPECT_EQ(view.bar()->value(), 100);
    EXPECT_LT(frozenBar, 100);
    view.button()->click();
    EXPECT_FALSE(view.isVisible());
    EXPECT_TRUE(view.workerJoined());

    const Bytes written = readFile(output);
    ASSERT_GE(written.size(), 1024u);
    const std::uint32_t dataBytes = loadU32le(&written[1020]);
    EXPECT_LT(dataBytes, fullDataBytes);
    EXPECT_EQ(written.size(), 1024u + dataBytes);
}

TEST(ProgressWindowView, FailedRunEndsWithFailedTitle)
{
    ConformProject project; // nothing loaded or prepared: the run has nothing to write
    ProgressDialogView view(project);
    view.open();
    ASSERT_TRUE(waitUntil([&] { return offersOk(view); }));
    EXPECT_EQ(view.windowTitle(), "Conform Failed...");
    EXPECT_EQ(view.bar()->value(), 100);
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.isVisible());
}

TEST(ProgressWindowView, CompletedRunFillsTheBarAndWritesEveryFrame)
{
    TempDir dir;
    ConformProject project;
    ASSERT_TRUE(project.load(utf8FromPath(writeLongProject(dir))));
    project.setOutputOptions(false, 4);
    const auto left = dir.path() / "L.wav";
    const auto right = dir.path() / "R.wav";
    ASSERT_TRUE(project.prepareDualMonoOutput(utf8FromPath(left), utf8FromPath(right)));

    ProgressDialogView view(project);
    view.open();
    ASSERT_TRUE(waitUntil([&] { return offersOk(view); }));
    EXPECT_EQ(view.windowTitle(), "Conform Complete...");
    EXPECT_EQ(view.bar()->value(), 100);
    view.button()->click();
    EXPECT_TRUE(view.workerJoined());
    for (const auto& file : {left, right}) {
        const Bytes written = readFile(file);
        ASSERT_EQ(written.size(), 1024u + fullDataBytes / 2);
        EXPECT_EQ(loadU32le(&written[1020]), fullDataBytes / 2);
    }
}
