#include "results/report_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>

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
        bar.runTexts.push_back(f);
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
    // A level's first missing setting is the line cut short, when it has one: said above.
    std::vector<std::string> cutShort;
    for (const auto& row : table.rows)
        if (!row.complete) cutShort.push_back(row.level);
    for (const auto& missing : table.missing) {
        auto cut = std::find(cutShort.begin(), cutShort.end(), missing.level);
        if (cut != cutShort.end())
            cutShort.erase(cut);
        else
            m.notes.push_back(settingName(missing) + ": did not run");
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
    for (const auto& m : base.missing)
        c.notRunInBase.push_back(settingName(m));
    for (const auto& m : other.missing)
        c.notRunInOther.push_back(settingName(m));
    return c;
}

namespace {

// A report's bars by setting: the first line of each level and resolution that
// gives a figure, and what became of the others.
struct Held {
    std::string key, level, resolution;
    std::optional<ChartBar> bar; // absent: the line gives no figure
};

std::vector<Held> heldBy(const ReportTable& t, std::vector<std::string>& notes,
                         const std::string& label) {
    std::vector<Held> out;
    for (const auto& line : linesOf(t)) {
        if (line.again) {
            notes.push_back(label + ": " + nameOf(line) + " not compared, the first " +
                            resolutionOf(*line.row) + " line is");
            continue;
        }
        out.push_back({key(*line.row), line.row->level, resolutionOf(*line.row), barOf(*line.row)});
    }
    return out;
}

// "December 04, 2026  07:30:05 PM" from "Friday, December 04, 2026  07:30:05 PM":
// the date is what tells reports apart, and legends are short.
std::string withoutWeekday(const std::string& time) {
    const auto comma = time.find(", ");
    if (comma == std::string::npos || comma == 0) return time;
    for (std::size_t i = 0; i < comma; ++i)
        if (!std::isalpha(static_cast<unsigned char>(time[i]))) return time;
    return time.substr(comma + 2);
}

std::string joined(const std::vector<std::string>& items, const char* between) {
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i)
        s += (i ? between : "") + items[i];
    return s;
}

std::string fixedText(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// A JSON number for a computed value; null where there is none or it is infinite.
std::string jsonValue(const std::optional<double>& v, int decimals) {
    if (!v || !std::isfinite(*v)) return "null";
    return jsonFigure(fixedText(*v, decimals));
}

std::string pad(const std::string& s, std::size_t width, bool left) {
    if (s.size() >= width) return s;
    const std::string fill(width - s.size(), ' ');
    return left ? fill + s : s + fill;
}

std::size_t mostRuns(const ManyComparison& c) {
    std::size_t n = 0;
    for (const auto& s : c.settings)
        for (const auto& cell : s.cells)
            if (cell) n = std::max(n, cell->bar.runs.size());
    return n;
}

std::string changeText(const SettingCell& cell) {
    return cell.percent ? formatPercent(*cell.percent) : std::string();
}

// The lowest or highest run as the report writes it.
std::string extremeText(const ChartBar& bar, bool highest) {
    const auto at = highest ? std::max_element(bar.runs.begin(), bar.runs.end())
                            : std::min_element(bar.runs.begin(), bar.runs.end());
    return bar.runTexts[static_cast<std::size_t>(at - bar.runs.begin())];
}

} // namespace

std::vector<std::optional<SystemRecord>> systemsOf(const std::vector<std::string>& paths) {
    std::vector<std::optional<SystemRecord>> out;
    for (const auto& p : paths)
        out.push_back(readSystemRecord(p));
    return out;
}

std::string systemSummary(const std::optional<SystemRecord>& system) {
    if (!system) return kSystemNotRecorded;
    std::string out;
    for (const char* key : {"renderer", "GL version", "CPU", "logical cores", "memory", "OS",
                            "OS version", "display", "game version"}) {
        const std::string* v = system->find(key);
        if (v && !v->empty()) out += (out.empty() ? "" : ", ") + std::string(key) + ": " + *v;
    }
    return out.empty() ? std::string(kSystemNotRecorded) : out;
}

