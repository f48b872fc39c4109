#include "CliSupport.h"
#include "WrittenWav.h"
#include "FileSizeLimit.h"
#include "ListingFault.h"
#include "TempDir.h"

#include "frontend/ProblemText.h"
#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"
#include "cli/CliText.h"
#include "cli/CommandLine.h"
#include "cli/Platform.h"
#include "project/ConformProject.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <thread>

namespace tabrix::cli {
namespace {

using namespace tabrix::testing;

// Audio data bytes of a whole 24-bit Stereo conform of `project`.
std::uint64_t conformedDataBytes(const std::string& project)
{
    ConformProject library;
    std::uint64_t byteCount = 0;
    library.setOutputOptions(true, 0);
    return library.load(project) && library.getOutputSize(byteCount) ? byteCount : 0;
}

// Runs the command line as the program does, with the program's signal handlers, in a child
// process (the handlers and their flag last for the life of a process); what it prints on
// standard output goes to `printed`. With `signalAtPoll` the child raises `signalNumber` itself
// when the command asks for the `signalAtPoll`-th time whether to stop. Returns the exit status,
// or 128 + the signal that ended the child.
int runWithSignalHandlers(std::vector<std::string> args, ConformEnvironment environment,
                          const std::filesystem::path& printed = {}, int signalAtPoll = 0,
                          int signalNumber = 0)
{
    const pid_t child = fork();
    if (child == 0) {
        installCancelHandlers();
        environment.cancelled = [polls = 0, signalAtPoll, signalNumber]() mutable {
            if (++polls == signalAtPoll)
                raise(signalNumber);
            return cancelSignalled();
        };
        args.insert(args.begin(), "tabrix");
        std::vector<const char*> argv;
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        std::ostringstream out, err;
        const int status = runCommandLine(int(argv.size()), argv.data(), out, err,
                                          std::move(environment), false);
        const std::string text = out.str();
        if (!printed.empty())
            writeFile(printed, Bytes(text.begin(), text.end()));
        _exit(status);
    }
    int state = 0;
    if (child < 0 || waitpid(child, &state, 0) != child)
        return -1;
    return WIFEXITED(state) ? WEXITSTATUS(state) : 128 + WTERMSIG(state);
}

TEST(CommandLineSignalsPosix, SignalStopsTheRunAndLeavesAValidShorterFile)
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) { // SIGHUP: the terminal closed
        SCOPED_TRACE(signalNumber);
        TempDir dir;
        const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
        const auto output = dir.path() / "out.wav";
        ConformEnvironment environment;
        // The signal comes once the second block is on disk; the run waits for the command
        // to pass it on, so it can't end first.
        environment.afterBlock = [signalNumber](const ConformProject& run, std::uint64_t written) {
            if (written != 2)
                return;
            raise(signalNumber);
            while (!run.cancelPending())
                std::this_thread::yield();
        };
        EXPECT_EQ(runWithSignalHandlers({"conform", project, "-o", utf8FromPath(output)},
                                        environment),
                  130);

        const WrittenWav wav = readWrittenWav(output);
        EXPECT_TRUE(wav.wellFormed);
        EXPECT_LT(wav.dataBytes, conformedDataBytes(project));
        EXPECT_EQ(wav.dataBytes % 6, 0u); // whole 24-bit stereo frames
        EXPECT_EQ(wav.trailingIds().size(), 3u);
        BwfFile written(dir.path(), "out.wav");
        ASSERT_TRUE(written.parse());
        EXPECT_EQ(written.dataSize(), wav.dataBytes);
    }
}

