// The chart's bars and the comparison's pairs, taken from reports the tool wrote.
#include "results/report_chart.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace results;
using testing_support::crlf;
using testing_support::readFile;

namespace {

const std::string kData = FRAMEWISE_RESULTS_DATA;

ReportTable tableOf(const std::string& bytes, const std::string& name = "FRWb_120426_193005.txt") {
    auto reading = parseReport(bytes, name);
    EXPECT_TRUE(reading.table) << reading.error.message();
    return reading.table ? *reading.table : ReportTable{};
}

std::string worked() { return readFile(kData + "FRWb_120426_193005.txt"); }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(ReportChart, WorkedExampleGivesOneBarPerLevelAndResolution) {
    auto m = chartOf(tableOf(worked()));
    EXPECT_EQ(m.title, "bench1, Friday, December 04, 2026  07:30:05 PM");
    EXPECT_EQ(m.subtitle, "No Comment");
    EXPECT_EQ(m.resolutions, (std::vector<std::string>{"640x480", "1024x768"}));
    ASSERT_EQ(m.series.size(), 2u);
    struct Expect {
        std::size_t series, res;
        const char* text;
        double value, low, high;
    };
    for (const auto& e : std::vector<Expect>{{0, 0, "47.73", 47.73, 47.4, 48.0},
                                            {0, 1, "35.50", 35.5, 35.2, 35.8},
                                            {1, 0, "41.00", 41.0, 40.5, 41.5},
                                            {1, 1, "30.23", 30.23, 30.1, 30.4}}) {
        SCOPED_TRACE(e.text);
        const auto& bar = m.series[e.series].bars[e.res];
        ASSERT_TRUE(bar);
        EXPECT_EQ(bar->valueText, e.text);
        EXPECT_DOUBLE_EQ(bar->value, e.value);
        EXPECT_DOUBLE_EQ(bar->low, e.low);
        EXPECT_DOUBLE_EQ(bar->high, e.high);
        EXPECT_EQ(bar->runs.size(), 3u);
    }
    EXPECT_EQ(m.series[0].name, "Normal");
    EXPECT_EQ(m.series[1].name, "High");
    EXPECT_TRUE(m.notes.empty());
}

TEST(ReportChart, LinesWithoutAnAverageGiveTheirOnlyFigureOrNoBar) {
    ReportTable t;
    t.demo = "d";
    t.rows = {{"Normal", "640", "480", {"9.5"}, "", true},
              {"High", "640", "480", {"41.0", "40.0"}, "", false},
              {"High", "800", "600", {}, "", false}};
    auto m = chartOf(t);
    ASSERT_EQ(m.series.size(), 2u);
    ASSERT_TRUE(m.series[0].bars[0]);
    EXPECT_EQ(m.series[0].bars[0]->valueText, "9.5");
    EXPECT_FALSE(m.series[0].bars[1]); // Normal never ran at 800x600
    EXPECT_FALSE(m.series[1].bars[0]);
    EXPECT_FALSE(m.series[1].bars[1]);
    EXPECT_EQ(m.notes, (std::vector<std::string>{"High 640x480: stopped early",
                                                 "High 800x600: stopped early"}));
}

TEST(ReportChart, LineInAnotherModeThanAskedIsDrawnOnceAndSaid) {
    struct Case {
        std::vector<std::string> asked;
        std::vector<std::string> ran; // one line of Normal each
        std::vector<std::string> categories;
        std::vector<std::string> notes;
    } cases[] = {
        // The fallback mode was not asked for itself: its figures are drawn under it.
        {{"1024x768", "2048x1536"},
         {"1024x768", "640x480"},
         {"1024x768", "640x480"},
         {"Normal 2048x1536 (ran at 640x480): drawn as 640x480"}},
        // A second line with nothing asked at its place.
        {{"640x480"},
         {"640x480", "640x480"},
         {"640x480"},
         {"Normal 640x480 (again): not drawn, the 640x480 bar is the earlier line"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notes[0]);
        ReportTable t;
        t.resolutions = c.asked;
        double fps = 10;
        for (const auto& r : c.ran) {
            const auto x = r.find('x');
            t.rows.push_back(
                {"Normal", r.substr(0, x), r.substr(x + 1), {std::to_string(fps)}, "", true});
            fps += 10;
        }
        auto m = chartOf(t);
        EXPECT_EQ(m.resolutions, c.categories);
        ASSERT_EQ(m.series.size(), 1u);
        ASSERT_TRUE(m.series[0].bars[0]);
        EXPECT_DOUBLE_EQ(m.series[0].bars[0]->value, 10);
        EXPECT_EQ(m.notes, c.notes);
    }
}

TEST(ReportChart, ComparisonPairsWhatBothHoldAndListsTheRest) {
    // The other report: a faster Normal 640x480, no High 1024x768, and two runs.
    std::string other = replaced(worked(), "  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 ",
                                 "  (640x480)  52.0,  53.4,  52.8,   AVERAGE FPS:   52.73 ");
    other = replaced(other, "\r\n (1024x768)  30.1,  30.4,  30.2,   AVERAGE FPS:   30.23 ", "");
    auto c = compareReports(tableOf(other, "FRWb_new.txt"), tableOf(worked()));
    EXPECT_TRUE(c.sameDemo);
    EXPECT_EQ(c.baseFile, "FRWb_120426_193005.txt");
    ASSERT_EQ(c.pairs.size(), 3u);
    EXPECT_EQ(c.pairs[0].level, "Normal");
    EXPECT_EQ(c.pairs[0].resolution, "640x480");
    EXPECT_EQ(c.pairs[0].base.valueText, "47.73");
    EXPECT_EQ(c.pairs[0].other.valueText, "52.73");
    EXPECT_EQ(formatPercent(c.pairs[0].percent), "+10.5 %");
    EXPECT_EQ(formatPercent(c.pairs[1].percent), "0.0 %");
    EXPECT_EQ(c.onlyInBase, (std::vector<std::string>{"High 1024x768"}));
    EXPECT_TRUE(c.onlyInOther.empty());
    EXPECT_TRUE(c.otherDifferences.empty());
    // Its header asked for High 1024x768: the game stopped before it.
    EXPECT_EQ(c.notRunInOther, (std::vector<std::string>{"High 1024x768"}));
    EXPECT_TRUE(c.notRunInBase.empty());
}

TEST(ReportChart, SettingsTheHeaderAsksForThatDidNotRunAreSaid) {
    const std::string lastLine = "\r\n (1024x768)  30.1,  30.4,  30.2,   AVERAGE FPS:   30.23 ";
    struct Case {
        std::string report;
        std::vector<std::string> notes;
    } cases[] = {
        {replaced(worked(), lastLine, ""), {"High 1024x768: did not run"}},
        // Cut short inside its line: said once, as the line that stopped.
        {worked().substr(0, worked().rfind("  AVERAGE")), {"High 1024x768: stopped early"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notes.front());
        EXPECT_EQ(chartOf(tableOf(c.report)).notes, c.notes);
    }
    // A level whose heading never came: each of its settings.
    std::string noHigh = worked();
    noHigh.resize(noHigh.find("\r\n\r\nHIGH") + 2);
    EXPECT_EQ(
        chartOf(tableOf(noHigh)).notes,
        (std::vector<std::string>{"High 640x480: did not run", "High 1024x768: did not run"}));
}

TEST(ReportChart, ComparisonOfDifferentDemosSaysSo) {
    std::string other = replaced(worked(), "DEMO:  bench1", "DEMO:  dusk");
    other = replaced(other, "NUMBER OF RUNS:  3 times.", "NUMBER OF RUNS:  2 times.");
    auto c = compareReports(tableOf(other), tableOf(worked()));
    EXPECT_FALSE(c.sameDemo);
    EXPECT_EQ(c.otherDifferences,
              (std::vector<std::string>{"demo: dusk against bench1", "number of runs: 2 against 3"}));
    EXPECT_EQ(c.pairs.size(), 4u);
}

TEST(ReportChart, PercentIsRoundedToOneDecimalWithItsSign) {
    struct Case {
        double in;
        const char* out;
    } cases[] = {{12.345, "+12.3 %"}, {-4.0, "-4.0 %"}, {-0.04, "0.0 %"}, {0.05, "+0.1 %"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatPercent(c.in), c.out) << c.in;
}

namespace {

// The worked example run again: Normal 640x480 faster, High 1024x768 not run.
std::string later() {
    std::string t = replaced(worked(), "  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 ",
                             "  (640x480)  52.0,  53.4,  52.8,   AVERAGE FPS:   52.73 ");
    t = replaced(t, "\r\n (1024x768)  30.1,  30.4,  30.2,   AVERAGE FPS:   30.23 ", "");
    t = replaced(t, "START TIME:  Friday, December 04, 2026  07:30:05 PM",
                 "START TIME:  Saturday, December 05, 2026  10:15:00 AM");
    return replaced(t, "COMMENT:  No Comment", "COMMENT:  new driver");
}

// One run per setting, on another demo, holding only Normal 640x480 and a High
// 1024x768 the first report holds too.
std::string single() {
    return crlf({"--------------------- Framewise RESULTS ---------------------", "",
                 "      FILE:  FRWb_120626_090000.txt",
                 "START TIME:  Sunday, December 06, 2026  09:00:00 AM", "   COMMENT:  No Comment",
                 " ", "BENCHMARK SETUP:  ", "----------------", "           DEMO:  dusk",
                 "  CFG FILES RUN:  Normal High  ", "RESOLUTIONS RUN:  640x480 1024x768 ",
                 " NUMBER OF RUNS:  1 times.", "", "", "NORMAL Configuration File Settings:",
                 "  (640x480)  46.0, ", "", "HIGH Configuration File Settings:",
                 " (1024x768)  31.0, "});
}

} // namespace

TEST(ReportChart, ComparisonOfManyJudgesEachAgainstTheFirstAndListsWhatOnlySomeHold) {
    auto c = compareAll({tableOf(worked()), tableOf(later(), "FRWb_120526_101500.txt"),
                         tableOf(single(), "FRWb_120626_090000.txt")},
                        {"a/FRWb_120426_193005.txt", "a/FRWb_120526_101500.txt",
                         "a/FRWb_120626_090000.txt"});
    ASSERT_EQ(c.reports.size(), 3u);
    EXPECT_EQ(c.reports[0].label, "December 04, 2026  07:30:05 PM, No Comment");
    EXPECT_EQ(c.reports[1].label, "December 05, 2026  10:15:00 AM, new driver");
    EXPECT_FALSE(c.sameDemo);
    EXPECT_EQ(c.differences,
              (std::vector<std::string>{"demo: bench1 \u2192 bench1 \u2192 dusk",
                                        "number of runs: 3 \u2192 3 \u2192 1"}));

    struct Cell {
        std::size_t setting, report;
        const char* mean;
        const char* sd;
        const char* change; // "" for none
        Verdict verdict;
    } cells[] = {
        {0, 0, "47.73", "0.31", "", Verdict::NotJudged},
        {0, 1, "52.73", "0.70", "+10.5 %", Verdict::Faster},
        {0, 2, "46.0", "one run: no spread", "-3.6 %", Verdict::NotJudged},
        {1, 1, "35.50", "0.30", "0.0 %", Verdict::WithinNoise},
        {2, 1, "41.00", "0.50", "0.0 %", Verdict::WithinNoise},
        {3, 0, "30.23", "0.15", "", Verdict::NotJudged},
        {3, 2, "31.0", "one run: no spread", "+2.5 %", Verdict::NotJudged},
    };
    ASSERT_EQ(c.settings.size(), 4u);
    EXPECT_EQ(c.settings[3].level, "High");
    EXPECT_EQ(c.settings[3].resolution, "1024x768");
    for (const auto& e : cells) {
        SCOPED_TRACE(std::to_string(e.setting) + "/" + std::to_string(e.report));
        const auto& cell = c.settings[e.setting].cells[e.report];
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->bar.valueText, e.mean);
        EXPECT_EQ(sdText(cell->spread), e.sd);
        EXPECT_EQ(cell->percent ? formatPercent(*cell->percent) : "", e.change);
        EXPECT_EQ(cell->judgement.verdict, e.verdict);
    }
    EXPECT_FALSE(c.settings[1].cells[2]); // the single-run report holds no Normal 1024x768
    EXPECT_FALSE(c.settings[3].cells[1]);
    EXPECT_EQ(c.partial,
              (std::vector<std::string>{
                  "Normal 1024x768, High 640x480: not in December 06, 2026  09:00:00 AM, No "
                  "Comment",
                  "High 1024x768: not in December 05, 2026  10:15:00 AM, new driver"}));

    // The CSV: one row per report and setting, the verdict against the first.
    const std::string csv = comparisonCsv(c);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "report,date,comment,level,width,height,run1,run2,run3,mean,sd,change,verdict");
    EXPECT_NE(csv.find("FRWb_120526_101500.txt,\"Saturday, December 05, 2026  10:15:00 AM\",new "
                       "driver,Normal,640,480,52.0,53.4,52.8,52.73,0.70,+10.5 %,faster\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("FRWb_120626_090000.txt,\"Sunday, December 06, 2026  09:00:00 AM\",No "
                       "Comment,High,1024,768,31.0,,,31.0,one run: no spread,+2.5 %,one run: not "
                       "judged\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("No Comment,High,1024,768,30.1,30.4,30.2,30.23,0.15,,\r\n"),
              std::string::npos)
        << csv;
}

TEST(ReportChart, ComparisonLabelsAlikeReportsApart) {
    auto c = compareAll({tableOf(worked()), tableOf(worked())}, {"x", "y"});
    EXPECT_EQ(c.reports[1].label, "December 04, 2026  07:30:05 PM, No Comment (2)");
    EXPECT_TRUE(c.differences.empty());
    EXPECT_TRUE(c.partial.empty());
    for (const auto& s : c.settings)
        EXPECT_EQ(s.cells[1]->judgement.verdict, Verdict::WithinNoise);
}

TEST(ReportChart, ComparisonSaysWhatDiffersBetweenTheRecordedSystems) {
    auto system = [](const char* renderer, const char* glVersion, const char* memory) {
        SystemRecord r;
        r.set("renderer", renderer);
        r.set("GL version", glVersion);
        r.set("CPU", "Ryzen 5 3600");
        r.set("memory", memory);
        return std::optional<SystemRecord>(r);
    };
    const auto mesa = system("llvmpipe", "4.5 Mesa 22.3.6", "15890 MiB");
    const std::vector<ReportTable> three{tableOf(worked()), tableOf(worked()), tableOf(worked())};
    const std::vector<std::string> files{"x", "y", "z"};
    struct Case {
        const char* what;
        std::vector<std::optional<SystemRecord>> systems;
        std::vector<std::string> differences, notRecorded;
    } cases[] = {
        {"alike systems", {mesa, mesa, mesa}, {}, {}},
        {"a new driver and more memory",
         {mesa, system("llvmpipe", "4.5 Mesa 23.2.1", "15890 MiB"),
          system("radeonsi", "4.6 Mesa 23.2.1", "31980 MiB")},
         {"renderer: llvmpipe \u2192 llvmpipe \u2192 radeonsi",
          "driver version: 4.5 Mesa 22.3.6 \u2192 4.5 Mesa 23.2.1 \u2192 4.6 Mesa 23.2.1",
          "memory: 15890 MiB \u2192 15890 MiB \u2192 31980 MiB"},
         {}},
        // A report without a record is named, never taken for a difference; where the
        // others differ, each value stands in its report's place.
        {"one not recorded, the others alike",
         {mesa, std::nullopt, mesa},
         {},
         {"December 04, 2026  07:30:05 PM, No Comment (2)"}},
        {"one not recorded, the others apart",
         {std::nullopt, mesa, system("radeonsi", "4.5 Mesa 22.3.6", "15890 MiB")},
         {"renderer: system not recorded \u2192 llvmpipe \u2192 radeonsi"},
         {"December 04, 2026  07:30:05 PM, No Comment"}},
        {"none recorded", {}, {}, {"December 04, 2026  07:30:05 PM, No Comment",
                                   "December 04, 2026  07:30:05 PM, No Comment (2)",
                                   "December 04, 2026  07:30:05 PM, No Comment (3)"}},
    };
    for (const auto& e : cases) {
        SCOPED_TRACE(e.what);
        const auto c = compareAll(three, files, e.systems);
        EXPECT_EQ(c.differences, e.differences);
        EXPECT_EQ(c.notRecorded, e.notRecorded);
        const std::string text = comparisonText(c);
        for (const auto& d : e.differences)
            EXPECT_NE(text.find("Differs: " + d + "\n"), std::string::npos) << text;
        for (const auto& label : e.notRecorded)
            EXPECT_NE(text.find("System not recorded: " + label + "\n"), std::string::npos)
                << text;
    }
    // The JSON carries each report's record, or null.
    const auto json = comparisonJson(compareAll(three, files, {mesa, std::nullopt, mesa}));
    EXPECT_NE(json.find("\"system\": {\"renderer\": \"llvmpipe\", \"GL version\": \"4.5 Mesa "
                        "22.3.6\", \"CPU\": \"Ryzen 5 3600\", \"memory\": \"15890 MiB\"}}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"label\": \"December 04, 2026  07:30:05 PM, No Comment (2)\", "
                        "\"system\": null}"),
              std::string::npos)
        << json;
}
