#include "audio/FileStream.h"
#include "project/ConformProject.h"
#include "project/TakeTimeline.h"

#include "ProjectFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace tabrix {
namespace {

using namespace tabrix::testing;

std::vector<std::string> takeNames(const ConformProject& project)
{
    std::vector<std::string> names;
    for (const Take* t = project.takes().head(); t != nullptr; t = TakeList::nextOf(t))
        names.push_back(utf8FromPath(t->path().filename()));
    return names;
}

std::vector<std::string> segmentNames(const ConformProject& project)
{
    std::vector<std::string> names;
    if (project.timeline() != nullptr)
        for (const TimelineSegment* s = project.timeline()->first(); s != nullptr; s = s->next)
            names.push_back(utf8FromPath(s->take->path().filename()));
    return names;
}

using Names = std::vector<std::string>;

TEST(ProjectLoading, LoadsEveryTakeOfOneRate)
{
    TempDir dir;
    writeProjectTake(dir, "p", "b.wav", silentTake(3000, 100));
    const std::string folder = writeProjectTake(dir, "p", "a.wav", silentTake(1000, 100));
    ConformProject project;
    ASSERT_TRUE(project.load(folder));
    EXPECT_EQ(project.sampleRate(), 48000u);
    EXPECT_FALSE(project.rateMismatch());
    EXPECT_EQ(project.takes().count(), 2u);
    ASSERT_NE(project.timeline(), nullptr);
    EXPECT_EQ(segmentNames(project), (Names{"a.wav", "b.wav"}));
}

TEST(ProjectLoading, FolderWithoutUsableTakesGivesNoTimeline)
{
    struct Case { const char* what; const char* name; Bytes bytes; };
    const Case cases[] = {
        {"only take has no frames", "empty.wav", silentTake(0, 0)},
        {"only take has half a frame", "half.wav",
         takeBytes({.channels = 2, .bits = 16, .data = Bytes(2, 0)})},
        {"not a RIFF file", "text.wav", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {"empty file", "zero.wav", Bytes{}},
        {"no .wav entry", "take.wave", silentTake(0, 100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string folder = writeProjectTake(dir, "p", c.name, c.bytes);
        ConformProject project;
        EXPECT_FALSE(project.load(folder));
        EXPECT_EQ(project.timeline(), nullptr);
        EXPECT_EQ(project.takes().count(), 0u);
        EXPECT_FALSE(project.rateMismatch());
        std::uint64_t bytes = 99;
        EXPECT_FALSE(project.getOutputSize(bytes));
        EXPECT_EQ(bytes, 0u);
    }
}

TEST(ProjectLoading, FolderWhoseOnlyTakeIsOffTheTimelineDoesNotLoad)
{
    TempDir dir;
    const std::string folder =
        writeProjectTake(dir, "p", "a.wav", silentTake(SamplePos(1) << 63, 10));
    ConformProject project;
    EXPECT_FALSE(project.load(folder));
    EXPECT_EQ(project.timeline(), nullptr);
}

TEST(ProjectLoading, MissingFoldersFailCleanly)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "noaudio" / "Other Files");
    dir.write("noaudio/take.wav", silentTake(0, 100)); // not inside "Audio Files"
    const std::string folders[] = {
        utf8FromPath(dir.path() / "noaudio"),
        utf8FromPath(dir.path() / "does not exist"),
        "",
    };
    for (const auto& folder : folders) {
        SCOPED_TRACE(folder);
        ConformProject project;
        EXPECT_FALSE(project.load(folder));
        EXPECT_EQ(project.timeline(), nullptr);
        EXPECT_EQ(project.takes().count(), 0u);
    }
}

// The project's rate is that of the first accepted take in scan order; a take of another
// rate stays on the timeline but makes the load report failure.
TEST(ProjectLoading, MixedRatesKeepTheTimelineAndReportMismatch)
{
    struct Case { std::uint32_t rateA, rateB; };
    for (const Case c : {Case{48000, 44100}, Case{44100, 48000}}) {
        SCOPED_TRACE(::testing::Message() << c.rateA << " then " << c.rateB);
        TempDir dir;
        // "b" is the newer recording, so it would be placed first; the rate still comes from
        // "a", the first in scan order.
        writeProjectTake(dir, "p", "a.wav", silentTake(0, 48000, c.rateA, "2024-05-01"));
        const std::string folder =
            writeProjectTake(dir, "p", "b.wav", silentTake(96000, 48000, c.rateB, "2024-05-02"));
        ConformProject project;
        project.setOutputOptions(false, 0);
        EXPECT_FALSE(project.load(folder));
        EXPECT_TRUE(project.rateMismatch());
        EXPECT_EQ(project.sampleRate(), c.rateA);
        ASSERT_NE(project.timeline(), nullptr);
        EXPECT_EQ(project.takes().count(), 2u);
        EXPECT_EQ(segmentNames(project), (Names{"a.wav", "b.wav"}));
        ClockTime start{1, 1, 1, 1}, end{};
        EXPECT_TRUE(project.getStartEndTimes(start, end));
        EXPECT_EQ(start.seconds, 0);
        std::uint64_t bytes = 0;
        EXPECT_TRUE(project.getOutputSize(bytes));
        EXPECT_EQ(bytes, 144000u * 4);
        EXPECT_EQ(project.fadeRate(), 16);
    }
}

TEST(ProjectLoading, MismatchIsClearedByTheNextLoad)
{
    TempDir dir;
    writeProjectTake(dir, "mixed", "a.wav", silentTake(0, 10, 48000));
    const std::string mixed = writeProjectTake(dir, "mixed", "b.wav", silentTake(0, 10, 96000));
    const std::string single = writeProjectTake(dir, "single", "a.wav", silentTake(0, 10, 96000));
    ConformProject project;
    EXPECT_FALSE(project.load(mixed));
    EXPECT_TRUE(project.rateMismatch());
    EXPECT_TRUE(project.load(single));
    EXPECT_FALSE(project.rateMismatch());
    EXPECT_EQ(project.sampleRate(), 96000u);
    EXPECT_EQ(project.fadeRate(), 8);
}

// A rejected entry ahead of a good one must neither set the rate nor count as a mismatch.
TEST(ProjectLoading, RejectedFirstEntryDoesNotSetTheRate)
{
    struct Case { const char* what; Bytes first; };
    const Case cases[] = {
        {"no frames", silentTake(0, 0, 96000)},
        {"12-bit samples", takeBytes({.rate = 96000, .bits = 12, .data = Bytes(12, 0)})},
        {"no channels", takeBytes({.channels = 0, .rate = 96000, .bits = 16, .data = Bytes(4, 0)})},
        {"garbage", Bytes(64, 0xA5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeProjectTake(dir, "p", "a.wav", c.first);
        const std::string folder = writeProjectTake(dir, "p", "b.wav", silentTake(0, 10, 44100));
        ConformProject project;
        EXPECT_TRUE(project.load(folder));
        EXPECT_EQ(project.sampleRate(), 44100u);
        EXPECT_FALSE(project.rateMismatch());
        EXPECT_EQ(takeNames(project), (Names{"b.wav"}));
    }
}

TEST(ProjectLoading, TakesAreTheNonFolderEntriesEndingInWavInAnyCase)
{
    TempDir dir;
    const std::string folder = writeProjectTake(dir, "p", "upper.WAV", silentTake(0, 10));
    writeProjectTake(dir, "p", "mixed.Wav", silentTake(100, 10));
    writeProjectTake(dir, "p", "y.WAV", Bytes{'n', 'o', 't', ' ', 'a', ' ', 't', 'a', 'k', 'e'});
    writeProjectTake(dir, "p", "x.wav/inner.wav", silentTake(200, 10)); // a folder named x.wav
    writeProjectTake(dir, "p", "copy.wav.bak", silentTake(300, 10));
    writeProjectTake(dir, "p", "wav", silentTake(400, 10));
    writeProjectTake(dir, "p", "notes.txt", silentTake(500, 10));
    ConformProject project;
    EXPECT_TRUE(project.load(folder));
    std::vector<std::string> names = takeNames(project);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"mixed.Wav", "upper.WAV"}));
}

TEST(ProjectLoading, FolderNamesWithSpacesAndNonAsciiLettersLoad)
{
    const char* projects[] = {"Proj ét 日本", "Ordner ü", "a b c"};
    for (const char* name : projects) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string folder = writeProjectTake(dir, name, "Tàke 1.wav", silentTake(0, 10));
        ConformProject project;
        EXPECT_TRUE(project.load(folder));
        EXPECT_EQ(takeNames(project), (Names{"Tàke 1.wav"}));
    }
}