// A signal while the project's folder is listed and its takes are read stops every command
// there, with nothing printed and nothing written.
TEST(CommandLineSignalsPosix, SignalWhileReadingTheProjectEndsEveryCommandWith130)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes()); // 7 takes
    const std::string other = writeProject(dir.path() / "Q", demoLikeTakes());
    const std::string output = utf8FromPath(dir.path() / "out.wav");
    const std::string batchFolder = utf8FromPath(dir.path() / "batch");
    std::filesystem::create_directory(pathFromUtf8(batchFolder));
    const std::vector<std::vector<std::string>> commands = {
        {"summary", project}, {"summary", project, "--json"}, {"plan", project, "--csv"},
        {"conform", project, "-o", output}, {"conform", project, other, "--out-dir", batchFolder}};
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        for (const std::vector<std::string>& args : commands) {
            SCOPED_TRACE(::testing::Message() << signalNumber << " " << args.front() << " "
                                              << args.back());
            const auto printed = dir.path() / "printed.txt";
            // The third poll falls on the second or third of the seven listed takes.
            EXPECT_EQ(runWithSignalHandlers(args, {}, printed, 3, signalNumber), 130);
            const Bytes bytes = readFile(printed);
            const std::vector<std::string> lines = linesOf(std::string(bytes.begin(), bytes.end()));
            if (args.back() == batchFolder) { // one result line per project
                ASSERT_EQ(lines.size(), 2u);
                EXPECT_EQ(lines[0].rfind("130 " + project + ": ", 0), 0u) << lines[0];
                EXPECT_EQ(lines[1].rfind("130 " + other + ": ", 0), 0u) << lines[1];
            } else {
                EXPECT_TRUE(lines.empty()) << lines.size() << " lines";
            }
            EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(output)));
            EXPECT_TRUE(std::filesystem::is_empty(pathFromUtf8(batchFolder)));
        }
    }
}

// Names from an old card in Latin-1 are no valid UTF-8; a file system other than Windows keeps
// their bytes. Every output form prints them with U+FFFD where the bytes break.
TEST(CommandLineNamesPosix, NamesThatAreNotUtf8PrintAsValidUtf8)
{
    TempDir dir;
    const std::string project =
        writeProject(dir.path() / "P", {rampTake("Sz\xE9ne.wav", 0, 100, 1, "10:00:00")});
    writeFile(dir.path() / "P" / "Audio Files" / "Caf\xE9.wav", Bytes{'n', 'o'});
    const std::string take = "Sz\xEF\xBF\xBDne.wav", skipped = "Caf\xEF\xBF\xBD.wav";

    ProgramRun run = runTabrix({"summary", project, "--json"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json summary = nlohmann::json::parse(run.out); // throws on invalid UTF-8
    EXPECT_EQ(summary["takes"][0]["file"], take);
    EXPECT_EQ(summary["skipped"][0]["file"], skipped);

    const std::pair<std::vector<std::string>, std::string> texts[] = {
        {{"summary", project}, "skipped: " + skipped + ": "},
        {{"plan", project}, take},
        {{"plan", project, "--csv"}, "\n" + take + ",0,100,"},
    };
    for (const auto& [args, part] : texts) {
        SCOPED_TRACE(args.back());
        run = runTabrix(args, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(part), std::string::npos) << run.out;
        EXPECT_EQ(validUtf8(run.out), run.out);
    }
    // The notes of a conform, and the result lines of a batch.
    run = runTabrix({"conform", project, "--out-dir", utf8FromPath(dir.path())}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("skipped: " + skipped), std::string::npos) << run.err;
    EXPECT_EQ(validUtf8(run.err), run.err);
}

// A take folder the system fails to list to its end is no project: status 3 with the folder
// and the system's reason, and nothing written.
TEST(CommandLineFailuresPosix, AListingBrokenOffPartwayConformsNothing)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const std::string output = utf8FromPath(dir.path() / "out.wav");
    const char* argv[] = {"tabrix", "conform", project.c_str(), "-o", output.c_str()};
    std::ostringstream out, err;
    failNextListing(2 + 3, EIO); // ".", ".." and three takes
    EXPECT_EQ(runCommandLine(5, argv, out, err, {}, false), 3);
    EXPECT_EQ(err.str(), "tabrix: The folder " + utf8FromPath(dir.path() / "P" / "Audio Files") +
                             " can't be read: " + systemErrorText(EIO) + ".\n");
    EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(output)));
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
} // namespace tabrix::cli
