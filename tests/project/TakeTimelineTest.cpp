#include "audio/TakeList.h"
#include "project/TakeTimeline.h"
#include "audio/FileStream.h"
#include "project/TimelineSegment.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace tabrix {
namespace {

using namespace tabrix::testing;

/// What a test expects of one segment: which take plays, where, and from which frame.
struct Seg {
    std::string take; // file name without ".wav"
    SamplePos start;
    SamplePos end;
    std::uint64_t sourceOffset;

    bool operator==(const Seg&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seg& s)
{
    return out << s.take << "[" << s.start << "," << s.end << ")@" << s.sourceOffset;
}

using Segs = std::vector<Seg>;

/// A take's place on the axis and its recording date (a later date is a newer recording).
struct Placed {
    std::string name;
    SamplePos start;
    std::uint64_t frameCount;
    std::string date = "2024-05-01";
    std::uint16_t channels = 2;
};

class Timeline : public ::testing::Test {
protected:
    /// Writes the take (16-bit) and inserts it into the list in call order.
    Take* add(const Placed& p, std::uint16_t bits = 16)
    {
        const auto bytes = takeBytes({.timeReference = p.start,
                                      .date = p.date,
                                      .channels = p.channels,
                                      .bits = bits,
                                      .data = constantFrames(p.channels, bits, p.frameCount, 0)});
        dir.write(p.name + ".wav", bytes);
        auto take = std::make_unique<Take>(dir.path(), p.name + ".wav");
        EXPECT_TRUE(take->parse()) << p.name;
        return list.insertSorted(std::move(take));
    }

    /// Builds the timeline, checks the chain's invariants and returns its segments.
    Segs build()
    {
        timeline.build(list);
        return segments(timeline);
    }

    static std::string nameOf(const TimelineSegment& s)
    {
        const std::string file = s.take->path().filename().string();
        return file.substr(0, file.size() - 4);
    }

    static Segs segments(const TakeTimeline& timeline)
    {
        Segs out;
        const TimelineSegment* previous = nullptr;
        for (const TimelineSegment* s = timeline.first(); s != nullptr; s = s->next) {
            EXPECT_EQ(s->previous, previous);
            EXPECT_LT(s->start, s->end);
            EXPECT_EQ(s->end, s->start + s->length);
            if (previous != nullptr) {
                EXPECT_LE(previous->end, s->start);
            }
            out.push_back({nameOf(*s), s->start, s->end, s->sourceOffset});
            previous = s;
        }
        EXPECT_EQ(timeline.last(), previous);
        EXPECT_EQ(timeline.segmentCount(), out.size());
        return out;
    }

