#include "CliSupport.h"
#include "FileSizeLimit.h"
#include "TempDir.h"

#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tabrix {
namespace {

using namespace tabrix::testing;

// Two short takes an hour apart: a conform of about a gigabyte, mostly silence.
std::string longProject(const std::filesystem::path& folder)
{
    constexpr std::uint64_t ten = 10ull * 3600 * 48000;
    return writeProject(folder, {rampTake("a.wav", ten, 4800, 5, "10:00:00"),
                                 rampTake("b.wav", ten + 3600ull * 48000, 4800, 5, "11:00:00")});
}

pid_t spawnTabrix(const std::vector<std::string>& args)
{
    const pid_t child = fork();
    if (child == 0) {
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(TABRIX_CLI_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(TABRIX_CLI_PATH, argv.data());
        _exit(127);
    }
    return child;
}

std::uint64_t sizeOf(const std::filesystem::path& file)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

TEST(CommandLineSignalsPosix, SignalStopsTheRunAndLeavesAValidShorterFile)
{
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        TempDir dir;
        const std::string project = longProject(dir.path() / "P");
        const auto output = dir.path() / "out.wav";
        const pid_t child = spawnTabrix({"conform", project, "-o", utf8FromPath(output)});
        ASSERT_GT(child, 0);
        // Wait until the run is under way, not for a length of time.
        while (sizeOf(output) < 1024 + 1024 * 1024) {
            int state = 0;
            ASSERT_EQ(waitpid(child, &state, WNOHANG), 0) << "ended before the signal";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(kill(child, signalNumber), 0);
        int state = 0;
        ASSERT_EQ(waitpid(child, &state, 0), child);
        ASSERT_TRUE(WIFEXITED(state));
        EXPECT_EQ(WEXITSTATUS(state), 130);

        const Bytes head = [&] {
            Bytes all = readFile(output);
            all.resize(1024);
            return all;
        }();
        const std::uint64_t fileBytes = sizeOf(output);
        constexpr std::uint64_t fullDataBytes = (3600ull * 48000 + 4800) * 6;
        EXPECT_LT(fileBytes - 1024, fullDataBytes);
        EXPECT_EQ(loadU32le(&head[4]), fileBytes - 8);       // RIFF size
        EXPECT_EQ(loadU32le(&head[1020]), fileBytes - 1024); // data size
        BwfFile written(dir.path(), "out.wav");
        ASSERT_TRUE(written.parse());
        EXPECT_EQ(written.dataSize(), fileBytes - 1024);
    }
}

TEST(CommandLineFailuresPosix, AFailedWriteEndsWithStatus1AndItsReason)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const auto output = dir.path() / "out.wav";
    ProgramRun run;
    {
        // The spawned program inherits the limit, so its writes fail as on a full disk.
        FileSizeLimit limit(200 * 1024);
        if (!limit.active())
            GTEST_SKIP() << "file size limit unavailable";
        run = runTabrix({"conform", project, "-o", utf8FromPath(output)}, dir.path());
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write out.wav"), std::string::npos) << run.err;
}

} // namespace
} // namespace tabrix
