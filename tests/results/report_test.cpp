#include "results/report.h"

#include <gtest/gtest.h>

using namespace results;

namespace {

std::vector<std::string> record(std::vector<std::string> resolutions, const std::string& runs = "3",
                                const std::string& demo = "bench1") {
    std::vector<std::string> lines{"con3",   demo,   "2",
                                   "Normal", "High", std::to_string(resolutions.size())};
    lines.insert(lines.end(), resolutions.begin(), resolutions.end());
    lines.insert(lines.end(), {runs, "FRWb_120426_193005.txt",
                               "Friday, December 04, 2026  07:30:05 PM", "No Comment"});
    return lines;
}

// Lines 10 to 13 of the header.
std::string setupTail(const std::vector<std::string>& lines) {
    auto rec = parseRunRecord(lines).record;
    EXPECT_TRUE(rec);
    if (!rec) return {};
    std::string h = reportHeader(*rec);
    return h.substr(h.find("  CFG FILES RUN:"));
}

} // namespace

TEST(ReportHeader, SetupBlockWrapsResolutionsAfterTheFifth) {
    EXPECT_EQ(setupTail(record({"640x480", "1024x768"}, "1")),
              "  CFG FILES RUN:  Normal High  \r\n"
              "RESOLUTIONS RUN:  640x480 1024x768 \r\n"
              " NUMBER OF RUNS:  1 times.\r\n"
              "\r\n");
    EXPECT_EQ(setupTail(record({"320x240", "400x300", "512x384", "640x480", "800x600"}, "2")),
              "  CFG FILES RUN:  Normal High  \r\n"
              "RESOLUTIONS RUN:  320x240 400x300 512x384 640x480 800x600 \r\n"
              "\r\n"
              " NUMBER OF RUNS:  2 times.\r\n"
              "\r\n");
    EXPECT_EQ(setupTail(record(
                  {"320x240", "400x300", "512x384", "640x480", "800x600", "960x720", "1024x768"})),
              "  CFG FILES RUN:  Normal High  \r\n"
              "RESOLUTIONS RUN:  320x240 400x300 512x384 640x480 800x600 \r\n"
              "960x720 1024x768 \r\n"
              " NUMBER OF RUNS:  3 times.\r\n"
              "\r\n");
}

TEST(RunRecord, FieldsAreReadAtTheirPositions) {
    // A demo whose name begins with "FRWb" is still the demo.
    auto lines = record({"640x480"}, "3", "FRWbench");
    lines.push_back("anything after the comment is ignored");
    auto rec = parseRunRecord(lines).record;
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->demo, "FRWbench");
    EXPECT_EQ(rec->reportName, "FRWb_120426_193005.txt");
    EXPECT_EQ(rec->startTime, "Friday, December 04, 2026  07:30:05 PM");
    EXPECT_EQ(rec->comment, "No Comment");
    EXPECT_EQ(rec->mode, DumpMode::ThreePerDump);

    lines = record({"640x480"}, "  2");
    lines[0] = "con1";
    lines[2] = " 2";
    lines.back() = "";
    rec = parseRunRecord(lines).record;
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->mode, DumpMode::OnePerDump);
    EXPECT_EQ(rec->runs, 2);
    EXPECT_EQ(rec->runsLine, "  2");
    EXPECT_EQ(rec->levels, (std::vector<std::string>{"Normal", "High"}));
    EXPECT_EQ(rec->comment, "");
}

TEST(RunRecord, DamageIsNamedNotFollowed) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::string fault;
    };
    auto edit = [](std::vector<std::string> l, std::size_t i, const std::string& v) {
        l[i] = v;
        return l;
    };
    auto base = record({"640x480", "1024x768"});
    auto con1 = edit(base, 0, "con1");
    const Case cases[] = {
        {"empty", {}, "it ends before line 1 (the dump mode)"},
        {"no comment", std::vector<std::string>(base.begin(), base.end() - 1),
         "it ends before line 12 (the comment)"},
        {"huge level count", edit(base, 2, "999999"), "it ends before line 13 (a detail level)"},
        {"count too long", edit(base, 2, "99999999999"),
         "line 3 (the number of detail levels) is \"99999999999\", not a number"},
        {"level count not a number", edit(base, 2, "two"),
         "line 3 (the number of detail levels) is \"two\", not a number"},
        {"resolution count not a number", edit(base, 5, "-1"),
         "line 6 (the number of resolutions) is \"-1\", not a number"},
        {"no runs, one per dump", edit(con1, 8, "0"),
         "line 9 (the number of runs) is \"0\", not a number of runs"},
        {"path as report name", edit(base, 9, "..\\FRWb_x.txt"),
         "line 10 (the report name) is \"..\\FRWb_x.txt\", not a file name of the form FRWb_....txt"},
        {"game file as report name", edit(base, 9, "config_mp.cfg"),
         "line 10 (the report name) is \"config_mp.cfg\", not a file name of the form FRWb_....txt"},
    };
    for (const auto& c : cases) {
        auto r = parseRunRecord(c.lines);
        EXPECT_FALSE(r.record) << c.what;
        EXPECT_EQ(r.fault, c.fault) << c.what;
    }
    // Three per dump never uses the runs, so their line is only copied.
    auto r = parseRunRecord(edit(base, 8, "three"));
    ASSERT_TRUE(r.record);
    EXPECT_EQ(r.record->runsLine, "three");
}