ManyComparison compareAll(const std::vector<ReportTable>& tables,
                          const std::vector<std::string>& files,
                          const std::vector<std::optional<SystemRecord>>& systems) {
    ManyComparison c;
    const std::size_t n = tables.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto& t = tables[i];
        ComparedReport r{i < files.size() ? files[i] : t.file, t.startTime, t.comment, t.demo,
                         t.runs, withoutWeekday(t.startTime) + ", " + t.comment, std::nullopt};
        const std::string plain = r.label;
        for (int k = 2; std::any_of(c.reports.begin(), c.reports.end(),
                                    [&](const ComparedReport& o) { return o.label == r.label; });
             ++k)
            r.label = plain + " (" + std::to_string(k) + ")";
        if (i < systems.size()) r.system = systems[i];
        c.reports.push_back(std::move(r));
        if (!t.missing.empty()) {
            std::vector<std::string> names;
            for (const auto& m : t.missing)
                names.push_back(settingName(m));
            c.notRun.push_back(c.reports.back().label + ": " + joined(names, ", "));
        }
    }

    auto differ = [&](const char* what, std::string ComparedReport::*field) {
        std::vector<std::string> values;
        for (const auto& r : c.reports)
            values.push_back(r.*field);
        if (std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) !=
            values.end()) {
            c.differences.push_back(std::string(what) + ": " + joined(values, " \u2192 "));
            return true;
        }
        return false;
    };
    c.sameDemo = !differ("demo", &ComparedReport::demo);
    differ("number of runs", &ComparedReport::runs);
    // What measured them, among the reports that recorded it.
    std::vector<std::string> unrecorded;
    for (const auto& r : c.reports)
        if (!r.system) unrecorded.push_back(r.label);
    if (unrecorded.size() < c.reports.size()) {
        for (const auto& key : systemKeys()) {
            // Judged among the recorded ones; said in the reports' order, so that
            // each value stands where its report does.
            std::vector<std::string> recorded, said;
            for (const auto& r : c.reports) {
                if (!r.system) {
                    said.push_back(kSystemNotRecorded);
                    continue;
                }
                const std::string* v = r.system->find(key);
                recorded.push_back(v && !v->empty() ? *v : "(not known)");
                said.push_back(recorded.back());
            }
            if (std::adjacent_find(recorded.begin(), recorded.end(), std::not_equal_to<>()) !=
                recorded.end())
                // The GL version is where the driver names its own version.
                c.differences.push_back((key == "GL version" ? "driver version" : key) + ": " +
                                        joined(said, " \u2192 "));
        }
    }
    c.notRecorded = unrecorded;

    // Settings in the order they first appear, report by report.
    std::vector<std::vector<Held>> held;
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < n; ++i) {
        held.push_back(heldBy(tables[i], c.partial, c.reports[i].label));
        for (const auto& h : held.back())
            if (std::find(keys.begin(), keys.end(), h.key) == keys.end()) keys.push_back(h.key);
    }
    // Settings that share a reason are said together.
    std::vector<std::pair<std::string, std::vector<std::string>>> reasons;
    auto note = [&](const std::string& reason, const std::string& setting) {
        auto it = std::find_if(reasons.begin(), reasons.end(),
                               [&](const auto& r) { return r.first == reason; });
        if (it == reasons.end()) it = reasons.insert(reasons.end(), {reason, {}});
        it->second.push_back(setting);
    };
    for (const auto& k : keys) {
        ComparedSetting setting;
        std::vector<std::string> missing, noFigure, holding;
        for (std::size_t i = 0; i < n; ++i) {
            auto h = std::find_if(held[i].begin(), held[i].end(),
                                  [&](const Held& x) { return x.key == k; });
            if (h != held[i].end()) {
                setting.level = h->level;
                setting.resolution = h->resolution;
            }
            if (h == held[i].end()) {
                missing.push_back(c.reports[i].label);
                setting.cells.emplace_back();
            } else if (!h->bar) {
                noFigure.push_back(c.reports[i].label);
                setting.cells.emplace_back();
            } else {
                holding.push_back(c.reports[i].label);
                SettingCell cell;
                cell.bar = *h->bar;
                cell.spread = *spreadOf(h->bar->runs);
                setting.cells.push_back(std::move(cell));
            }
        }
        if (holding.size() < 2) {
            note(holding.empty() ? "no figure in any report" : "only in " + holding.front(), k);
            continue;
        }
        if (!missing.empty()) note("not in " + joined(missing, "; "), k);
        if (!noFigure.empty()) note("no figure in " + joined(noFigure, "; "), k);
        if (const auto& base = setting.cells.front()) {
            for (std::size_t i = 1; i < n; ++i) {
                auto& cell = setting.cells[i];
                if (!cell) continue;
                if (base->bar.value != 0)
                    cell->percent = (cell->bar.value - base->bar.value) / base->bar.value * 100.0;
                cell->judgement = welch(base->bar.runs, cell->bar.runs);
            }
        }
        c.settings.push_back(std::move(setting));
    }
    for (const auto& [reason, settings] : reasons)
        c.partial.push_back(joined(settings, ", ") + ": " + reason);
    return c;
}

