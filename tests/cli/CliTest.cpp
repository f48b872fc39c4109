#include "CliSupport.h"
#include "TempDir.h"

#include "audio/BwfFile.h"
#include "frontend/OutputChecks.h"
#include "frontend/ProblemText.h"
#include "frontend/ProjectSummary.h"
#include "project/ConformProject.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

namespace tabrix {
namespace {

using namespace tabrix::testing;
using nlohmann::json;

constexpr std::uint64_t tenOClock = 10ull * 3600 * 48000;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(CommandLineUsage, HelpVersionAndUsageErrorsGiveTheirStatus)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const std::string out = utf8FromPath(dir.path() / "out.wav");
    const std::string out2 = utf8FromPath(dir.path() / "out2.wav");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string inOut; ///< expected on standard output
        std::string inErr; ///< expected on standard error
    };
    const Case cases[] = {
        {{"--help"}, 0, "Exit status:", ""},
        {{"--version"}, 0, "tabrix 1.0", ""},
        {{"conform", "--help"}, 0, "--out-dir", ""},
        {{"summary", "--help"}, 0, "--json", ""},
        {{}, 2, "", "subcommand"},
        {{"mix", project}, 2, "", ""},
        {{"summary"}, 2, "", "PROJECT"},
        {{"summary", project, "--width", "20"}, 2, "", "--width"},
        {{"summary", project, "--channels", "quad"}, 2, "", "--channels"},
        {{"conform", project}, 2, "", "needs -o"},
        {{"conform", project, "--channels", "dual", "-o", out}, 2, "", "two outputs"},
        {{"conform", project, "-o", out, "-o", out2}, 2, "", "only for --channels dual"},
        {{"conform", project, project, "-o", out}, 2, "", "--out-dir"},
        {{"conform", project, "-o", out, "--out-dir", utf8FromPath(dir.path())}, 2, "", "excludes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front() + " ... " + c.args.back());
        const ProgramRun run = runTabrix(c.args, dir.path());
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(contains(run.out, c.inOut)) << run.out;
        EXPECT_TRUE(contains(run.err, c.inErr)) << run.err;
        EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(out)));
        EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(out2)));
    }
}

std::vector<ProjectTake> takesWithSkippedFiles()
{
    std::vector<ProjectTake> takes{
        rampTake("late.wav", tenOClock + 1000, 480, 5, "11:00:00"),
        rampTake("early.wav", tenOClock, 960, 5, "09:30:00"),
        rampTake("undated.wav", tenOClock + 5000, 100, 5, ""),
    };
    takes[2].fields.date = "";
    return takes;
}

std::vector<ProjectTake> mixedRateTakes()
{
    return {rampTake("a.wav", 0, 100, 1, "10:00:00", -1, 48000),
            rampTake("b.wav", 200, 100, 1, "10:00:01", -1, 44100)};
}