    TempDir dir;
    TakeList list;
    TakeTimeline timeline;
};

// "old" is recorded a day before "new"; each row is run with both orders of insertion, since
// the recording date, not the order the takes arrive in, decides who keeps the frames.
TEST_F(Timeline, NewerRecordingKeepsEveryOverlappedFrame)
{
    struct Case {
        const char* what;
        SamplePos oldStart, oldEnd, newStart, newEnd;
        Segs expected;
    };
    const Case cases[] = {
        {"same span", 1000, 2000, 1000, 2000, {{"new", 1000, 2000, 0}}},
        {"newer inside older", 1000, 5000, 2000, 3000,
         {{"old", 1000, 2000, 0}, {"new", 2000, 3000, 0}, {"old", 3000, 5000, 2000}}},
        {"older inside newer", 2000, 3000, 1000, 5000, {{"new", 1000, 5000, 0}}},
        {"older ends where newer ends", 1000, 3000, 2000, 3000,
         {{"old", 1000, 2000, 0}, {"new", 2000, 3000, 0}}},
        {"older starts where newer starts", 2000, 4000, 2000, 3000,
         {{"new", 2000, 3000, 0}, {"old", 3000, 4000, 1000}}},
        {"older starts before, ends inside", 1000, 2500, 2000, 3000,
         {{"old", 1000, 2000, 0}, {"new", 2000, 3000, 0}}},
        {"older starts inside, ends after", 2500, 4000, 2000, 3000,
         {{"new", 2000, 3000, 0}, {"old", 3000, 4000, 500}}},
        {"older ends where newer starts", 1000, 2000, 2000, 3000,
         {{"old", 1000, 2000, 0}, {"new", 2000, 3000, 0}}},
        {"older starts where newer ends", 2000, 3000, 1000, 2000,
         {{"new", 1000, 2000, 0}, {"old", 2000, 3000, 0}}},
        {"gap", 1000, 2000, 3000, 4000, {{"old", 1000, 2000, 0}, {"new", 3000, 4000, 0}}},
        {"one frame over", 1000, 2001, 2000, 3000,
         {{"old", 1000, 2000, 0}, {"new", 2000, 3000, 0}}},
        {"newer one frame inside older", 0, 3, 1, 2,
         {{"old", 0, 1, 0}, {"new", 1, 2, 0}, {"old", 2, 3, 2}}},
    };
    for (const auto& c : cases) {
        for (const bool oldFirst : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.what << (oldFirst ? ", old added first" : ""));
            TempDir caseDir;
            TakeList takes;
            const Placed old{"old", c.oldStart, c.oldEnd - c.oldStart, "2024-05-01"};
            const Placed newer{"new", c.newStart, c.newEnd - c.newStart, "2024-05-02"};
            for (const Placed& p : oldFirst ? std::vector{old, newer} : std::vector{newer, old}) {
                const auto bytes = takeBytes({.timeReference = p.start, .date = p.date,
                                              .bits = 16,
                                              .data = constantFrames(2, 16, p.frameCount, 0)});
                caseDir.write(p.name + ".wav", bytes);
                auto take = std::make_unique<Take>(caseDir.path(), p.name + ".wav");
                ASSERT_TRUE(take->parse());
                takes.insertSorted(std::move(take));
            }
            TakeTimeline built;
            built.build(takes);
            EXPECT_EQ(segments(built), c.expected);
        }
    }
}

TEST_F(Timeline, OlderTakeFillsEveryGapLeftByNewerOnes)
{
    add({"old", 0, 10000, "2024-05-01"});
    add({"mid", 1000, 1000, "2024-05-02"});
    add({"newest", 5000, 1000, "2024-05-03"});
    add({"tail", 9500, 1000, "2024-05-02"});
    EXPECT_EQ(build(), (Segs{{"old", 0, 1000, 0},
                             {"mid", 1000, 2000, 0},
                             {"old", 2000, 5000, 2000},
                             {"newest", 5000, 6000, 0},
                             {"old", 6000, 9500, 6000},
                             {"tail", 9500, 10500, 0}}));
}

TEST_F(Timeline, SplitPieceIsCutAgainByAnOlderStillTake)
{
    // "mid" is split around "new"; "old" then fills only the frames both leave free.
    add({"old", 0, 8000, "2024-05-01"});
    add({"mid", 1000, 5000, "2024-05-02"});
    add({"new", 3000, 1000, "2024-05-03"});
    EXPECT_EQ(build(), (Segs{{"old", 0, 1000, 0},
                             {"mid", 1000, 3000, 0},
                             {"new", 3000, 4000, 0},
                             {"mid", 4000, 6000, 3000},
                             {"old", 6000, 8000, 6000}}));
}

TEST_F(Timeline, AmongEqualDatesTheLaterInsertedTakeWins)
{
    add({"first", 1000, 2000});
    add({"second", 2000, 2000});
    add({"third", 1500, 100});
    // "third" is placed first, then "second", then "first" fills what is left.
    EXPECT_EQ(build(), (Segs{{"first", 1000, 1500, 0},
                             {"third", 1500, 1600, 0},
                             {"first", 1600, 2000, 600},
                             {"second", 2000, 4000, 0}}));
}

TEST_F(Timeline, EqualSpansWithEqualDatesKeepOnlyTheLaterInserted)
{
    add({"a", 1000, 500});
    add({"b", 1000, 500});
    EXPECT_EQ(build(), (Segs{{"b", 1000, 1500, 0}}));
}

TEST_F(Timeline, UndatedTakeCountsAsOldest)
{
    add({"undated", 0, 3000, "          "});
    add({"dated", 1000, 1000, "1971-01-01"});
    EXPECT_EQ(build(), (Segs{{"undated", 0, 1000, 0},
                             {"dated", 1000, 2000, 0},
                             {"undated", 2000, 3000, 2000}}));
}

TEST_F(Timeline, ChannelModeIsStereoOnlyForTwoChannelTakes)
{
    struct Case { std::uint16_t channels; std::int32_t mode; };
    const Case cases[] = {{2, 0}, {1, 1}, {4, 1}, {3, 1}, {6, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.channels << " channels");
        TakeList takes;
        TempDir caseDir;
        caseDir.write("t.wav", takeBytes({.timeReference = 10, .channels = c.channels,
                                          .bits = 24,
                                          .data = constantFrames(c.channels, 24, 7, 0)}));
        auto take = std::make_unique<Take>(caseDir.path(), "t.wav");
        ASSERT_TRUE(take->parse());
        takes.insertSorted(std::move(take));
        TakeTimeline built;
        built.build(takes);
        const TimelineSegment* s = built.first();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->channelMode, c.mode);
        EXPECT_EQ(s->start, 10u);
        EXPECT_EQ(s->length, 7u); // data bytes / (3 bytes x channels)
        EXPECT_EQ(s->end, 17u);
        EXPECT_EQ(s->secondTake, nullptr);
    }
}