std::string comparisonCsv(const ManyComparison& c) {
    const std::size_t runs = mostRuns(c);
    std::string out = "report,date,comment,level,width,height";
    for (std::size_t i = 1; i <= runs; ++i)
        out += ",run" + std::to_string(i);
    out += ",mean,sd,change,verdict\r\n";
    for (std::size_t r = 0; r < c.reports.size(); ++r) {
        const auto& report = c.reports[r];
        const std::string name = std::filesystem::path(report.file).filename().string();
        for (const auto& s : c.settings) {
            const auto& cell = s.cells[r];
            if (!cell) continue;
            const auto x = s.resolution.find('x');
            out += csvText(name) + "," + csvText(report.startTime) + "," + csvText(report.comment) +
                   "," + csvText(s.level) + "," + csvText(s.resolution.substr(0, x)) + "," +
                   csvText(s.resolution.substr(x + 1));
            for (std::size_t i = 0; i < runs; ++i)
                out += "," + (i < cell->bar.runTexts.size() ? csvText(cell->bar.runTexts[i]) : "");
            out += "," + cell->bar.valueText + "," + sdText(cell->spread) + "," + changeText(*cell) +
                   "," + (r == 0 ? std::string() : verdictText(cell->judgement.verdict)) + "\r\n";
        }
    }
    return out;
}

std::string comparisonJson(const ManyComparison& c) {
    std::string out = "{\n  \"reports\": [";
    for (std::size_t r = 0; r < c.reports.size(); ++r) {
        const auto& report = c.reports[r];
        out += r ? ",\n    " : "\n    ";
        out += "{\"file\": " + jsonText(report.file) + ", \"startTime\": " +
               jsonText(report.startTime) + ", \"comment\": " + jsonText(report.comment) +
               ", \"demo\": " + jsonText(report.demo) + ", \"runs\": " + jsonText(report.runs) +
               ", \"label\": " + jsonText(report.label) + ", \"system\": ";
        if (!report.system) {
            out += "null}";
            continue;
        }
        out += systemRecordInline(*report.system) + "}";
    }
    out += "\n  ],\n  \"rule\": " + jsonText(kVerdictRule) + ",\n  \"settings\": [";
    for (std::size_t k = 0; k < c.settings.size(); ++k) {
        const auto& s = c.settings[k];
        const auto x = s.resolution.find('x');
        out += k ? ",\n    " : "\n    ";
        out += "{\"level\": " + jsonText(s.level) + ", \"width\": " +
               s.resolution.substr(0, x) + ", \"height\": " + s.resolution.substr(x + 1) +
               ", \"results\": [";
        bool first = true;
        for (std::size_t r = 0; r < s.cells.size(); ++r) {
            const auto& cell = s.cells[r];
            if (!cell) continue;
            const auto& sp = cell->spread;
            out += first ? "\n      " : ",\n      ";
            first = false;
            out += "{\"report\": " + std::to_string(r + 1) + ", \"figures\": [";
            for (std::size_t i = 0; i < cell->bar.runs.size(); ++i)
                out += (i ? ", " : "") + jsonFigure(cell->bar.runTexts[i]);
            out += "], \"mean\": " + jsonFigure(cell->bar.valueText) +
                   ", \"sd\": " + jsonValue(sp.sd, 4) + ", \"relativeSpread\": " +
                   jsonValue(sp.relative, 6) + ", \"min\": " + jsonFigure(extremeText(cell->bar, false)) +
                   ", \"max\": " + jsonFigure(extremeText(cell->bar, true));
            if (!sp.sd) out += ", \"spreadNote\": " + jsonText(kOneRunNoSpread);
            if (r > 0) {
                const auto& j = cell->judgement;
                out += ", \"change\": " + jsonValue(cell->percent, 4) + ", \"verdict\": " +
                       jsonText(verdictText(j.verdict)) + ", \"t\": " + jsonValue(j.t, 4) +
                       ", \"df\": " + jsonValue(j.df, 4);
            }
            out += "}";
        }
        out += "\n    ]}";
    }
    out += c.settings.empty() ? "]" : "\n  ]";
    auto list = [](const std::vector<std::string>& items) {
        std::string s = "[";
        for (std::size_t i = 0; i < items.size(); ++i)
            s += (i ? ", " : "") + jsonText(items[i]);
        return s + "]";
    };
    out += ",\n  \"notCompared\": " + list(c.partial) + ",\n  \"notRun\": " + list(c.notRun) +
           ",\n  \"differences\": " + list(c.differences) + ",\n  \"systemNotRecorded\": " +
           list(c.notRecorded) + "\n}\n";
    return out;
}

