#include "results/report_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace results {

namespace {

std::optional<double> number(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string resolutionOf(const ReportRow& row) { return row.width + "x" + row.height; }

// The bar of one result line, or nothing when the line gives no figure to draw:
// the report's average, or the single figure of a line that ran once.
std::optional<ChartBar> barOf(const ReportRow& row) {
    ChartBar bar;
    for (const auto& f : row.figures) {
        auto v = number(f);
        if (!v) return std::nullopt;
        bar.runs.push_back(*v);
    }
    if (auto avg = number(row.average)) {
        bar.value = *avg;
        bar.valueText = row.average;
    } else if (row.complete && row.average.empty() && bar.runs.size() == 1) {
        bar.value = bar.runs.front();
        bar.valueText = row.figures.front();
    } else {
        return std::nullopt;
    }
    bar.low = *std::min_element(bar.runs.begin(), bar.runs.end());
    bar.high = *std::max_element(bar.runs.begin(), bar.runs.end());
    return bar;
}

void addOnce(std::vector<std::string>& v, const std::string& s) {
    if (std::find(v.begin(), v.end(), s) == v.end()) v.push_back(s);
}

std::string key(const ReportRow& row) { return row.level + " " + resolutionOf(row); }

// What a line stands for. A game that cannot set a mode (one the display cannot
// show, say) plays the demo in its fallback mode, and the report labels the line
// with the mode it ran, so a level can hold one resolution twice. The first line
// of a level and resolution is its bar, in the chart and in a comparison alike.
// A level's lines follow RESOLUTIONS RUN in order, so the place of a line that
// cannot be what was asked (a second line, or one of a size never asked for)
// tells what was asked.
struct Line {
    const ReportRow* row;
    bool again = false; // an earlier line of the level has its resolution
    std::string asked;  // what was asked for at its place, when the line ran another mode
};

std::vector<Line> linesOf(const ReportTable& t) {
    std::vector<Line> lines;
    std::size_t place = 0;
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        const ReportRow& row = t.rows[i];
        place = i > 0 && t.rows[i - 1].level == row.level ? place + 1 : 0;
        const std::string res = resolutionOf(row);
        const bool again = std::any_of(lines.begin(), lines.end(),
                                       [&](const Line& l) { return key(*l.row) == key(row); });
        const bool askedSomewhere =
            std::find(t.resolutions.begin(), t.resolutions.end(), res) != t.resolutions.end();
        std::string asked;
        if ((again || !askedSomewhere) && place < t.resolutions.size() &&
            t.resolutions[place] != res)
            asked = t.resolutions[place];
        lines.push_back({&row, again, std::move(asked)});
    }
    return lines;
}

// "High 640x480", "High 2048x1536 (ran at 640x480)", "High 640x480 (again)".
std::string nameOf(const Line& l) {
    if (!l.asked.empty())
        return l.row->level + " " + l.asked + " (ran at " + resolutionOf(*l.row) + ")";
    return key(*l.row) + (l.again ? " (again)" : "");
}

} // namespace

ChartModel chartOf(const ReportTable& table) {
    ChartModel m;
    m.title = table.demo + ", " + table.startTime;
    m.subtitle = table.comment;
    for (const auto& row : table.rows) {
        addOnce(m.resolutions, resolutionOf(row));
        if (std::none_of(m.series.begin(), m.series.end(),
                         [&](const ChartSeries& s) { return s.name == row.level; }))
            m.series.push_back({row.level, {}});
    }
    for (auto& s : m.series)
        s.bars.assign(m.resolutions.size(), std::nullopt);
    for (const auto& line : linesOf(table)) {
        const ReportRow& row = *line.row;
        auto series = std::find_if(m.series.begin(), m.series.end(),
                                   [&](const ChartSeries& s) { return s.name == row.level; });
        auto at = std::find(m.resolutions.begin(), m.resolutions.end(), resolutionOf(row)) -
                  m.resolutions.begin();
        auto bar = barOf(row);
        if (!bar) {
            m.notes.push_back(nameOf(line) + (row.complete ? ": no average" : ": stopped early"));
        } else if (line.again) {
            m.notes.push_back(nameOf(line) + ": not drawn, the " + resolutionOf(row) +
                              " bar is the earlier line");
        } else {
            series->bars[at] = *bar;
            if (!line.asked.empty())
                m.notes.push_back(nameOf(line) + ": drawn as " + resolutionOf(row));
        }
    }
    return m;
}

Comparison compareReports(const ReportTable& other, const ReportTable& base) {
    Comparison c;
    c.baseFile = base.file;
    c.otherFile = other.file;
    c.baseDemo = base.demo;
    c.otherDemo = other.demo;
    c.sameDemo = base.demo == other.demo;
    if (!c.sameDemo)
        c.otherDifferences.push_back("demo: " + other.demo + " against " + base.demo);
    if (base.runs != other.runs)
        c.otherDifferences.push_back("number of runs: " + other.runs + " against " + base.runs);

    auto find = [](const ReportTable& t, const ReportRow& like) -> const ReportRow* {
        for (const auto& r : t.rows)
            if (r.level == like.level && r.width == like.width && r.height == like.height) return &r;
        return nullptr;
    };
    for (const auto& line : linesOf(other)) {
        const ReportRow& row = *line.row;
        const ReportRow* match = find(base, row);
        if (!match || line.again) {
            c.onlyInOther.push_back(nameOf(line));
            continue;
        }
        auto a = barOf(row);
        auto b = barOf(*match);
        // Held by both but without a figure on one side: said, not guessed.
        if (!a && !b) continue;
        if (!b) {
            c.onlyInOther.push_back(key(row) + " (no figure in " + base.file + ")");
            continue;
        }
        if (!a) {
            c.onlyInBase.push_back(key(row) + " (no figure in " + other.file + ")");
            continue;
        }
        if (b->value == 0) {
            c.otherDifferences.push_back(key(row) + ": no change from 0 fps can be given");
            continue;
        }
        c.pairs.push_back({row.level, resolutionOf(row), *b, *a, (a->value - b->value) / b->value * 100.0});
        addOnce(c.levels, row.level);
        addOnce(c.resolutions, resolutionOf(row));
    }
    for (const auto& line : linesOf(base))
        if (line.again || !find(other, *line.row)) c.onlyInBase.push_back(nameOf(line));
    return c;
}

std::string formatPercent(double percent) {
    char buf[32];
    double shown = std::round(percent * 10) / 10;
    if (shown == 0) shown = 0; // no "-0.0"
    std::snprintf(buf, sizeof buf, shown > 0 ? "+%.1f %%" : "%.1f %%", shown);
    return buf;
}

} // namespace results