TEST_F(Timeline, TrailingPartialFrameIsNotPlayed)
{
    dir.write("odd.wav", RiffBuilder{}
                             .chunk("bext", bextBody({.timeReference = 100}))
                             .chunk("fmt ", fmtBody({.channels = 2, .rate = 48000, .bits = 24}))
                             .chunk("data", Bytes(6 * 5 + 4, 0)) // 5 frames and 4 bytes
                             .bytes());
    auto take = std::make_unique<Take>(dir.path(), "odd.wav");
    ASSERT_TRUE(take->parse());
    list.insertSorted(std::move(take));
    EXPECT_EQ(build(), (Segs{{"odd", 100, 105, 0}}));
}

TEST_F(Timeline, TakeBeyondAnyTimeOfDayIsLeftOff)
{
    // Such a start would make end (start + length) wrap or sit beyond the reach of the
    // renderer's span arithmetic; the take is dropped instead of landing at frame 0.
    struct Case { const char* what; SamplePos start; };
    const Case cases[] = {
        {"2^63", SamplePos(1) << 63},
        {"just past 2^40, where output sizes could wrap", (SamplePos(1) << 40) + 1},
        {"end wraps past 2^64", std::numeric_limits<SamplePos>::max() - 10},
        {"end is exactly 2^64", std::numeric_limits<SamplePos>::max() - 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir caseDir;
        TakeList takes;
        for (const Placed& p : {Placed{"absurd", c.start, 100, "2024-05-02"},
                                Placed{"fine", 500, 100, "2024-05-01"}}) {
            caseDir.write(p.name + ".wav",
                          takeBytes({.timeReference = p.start, .date = p.date, .bits = 16,
                                     .data = constantFrames(2, 16, p.frameCount, 0)}));
            auto take = std::make_unique<Take>(caseDir.path(), p.name + ".wav");
            ASSERT_TRUE(take->parse());
            takes.insertSorted(std::move(take));
        }
        TakeTimeline built;
        built.build(takes);
        EXPECT_EQ(segments(built), (Segs{{"fine", 500, 600, 0}}));
    }
}

TEST_F(Timeline, EmptyListGivesEmptyTimeline)
{
    EXPECT_EQ(build(), Segs{});
    EXPECT_EQ(timeline.first(), nullptr);
    EXPECT_EQ(timeline.last(), nullptr);
    EXPECT_EQ(timeline.findOverlapping(0, 16384), nullptr);
}

TEST_F(Timeline, RebuildReplacesTheChain)
{
    add({"a", 0, 100});
    EXPECT_EQ(build(), (Segs{{"a", 0, 100, 0}}));
    add({"b", 200, 100, "2024-05-02"});
    EXPECT_EQ(build(), (Segs{{"a", 0, 100, 0}, {"b", 200, 300, 0}}));
    timeline.clear();
    EXPECT_EQ(timeline.first(), nullptr);
    EXPECT_EQ(timeline.segmentCount(), 0u);
}

TEST_F(Timeline, ReleasingTheTimelineClosesItsTakes)
{
    Take* take = add({"a", 0, 100});
    EXPECT_EQ(build().size(), 1u);
    ASSERT_TRUE(take->openSamples());
    ASSERT_NE(take->stream().state(), StreamState::Closed);
    timeline.clear();
    EXPECT_EQ(take->stream().state(), StreamState::Closed);
    EXPECT_EQ(list.count(), 1u); // the takes belong to the list
}

// Segments on the axis: [0,1000) "left", [17384,20000) "right", and for some rows a third
// take placed so it decides the answer.
TEST_F(Timeline, FindOverlappingMatchesOnlySegmentsThatPlayInsideTheSpan)
{
    struct Case {
        const char* what;
        std::vector<Placed> takes;
        SamplePos from, to;
        const char* expected; // nullptr for none
    };
    const Case cases[] = {
        {"touching both ends", {{"left", 0, 1000}, {"right", 17384, 2616}}, 1000, 17384, nullptr},
        {"one frame into the span", {{"left", 0, 1001}, {"right", 17384, 2616}}, 1000, 17384,
         "left"},
        {"starts on from", {{"left", 0, 500}, {"inner", 1000, 10}}, 1000, 17384, "inner"},
        {"starts one before to", {{"left", 0, 500}, {"inner", 17383, 10}}, 1000, 17384, "inner"},
        {"covers the span", {{"left", 0, 500}, {"wide", 900, 20000}}, 1000, 17384, "wide"},
        {"equals the span", {{"same", 1000, 16384}}, 1000, 17384, "same"},
        {"ends on to", {{"left", 0, 500}, {"inner", 1500, 15884}}, 1000, 17384, "inner"},
        {"earliest of two inside", {{"a", 2000, 10}, {"b", 1500, 10}}, 1000, 17384, "b"},
        {"all before", {{"left", 0, 999}}, 1000, 17384, nullptr},
        {"all after", {{"right", 17385, 10}}, 1000, 17384, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir caseDir;
        TakeList takes;
        for (const Placed& p : c.takes) {
            caseDir.write(p.name + ".wav",
                          takeBytes({.timeReference = p.start, .bits = 16,
                                     .data = constantFrames(2, 16, p.frameCount, 0)}));
            auto take = std::make_unique<Take>(caseDir.path(), p.name + ".wav");
            ASSERT_TRUE(take->parse());
            takes.insertSorted(std::move(take));
        }
        TakeTimeline built;
        built.build(takes);
        const TimelineSegment* found = built.findOverlapping(c.from, c.to);
        if (c.expected == nullptr) {
            EXPECT_EQ(found, nullptr) << nameOf(*found);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(nameOf(*found), c.expected);
        }
    }
}

TEST_F(Timeline, FindOverlappingWalksOnFromTheGivenSegment)
{
    add({"a", 0, 100});
    add({"b", 200, 100});
    add({"c", 400, 100});
    ASSERT_EQ(build().size(), 3u);
    TimelineSegment* b = timeline.first()->next;
    EXPECT_EQ(timeline.findOverlapping(0, 1000), timeline.first());
    EXPECT_EQ(timeline.findOverlapping(0, 1000, b), b);
    EXPECT_EQ(timeline.findOverlapping(0, 100, b), nullptr); // "a" lies behind the start
    EXPECT_EQ(timeline.findOverlapping(300, 400), nullptr);  // the gap between "b" and "c"
}

// Thousands of takes: a seeded random pile of overlapping ones, and a row of disjoint ones
// placed so every insert walks the whole chain. Each frame's owner is worked out with a plain
// per-frame model: the first-placed take (walking the list from its tail) that covers it.
TEST_F(Timeline, ThousandsOfTakesMatchAPerFrameModel)
{
    struct Case { const char* what; bool random; };
    for (const Case c : {Case{"random overlapping", true}, Case{"disjoint, newest leftmost", false}}) {
        SCOPED_TRACE(c.what);
        constexpr int takeCount = 2000;
        constexpr SamplePos axisFrames = 60000;
        std::mt19937 rng(20240501u);
        TempDir caseDir;
        TakeList takes;
        for (int i = 0; i < takeCount; ++i) {
            const SamplePos start = c.random ? rng() % axisFrames : SamplePos(takeCount - 1 - i) * 10;
            const std::uint64_t frames = c.random ? 1 + rng() % 300 : 5;
            char date[16];
            std::snprintf(date, sizeof date, "2024-05-%02u", c.random ? unsigned(1 + rng() % 4) : 1u);
            char name[16];
            std::snprintf(name, sizeof name, "t%04d.wav", i);
            caseDir.write(name, takeBytes({.timeReference = start, .date = date, .channels = 1,
                                           .bits = 16, .data = constantFrames(1, 16, frames, 0)}));
            auto take = std::make_unique<Take>(caseDir.path(), name);
            ASSERT_TRUE(take->parse());
            takes.insertSorted(std::move(take));
        }

        std::vector<const Take*> owner(axisFrames + 300, nullptr);
        for (const Take* t = takes.tail(); t != nullptr; t = TakeList::previousOf(t)) {
            const SamplePos end = t->timeReference() + t->dataSize() / 2;
            for (SamplePos p = t->timeReference(); p < end; ++p)
                if (owner[p] == nullptr)
                    owner[p] = t;
        }

        TakeTimeline built;
        built.build(takes);
        const Segs chain = segments(built); // checks order and non-overlap
        std::vector<bool> covered(owner.size(), false);
        for (const TimelineSegment* s = built.first(); s != nullptr; s = s->next) {
            for (SamplePos p = s->start; p < s->end; ++p) {
                ASSERT_EQ(owner[p], s->take) << "frame " << p;
                ASSERT_EQ(s->sourceOffset + (p - s->start), p - s->take->timeReference());
                covered[p] = true;
            }
        }
        for (std::size_t p = 0; p < owner.size(); ++p)
            ASSERT_EQ(covered[p], owner[p] != nullptr) << "frame " << p;
        if (!c.random) {
            EXPECT_EQ(chain.size(), std::size_t(takeCount));
        }
    }
}

} // namespace
} // namespace tabrix