TEST(ProjectLoading, TrailingSeparatorOnTheFolderIsAccepted)
{
    TempDir dir;
    const std::string folder = writeProjectTake(dir, "p", "a.wav", silentTake(0, 10));
    ConformProject project;
    EXPECT_TRUE(project.load(folder + "/"));
    EXPECT_EQ(project.takes().count(), 1u);
}

// With equal recording times the scan order decides: names compared byte by byte with ASCII
// letters folded, so "a_b" ('_' 0x5F) comes before "AB" ('b' 0x62), and "AB" is placed first.
// An unfolded comparison would put "AB" (0x41) first and let "a_b" win instead.
TEST(ProjectLoading, LaterNameInFoldedOrderWinsAmongEqualDates)
{
    struct Case { const char* first; const char* second; };
    const Case cases[] = {
        {"a_b.wav", "AB.wav"},
        {"b.wav", "C.wav"},
        {"Take1.wav", "take2.wav"},
        {"z.wav", "z~.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.first << " before " << c.second);
        TempDir dir;
        writeProjectTake(dir, "p", c.second, silentTake(1000, 100));
        const std::string folder = writeProjectTake(dir, "p", c.first, silentTake(1000, 100));
        for (int round = 0; round < 3; ++round) { // loads are repeatable
            ConformProject project;
            EXPECT_TRUE(project.load(folder));
            EXPECT_EQ(takeNames(project), (Names{c.first, c.second}));
            EXPECT_EQ(segmentNames(project), (Names{c.second}));
        }
    }
}

TEST(ProjectLoading, RecordingDateBeatsNameOrder)
{
    TempDir dir;
    writeProjectTake(dir, "p", "a.wav", silentTake(1000, 100, 48000, "2024-05-02"));
    const std::string folder =
        writeProjectTake(dir, "p", "z.wav", silentTake(1000, 100, 48000, "2024-05-01"));
    ConformProject project;
    EXPECT_TRUE(project.load(folder));
    EXPECT_EQ(segmentNames(project), (Names{"a.wav"}));
}

TEST(ProjectLoading, LoadingAllocatesNoReadCache)
{
    TempDir dir;
    std::string folder;
    for (int i = 0; i < 20; ++i)
        folder = writeProjectTake(dir, "p", "t" + std::to_string(i) + ".wav",
                                  silentTake(SamplePos(i) * 1000, 500));
    ConformProject project;
    ASSERT_TRUE(project.load(folder));
    ASSERT_EQ(project.timeline()->segmentCount(), 20u);
    for (const TimelineSegment* s = project.timeline()->first(); s != nullptr; s = s->next) {
        EXPECT_FALSE(s->cache.hasBuffer());
        EXPECT_EQ(s->take->stream().state(), StreamState::Closed);
    }
}

#ifdef __linux__
/// Open descriptors of this process that point inside `folder`.
int openFilesUnder(const std::filesystem::path& folder)
{
    const std::string prefix = std::filesystem::canonical(folder).string();
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code linkError;
        const auto target = std::filesystem::read_symlink(entry.path(), linkError);
        if (!linkError && target.string().rfind(prefix, 0) == 0)
            ++count;
    }
    return count;
}
#endif

