#pragma once
// What the chart of a report shows, worked out from the report's table: one
// group of bars per resolution, one bar per detail level, and for a comparison
// the pairs both reports hold with the change of each average. Kept apart from
// Qt so that every figure on the chart is tested headless.
#include "results/report_reader.h"
#include "results/stats.h"
#include "results/system_record.h"

#include <optional>
#include <string>
#include <vector>

namespace results {

// One bar: the average the report gives for a level at a resolution, and the
// lowest and highest run figure of that line.
struct ChartBar {
    double value = 0;       // the report's average; the run's figure when it ran once
    std::string valueText;  // as the report writes it ("47.73", "48.0")
    double low = 0, high = 0;
    std::vector<double> runs;
    std::vector<std::string> runTexts; // as the report writes them ("48.0")
};

// A bar for every resolution of the chart, absent where the level has no
// figure at that resolution (not run, or cut short before a figure).
struct ChartSeries {
    std::string name; // the level as the report names it ("Normal", ...)
    std::vector<std::optional<ChartBar>> bars;
};

struct ChartModel {
    std::string title;    // "<demo>, <start time>"
    std::string subtitle; // the comment
    std::vector<std::string> resolutions; // categories, "640x480", in report order
    std::vector<ChartSeries> series;      // one per level, in report order
    // Lines of the report that give no bar, or ran in another mode than asked, said
    // under the chart ("Maximum 800x600: stopped early").
    std::vector<std::string> notes;
};

ChartModel chartOf(const ReportTable& table);

// One level and resolution both reports hold.
struct ComparedBar {
    std::string level, resolution;
    ChartBar base;   // the report compared against
    ChartBar other;  // the report the chart was opened on
    double percent = 0; // change of the average from base to other
};

struct Comparison {
    std::string baseFile, otherFile;
    std::string baseDemo, otherDemo;
    bool sameDemo = true;
    std::vector<std::string> levels;      // levels with at least one pair, in report order
    std::vector<std::string> resolutions; // resolutions with at least one pair
    std::vector<ComparedBar> pairs;
    // Settings that only one report holds, never compared: "High 1024x768",
    // a different number of runs.
    std::vector<std::string> onlyInBase, onlyInOther;
    std::vector<std::string> otherDifferences; // runs, demo
    // Settings each report's header asks for that did not run ("High 1024x768").
    std::vector<std::string> notRunInBase, notRunInOther;
};

// other is the report the chart shows; base the one chosen to compare with.
Comparison compareReports(const ReportTable& other, const ReportTable& base);

// The most reports compared at once: more series than this cannot be told apart.
inline constexpr std::size_t kMaxCompared = 8;

// One report of a comparison, named as its reader knows it: by its date and
// comment, never by its file name.
struct ComparedReport {
    std::string file; // the path it was read from
    std::string startTime, comment, demo, runs;
    // "<start time without its weekday>, <comment>", numbered when two are alike.
    std::string label;
    std::optional<SystemRecord> system; // what measured it, when recorded
};

// One report's figures at one setting.
struct SettingCell {
    ChartBar bar;
    Spread spread;
    // Against the first report, when it holds the setting too (never for the
    // first itself): change of the average in per cent, and the verdict.
    std::optional<double> percent;
    Judgement judgement;
};

// A level and resolution that two or more of the reports hold.
struct ComparedSetting {
    std::string level, resolution;
    std::vector<std::optional<SettingCell>> cells; // one per report, absent where not held
};

struct ManyComparison {
    std::vector<ComparedReport> reports;
    std::vector<ComparedSetting> settings;
    // Settings some reports do not hold, said and never filled in:
    // "High 1024x768, Normal 800x600: not in <label>".
    std::vector<std::string> partial;
    // What the reports disagree on besides their figures: "demo: ...", "number of runs: ...",
    // "renderer: A \u2192 B" (among the reports whose system is recorded).
    std::vector<std::string> differences;
    std::vector<std::string> notRecorded; // labels of the reports without a system record
    bool sameDemo = true;
    // Per report whose header asks for settings it has no whole line for:
    // "<label>: High 1024x768, Custom 640x480" (its benchmark stopped early).
    std::vector<std::string> notRun;
};

// tables[i] was read from files[i]; the first is the one the others are judged
// against. systems[i], when given, is what measured it.
ManyComparison compareAll(const std::vector<ReportTable>& tables,
                          const std::vector<std::string>& files,
                          const std::vector<std::optional<SystemRecord>>& systems = {});

// The system records beside the reports at paths, read.
std::vector<std::optional<SystemRecord>> systemsOf(const std::vector<std::string>& paths);

// "renderer: llvmpipe, CPU: ..., OS: ...", or "system not recorded".
std::string systemSummary(const std::optional<SystemRecord>& system);

// The rule the verdicts follow, in one sentence for the window, the guide and the command line.
inline constexpr const char* kVerdictRule =
    "A change is called faster or slower only when Welch's t-test on the runs of both "
    "reports finds it at 95 % confidence; otherwise it is within noise, and a setting "
    "with a single run on either side is not judged.";

// One row per report and setting: report, date, comment, level, width, height,
// run1..n, mean, sd, change, verdict (against the first report). CR LF lines.
std::string comparisonCsv(const ManyComparison& c);
std::string comparisonJson(const ManyComparison& c);
std::string comparisonText(const ManyComparison& c);

// "+12.3 %", "-4.0 %", "0.0 %".
std::string formatPercent(double percent);

} // namespace results
