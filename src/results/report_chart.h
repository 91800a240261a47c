#pragma once
// What the chart of a report shows, worked out from the report's table: one
// group of bars per resolution, one bar per detail level, and for a comparison
// the pairs both reports hold with the change of each average. Kept apart from
// Qt so that every figure on the chart is tested headless.
#include "results/report_reader.h"

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
};

// other is the report the chart shows; base the one chosen to compare with.
Comparison compareReports(const ReportTable& other, const ReportTable& base);

// "+12.3 %", "-4.0 %", "0.0 %".
std::string formatPercent(double percent);

} // namespace results