TEST(ProjectLoading, SecondLoadReleasesTheFirstFoldersTakes)
{
    TempDir dir;
    writeProjectTake(dir, "one", "a.wav", silentTake(0, 100));
    const std::string one = writeProjectTake(dir, "one", "b.wav", silentTake(200, 100));
    const std::string two = writeProjectTake(dir, "two", "c.wav", silentTake(0, 100));

    ConformProject project;
    ASSERT_TRUE(project.load(one));
    // Leave a take of the first folder open, as a conform or a preview read would.
    ASSERT_TRUE(project.takes().head()->openSamples());
    ASSERT_NE(project.takes().head()->stream().state(), StreamState::Closed);
#ifdef __linux__
    ASSERT_EQ(openFilesUnder(pathFromUtf8(one)), 1); // the probe sees the open take
#endif

    ASSERT_TRUE(project.load(two));
    EXPECT_EQ(takeNames(project), (Names{"c.wav"}));
    EXPECT_EQ(segmentNames(project), (Names{"c.wav"}));
    for (const Take* t = project.takes().head(); t != nullptr; t = TakeList::nextOf(t)) {
        EXPECT_EQ(t->path().parent_path().parent_path().filename(), "two");
        EXPECT_EQ(t->stream().state(), StreamState::Closed);
    }
#ifdef __linux__
    EXPECT_EQ(openFilesUnder(pathFromUtf8(one)), 0);
#endif
    // Nothing holds the first folder any more: it can be renamed and emptied.
    std::error_code error;
    std::filesystem::rename(pathFromUtf8(one), dir.path() / "moved", error);
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(std::filesystem::remove_all(dir.path() / "moved", error), 4u);
}

TEST(ProjectLoading, FailedLoadAfterAGoodOneLeavesNothingBehind)
{
    TempDir dir;
    const std::string good = writeProjectTake(dir, "good", "a.wav", silentTake(0, 100));
    ConformProject project;
    ASSERT_TRUE(project.load(good));
    EXPECT_FALSE(project.load(utf8FromPath(dir.path() / "missing")));
    EXPECT_EQ(project.timeline(), nullptr);
    EXPECT_EQ(project.takes().count(), 0u);
    ClockTime start{1, 2, 3, 4}, end{5, 6, 7, 8};
    EXPECT_FALSE(project.getStartEndTimes(start, end));
    EXPECT_EQ(start.hours + start.minutes + start.seconds + start.fraction, 0);
    EXPECT_EQ(end.hours + end.minutes + end.seconds + end.fraction, 0);
}

} // namespace
} // namespace tabrix
