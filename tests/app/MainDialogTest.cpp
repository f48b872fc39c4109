#include "FakeDialogs.h"
#include "WrittenWav.h"

#include "app/ConformCommand.h"
#include "frontend/ProblemText.h"
#include "frontend/ProjectSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

using namespace tabrix;
using namespace tabrix::testing;
using Texts = std::vector<std::string>;

// A cancel keeps the loaded project; a failed load shows the new folder but cannot be conformed.
TEST(ProjectChoice, ShowsTheChosenFolderWhetherItLoadsOrNot)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Empty" / "Audio Files");
    const std::string good = writeTake(dir, "Good");
    const std::string goodSummary = "16 Bit, Stereo, 48.0Khz, 10:00:00.00-10:00:00.10, 19 KB";
    struct Case { int result; const char* chosen; const char* shown; std::string summary; };
    const Case cases[] = {
        {2, "", "Good", goodSummary}, {-1, "", "Good", goodSummary},
        // A folder that can't be conformed says why where the summary goes.
        {1, "Empty", "Empty",
         "No takes found in " + utf8FromPath(dir.path() / "Empty" / "Audio Files") + "."},
    };
    for (const auto& c : cases) {
        Window window;
        ASSERT_TRUE(window.dialog.openProject(good, "Good"));
        window.services.folder = {c.result, utf8FromPath(dir.path() / c.chosen), c.chosen};
        window.dialog.onChooseProject();
        EXPECT_EQ(window.shown.projectPath, utf8FromPath(dir.path() / c.shown));
        EXPECT_EQ(window.dialog.projectName(), c.shown);
        EXPECT_EQ(window.shown.summaryText, c.summary);
        EXPECT_EQ(window.shown.conformEnabled, c.result != 1);
        EXPECT_EQ(window.shown.refused, c.result == 1);
        EXPECT_EQ(window.shown.plan.empty(), c.result == 1);
    }
}