std::string comparisonText(const ManyComparison& c) {
    std::string out = "REPORTS (each judged against the first):\n";
    for (std::size_t r = 0; r < c.reports.size(); ++r) {
        const auto& report = c.reports[r];
        out += pad(std::to_string(r + 1), 3, true) + "  " + report.label + "  (" + report.demo +
               ", " + std::filesystem::path(report.file).filename().string() + ")\n";
        out += "     " + systemSummary(report.system) + "\n";
    }
    out += "\n" + pad("LEVEL", 9, false) + pad("WIDTH", 6, true) + pad("HEIGHT", 7, true) +
           pad("#", 4, true) + pad("MEAN", 9, true) + pad("MIN", 8, true) + pad("MAX", 8, true) +
           "  " + pad("SD (SPREAD)", 18, false) + pad("CHANGE", 9, true) + "  VERDICT\n";
    for (const auto& s : c.settings) {
        const auto x = s.resolution.find('x');
        bool first = true;
        for (std::size_t r = 0; r < s.cells.size(); ++r) {
            const auto& cell = s.cells[r];
            if (!cell) continue;
            const auto& sp = cell->spread;
            std::string line = first ? pad(s.level, 9, false) +
                                           pad(s.resolution.substr(0, x), 6, true) +
                                           pad(s.resolution.substr(x + 1), 7, true)
                                     : std::string(22, ' ');
            first = false;
            const std::string spread =
                sp.sd ? sdText(sp) + " (" + relativeText(sp) + ")" : kOneRunNoSpread;
            line += pad(std::to_string(r + 1), 4, true) + pad(cell->bar.valueText, 9, true) +
                    pad(extremeText(cell->bar, false), 8, true) + pad(extremeText(cell->bar, true), 8, true) + "  " +
                    pad(spread, 18, false) + pad(changeText(*cell), 9, true);
            if (r > 0) line += std::string("  ") + verdictText(cell->judgement.verdict);
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            out += line + "\n";
        }
    }
    if (c.settings.empty()) out += "(no level and resolution is held by two of the reports)\n";
    for (const auto& p : c.partial)
        out += "Not compared: " + p + "\n";
    for (const auto& r : c.notRun)
        out += "Did not run in " + r + "\n";
    if (!c.sameDemo)
        out += "These reports are of different demos: their figures are not comparable.\n";
    for (const auto& d : c.differences)
        out += "Differs: " + d + "\n";
    for (const auto& label : c.notRecorded)
        out += "System not recorded: " + label + "\n";
    out += std::string("\n") + kVerdictRule + "\n";
    return out;
}

std::string formatPercent(double percent) {
    char buf[32];
    double shown = std::round(percent * 10) / 10;
    if (shown == 0) shown = 0; // no "-0.0"
    std::snprintf(buf, sizeof buf, shown > 0 ? "+%.1f %%" : "%.1f %%", shown);
    return buf;
}

} // namespace results