TEST(CommandLineSummary, ListsSkippedFilesAndJsonCarriesTakesInTakeListOrder)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", takesWithSkippedFiles());
    writeFile(dir.path() / "P" / "Audio Files" / "notes.wav", Bytes{'h', 'i'});
    writeFile(dir.path() / "P" / "Audio Files" / "mp3.wav",
              RiffBuilder{}.chunk("fmt ", fmtBody({.tag = 85})).chunk("data", Bytes(8)).bytes());
    const std::string notWave = rejectionText({TakeProblem::NotWave, 0});

    ConformProject library;
    ASSERT_TRUE(library.load(project));
    ProgramRun run = runTabrix({"summary", project}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0], summariseProject(library, 1, 0).line);
    // Listing order is the directory's; compare as a set.
    const std::set<std::string> skipped(lines.begin() + 1, lines.end());
    EXPECT_EQ(skipped, (std::set<std::string>{
                           "skipped: notes.wav: " + notWave,
                           "skipped: mp3.wav: " + rejectionText({TakeProblem::Compressed, 85})}));

    run = runTabrix({"summary", project, "--json", "--channels", "sum", "--width", "16"},
                    dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const json summary = json::parse(run.out);
    std::set<std::string> keys;
    for (const auto& item : summary.items())
        keys.insert(item.key());
    EXPECT_EQ(keys,
              (std::set<std::string>{"loaded", "sampleRate", "rateMismatch", "fadeRate", "start",
                                     "end", "outputBytes", "summary", "takes", "skipped",
                                     "tracks", "timecodeRate", "dropFrame", "startTimecode",
                                     "endTimecode"}));
    EXPECT_TRUE(summary["timecodeRate"].is_null()); // no iXML: clock time only
    EXPECT_EQ(summary["dropFrame"], false);
    EXPECT_TRUE(summary["startTimecode"].is_null());
    // Takes without iXML: tracks numbered by position, unnamed.
    EXPECT_EQ(summary["tracks"], json::parse(R"([{"key":1,"name":""},{"key":2,"name":""}])"));
    EXPECT_EQ(summary["loaded"], true);
    EXPECT_EQ(summary["fadeRate"], 16);
    EXPECT_EQ(summary["start"], "10:00:00.00");
    EXPECT_EQ(summary["end"], "10:00:00.10"); // 5100 frames after ten
    EXPECT_EQ(summary["outputBytes"], 5100 * 2);
    EXPECT_TRUE(contains(summary["summary"].get<std::string>(), "16 Bit, Mono Sum"));

    // Oldest first; an undated take counts as older than every dated one.
    const json& takes = summary["takes"];
    ASSERT_EQ(takes.size(), 3u);
    EXPECT_EQ(takes[0]["file"], "undated.wav");
    EXPECT_TRUE(takes[0]["recorded"].is_null());
    EXPECT_EQ(takes[1]["file"], "early.wav");
    EXPECT_EQ(takes[1]["recorded"], "2024-05-01 09:30:00");
    EXPECT_EQ(takes[1]["timeReference"], tenOClock);
    EXPECT_EQ(takes[1]["frames"], 960);
    EXPECT_EQ(takes[1]["files"], json::array({"early.wav"}));
    EXPECT_EQ(takes[2]["file"], "late.wav");
    ASSERT_EQ(summary["skipped"].size(), 2u);
    const json& notes = summary["skipped"][summary["skipped"][0]["file"] == "notes.wav" ? 0 : 1];
    EXPECT_EQ(notes["file"], "notes.wav");
    EXPECT_EQ(notes["reason"], notWave);
}

TEST(CommandLineSummary, ProjectsThatCantBeConformedEndWithStatus3)
{
    TempDir dir;
    const std::string mixed =
        writeProject(dir.path() / "Mixed", mixedRateTakes());
    const std::string empty = writeProject(dir.path() / "Empty", {});

    ConformProject library;
    ASSERT_FALSE(library.load(mixed));
    ProgramRun run = runTabrix({"summary", mixed}, dir.path());
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, summariseProject(library, 1, 0).line + "\n");
    EXPECT_TRUE(contains(run.err, projectRefusalText(library))) << run.err;

    run = runTabrix({"summary", mixed, "--json"}, dir.path());
    EXPECT_EQ(run.status, 3);
    json summary = json::parse(run.out);
    EXPECT_EQ(summary["loaded"], false);
    EXPECT_EQ(summary["rateMismatch"], true);
    EXPECT_EQ(summary["start"], "00:00:00.00"); // the timeline is still built
    EXPECT_FALSE(summary["outputBytes"].is_null());

    run = runTabrix({"summary", empty, "--json"}, dir.path());
    EXPECT_EQ(run.status, 3);
    summary = json::parse(run.out);
    EXPECT_EQ(summary["loaded"], false);
    EXPECT_TRUE(summary["start"].is_null());
    EXPECT_TRUE(summary["end"].is_null());
    EXPECT_TRUE(summary["outputBytes"].is_null());
    EXPECT_TRUE(summary["takes"].empty());
    EXPECT_TRUE(contains(run.err, "No takes found")) << run.err;
}

TEST(CommandLinePlan, CsvRowsFollowTheTimeline)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const ProgramRun run = runTabrix({"plan", project, "--csv"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 1u + 9u) << run.out; // header and segments; gaps have no row
    EXPECT_EQ(lines[0], "take,start,end,source_offset,start_time,end_time,start_tc,end_tc,scene,"
                        "take_number");
    // The split, the quoted name, the gap; no timecode, scene or take without iXML.
    const std::vector<std::string> expected{
        "Scene 1 Take 1.wav,1728000000,1728036000,0,10:00:00.00,10:00:00.75,,,,",
        "Scene 1 Take 2.wav,1728036000,1728040000,0,10:00:00.75,10:00:00.83,,,,",
        "\"Pickup, 'short'.wav\",1728040000,1728044000,0,10:00:00.83,10:00:00.91,,,,",
        "Scene 1 Take 2.wav,1728044000,1728084000,8000,10:00:00.91,10:00:01.75,,,,",
        "Scene 2 a.wav,1728144000,1728164000,0,10:00:03.00,10:00:03.41,,,,",
    };
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i + 1], expected[i]);
    EXPECT_EQ(lines[9], // Scene 3 Take 1 after the mono take
              "Scene 3 Take 1.wav,1728260000,1728300000,20000,10:00:05.41,10:00:06.25,,,,");
}