TEST(ConformCommand, AsksForEachOutputNameWithItsDefaultAndRunsOnlyWhenAllAreGiven)
{
    const std::string left = "Save the left file: Take 12L.wav";
    const std::string right = "Save the right file: ";
    struct Case { std::int32_t channels; Texts chosen; Texts asked; };
    const Case cases[] = {
        {0, {"Take 12.wav"}, {"Save the conformed file: Take 12"}},
        {4, {"Take 12L.wav", "Take 12R.wav"}, {left, right + "Take 12R.wav"}},
        {4, {}, {left}}, {4, {"xL.wav"}, {left, right + "xR.wav"}},
        {4, {"mix.wav"}, {left, right + "Take 12R.wav"}}, // no L to swap: the project's name
        {4, {"mixl.wav"}, {left, right + "Take 12R.wav"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Window window;
        ASSERT_TRUE(window.dialog.openProject(writeTake(dir, "Take 12"), "Take 12"));
        window.clickChannel(c.channels);
        for (const auto& name : c.chosen)
            window.services.saves.push_back(savedAs(dir.path() / name));
        window.dialog.onConformProject();
        EXPECT_EQ(window.services.asked, c.asked);
        EXPECT_EQ(window.services.progressRuns, c.asked.size() == c.chosen.size() ? 1 : 0);
        EXPECT_TRUE(window.services.messages.empty());
        Texts handedOver; // what the progress window writes, and for how long
        for (const auto& name : c.chosen)
            handedOver.push_back(utf8FromPath(dir.path() / name));
        if (window.services.progressRuns == 1) {
            EXPECT_EQ(window.services.lastJob.outputPaths, handedOver);
            EXPECT_EQ(window.services.lastJob.totalFrames, 4800u);
        }
    }
}

// Each refusal shows its error and creates nothing; names passing every check are conformed.
TEST(ConformCommand, RefusesNamesAndSizesThatCannotWork)
{
    TempDir dir;
    ConformProject project;
    ASSERT_TRUE(project.load(writeTake(dir, "P")));
    const auto takes = dir.path() / "P" / "Audio Files", take = takes / "1728000000.wav";
    const Bytes takeBefore = readFile(take);
    const auto a = dir.path() / "out.wav", b = dir.path() / "P" / "out.wav"; // two folders
    constexpr std::uint64_t data = 19200, max = maxWavDataBytes;
    constexpr std::uint64_t one = data + outputHeaderBytes, half = data / 2 + outputHeaderBytes;
    const std::optional<VolumeSpace> all = VolumeSpace{1ull << 50, 1ull << 50};
    const std::string top = utf8FromPath(a.parent_path()), inP = utf8FromPath(b.parent_path());
    const auto isTake = [](const std::filesystem::path& path) {
        return "Error: Output file cannot be one of the project's takes. " + utf8FromPath(path) +
               " would be overwritten before it is read.";
    };
    const std::string noSpace = "Error: Insufficient space to create file. ";
    const auto inTakeFolder = [&](const char* name) {
        return "Error: Output file cannot be saved in the project's take folder. " +
               utf8FromPath(takes) + " holds the takes; the next load would read " + name +
               " as one of them.";
    };
    struct Case { bool dualMono; std::filesystem::path left, right; std::uint64_t dataBytes;
                  std::optional<VolumeSpace> leftVolume, rightVolume; std::string message; };
    const Case cases[] = {
        {true, a, dir.path() / "./out.wav", data, all, all,
         "Error: Files cannot have same name. Left and right would both be " + utf8FromPath(a) +
             "."},
        {false, takes / ".." / "Audio Files" / take.filename(), {}, data, all, all,
         isTake(takes / ".." / "Audio Files" / take.filename())},
        {true, a, take, data, all, all, isTake(take)},
        {false, takes / "new.wav", {}, data, all, all, inTakeFolder("new.wav")},
        {true, a, takes / ".." / "Audio Files" / "R.wav", data, all, all, inTakeFolder("R.wav")},
        {false, a, {}, max, all, all, ""},
        {false, a, {}, max + 1, all, all, ""}, // written as RF64
        {true, a, b, 2 * max, all, all, ""}, // each file holds half
        // The header counts too.
        {false, a, {}, data, VolumeSpace{1, one}, all,
         noSpace + top + " needs 20224 bytes but has 20224 bytes free."},
        {false, a, {}, data, VolumeSpace{1, one + 1}, all, ""},
        {false, a, {}, data, VolumeSpace{1, 1000}, all,
         noSpace + top + " needs 20 KB but has 1 KB free."},
        {false, a, {}, data, std::nullopt, all,
         noSpace + "The free space in " + top + " could not be read."},
        {true, a, b, data, VolumeSpace{1, half + 1}, VolumeSpace{2, half}, noSpace + inP +
         " needs 10624 bytes but has 10624 bytes free."},
        {true, a, b, data, all, std::nullopt, noSpace + "The free space in " + inP +
         " could not be read."},
        // One volume seen from both folders has to hold both files.
        {true, a, b, data, VolumeSpace{1, 2 * half}, VolumeSpace{1, 2 * half}, noSpace + top +
         " and " + inP +
             " share a volume; both files need 21248 bytes but it has 21248 bytes free."},
        {true, a, b, data, VolumeSpace{1, 2 * half + 1}, VolumeSpace{1, 2 * half + 1}, ""},
        {false, dir.path() / "c" / "x.wav", {}, data, all, all,
         "Error: Unable to create file(s).\n\nCannot create x.wav: No such file or directory.\n"
         "Folder: " + utf8FromPath(dir.path() / "c")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.left << " " << c.right << " " << c.message);
        FakeServices services;
        // After a refusal the dialog opens again, and is cancelled.
        services.saves = {savedAs(c.left)};
        if (c.dualMono)
            services.saves.push_back(savedAs(c.right));
        services.volumes = {{utf8FromPath(a.parent_path()), c.leftVolume},
                            {utf8FromPath(b.parent_path()), c.rightVolume}};
        project.setOutputOptions(false, c.dualMono ? 4 : 0);
        ConformCommand{project, services}.run({c.dualMono ? 4 : 0, "P", c.dataBytes});
        EXPECT_EQ(services.messages, c.message.empty() ? Texts{} : Texts{c.message});
        EXPECT_EQ(services.progressRuns, c.message.empty() ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(a), c.message.empty());
        // The run closes the outputs; Windows can't remove a file that is still open.
        std::atomic<double> progress{0.0};
        EXPECT_EQ(project.run(progress), c.message.empty());
        for (const auto& file : {a, b})
            std::filesystem::remove(file);
    }
    EXPECT_EQ(readFile(take), takeBefore);
}

// A folder of takes without "Audio Files" is itself the take folder; a folder inside it is not.
TEST(ConformCommand, RefusesOutputsInAPlainTakeFolder)
{
    TempDir dir;
    dir.write("Card/A001.wav", takeBytes({.timeReference = 48000, .data = Bytes(12)}));
    ConformProject project;
    ASSERT_TRUE(project.load(utf8FromPath(dir.path() / "Card")));
    const auto refusal = [&](const std::filesystem::path& left) {
        return refuseOutputs(project, {{utf8FromPath(left)}, false, 12}, [](const std::string&) {
            return VolumeSpace{1ull << 50, 1ull << 50};
        });
    };
    EXPECT_TRUE(refusal(dir.path() / "Card" / "day.wav").has_value());
    EXPECT_EQ(refusal(dir.path() / "Card" / "mix" / "day.wav"), std::nullopt);
}

// Written, shortened and failed-to-stop runs are worded where the windows and the command line
// show them; these two are not.
TEST(ProblemText, NamesTheTakeThatCannotBeOpenedOrRead)
{
    EXPECT_EQ(rejectionText({TakeProblem::CannotOpen, ENOENT}),
              "cannot be opened: No such file or directory");
    EXPECT_EQ(failureText({FailureKind::ReadTake, "B07.wav", ENOENT}),
              "cannot read take B07.wav: No such file or directory");
}

TEST(ProjectRefusal, SaysWhyAFolderCannotBeConformed)
{
    TempDir dir;
    dir.write("empty/Audio Files/readme.txt", Bytes{'x'});
    dir.write("broken/Audio Files/a.wav", Bytes{'n', 'o'});
    dir.write("silent/Audio Files/a.wav", takeBytes({}));
    dir.write("silent/Audio Files/b.wav", takeBytes({}));
    dir.write("two kinds/Audio Files/a.wav", takeBytes({}));
    dir.write("two kinds/Audio Files/b.wav", Bytes{'n', 'o'});
    std::filesystem::create_directories(dir.path() / "p" / "Audio Files");
    writeTake(dir, "mixed", 44100, 4410, 0);
    writeTake(dir, "mixed", 44100, 4410, 100000);
    writeTake(dir, "mixed", 48000, 4800, 200000);
    writeTake(dir, "good");
    dir.write("no time references/Audio Files/a.wav",
              RiffBuilder{}.chunk("fmt ", fmtBody({})).chunk("data", Bytes(60)).bytes());
    struct Case { std::string project, refusal; };
    const Case cases[] = {
        {"empty", "No takes found in " + utf8FromPath(dir.path() / "empty" / "Audio Files") + "."},
        {"broken", "The only WAV file in " + utf8FromPath(dir.path() / "broken" / "Audio Files") +
                       " is not a usable take: not a WAV file."},
        {"silent", "None of the 2 WAV files in " +
                       utf8FromPath(dir.path() / "silent" / "Audio Files") +
                       " is a usable take: no audio data."},
        {"two kinds", "None of the 2 WAV files in " +
                          utf8FromPath(dir.path() / "two kinds" / "Audio Files") +
                          " is a usable take."},
        // The take folder chosen itself is read as it is.
        {"p/Audio Files",
         "No takes found in " + utf8FromPath(dir.path() / "p" / "Audio Files") + "."},
        {"nothing here", "The folder " + utf8FromPath(dir.path() / "nothing here") +
                             " can't be read: " + systemErrorText(ENOENT) + "."},
        // The odd take is named: the rate most takes share is the one to keep.
        {"mixed", "200000.wav at 48 kHz, 2 takes at 44.1 kHz: sample rates can't be mixed. Move "
                  "the takes that aren't at 44.1 kHz out of the folder to conform it."},
        {"no time references", "The only WAV file in " +
                                   utf8FromPath(dir.path() / "no time references" / "Audio Files") +
                                   " is not a usable take: no time reference (no bext chunk)."},
        {"good", ""},
    };
    for (const Case& c : cases) {
        ConformProject project;
        // "p/Audio Files" spelt with the platform's separator, as the expected texts are.
        const auto folder = (dir.path() / c.project).make_preferred();
        EXPECT_EQ(project.load(utf8FromPath(folder)), c.refusal.empty());
        EXPECT_EQ(projectRefusalText(project), c.refusal);
    }
    EXPECT_EQ(rateText(88200), "88.2 kHz");
    EXPECT_EQ(rateText(192000), "192 kHz");
}

TEST(SkippedFiles, CountedBesideThePlanAndListedWithTheirReasons)
{
    TempDir dir;
    const std::string project = writeTake(dir, "P");
    writeTake(dir, "P", 48000, 4800, 10ull * 3600 * 48000 + 100000);
    dir.write("P/Audio Files/empty.wav", takeBytes({}));
    dir.write("P/Audio Files/mp3.wav", RiffBuilder{}
                                           .chunk("fmt ", fmtBody({.tag = 85, .bits = 16}))
                                           .chunk("data", Bytes(40))
                                           .bytes());
    dir.write("P/Audio Files/notes.txt", Bytes{'x'}); // not a WAV name: not counted
    Window window;
    ASSERT_TRUE(window.dialog.openProject(project, "P"));
    EXPECT_EQ(window.shown.takesText, "2 takes, 2 skipped");
    EXPECT_TRUE(window.shown.detailsEnabled);
    window.dialog.onDetails();
    const std::vector<SkippedRow> expected{
        {"empty.wav", "no audio data"},
        {"mp3.wav", "compressed audio (format 85) is not supported"}};
    auto listed = window.services.listed();
    std::sort(listed.begin(), listed.end(),
              [](const SkippedRow& a, const SkippedRow& b) { return a.fileName < b.fileName; });
    EXPECT_EQ(listed, expected);

    // Mixed rates: the takes at another rate than most takes' are listed and counted as
    // skipped, so the count says what Details lists. The odd take comes first in the folder.
    writeTake(dir, "M", 44100, 4410, 0);
    writeTake(dir, "M", 48000, 4800, 96000);
    writeTake(dir, "M", 48000, 4800, 196000);
    dir.write("M/Audio Files/phone memo.wav",
              RiffBuilder{}.chunk("fmt ", fmtBody({})).chunk("data", Bytes(60)).bytes());
    EXPECT_FALSE(window.dialog.openProject(utf8FromPath(dir.path() / "M"), "M"));
    EXPECT_EQ(window.shown.takesText, "2 takes, 2 skipped");
    EXPECT_TRUE(window.shown.detailsEnabled);
    window.dialog.onDetails();
    EXPECT_EQ(window.services.listed(),
              (std::vector<SkippedRow>{
                  {"phone memo.wav", "no time reference (no bext chunk)"},
                  {"0.wav", "sample rate 44100 Hz differs from the other takes' 48000 Hz"}}));
}

// Details lists every skipped file and every unused take in full, whichever way it is opened.
TEST(MainWindowPlan, DetailsListTheSkippedFilesAndEveryUnusedTakeWithWhatCoversIt)
{
    TempDir dir;
    constexpr std::uint64_t ten = 10ull * 3600 * 48000;
    // Newer A and B cover the older C, D and E; a long name must survive whole.
    const std::string longName(150, 'n');
    struct Piece { std::string name; std::uint64_t start, frames; const char* time; };
    const Piece pieces[] = {{"A.wav", 0, 4800, "12:00:00"},     {"B.wav", 4800, 4800, "12:00:01"},
                            {"C.wav", 2400, 4800, "09:00:00"},  {"D.wav", 0, 2400, "09:00:01"},
                            {longName + ".wav", 100, 200, "09:00:02"}};
    for (const Piece& p : pieces)
        dir.write("P/Audio Files/" + p.name,
                  takeBytes({.timeReference = ten + p.start, .time = p.time,
                             .data = constantFrames(2, 24, p.frames, 1)}));
    dir.write("P/Audio Files/memo.wav", Bytes{'n', 'o'});
    Window window;
    ASSERT_TRUE(window.dialog.openProject(utf8FromPath(dir.path() / "P"), "P"));
    EXPECT_EQ(window.shown.unusedText,
              "3 takes not used, covered by newer takes: C.wav, D.wav and 1 more");
    EXPECT_TRUE(window.shown.detailsEnabled);

    window.dialog.onShowUnused();
    const DetailsContent& shown = window.services.details;
    EXPECT_EQ(shown.focusSection, ProjectDetails::unusedSection);
    EXPECT_EQ(shown.intro, "Takes read from:");
    EXPECT_EQ(shown.folder, utf8FromPath(dir.path() / "P" / "Audio Files"));
    ASSERT_EQ(shown.sections.size(), 2u);
    EXPECT_EQ(shown.sections[0].heading, "Skipped files: 1");
    EXPECT_EQ(shown.sections[0].rows,
              (std::vector<Texts>{{"memo.wav", "not a WAV file"}}));
    EXPECT_EQ(shown.sections[1].heading, "Takes not used, covered by newer takes: 3");
    EXPECT_EQ(shown.sections[1].rows,
              (std::vector<Texts>{
                  {"C.wav", "10:00:00.05\u201310:00:00.15", "A.wav, B.wav"},
                  {"D.wav", "10:00:00.00\u201310:00:00.05", "A.wav"},
                  {longName + ".wav", "10:00:00.00\u201310:00:00.00", "A.wav"}}));
    for (const DetailsSection& section : shown.sections)
        for (const Texts& row : section.rows)
            EXPECT_EQ(row.size(), section.columns.size());

    window.dialog.onDetails();
    EXPECT_EQ(window.services.details.focusSection, ProjectDetails::skippedSection);
}

// Enter presses the focused button; elsewhere it conforms, once there is something to conform.
TEST(MainWindowKeys, EnterPressesTheFocusedButton)
{
    TempDir dir;
    const std::string project = writeTake(dir, "P");
    dir.write("P/Audio Files/memo.wav", Bytes{'x'}); // something for Details to list
    struct Case { FocusedControl focused; bool opened; bool handled; Texts asked;
                  int folderChoices; int details; };
    const Case cases[] = {
        {FocusedControl::Other, false, true, {}, 0, 0}, // nothing open: nothing to conform
        {FocusedControl::Other, true, true, {"Save the conformed file: P"}, 0, 0},
        {FocusedControl::Conform, true, true, {"Save the conformed file: P"}, 0, 0},
        {FocusedControl::ChooseProject, true, true, {}, 1, 0},
        {FocusedControl::Details, true, true, {}, 0, 1},
        {FocusedControl::UnusedTakes, true, true, {}, 0, 1},
        {FocusedControl::PlanButton, true, false, {}, 0, 0}, // the view presses it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.focused));
        Window window;
        if (c.opened) {
            ASSERT_TRUE(window.dialog.openProject(project, "P"));
        }
        EXPECT_EQ(window.dialog.onEnterKey(c.focused), c.handled);
        EXPECT_EQ(window.services.asked, c.asked);
        EXPECT_EQ(int(window.services.folderStarts.size()), c.folderChoices);
        EXPECT_EQ(window.services.detailsShown, c.details);
    }
}

TEST(MainWindowSize, OpensAtTheSizeItWasClosedAtWithinTheScreen)
{
    const WindowSize minimum{600, 400}, screen{1920, 1080};
    struct Case { std::string stored; std::optional<WindowSize> opened; };
    const Case cases[] = {
        {"900x700", WindowSize{900, 700}},
        {"300x200", WindowSize{600, 400}},   // a smaller window than this one can be
        {"4000x3000", WindowSize{1920, 1080}}, // closed on a larger screen
        {"", std::nullopt}, {"900", std::nullopt}, {"900x700x3", std::nullopt},
        {"-900x700", std::nullopt}, {"wide", std::nullopt}, {"99999999999x700", std::nullopt},
        {"900x", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Window window;
        window.services.settings[MainDialog::windowSizeKey] = c.stored;
        EXPECT_EQ(window.dialog.initialSize(minimum, screen), c.opened);
    }
    Window window;
    window.dialog.onClose({1234, 567});
    EXPECT_EQ(window.services.settings[MainDialog::windowSizeKey], "1234x567");
    EXPECT_EQ(window.dialog.initialSize(minimum, {}), (WindowSize{1234, 567})); // screen unknown
}

// The strip says what has to change before a folder can be conformed.
TEST(MainWindowPlan, APlanThatCannotBeDrawnSaysWhatHasToChange)
{
    TempDir dir;
    writeTake(dir, "Mixed", 48000, 100, 0);
    writeTake(dir, "Mixed", 44100, 100, 1000);
    writeTake(dir, "Mixed", 96000, 100, 2000);
    std::filesystem::create_directories(dir.path() / "Empty" / "Audio Files");
    dir.write("Broken/Audio Files/a.wav", Bytes{'n', 'o'});
    struct Case { const char* project; std::string placeholder; };
    const Case cases[] = {
        {"Mixed", "Takes of different sample rates can't be conformed together. Move the takes "
                  "at 44.1 kHz and 96 kHz (listed in Details...) out of the folder, or convert "
                  "them to 48 kHz, to conform the 48 kHz takes."},
        {"Empty", "There are no takes here. Choose the project folder that holds \"Audio "
                  "Files\", or a folder of Broadcast WAV takes."},
        {"Broken", "None of the WAV files here is a take that can be conformed; Details... says "
                   "why for each."},
        {"Gone", "This folder can't be read. Check that it is still there and that you may open "
                 "it."},
    };
    for (const Case& c : cases) {
        Window window;
        EXPECT_NE(window.shown.planPlaceholder, ""); // how to open one
        EXPECT_FALSE(window.dialog.openProject(utf8FromPath(dir.path() / c.project), c.project));
        EXPECT_TRUE(window.shown.plan.empty());
        EXPECT_EQ(window.shown.planPlaceholder, c.placeholder);
    }
}

// Split Tracks asks for one name and writes a file per track beside it, asking once before
// replacing those that exist; the summary names the tracks before anything is written.
TEST(ConformCommand, SplitTracksAsksOneNameAndWritesAFilePerTrack)
{
    TempDir dir;
    Window window;
    ASSERT_TRUE(window.dialog.openProject(writeTake(dir, "P"), "P"));
    EXPECT_EQ(window.shown.tracksText, "2 tracks: 1, 2");
    window.clickChannel(6);
    EXPECT_EQ(window.shown.summaryText,
              "16 Bit, Split Tracks (2), 48.0Khz, 10:00:00.00-10:00:00.10, 19 KB");
    const std::filesystem::path first = dir.path() / "Day_Track1.wav", second = dir.path() / "Day_Track2.wav";
    writeFile(second, Bytes{'o', 'l', 'd'});
    for (const bool replace : {false, true}) {
        window.services.replace = replace;
        window.services.asked.clear();
        window.services.saves = {savedAs(dir.path() / "Day.wav")};
        window.dialog.onConformProject();
        // "No" opens the dialog again with the name chosen; here it is then cancelled.
        EXPECT_EQ(window.services.asked,
                  replace ? Texts{"Save the track files: P"}
                          : (Texts{"Save the track files: P", "Save the track files: Day.wav"}));
        EXPECT_EQ(window.services.questions.back(),
                  "Day_Track2.wav already exists.\nDo you want to replace it?");
        EXPECT_EQ(window.services.progressRuns, replace ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(first), replace);
    }
    std::atomic<double> progress{0.0};
    ASSERT_TRUE(window.dialog.project().run(progress));
    for (const auto& path : {first, second}) {
        const WrittenWav wav = readWrittenWav(path);
        EXPECT_TRUE(wav.wellFormed);
        EXPECT_EQ(wav.dataBytes, 4800u * 2);
    }
}

// A take written as a file per track counts once, is named by its first file with its files
// listed, and the window gives the project's timecode.
TEST(MainWindowFamilies, CountOnceListTheirFilesAndShowTimecode)
{
    TempDir dir;
    const std::uint64_t ten = 10ull * 3600 * 48000;
    const auto member = [](int key) {
        return "<BWFXML><FILE_SET><FAMILY_UID>F</FAMILY_UID></FILE_SET><SPEED><TIMECODE_RATE>25"
               "</TIMECODE_RATE></SPEED><TRACK_LIST><TRACK><CHANNEL_INDEX>" + std::to_string(key) +
               "</CHANNEL_INDEX><INTERLEAVE_INDEX>1</INTERLEAVE_INDEX></TRACK></TRACK_LIST></BWFXML>";
    };
    for (int key = 1; key <= 3; ++key)
        dir.write("P/Audio Files/A_" + std::to_string(key) + ".wav",
                  takeBytes({.timeReference = ten, .channels = 1, .bits = 16,
                             .data = Bytes(2 * 4800), .ixml = member(key)}));
    Window window;
    ASSERT_TRUE(window.dialog.openProject(utf8FromPath(dir.path() / "P"), "P"));
    EXPECT_EQ(window.shown.takesText, "1 take, 0 skipped");
    EXPECT_EQ(window.shown.timecodeText, "Timecode 10:00:00:00\xE2\x80\x93" "10:00:00:02 (25)");
    ASSERT_EQ(window.shown.plan.segments().size(), 1u);
    EXPECT_EQ(window.shown.plan.segments()[0].takeName, "A_1.wav + 2 files");
    EXPECT_NE(window.shown.plan.describe(0).find("files A_1.wav, A_2.wav, A_3.wav"), std::string::npos);
    const DetailsContent details = ProjectDetails::of(window.dialog.project(), window.shown.plan, 0);
    ASSERT_EQ(details.sections.size(), 3u);
    EXPECT_EQ(details.sections[2].rows,
              (std::vector<std::vector<std::string>>{{"A_1.wav + 2 files", "A_1.wav, A_2.wav, A_3.wav"}}));
}
