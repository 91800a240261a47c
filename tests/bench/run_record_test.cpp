#include "bench/bench.h"
#include "bench_test_support.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

using testing_support::FixedClock;
using testing_support::TempDir;

TEST(RunRecord, WrittenByteForByte) {
    struct Case {
        const char* fixture;
        std::array<bool, 4> levels;
        std::vector<int> modes;
        int runs;
        bool threePerDump;
        const char* comment;
    };
    const Case cases[] = {
        {"records/normal_640_con3.ini", {true, false, false, false}, {3}, 1, true, "No Comment"},
        {"records/all_levels_con1.ini",
         {true, true, true, true},
         {4, 11},
         3,
         false,
         "P4 2.4GHz, \"quoted\" notes; and blanks"},
    };
    for (const auto& c : cases) {
        bench::RunChoices choices;
        choices.levels = c.levels;
        choices.resolutions = {};
        for (int m : c.modes)
            choices.resolutions[static_cast<std::size_t>(m)] = true;
        choices.runs = c.runs;
        choices.threePerDump = c.threePerDump;
        choices.demoEntries = {"bench1.dm_2"};
        choices.selectedDemo = 0;
        TempDir dir;
        ASSERT_TRUE(bench::writeRunRecord(dir.folder(), choices, c.comment, FixedClock().time));
        EXPECT_EQ(testing_support::readFile(bench_test::dataPath(c.fixture)),
                  testing_support::readFile(dir.path() / "FRWb_setup.ini"))
            << c.fixture;
    }
}

TEST(RunRecord, ReportNameAndStartTimeFollowTheClock) {
    struct Case {
        int year, month, day, hour, minute, second;
        const char* amPm;
        const char* reportName;
        const char* startTime;
    };
    const Case cases[] = {
        {2026, 12, 4, 19, 30, 5, "PM", "FRWb_120426_193005.txt", "D  07:30:05 PM"},
        {2004, 3, 15, 21, 30, 5, "PM", "FRWb_031504_213005.txt", "D  09:30:05 PM"},
        {2000, 1, 2, 0, 0, 9, "AM", "FRWb_010200_000009.txt", "D  12:00:09 AM"},
        {2099, 7, 9, 12, 5, 0, "PM", "FRWb_070999_120500.txt", "D  12:05:00 PM"},
        {2010, 11, 30, 11, 59, 59, "", "FRWb_113010_115959.txt", "D  11:59:59"},
    };
    for (const auto& c : cases) {
        platform::LocalTime t;
        t.year = c.year, t.month = c.month, t.day = c.day;
        t.hour = c.hour, t.minute = c.minute, t.second = c.second;
        t.longDate = "D";
        t.amPm = c.amPm;
        EXPECT_EQ(c.reportName, bench::reportFileName(t));
        EXPECT_EQ(c.startTime, bench::startTimeText(t));
    }
}

TEST(RunRecord, NoSelectedDemoGivesAnEmptyDemoLine) {
    bench::RunChoices choices;
    choices.demoEntries = {"bench1.dm_2"};
    choices.selectedDemo = -1;
    auto lines = bench::runRecordLines(choices, "", FixedClock().time);
    ASSERT_GT(lines.size(), 2u);
    EXPECT_EQ("", lines[1]);
    EXPECT_EQ("", lines.back());
}

} // namespace
