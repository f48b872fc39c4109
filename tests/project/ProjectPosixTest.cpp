#include "project/ConformProject.h"

#include "ListingFault.h"
#include "RiffBuilder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tabrix {
namespace {

using namespace tabrix::testing;

// Opening a pipe blocks until a writer comes, so a FIFO among the takes would hang the load;
// such files are listed as skipped without being opened.
TEST(ProjectLoadingPosix, PipesAndSocketsNamedWavAreSkippedUnopened)
{
    TempDir dir;
    dir.write("P/Audio Files/a.wav",
              takeBytes({.channels = 2, .bits = 16, .data = constantFrames(2, 16, 10, 0)}));
    const auto folder = dir.path() / "P" / "Audio Files";
    ASSERT_EQ(mkfifo((folder / "b.wav").c_str(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (folder / "c.wav").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(symlink((folder / "a.wav").c_str(), (folder / "d.wav").c_str()), 0);

    ConformProject project;
    EXPECT_TRUE(project.load(utf8FromPath(dir.path() / "P")));
    close(sock);
    EXPECT_EQ(project.takes().count(), 2u); // a link to a regular file is a take
    ASSERT_EQ(project.skippedFiles().size(), 2u);
    for (const SkippedFile& skipped : project.skippedFiles())
        EXPECT_EQ(skipped.rejection.problem, TakeProblem::NotRegularFile) << skipped.fileName;
}

// A card reader that fails partway through the take folder: the takes listed before the fault
// are not the project, so nothing is loaded and the failure names the folder and the reason.
TEST(ProjectLoadingPosix, AListingBrokenOffPartwayLoadsNothing)
{
    TempDir dir;
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
        dir.write(std::string("P/Audio Files/") + name,
                  takeBytes({.channels = 2, .bits = 16, .data = constantFrames(2, 16, 10, 0)}));
    ConformProject project;
    ASSERT_TRUE(project.load(utf8FromPath(dir.path() / "P")));
    failNextListing(2 + 2, EIO); // ".", ".." and two takes
    EXPECT_FALSE(project.load(utf8FromPath(dir.path() / "P")));
    EXPECT_EQ(project.takes().count(), 0u);
    EXPECT_TRUE(project.skippedFiles().empty());
    EXPECT_EQ(project.timeline(), nullptr);
    const RunFailure& failure = project.lastFailure();
    EXPECT_EQ(failure.kind, FailureKind::ListFolder);
    EXPECT_EQ(failure.fileName, utf8FromPath(dir.path() / "P" / "Audio Files"));
    EXPECT_EQ(failure.systemError, EIO);
    EXPECT_TRUE(project.load(utf8FromPath(dir.path() / "P"))) << "the next listing is whole";
    EXPECT_EQ(project.lastFailure().kind, FailureKind::None);
}

} // namespace
} // namespace tabrix
