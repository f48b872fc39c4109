#include "FakeDialogs.h"

#include "app/ConformCommand.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;
using Texts = std::vector<std::string>;

TEST(OutputName, AddsWavUnlessTheNameAlreadyEndsInIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Day17 v1.2", "Day17 v1.2.wav"}, // a dot in the name is no extension
        {"X.WAV", "X.WAV"},               {"x.Wav", "x.Wav"},
        {"X.wav.bak", "X.wav.bak.wav"},   {"mix", "mix.wav"},
        {".wav", ".wav"},                 {"wav", "wav.wav"},
        {"", ".wav"},
    };
    for (const auto& [typed, saved] : cases)
        EXPECT_EQ(ConformCommand::withWavExtension(typed), saved) << typed;
}

// The typed name is what the dialog confirmed; adding ".wav" may point at another file.
TEST(OutputName, TheWavFilterAddsTheExtensionAndAsksBeforeReplacingThatFile)
{
    TempDir dir;
    const std::string project = writeTake(dir, "P");
    dir.write("Day17 v1.2.wav", Bytes{1});
    struct Case { const char* typed; bool wavFilter, replace; const char* created;
                  std::size_t questions; };
    constexpr Case cases[] = {
        {"Day17 v1.3", true, true, "Day17 v1.3.wav", 0},
        {"Day17 v1.2", true, true, "Day17 v1.2.wav", 1},
        {"Day17 v1.2", true, false, nullptr, 1}, // declined: nothing is written
        {"Day17 v1.4", false, true, "Day17 v1.4", 0}, // "All Files": the name as typed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Window window;
        ASSERT_TRUE(window.dialog.openProject(project, "P"));
        SaveChoice typed = savedAs(dir.path() / c.typed);
        typed.wavFilter = c.wavFilter;
        window.services.saves = {typed};
        window.services.replace = c.replace;
        window.dialog.onConformProject();
        EXPECT_EQ(window.services.questions.size(), c.questions);
        EXPECT_EQ(window.services.progressRuns, c.created ? 1 : 0);
        if (c.created) {
            EXPECT_EQ(window.dialog.outputFileName(), c.created);
            EXPECT_TRUE(std::filesystem::exists(dir.path() / c.created));
        }
        EXPECT_FALSE(std::filesystem::exists(dir.path() / c.typed) &&
                     std::string(c.typed) != (c.created ? c.created : ""));
    }
    EXPECT_EQ(readFile(dir.path() / "Day17 v1.2.wav").size(), 1024u); // replaced: a new header
}

TEST(DialogStart, SaveDialogsOpenWhereTheLastOutputWentAndTheRightBesideTheLeft)
{
    TempDir dir;
    const std::string project = writeTake(dir, "Shoot/Day 1");
    const std::filesystem::path elsewhere = dir.path() / "Mixes";
    std::filesystem::create_directories(elsewhere);
    const std::string beside = utf8FromPath(dir.path() / "Shoot");
    struct Case { std::string remembered; std::int32_t channels; Texts starts; };
    const Case cases[] = {
        {"", 0, {beside}}, // first time: beside the project
        {utf8FromPath(elsewhere), 0, {utf8FromPath(elsewhere)}},
        {utf8FromPath(dir.path() / "gone"), 0, {beside}}, // a folder since removed
        // The right file goes where the left went, whatever the last output was.
        {"", 4, {beside, utf8FromPath(elsewhere)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remembered);
        Window window;
        ASSERT_TRUE(window.dialog.openProject(project, "Day 1"));
        if (!c.remembered.empty())
            window.services.settings[ConformCommand::lastOutputFolderKey] = c.remembered;
        window.clickChannel(c.channels);
        window.services.saves = {savedAs(elsewhere / "Day 1L.wav"), savedAs(elsewhere / "x.wav")};
        window.dialog.onConformProject();
        EXPECT_EQ(window.services.saveStarts, c.starts);
        EXPECT_EQ(window.services.settings[ConformCommand::lastOutputFolderKey],
                  utf8FromPath(elsewhere));
        if (c.channels == 4) {
            EXPECT_EQ(window.services.asked.back(), "Right Channel Filename: Day 1R.wav");
        }
    }
}

TEST(DialogStart, ProjectChooserOpensBesideTheLastProject)
{
    TempDir dir;
    const std::string first = writeTake(dir, "Shoot/Day 1");
    Window window;
    window.services.folder = {1, first, "Day 1"};
    window.dialog.onChooseProject();
    window.services.folder = {2, "", ""};
    window.dialog.onChooseProject();
    window.dialog.onDrop(first + "/"); // a dropped folder may come with a separator at its end
    window.dialog.onChooseProject();
    const std::string beside = utf8FromPath(dir.path() / "Shoot");
    EXPECT_EQ(window.services.folderStarts, (Texts{"", beside, beside}));
}

TEST(ConformCommand, HandsTheProgressWindowTheOutputsAndTheirLength)
{
    TempDir dir;
    Window window;
    ASSERT_TRUE(window.dialog.openProject(writeTake(dir, "P"), "P"));
    window.dialog.onWidth24();
    window.clickChannel(4);
    window.services.saves = {savedAs(dir.path() / "PL.wav"), savedAs(dir.path() / "PR.wav")};
    window.dialog.onConformProject();
    const ProgressJob& job = window.services.lastJob;
    EXPECT_EQ(job.outputPaths, (Texts{utf8FromPath(dir.path() / "PL.wav"),
                                      utf8FromPath(dir.path() / "PR.wav")}));
    EXPECT_EQ(job.totalFrames, 4800u);
    EXPECT_EQ(job.fileFrameBytes, 3u); // one 24-bit channel in each file
    EXPECT_EQ(job.sampleRate, 48000u);
}
