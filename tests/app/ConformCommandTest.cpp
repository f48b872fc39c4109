#include "FakeDialogs.h"
#include "ProjectFiles.h"

#include "app/ConformCommand.h"
#include "app/MainDialog.h"
#include "audio/ByteOrder.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

constexpr std::int32_t stereo = 0;
constexpr std::int32_t dualMono = 4;

// A loaded one-take project named "Take 12" and a folder for outputs.
class ConformCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        projectFolder = writeSimpleProject(dir, "Take 12");
        std::filesystem::create_directories(dir.path() / "out");
        dialog.onInitDialog();
        ASSERT_TRUE(dialog.openProject(utf8FromPath(projectFolder), "Take 12"));
    }

    std::filesystem::path out(const std::string& name) const { return dir.path() / "out" / name; }
    void selectChannels(int index)
    {
        controls.shown.channelChoice = index;
        dialog.onChannelChoice();
    }
    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : services.messages) {
            EXPECT_EQ(m.title, "Error");
            texts.push_back(m.text);
        }
        return texts;
    }
    ConformOutcome runCommand(std::int32_t channels, std::uint64_t dataBytes)
    {
        dialog.project().setOutputOptions(false, channels);
        ConformCommand command{dialog.project(), services};
        return command.run({channels, "Take 12", dataBytes});
    }

    TempDir dir;
    std::filesystem::path projectFolder;
    FakeControls controls;
    FakeServices services;
    MainDialog dialog{controls, services};
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(ConformCommandTest, SingleFileAsksOnceWithProjectNameAndRunsTheConform)
{
    services.saves = {savedAs(out("Take 12.wav"))};
    services.onProgress = [](ConformProject& project) {
        std::atomic<double> percent{0.0};
        EXPECT_TRUE(project.run(percent));
    };
    dialog.onConformProject();

    ASSERT_EQ(services.saveRequests.size(), 1u);
    EXPECT_EQ(services.saveRequests[0].title, "Choose Filename");
    EXPECT_EQ(services.saveRequests[0].defaultName, "Take 12");
    EXPECT_EQ(services.progressRuns, 1);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(dialog.outputPath(), utf8FromPath(out("Take 12.wav")));
    EXPECT_EQ(dialog.outputFileName(), "Take 12.wav");
    const Bytes written = readFile(out("Take 12.wav"));
    ASSERT_EQ(written.size(), 1024u + 19200u);
    EXPECT_EQ(loadU32le(&written[1020]), 19200u);
}

TEST_F(ConformCommandTest, DualMonoProposesLeftThenMatchingRightName)
{
    selectChannels(dualMono);
    services.saves = {savedAs(out("Take 12L.wav")), savedAs(out("Take 12R.wav"))};
    dialog.onConformProject();

    ASSERT_EQ(services.saveRequests.size(), 2u);
    EXPECT_EQ(services.saveRequests[0].title, "Left Channel Filename");
    EXPECT_EQ(services.saveRequests[0].defaultName, "Take 12L.wav");
    EXPECT_EQ(services.saveRequests[1].title, "Right Channel Filename");
    EXPECT_EQ(services.saveRequests[1].defaultName, "Take 12R.wav");
    EXPECT_EQ(services.progressRuns, 1);
    EXPECT_TRUE(std::filesystem::exists(out("Take 12L.wav")));
    EXPECT_TRUE(std::filesystem::exists(out("Take 12R.wav")));
}

TEST(RightChannelName, ReplacesAnUpperCaseLOtherwiseUsesTheProjectName)
{
    struct Case { const char* left; const char* right; };
    constexpr Case cases[] = {
        {"Take 12L.wav", "Take 12R.wav"}, {"mixL.wav", "mixR.wav"}, {"L.wav", "R.wav"},
        {"mix.wav", "ProjR.wav"},         {"mixl.wav", "ProjR.wav"}, {"Lx", "R.wav"},
        {"", "ProjR.wav"},                {"L", "R.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.left);
        EXPECT_EQ(ConformCommand::rightDefaultName(c.left, "Proj"), c.right);
    }
}

TEST_F(ConformCommandTest, CancellingEitherDialogEndsSilently)
{
    for (std::size_t confirmed : {0u, 1u}) {
        SCOPED_TRACE(confirmed);
        selectChannels(dualMono);
        services.saves.clear();
        if (confirmed == 1)
            services.saves = {savedAs(out("aL.wav"))};
        services.saveRequests.clear();
        dialog.onConformProject();
        EXPECT_EQ(services.saveRequests.size(), confirmed + 1);
        EXPECT_TRUE(services.messages.empty());
        EXPECT_EQ(services.progressRuns, 0);
        EXPECT_FALSE(std::filesystem::exists(out("aL.wav")));
    }
}

TEST_F(ConformCommandTest, DualMonoRefusesTwoNamesForOneFile)
{
    struct Case { std::filesystem::path right; bool refused; };
    const Case cases[] = {
        {out("a.wav"), true},
        {dir.path() / "out" / "." / "a.wav", true},   // same file, other spelling
        {dir.path() / "a.wav", false},                // same name, other folder
        {out("A.wav"), false},                        // a different file here
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.right.string());
        selectChannels(dualMono);
        services.messages.clear();
        services.progressRuns = 0;
        services.saves = {savedAs(out("a.wav")), savedAs(c.right)};
        dialog.onConformProject();
        EXPECT_EQ(messageTexts(), c.refused ? Texts{"Files cannot have same name."} : Texts{});
        EXPECT_EQ(services.progressRuns, c.refused ? 0 : 1);
        EXPECT_EQ(dialog.outputPath(), utf8FromPath(out("a.wav")));
    }
}

