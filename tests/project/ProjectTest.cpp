#include "audio/FileStream.h"
#include "project/ConformProject.h"
#include "project/TakeTimeline.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

namespace tabrix {
namespace {

using namespace tabrix::testing;

/// `frameCount` silent 16-bit frames from `start`, recorded on 2024-05-0<day>.
Bytes take(SamplePos start, std::uint64_t frameCount, std::uint32_t rate = 48000, char day = '1',
           std::uint16_t channels = 2)
{
    return takeBytes({.timeReference = start, .date = std::string("2024-05-0") + day,
                      .channels = channels, .rate = rate, .bits = 16,
                      .data = constantFrames(channels, 16, frameCount, 0)});
}

/// Writes `<project>/Audio Files/<name>` under `dir`; returns the project folder as UTF-8.
std::string write(const TempDir& dir, std::string project, const std::string& name, Bytes bytes)
{
    dir.write(project + "/Audio Files/" + name, bytes);
    return utf8FromPath(dir.path() / pathFromUtf8(project));
}

using Segs = std::vector<std::tuple<std::string, SamplePos, SamplePos, std::uint64_t>>;

struct Placed { std::string name; SamplePos start, frameCount; char day = '1'; int channels = 2; };

/// Inserts `placed` in order, builds the timeline for `check` and returns its (take, start, end,
/// sourceOffset) segments, checking links, order, overlaps and end = start + length.
Segs build(const std::vector<Placed>& placed,
           const std::function<void(const TakeTimeline&)>& check = [](const TakeTimeline&) {})
{
    TempDir dir;
    TakeList takes;
    TakeSources sources;
    TakeTimeline timeline; // released before the takes it closes
    for (const Placed& p : placed) {
        dir.write(p.name, take(p.start, p.frameCount, 48000, p.day, std::uint16_t(p.channels)));
        auto parsed = std::make_unique<Take>(dir.path(), p.name);
        EXPECT_TRUE(parsed->parse()) << p.name;
        takes.insertSorted(std::move(parsed));
    }
    sources = groupTakes(takes);
    timeline.build(sources);
    Segs out;
    const TimelineSegment* previous = nullptr;
    for (const TimelineSegment* s = timeline.first(); s != nullptr; previous = s, s = s->next) {
        EXPECT_EQ(s->previous, previous);
        EXPECT_LE(previous != nullptr ? previous->end : 0, s->start);
        EXPECT_LT(s->start, s->end);
        EXPECT_EQ(s->end, s->start + s->length);
        out.emplace_back(s->take->lead().path().filename().string(), s->start, s->end,
                         s->sourceOffset);
    }
    EXPECT_EQ(timeline.last(), previous);
    check(timeline);
    return out;
}

// "n" is recorded a day after "o"; the date, not the order of insertion, decides.
TEST(TakeTimeline, NewerRecordingKeepsEveryOverlappedFrameAndAbsurdTakesAreLeftOff)
{
    struct Case { const char* what; SamplePos oStart, oEnd, nStart, nEnd; Segs expected; };
    const Case cases[] = {
        {"same span", 10, 20, 10, 20, {{"n", 10, 20, 0}}},
        {"new inside old", 10, 50, 20, 30, {{"o", 10, 20, 0}, {"n", 20, 30, 0}, {"o", 30, 50, 20}}},
        {"old inside new", 20, 30, 10, 50, {{"n", 10, 50, 0}}},
        {"old ends where new ends", 10, 30, 20, 30, {{"o", 10, 20, 0}, {"n", 20, 30, 0}}},
        {"old starts before, ends inside", 10, 25, 20, 30, {{"o", 10, 20, 0}, {"n", 20, 30, 0}}},
        {"old starts inside, ends after", 25, 40, 20, 30, {{"n", 20, 30, 0}, {"o", 30, 40, 5}}},
        {"old ends where new starts", 10, 20, 20, 30, {{"o", 10, 20, 0}, {"n", 20, 30, 0}}},
        {"gap", 10, 20, 30, 40, {{"o", 10, 20, 0}, {"n", 30, 40, 0}}},
        // Such an end, or the output size, would wrap; it must not land at frame 0 either.
        {"new at 2^63", 10, 20, 1ull << 63, (1ull << 63) + 10, {{"o", 10, 20, 0}}},
        {"new just past 2^40", 10, 20, (1ull << 40) + 1, (1ull << 40) + 11, {{"o", 10, 20, 0}}},
    };
    for (const auto& c : cases) {
        const Placed o{"o", c.oStart, c.oEnd - c.oStart, '1'};
        const Placed n{"n", c.nStart, c.nEnd - c.nStart, '2'};
        EXPECT_EQ(build({o, n}), c.expected) << c.what << ", old inserted first";
        EXPECT_EQ(build({n, o}), c.expected) << c.what << ", new inserted first";
    }
}

TEST(TakeTimeline, FindOverlappingMatchesOnlySegmentsPlayingInsideTheSpan)
{
    for (const auto& c : {std::pair{1000u, false}, {1001u, true}}) {
        build({{"left", 0, c.first}, {"right", 17384, 2616}}, [&](const TakeTimeline& t) {
            EXPECT_EQ(t.findOverlapping(1000, 17384), c.second ? t.first() : nullptr) << c.first;
        });
    }
}

// Fixed pseudo-random starts, lengths and dates: each placement walks and cuts many segments.
TEST(TakeTimeline, ThousandsOfOverlappingTakesKeepTheChainInvariants)
{
    std::vector<Placed> placed;
    std::vector<bool> covered(20100);
    for (unsigned i = 0; i < 2000; ++i) {
        placed.push_back({std::to_string(i), i * 7919 % 20000, 1 + i * 31 % 97, char('1' + i % 5)});
        std::fill_n(covered.begin() + placed[i].start, placed[i].frameCount, true);
    }
    SamplePos played = 0;
    for (const auto& [take, start, end, offset] : build(placed)) // checks the chain
        played += end - start;
    EXPECT_EQ(played, std::count(covered.begin(), covered.end(), true)); // no frame lost
}

TEST(ProjectLoading, FolderWithoutUsableTakesGivesNoTimelineAndNoSummary)
{
    const std::pair<const char*, Bytes> cases[] = {
        {"empty.wav", take(0, 0)}, {"text.wav", Bytes{'h', 'i'}}, {"a.wave", take(0, 10)},
        {"far.wav", take(SamplePos(1) << 63, 10)}, // left off the timeline
    };
    for (const auto& [name, bytes] : cases) {
        TempDir dir;
        ConformProject project;
        EXPECT_FALSE(project.load(write(dir, "p", name, bytes))) << name;
        EXPECT_EQ(project.timeline(), nullptr);
        std::uint64_t size = 99;
        ClockTime start{1, 2, 3, 4}, end{5, 6, 7, 8};
        EXPECT_FALSE(project.getOutputSize(size) || project.getStartEndTimes(start, end));
        EXPECT_EQ(size + start.hours + start.fraction + end.seconds + end.fraction, 0u);
    }
}

// The rate is that of "a", first in scan order, though the newer "b" is placed first.
TEST(ProjectLoading, MixedRatesReportMismatchUntilTheNextLoad)
{
    TempDir dir;
    write(dir, "mixed", "a.wav", take(0, 48000, 48000));
    ConformProject project;
    project.setOutputOptions(false, 0);
    EXPECT_FALSE(project.load(write(dir, "mixed", "b.wav", take(96000, 48000, 44100, '2'))));
    EXPECT_TRUE(project.rateMismatch());
    EXPECT_EQ(project.sampleRate(), 48000u);
    std::uint64_t size = 0;
    EXPECT_TRUE(project.getOutputSize(size));
    EXPECT_EQ(size, 144000u * 4);
    EXPECT_TRUE(project.load(write(dir, "single", "a.wav", take(0, 10, 96000))));
    EXPECT_FALSE(project.rateMismatch());
}

// Files named "*.wav" in any case, scanned in byte order with ASCII letters folded: "a.wav" (no
// frames: its rate counts for nothing), "a_b.wav" ('_' 0x5F), then "AB.wav" ('b' 0x62), who wins.
TEST(ProjectLoading, ScansUsableWavFilesInFoldedNameOrder)
{
    TempDir dir;
    const std::string folder = write(dir, "Proj ét 日本", "a.wav", take(0, 0, 96000));
    for (const char* name : {"AB.wav", "a_b.wav", "x.wav/inner.wav", "Tàke.Wav"})
        write(dir, "Proj ét 日本", name, take(name[0] == 'T' ? 0 : 1000, 10, 44100));
    write(dir, "Proj ét 日本", "y.WAV", Bytes{'n', 'o'});
    ConformProject project;
    EXPECT_TRUE(project.load(folder));
    EXPECT_EQ(project.sampleRate(), 44100u);
    EXPECT_EQ(project.takes().count(), 3u); // not the folder "x.wav"
    EXPECT_EQ(project.timeline()->last()->take->lead().path().filename(), "AB.wav");
    EXPECT_EQ(project.takeFolder(), pathFromUtf8(folder) / "Audio Files");
    // Refused files are listed with their reason, in listing order; the folder isn't a file.
    ASSERT_EQ(project.skippedFiles().size(), 2u);
    EXPECT_EQ(project.skippedFiles()[0].fileName, "a.wav");
    EXPECT_EQ(project.skippedFiles()[0].rejection.problem, TakeProblem::NoFrames);
    EXPECT_EQ(project.skippedFiles()[1].fileName, "y.WAV");
    EXPECT_EQ(project.skippedFiles()[1].rejection.problem, TakeProblem::NotWave);
    EXPECT_FALSE(project.load(utf8FromPath(dir.path() / "nowhere")));
    EXPECT_TRUE(project.skippedFiles().empty());
}

// A plain WAV has no time reference: placed at midnight it would add hours of silence. It is
// skipped with its reason, and its rate doesn't count, though it comes first in the folder.
TEST(ProjectLoading, WavWithoutBextIsSkippedAndLeavesSpanAndRateAlone)
{
    TempDir dir;
    const SamplePos ten = 10ull * 3600 * 48000;
    write(dir, "day", "a memo.wav",
          RiffBuilder{}.chunk("fmt ", fmtBody({.rate = 44100, .bits = 16}))
              .chunk("data", Bytes(4000)).bytes());
    const std::string folder = write(dir, "day", "b.wav", take(ten, 48000));
    ConformProject project;
    EXPECT_TRUE(project.load(folder));
    EXPECT_EQ(project.sampleRate(), 48000u);
    EXPECT_EQ(project.timeline()->first()->start, ten);
    ASSERT_EQ(project.skippedFiles().size(), 1u);
    EXPECT_EQ(project.skippedFiles()[0].fileName, "a memo.wav");
    EXPECT_EQ(project.skippedFiles()[0].rejection.problem, TakeProblem::NoTimeReference);
}

// A recorder's card holds its takes directly; a project folder keeps them in "Audio Files".
TEST(ProjectLoading, FolderWithoutAudioFilesIsItsOwnTakeFolder)
{
    TempDir dir;
    dir.write("card/A001.wav", take(0, 10));
    dir.write("card/A002.WAV", take(100, 10));
    dir.write("card/FALSE_TAKES/A000.wav", take(200, 10)); // only the folder's own files
    dir.write("project/top.wav", take(300, 10));
    write(dir, "project", "a.wav", take(400, 10));
    struct Case { const char* folder; const char* takeFolder; std::uint32_t takes; SamplePos end; };
    const Case cases[] = {
        {"card", "card", 2, 110},
        {"project", "project/Audio Files", 1, 410}, // as before: the loose file is no take
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        ConformProject project;
        EXPECT_TRUE(project.load(utf8FromPath(dir.path() / c.folder)));
        EXPECT_EQ(project.takeFolder(), dir.path() / pathFromUtf8(c.takeFolder));
        EXPECT_EQ(project.takes().count(), c.takes);
        ASSERT_NE(project.timeline(), nullptr);
        EXPECT_EQ(project.timeline()->last()->end, c.end);
    }
}

TEST(ProjectLoading, SecondLoadReleasesTheFirstFolderAndOpensNothing)
{
    TempDir dir;
    const std::string one = write(dir, "one", "a.wav", take(0, 100));
    ConformProject project;
    ASSERT_TRUE(project.load(one));
    ASSERT_TRUE(project.takes().head()->openSamples()); // as a conform would leave it
    ASSERT_TRUE(project.load(write(dir, "two", "c.wav", take(0, 100))));
    EXPECT_EQ(project.takes().count(), 1u);
    for (const TimelineSegment* s = project.timeline()->first(); s != nullptr; s = s->next) {
        EXPECT_FALSE(s->cache.hasBuffer());
        EXPECT_EQ(s->take->lead().stream().state(), StreamState::Closed);
    }
    std::error_code error;
#ifdef __linux__ // no descriptor may still point into the first folder
    const std::string prefix = std::filesystem::canonical(pathFromUtf8(one)).string();
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd"))
        EXPECT_FALSE(std::filesystem::read_symlink(fd, error).string().starts_with(prefix));
#endif
    EXPECT_EQ(std::filesystem::remove_all(pathFromUtf8(one), error), 3u) << error.message();
}

TEST(ProjectSummary, FadeRateAndClockFollowTheSampleRate)
{
    struct Case { std::uint32_t rate; SamplePos pos; int fadeRate, hhmmsscc; };
    const Case cases[] = {
        {87999, 87999ull * 50400, 16, 14'00'00'00},
        {88000, 88000ull * 86400 - 1, 8, 23'59'59'99},
        {175999, 175999ull * 3660 + 1759, 8, 1'01'00'00},
        {176000, 176000ull * 50461 + 1760 * 3 - 1, 4, 14'01'01'02},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        TempDir dir;
        ConformProject project;
        ASSERT_TRUE(project.load(write(dir, "p", "a.wav", take(0, 10, c.rate))));
        EXPECT_EQ(project.fadeRate(), c.fadeRate);
        ClockTime t;
        project.timeOfDay(c.pos, t);
        EXPECT_EQ(((t.hours * 100 + t.minutes) * 100 + t.seconds) * 100 + t.fraction, c.hhmmsscc);
    }
}

// Frames 1000..6000, the gap between the takes counting as silence.
TEST(ProjectSummary, OutputSizeFollowsWidthAndChannelMode)
{
    struct Case { bool bits24; int mode; std::uint64_t bytes; int storedMode; };
    const Case cases[] = {
        {true, 0, 30000, 0},  {true, 1, 15000, 1},  {true, 3, 15000, 3},
        {true, 4, 30000, 4},  {false, 0, 20000, 0}, {false, 2, 10000, 2}, // 4: both Dual Mono files
        {true, 7, 30000, 0},  {true, -1, 30000, 0}, // unknown modes are stored as Stereo
    };
    TempDir dir;
    write(dir, "p", "a.wav", take(1000, 1000));
    ConformProject project;
    ASSERT_TRUE(project.load(write(dir, "p", "b.wav", take(5000, 1000))));
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bits24 << " " << c.mode);
        project.setOutputOptions(c.bits24, c.mode);
        std::uint64_t size = 0;
        EXPECT_TRUE(project.getOutputSize(size));
        EXPECT_EQ(size, c.bytes);
        EXPECT_EQ(project.channelMode(), c.storedMode);
    }
}

} // namespace
} // namespace tabrix
