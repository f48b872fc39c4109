#include "audio/BwfFormat.h"
#include "audio/TakeList.h"

#include "TakeFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tabrix {
namespace {

using namespace tabrix::testing;

TEST(OriginationText, ParsesFieldsAndZeroesWhatDoesNotParse)
{
    struct Case {
        const char* date;
        const char* time;
        CalendarTime expected; // second, minute, hour, day, month, year
        bool dated;
    };
    const Case cases[] = {
        {"2005-06-01", "14:05:09", {9, 5, 14, 1, 6, 2005}, true},
        {"2040-01-01", "00:00:00", {0, 0, 0, 1, 1, 2040}, true},
        {"2005/06/01", "14-05-09", {0, 0, 14, 0, 0, 2005}, false},
        {"          ", "        ", {}, false},
        {"2005-06-0x", "14:0x:09", {0, 0, 14, 0, 6, 2005}, true},
        {"1999999999", "99999999", {0, 0, 99, 0, 0, 1999}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        BextChunk bext;
        std::memcpy(&bext.body[BextChunk::dateOffset], c.date, 10);
        std::memcpy(&bext.body[BextChunk::timeOffset], c.time, 8);
        CalendarTime parsed;
        parsed.second = parsed.minute = parsed.day = -7; // must be overwritten
        EXPECT_EQ(bext.parseOrigination(parsed), c.dated);
        EXPECT_EQ(parsed, c.expected);
    }
}

TEST(OriginationText, WrittenTextReadsBack)
{
    BextChunk bext;
    const CalendarTime when{9, 5, 4, 1, 6, 2005};
    bext.setOrigination(when);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bext.body[BextChunk::dateOffset]), 18),
              "2005-06-0104:05:09");
    CalendarTime parsed;
    ASSERT_TRUE(bext.parseOrigination(parsed));
    EXPECT_EQ(parsed, when);
}

class TakeOrder : public ::testing::Test {
protected:
    /// Adds a parsed take named `name`; an empty date writes no bext chunk at all.
    void add(const std::string& name, const std::string& date, const std::string& time = "10:00:00")
    {
        RiffBuilder riff;
        if (!date.empty())
            riff.chunk("bext", bextBody({.date = date, .time = time}));
        auto take = writeTake(dir, riff.chunk("fmt ", fmt24()).chunk("data", twoFrames24()).bytes(),
                              name);
        ASSERT_TRUE(take->parse());
        ASSERT_NE(list.insertSorted(std::move(take)), nullptr);
    }

    /// File names from head to tail; also checks the previous links walk back the same way.
    std::vector<std::string> order() const
    {
        std::vector<std::string> forward;
        for (const Take* t = list.head(); t != nullptr; t = TakeList::nextOf(t))
            forward.push_back(t->path().filename().string());
        std::vector<std::string> backward;
        for (const Take* t = list.tail(); t != nullptr; t = TakeList::previousOf(t))
            backward.insert(backward.begin(), t->path().filename().string());
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(forward.size(), list.count());
        return forward;
    }

    TempDir dir;
    TakeList list;
};

using Names = std::vector<std::string>;

TEST_F(TakeOrder, EarlierRecordingGoesToTheHead)
{
    add("ten.wav", "2005-06-01", "10:00:00");
    add("nine.wav", "2005-06-01", "09:00:00");
    EXPECT_EQ(order(), (Names{"nine.wav", "ten.wav"}));
}

TEST_F(TakeOrder, EqualKeysKeepInsertionOrder)
{
    add("b.wav", "2005-06-01");
    add("a.wav", "2005-06-01");
    add("c.wav", "2005-06-01");
    add("early.wav", "2005-05-31");
    EXPECT_EQ(order(), (Names{"early.wav", "b.wav", "a.wav", "c.wav"}));
}

TEST_F(TakeOrder, UndatedTakesComeFirstInScanOrder)
{
    add("dated.wav", "1971-01-01");
    add("nobext.wav", "");
    add("baddate.wav", "01.06.2005");
    add("later.wav", "2005-06-01");
    add("alsobad.wav", "----------");
    EXPECT_EQ(order(), (Names{"nobext.wav", "baddate.wav", "alsobad.wav", "dated.wav", "later.wav"}));
}

TEST_F(TakeOrder, DatesPast2038SortAfterEarlierOnes)
{
    add("2040.wav", "2040-01-01");
    add("2037.wav", "2037-12-31");
    add("1999.wav", "1999-12-31");
    EXPECT_EQ(order(), (Names{"1999.wav", "2037.wav", "2040.wav"}));
    EXPECT_GT(list.tail()->key(), std::int64_t(INT32_MAX)); // not cut to 32 bits
}

TEST_F(TakeOrder, NoneIsNotInserted)
{
    EXPECT_EQ(list.insertSorted(nullptr), nullptr);
    EXPECT_EQ(list.count(), 0u);
    add("a.wav", "2005-06-01");
    EXPECT_EQ(list.insertSorted(nullptr), nullptr);
    EXPECT_EQ(list.count(), 1u);
}

TEST_F(TakeOrder, ClearEmptiesTheList)
{
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.tail(), nullptr);

    add("a.wav", "2005-06-01");
    add("b.wav", "2005-06-02");
    ASSERT_EQ(list.count(), 2u);
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.tail(), nullptr);
    add("c.wav", "2005-06-01"); // usable again after clearing
    EXPECT_EQ(order(), (Names{"c.wav"}));
}

} // namespace
} // namespace tabrix
