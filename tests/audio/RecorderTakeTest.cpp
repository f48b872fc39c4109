// Takes as field recorders and editors really write them: other date separators, RF64/BW64
// headers, and takes left behind by a recorder that lost power.
#include "audio/BwfFile.h"
#include "audio/ByteOrder.h"
#include "audio/TakeList.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace tabrix;
using namespace tabrix::testing;

TEST(OriginationText, AcceptsAnyNonDigitSeparator)
{
    struct Case { const char* date; const char* time; bool dated; CalendarTime expected; };
    // CalendarTime is second, minute, hour, day, month, year.
    const Case cases[] = {
        {"2019-01-02", "13:36:16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019:01:02", "13:36:16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019/01/02", "13.36.16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019.01.02", "13_36_16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019_01_02", "13 36 16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019 01 02", "13-36-16", true, {16, 36, 13, 2, 1, 2019}},
        {"2019-1-2  ", "1:2:3   ", true, {3, 2, 1, 2, 1, 2019}},   // short fields as before
        {"2019-01-- ", "13:36   ", false, {0, 36, 13, 0, 1, 2019}}, // two separators in a row
        {"20190102  ", "133616  ", false, {0, 0, 13, 0, 0, 2019}},  // a digit is no separator
        {"          ", "        ", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        BextChunk bext;
        const std::string text = std::string(c.date) + c.time;
        std::copy(text.begin(), text.end(), bext.body.begin() + BextChunk::dateOffset);
        CalendarTime parsed;
        EXPECT_EQ(bext.parseOrigination(parsed), c.dated);
        EXPECT_EQ(parsed, c.expected);
    }
}

// Inserted so that neither the insertion order nor the names give the recording order.
TEST(OriginationText, TakesSortByRecordingTimeWhateverTheSeparators)
{
    struct Row { const char* name; const char* date; const char* time; };
    constexpr Row rows[] = {
        {"d", "2019.01.02", "09.00.00"}, {"b", "2019:01:01", "13:36:16"},
        {"undated", "01 Jan 19 ", "10:00:00"}, {"e", "2019_01_02", "09_00_01"},
        {"a", "2019/01/01", "08/00/00"}, {"c", "2019 01 01", "23 59 59"},
    };
    TempDir dir;
    TakeList list;
    for (const Row& r : rows) {
        dir.write(r.name, takeBytes({.date = r.date, .time = r.time, .data = Bytes(12)}));
        auto take = std::make_unique<Take>(dir.path(), r.name);
        ASSERT_TRUE(take->parse());
        list.insertSorted(std::move(take));
    }
    std::string order;
    for (const Take* t = list.head(); t != nullptr; t = TakeList::nextOf(t))
        order += t->path().filename().string() + " ";
    EXPECT_EQ(order, "undated a b c d e ");
}