TEST_F(ConformCommandTest, RefusesToWriteOverAProjectTake)
{
    const auto take = projectFolder / "Audio Files" / "take1.wav";
    const Bytes before = readFile(take);
    const std::filesystem::path spellings[] = {
        take, projectFolder / "Audio Files" / ".." / "Audio Files" / "take1.wav"};
    for (const auto& spelling : spellings) {
        SCOPED_TRACE(spelling.string());
        services.messages.clear();
        services.saves = {savedAs(spelling)};
        dialog.onConformProject();
        EXPECT_EQ(messageTexts(), Texts{"Output file cannot be one of the project's takes."});
    }
    selectChannels(dualMono);
    services.messages.clear();
    services.saves = {savedAs(out("xL.wav")), savedAs(take)};
    dialog.onConformProject();
    EXPECT_EQ(messageTexts(), Texts{"Output file cannot be one of the project's takes."});
    EXPECT_FALSE(std::filesystem::exists(out("xL.wav")));
    EXPECT_EQ(services.progressRuns, 0);
    EXPECT_EQ(readFile(take), before);
}

TEST_F(ConformCommandTest, RefusesDataBeyondTheWavLimitPerFile)
{
    struct Case { std::int32_t channels; std::uint64_t dataBytes; bool refused; };
    constexpr Case cases[] = {
        {stereo, maxWavDataBytes, false},
        {stereo, maxWavDataBytes + 1, true},
        {dualMono, 2 * maxWavDataBytes, false},       // each file holds half
        {dualMono, 2 * maxWavDataBytes + 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        services.messages.clear();
        services.progressRuns = 0;
        std::filesystem::remove(out("big.wav"));
        services.saves = {savedAs(out("big.wav")), savedAs(out("bigR.wav"))};
        runCommand(c.channels, c.dataBytes);
        EXPECT_EQ(messageTexts(), c.refused ? Texts{"Output is too large for a WAV file."} : Texts{});
        EXPECT_EQ(std::filesystem::exists(out("big.wav")), !c.refused);
    }
}

TEST_F(ConformCommandTest, NeedsMoreThanDataPlusHeaderAvailable)
{
    struct Case { std::uint64_t available; bool refused; };
    constexpr std::uint64_t data = 19200;
    constexpr Case cases[] = {
        {data, true}, {data + 1024, true}, {data + 1025, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.available);
        services.messages.clear();
        services.progressRuns = 0;
        std::filesystem::remove(out("s.wav"));
        services.volumes[utf8FromPath(dir.path() / "out")] = {1ull << 40, c.available};
        services.saves = {savedAs(out("s.wav"))};
        runCommand(stereo, data);
        EXPECT_EQ(messageTexts(), c.refused ? Texts{"Insufficient space to create file."} : Texts{});
        EXPECT_EQ(services.progressRuns, c.refused ? 0 : 1);
        EXPECT_EQ(std::filesystem::exists(out("s.wav")), !c.refused);
    }
}

TEST_F(ConformCommandTest, DualMonoChecksEachFilesVolumeForItsOwnShare)
{
    std::filesystem::create_directories(dir.path() / "other");
    const std::string leftFolder = utf8FromPath(dir.path() / "out");
    const std::string rightFolder = utf8FromPath(dir.path() / "other");
    constexpr std::uint64_t data = 2 * 9600;
    constexpr std::uint64_t share = 9600 + 1024;
    struct Case { VolumeSpace left; VolumeSpace right; bool refused; };
    const Case cases[] = {
        {{1000000, share + 1}, {2000000, share + 1}, false},
        {{1000000, share}, {2000000, share + 1}, true},
        {{1000000, share + 1}, {2000000, share}, true},
        // One volume seen from both folders must hold both files.
        {{1000000, 2 * share}, {1000000, 2 * share}, true},
        {{1000000, 2 * share + 1}, {1000000, 2 * share + 1}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.left.availableBytes);
        services.messages.clear();
        services.volumes[leftFolder] = c.left;
        services.volumes[rightFolder] = c.right;
        services.saves = {savedAs(out("dL.wav")), savedAs(dir.path() / "other" / "dR.wav")};
        runCommand(dualMono, data);
        EXPECT_EQ(messageTexts(), c.refused ? Texts{"Insufficient space to create file."} : Texts{});
    }
}

TEST_F(ConformCommandTest, FailedSpaceQueryCountsAsNoSpace)
{
    services.defaultVolume.reset();
    services.saves = {savedAs(out("q.wav"))};
    dialog.onConformProject();
    EXPECT_EQ(messageTexts(), Texts{"Insufficient space to create file."});
    EXPECT_FALSE(std::filesystem::exists(out("q.wav")));
}

TEST_F(ConformCommandTest, ReportsAnOutputThatCannotBeCreated)
{
    services.saves = {savedAs(dir.path() / "missing folder" / "x.wav")};
    dialog.onConformProject();
    EXPECT_EQ(messageTexts(), Texts{"Unable to create file(s)."});
    EXPECT_EQ(services.progressRuns, 0);
    EXPECT_EQ(dialog.outputFileName(), "x.wav");
}

TEST_F(ConformCommandTest, ProjectWithoutTakesCannotCreateAnOutput)
{
    const auto empty = dir.path() / "Empty";
    std::filesystem::create_directories(empty / "Audio Files");
    EXPECT_FALSE(dialog.openProject(utf8FromPath(empty), "Empty"));
    services.saves = {savedAs(out("e.wav"))};
    dialog.onConformProject();
    EXPECT_EQ(services.saveRequests.back().defaultName, "Empty");
    EXPECT_EQ(messageTexts(), Texts{"Unable to create file(s)."});
    EXPECT_EQ(services.progressRuns, 0);
}
