#include "FakeDialogs.h"
#include "LongPaths.h"

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

// Windows reaches such a file only through the platform layer's long form; asked directly,
// it says the file isn't there.
TEST(OutputName, AsksBeforeReplacingAFilePast260Characters)
{
    TempDir dir;
    const std::string project = writeTake(dir, "P");
    const auto deep = makeDeepFolder(dir.path() / "out", 300);
    writeFile(platform::longPath(deep / "Day.wav"), Bytes{1});
    Window window;
    ASSERT_TRUE(window.dialog.openProject(project, "P"));
    SaveChoice typed = savedAs(deep / "Day");
    typed.wavFilter = true;
    window.services.saves = {typed};
    window.services.replace = false;
    window.dialog.onConformProject();
    EXPECT_EQ(window.services.questions,
              Texts{"Day.wav already exists.\nDo you want to replace it?"});
    EXPECT_EQ(window.services.progressRuns, 0);
    EXPECT_EQ(readFile(platform::longPath(deep / "Day.wav")), Bytes{1});
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
            EXPECT_EQ(window.services.asked.back(), "Save the right file: Day 1R.wav");
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
    window.dialog.onDrop({first + "/"}); // a dropped folder may come with a separator at its end
    window.dialog.onChooseProject();
    const std::string beside = utf8FromPath(dir.path() / "Shoot");
    EXPECT_EQ(window.services.folderStarts, (Texts{"", beside, beside}));
}

// After a refusal the save dialog of the file concerned opens again with the name chosen, away
// from the take folder; backing out of it ends the conform without creating anything.
TEST(ConformCommand, AfterARefusalTheSaveDialogOpensAgainWithTheNameChosen)
{
    TempDir dir;
    const std::string project = writeTake(dir, "P");
    const auto takes = dir.path() / "P" / "Audio Files", top = dir.path();
    const std::string beside = utf8FromPath(top), inTakes = utf8FromPath(takes);
    dir.write("Day.wav", Bytes{1});
    const std::string single = "Save the conformed file: ", left = "Save the left file: ",
                      right = "Save the right file: ";
    struct Case { const char* what; std::int32_t channels; std::vector<std::filesystem::path> saves;
                  bool replace; Texts asked, starts; std::size_t messages, questions; bool runs; };
    const Case cases[] = {
        {"in the take folder", 0, {takes / "out.wav", top / "out.wav"}, true,
         {single + "P", single + "out.wav"}, {beside, beside}, 1, 0, true},
        {"one of the takes", 0, {takes / "1728000000.wav", top / "mix.wav"}, true,
         {single + "P", single + "1728000000.wav"}, {beside, beside}, 1, 0, true},
        {"no to replacing", 0, {top / "Day", top / "Day 2"}, false,
         {single + "P", single + "Day"}, {beside, beside}, 0, 1, true},
        {"backed out after a refusal", 0, {takes / "out.wav"}, true,
         {single + "P", single + "out.wav"}, {beside, beside}, 1, 0, false},
        // Dual Mono: the right name alone is asked again; a refused left asks for both.
        {"the right named as the left", 4, {top / "xL.wav", top / "xL.wav", top / "xR.wav"}, true,
         {left + "PL.wav", right + "xR.wav", right + "xL.wav"}, {beside, beside, beside}, 1, 0,
         true},
        {"the left in the take folder", 4,
         {takes / "xL.wav", top / "xR.wav", top / "yL.wav", top / "yR.wav"}, true,
         {left + "PL.wav", right + "xR.wav", left + "xL.wav", right + "yR.wav"},
         {beside, inTakes, beside, beside}, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window window;
        ASSERT_TRUE(window.dialog.openProject(project, "P"));
        window.clickChannel(c.channels);
        for (const auto& path : c.saves)
            window.services.saves.push_back(savedAs(path));
        window.services.replace = c.replace;
        window.dialog.onConformProject();
        EXPECT_EQ(window.services.asked, c.asked);
        EXPECT_EQ(window.services.saveStarts, c.starts);
        EXPECT_EQ(window.services.messages.size(), c.messages);
        EXPECT_EQ(window.services.questions.size(), c.questions);
        EXPECT_EQ(window.services.progressRuns, c.runs ? 1 : 0);
        EXPECT_FALSE(std::filesystem::exists(takes / "out.wav"));
        EXPECT_EQ(window.dialog.outputFileName().empty(), !c.runs);
    }
    EXPECT_EQ(readFile(top / "Day.wav"), Bytes{1}); // declined: never touched

    // A dialog answering "confirmed" without a name creates nothing anywhere.
    Window window;
    ASSERT_TRUE(window.dialog.openProject(project, "P"));
    window.services.saves = {SaveChoice{true, "", ""}};
    window.dialog.onConformProject();
    EXPECT_EQ(window.services.progressRuns, 0);
    EXPECT_TRUE(window.services.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(".wav"));
}
