#include "FakeDialogs.h"
#include "WrittenWav.h"

#include "app/ThreadWorker.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

// join() waits for the end itself, so nothing here depends on how the threads are scheduled.
TEST(ThreadWorker, RunsTheConformOnItsThreadAndReportsItsEnd)
{
    TempDir dir;
    ConformProject project;
    ASSERT_TRUE(project.load(writeTake(dir, "P")));
    project.setOutputOptions(true, 0);
    ASSERT_TRUE(project.prepareOutput(utf8FromPath(dir.path() / "out.wav")));
    std::atomic<double> percent{0.0};
    ThreadWorker worker;
    EXPECT_FALSE(worker.finished());
    worker.start(project, percent);
    worker.join();
    EXPECT_TRUE(worker.finished());
    EXPECT_TRUE(worker.result());
    const WrittenWav wav = readWrittenWav(dir.path() / "out.wav");
    EXPECT_TRUE(wav.wellFormed);
    EXPECT_EQ(wav.dataBytes, 4800u * 6);
    worker.join(); // a second join has nothing to wait for

    ThreadWorker failing; // nothing prepared: the run returns false at once
    failing.start(project, percent);
    failing.join();
    EXPECT_TRUE(failing.finished());
    EXPECT_FALSE(failing.result());
}