// Takes whose iXML gives a rate, scene and take: the first take in timeline order without a
// rate doesn't stop the second's from counting.
TEST(CommandLineTimecode, SummaryAndPlanGiveTimecodeSceneAndTake)
{
    TempDir dir;
    const std::uint64_t ten = 10ull * 3600 * 48000;
    const auto ixml = [](const std::string& inside) {
        return "<BWFXML>" + inside + "</BWFXML>";
    };
    dir.write("P/Audio Files/a.wav",
              takeBytes({.timeReference = ten, .data = Bytes(6 * 48000),
                         .ixml = ixml("<SCENE>12A</SCENE><TAKE>3</TAKE>")}));
    dir.write("P/Audio Files/b.wav",
              takeBytes({.timeReference = ten + 48000, .time = "11:00:00", .data = Bytes(6 * 48000),
                         .ixml = ixml("<SPEED><TIMECODE_RATE>30000/1001</TIMECODE_RATE>"
                                      "<TIMECODE_FLAG>DF</TIMECODE_FLAG></SPEED>")}));
    const std::string project = utf8FromPath(dir.path() / "P");
    ProgramRun run = runTabrix({"summary", project, "--json"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const json summary = json::parse(run.out);
    EXPECT_EQ(summary["timecodeRate"], "30000/1001");
    EXPECT_EQ(summary["dropFrame"], true);
    // Drop frame keeps 29.97 labels within a frame of the clock.
    EXPECT_EQ(summary["startTimecode"], "10:00:00;01");
    EXPECT_EQ(summary["endTimecode"], "10:00:02;01");
    run = runTabrix({"plan", project, "--csv"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[1], "a.wav,1728000000,1728048000,0,10:00:00.00,10:00:01.00,10:00:00;01,"
                        "10:00:01;01,12A,3");
    run = runTabrix({"summary", project}, dir.path());
    EXPECT_TRUE(contains(run.out, "timecode: 10:00:00;01-10:00:02;01 at 29.97 DF fps")) << run.out;
}

TEST(CommandLinePlan, TableShowsSegmentsAndGaps)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const ProgramRun run = runTabrix({"plan", project}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 1u + 9u + 2u) << run.out; // header, segments, two gaps
    EXPECT_TRUE(contains(lines[5], "(silence)")) << run.out;
    EXPECT_TRUE(contains(lines[8], "(silence)")) << run.out;
    EXPECT_EQ(lines[0].find("End"), lines[1].find("10:00:00.75")); // columns line up
}

struct ModeCase {
    const char* channels;
    int mode;
    const char* width;
};

void PrintTo(const ModeCase& c, std::ostream* os)
{
    *os << c.channels << " " << c.width;
}

class CommandLineConform : public ::testing::TestWithParam<ModeCase> {};

TEST_P(CommandLineConform, WritesWhatTheLibraryWrites)
{
    const ModeCase c = GetParam();
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const bool dual = c.mode == 4;
    const bool split = c.mode == 6;
    std::vector<std::filesystem::path> mine{dir.path() / "mine L.wav"};
    std::vector<std::filesystem::path> theirs{dir.path() / "lib L.wav"};
    if (dual) {
        mine.push_back(dir.path() / "mine R.wav");
        theirs.push_back(dir.path() / "lib R.wav");
    }
    const std::string width = c.width;
    conformWithLibrary(project, width == "float" ? SampleWidth::Float32
                                : width == "24"  ? SampleWidth::Bits24
                                                 : SampleWidth::Bits16,
                       c.mode, split ? std::vector{dir.path() / "lib 1.wav", dir.path() / "lib 2.wav"}
                                     : theirs);
    std::vector<std::string> args{"conform", project, "--channels", c.channels, "--width", c.width};
    for (const auto& path : mine) {
        args.push_back("-o");
        args.push_back(utf8FromPath(path));
    }
    if (split) { // the takes carry no track names: BASE_Track<key>.wav
        mine = {dir.path() / "mine L_Track1.wav", dir.path() / "mine L_Track2.wav"};
        theirs = {dir.path() / "lib 1.wav", dir.path() / "lib 2.wav"};
    }
    const ProgramRun run = runTabrix(args, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, ""); // no terminal, no --progress: quiet
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const Bytes expected = withoutOriginationStamp(theirs[i]);
        ASSERT_GT(expected.size(), 1024u);
        EXPECT_TRUE(withoutOriginationStamp(mine[i]) == expected) << mine[i];
    }
}

INSTANTIATE_TEST_SUITE_P(EachMode, CommandLineConform,
                         // Channel names in any case.
                         ::testing::Values(ModeCase{"stereo", 0, "24"}, ModeCase{"left", 1, "16"},
                                           ModeCase{"right", 2, "24"}, ModeCase{"sum", 3, "16"},
                                           ModeCase{"DUAL", 4, "16"}, ModeCase{"all", 5, "24"},
                                           ModeCase{"split", 6, "float"},
                                           ModeCase{"stereo", 0, "float"}),
                         [](const auto& info) {
                             return std::string(info.param.channels) + info.param.width;
                         });

TEST(CommandLineConformDefaults, Writes24BitStereoAndReportsProgressInTenSteps)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const auto output = dir.path() / "out.wav";
    const ProgramRun run =
        runTabrix({"conform", project, "-o", utf8FromPath(output), "--progress"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    BwfFile written(dir.path(), "out.wav");
    ASSERT_TRUE(written.parse());
    EXPECT_EQ(written.format().channelCount, 2);
    EXPECT_EQ(written.format().bitsPerSample, 24);
    const std::vector<std::string> lines = linesOf(run.err);
    ASSERT_EQ(lines.size(), 10u) << run.err;
    EXPECT_EQ(lines.front().rfind("P: 10%, ", 0), 0u) << lines.front();
    EXPECT_EQ(lines.back().rfind("P: 100%, ", 0), 0u) << lines.back();
}

TEST(CommandLineRefusals, EachRefusalKeepsTheDiskAsItWas)
{
    TempDir dir;
    const std::string project = writeProject(dir.path() / "P", demoLikeTakes());
    const std::string mixed =
        writeProject(dir.path() / "Mixed", mixedRateTakes());
    const std::string empty = writeProject(dir.path() / "Empty", {});
    const std::string existing = utf8FromPath(dir.path() / "existing.wav");
    writeFile(pathFromUtf8(existing), Bytes{'k', 'e', 'e', 'p'});
    const std::string take = utf8FromPath(dir.path() / "P" / "Audio Files" / "Scene 2 a.wav");
    const Bytes takeBefore = readFile(pathFromUtf8(take));
    const std::string fresh = utf8FromPath(dir.path() / "fresh.wav");
    const std::string nowhere = utf8FromPath(dir.path() / "no such folder" / "out.wav");
    const std::string folderAsOutput = utf8FromPath(dir.path() / "Empty");
    ConformProject library;
    ASSERT_TRUE(library.load(project));
    const std::optional<std::string> takeRefusal =
        refuseOutputs(library, {{take}, false, 1000}, systemVolumeSpace);
    ASSERT_TRUE(takeRefusal.has_value());

    struct Case {
        const char* what;
        std::vector<std::string> args;
        int status;
        std::string inErr;
    };
    const Case cases[] = {
        {"existing output", {"conform", project, "-o", existing}, 2, "already exists"},
        {"a take", {"conform", project, "-o", take, "--force"}, 2, *takeRefusal},
        {"one file twice",
         {"conform", project, "--channels", "dual", "-o", fresh, "-o", fresh},
         2,
         "Files cannot have same name."},
        {"missing folder", {"conform", project, "-o", nowhere}, 2, "no folder"},
        {"no takes", {"conform", empty, "-o", fresh}, 3, "No takes found"},
        {"mixed rates", {"conform", mixed, "-o", fresh}, 3, "can't be mixed"},
        {"uncreatable", {"conform", project, "-o", folderAsOutput, "--force"}, 1, "cannot create"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramRun run = runTabrix(c.args, dir.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(contains(run.err, c.inErr)) << run.err;
        EXPECT_EQ(readFile(pathFromUtf8(existing)), (Bytes{'k', 'e', 'e', 'p'}));
        EXPECT_EQ(readFile(pathFromUtf8(take)), takeBefore);
        EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(fresh)));
    }

    const ProgramRun forced =
        runTabrix({"conform", project, "-o", existing, "--force"}, dir.path());
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_GT(readFile(pathFromUtf8(existing)).size(), 1024u);
}

TEST(CommandLineBatch, GoesOnPastABadProjectAndEndsWithTheWorstStatus)
{
    TempDir dir;
    const std::string good1 = writeProject(dir.path() / "Day 1", demoLikeTakes());
    const std::string bad =
        writeProject(dir.path() / "Day 2", mixedRateTakes());
    const std::string good2 =
        writeProject(dir.path() / "Day 3", {rampTake("x.wav", 480000, 5000, 77, "09:00:00")});
    const auto outFolder = dir.path() / "delivered";
    std::filesystem::create_directory(outFolder);

    const ProgramRun run = runTabrix(
        {"conform", good1, bad, good2 + "/", "--out-dir", utf8FromPath(outFolder), "--width", "16"},
        dir.path());
    EXPECT_EQ(run.status, 3) << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0].rfind("0 " + good1 + ": ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("3 " + bad + ": ", 0), 0u) << lines[1];
    EXPECT_TRUE(contains(lines[1], "can't be mixed")) << lines[1];
    EXPECT_EQ(lines[2].rfind("0 " + good2 + "/: ", 0), 0u) << lines[2];

    for (const char* name : {"Day 1", "Day 3"}) {
        SCOPED_TRACE(name);
        const auto reference = dir.path() / (std::string(name) + " library.wav");
        conformWithLibrary(utf8FromPath(dir.path() / name), SampleWidth::Bits16, 0, {reference});
        EXPECT_TRUE(withoutOriginationStamp(outFolder / (std::string(name) + ".wav")) ==
                    withoutOriginationStamp(reference));
    }
    EXPECT_FALSE(std::filesystem::exists(outFolder / "Day 2.wav"));
}

TEST(CommandLineBatch, NamesDualMonoPairsAndNeverWritesOneFileTwice)
{
    TempDir dir;
    const std::string first = writeProject(dir.path() / "a" / "Day", demoLikeTakes());
    const std::string second = writeProject(dir.path() / "b" / "Day", demoLikeTakes());
    const auto outFolder = dir.path() / "out";
    std::filesystem::create_directory(outFolder);

    const ProgramRun run = runTabrix({"conform", first, second, "--out-dir",
                                      utf8FromPath(outFolder), "--channels", "dual", "--force"},
                                     dir.path());
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0].rfind("0 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("2 " + second + ": ", 0), 0u) << lines[1];
    EXPECT_TRUE(contains(lines[1], "already the output of " + first)) << lines[1];
    EXPECT_TRUE(std::filesystem::exists(outFolder / "DayL.wav"));
    EXPECT_TRUE(std::filesystem::exists(outFolder / "DayR.wav"));
}

// Cards hold their takes directly; a card given as the output folder is a take folder of the
// batch, and an output there would be read as the newest take by every later load of it.
TEST(CommandLineBatch, RefusesOutputsInTheTakeFolderOfAnyProjectOfTheBatch)
{
    TempDir dir;
    const auto card = [&](const char* name) {
        const auto folder = dir.path() / name;
        std::filesystem::create_directories(folder);
        writeFile(folder / "a.wav", takeBytes(rampTake("a.wav", 0, 100, 1, "10:00:00").fields));
        return utf8FromPath(folder);
    };
    const std::string cardA = card("cardA"), cardB = card("cardB");
    const ProgramRun run = runTabrix({"conform", cardA, cardB, "--out-dir", cardB}, dir.path());
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    struct Row { std::string line, project, name; };
    for (const Row& row : {Row{lines[0], cardA, "cardA.wav"}, Row{lines[1], cardB, "cardB.wav"}}) {
        ConformProject loaded;
        ASSERT_TRUE(loaded.load(cardB));
        const std::string output = utf8FromPath(dir.path() / "cardB" / row.name);
        const auto reason = refuseOutputs(loaded, {{output}, false, 0}, systemVolumeSpace);
        ASSERT_TRUE(reason.has_value());
        EXPECT_EQ(row.line, "2 " + row.project + ": " + *reason); // cardB's take folder refusal
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cardB" / "cardA.wav"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cardB" / "cardB.wav"));
}

} // namespace
} // namespace tabrix
