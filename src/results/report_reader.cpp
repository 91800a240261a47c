#include "results/report_reader.h"

#include "bench/run_record.h"
#include "core/folders.h"
#include "core/textfile.h"
#include "results/average.h"
#include "results/dumps.h"
#include "results/stats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <system_error>

namespace results {

namespace {

constexpr const char* kTitleLine = "--------------------- Framewise RESULTS ---------------------";
constexpr const char* kFile = "      FILE:  ";
constexpr const char* kStart = "START TIME:  ";
constexpr const char* kComment = "   COMMENT:  ";
constexpr const char* kSetup = "BENCHMARK SETUP:  ";
constexpr const char* kRule = "----------------";
constexpr const char* kDemo = "           DEMO:  ";
constexpr const char* kLevels = "  CFG FILES RUN:  ";
constexpr const char* kResolutions = "RESOLUTIONS RUN:  ";
constexpr const char* kRuns = " NUMBER OF RUNS:  ";
constexpr const char* kTimes = " times.";
constexpr const char* kAverage = "  AVERAGE FPS: ";
constexpr std::size_t kResolutionsPerLine = 5;

struct LevelBlock {
    const char* header;
    const char* level;
};
constexpr std::array<LevelBlock, 4> kBlocks{{
    {"NORMAL Configuration File Settings:", "Normal"},
    {"HIGH Configuration File Settings:", "High"},
    {"MAX Configuration File Settings:", "Maximum"},
    {"CUSTOM Configuration File Settings:", "Custom"},
}};

struct Lines {
    std::vector<std::string> lines;
    bool lastEnded = true; // false when the file stops inside its last line
};

// A line ends at CR LF or a lone CR, as the tool reads its own files.
Lines splitReport(const std::string& bytes) {
    Lines out;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            out.lines.push_back(std::move(current));
            current.clear();
            open = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            current += bytes[i];
            open = true;
        }
    }
    if (open) {
        out.lines.push_back(std::move(current));
        out.lastEnded = false;
    }
    return out;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string trimBlanks(const std::string& s) {
    auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < s.size()) {
        auto start = s.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        auto end = s.find(' ', start);
        if (end == std::string::npos) end = s.size();
        out.push_back(s.substr(start, end - start));
        at = end;
    }
    return out;
}

// "47.73" from "47.73", "35.5" from "35.50", "41" from "41.00": the text the
// average was formatted from.
std::string shortestText(const std::string& t) {
    auto point = t.find('.');
    if (point == std::string::npos) return t;
    std::string s = t;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

class Parser {
  public:
    Parser(const Lines& lines, std::string file) : in_(lines), file_(std::move(file)) {}

    ReportReading run() {
        ReportReading out;
        ReportTable t;
        if (header(t) && blocks(t)) {
            t.missing = missingSettings(t);
            out.table = std::move(t);
        } else {
            out.error = error_;
        }
        return out;
    }

  private:
    const Lines& in_;
    std::string file_;
    std::size_t at_ = 0; // index of the next line
    ReportError error_;

    bool fail(std::size_t index, const std::string& what) {
        error_ = {file_, index + 1, what};
        return false;
    }

    bool more() const { return at_ < in_.lines.size(); }

    // The next line, which must be there and (when the report stops inside it)
    // may only be a result line.
    const std::string* next(const char* what) {
        if (!more()) {
            fail(at_, "the report ends here, where " + std::string(what) + " was expected");
            return nullptr;
        }
        return &in_.lines[at_++];
    }

    bool exact(const char* text, const char* what) {
        auto line = next(what);
        if (!line) return false;
        if (*line != text) return fail(at_ - 1, std::string("expected ") + what);
        return true;
    }

    bool field(const char* label, const char* what, std::string& into) {
        auto line = next(what);
        if (!line) return false;
        if (!startsWith(*line, label)) return fail(at_ - 1, std::string("expected ") + what);
        into = line->substr(std::string(label).size());
        return true;
    }

    // Lines 1 to 13 up to the first level block.
    bool header(ReportTable& t) {
        if (!exact(kTitleLine, "the title line of a Framewise report") ||
            !exact("", "an empty line") || !field(kFile, "the FILE: line", t.file) ||
            !field(kStart, "the START TIME: line", t.startTime) ||
            !field(kComment, "the COMMENT: line", t.comment) ||
            !exact(" ", "a line of one blank") || !exact(kSetup, "the BENCHMARK SETUP: line") ||
            !exact(kRule, "a rule of 16 hyphens") || !field(kDemo, "the DEMO: line", t.demo))
            return false;

        std::string text;
        if (!field(kLevels, "the CFG FILES RUN: line", text)) return false;
        t.levels = words(text);

        if (!field(kResolutions, "the RESOLUTIONS RUN: line", text)) return false;
        t.resolutions = words(text);
        // The fifth resolution ends its line; the rest, if any, follow on the next.
        if (t.resolutions.size() == kResolutionsPerLine) {
            auto line = next("the rest of the resolutions");
            if (!line) return false;
            for (auto& w : words(*line))
                t.resolutions.push_back(std::move(w));
        } else if (t.resolutions.size() > kResolutionsPerLine) {
            return fail(at_ - 1, "more than five resolutions stand on the RESOLUTIONS RUN: line");
        }

        if (!field(kRuns, "the NUMBER OF RUNS: line", text)) return false;
        if (text.size() < std::string(kTimes).size() ||
            text.compare(text.size() - std::string(kTimes).size(), std::string::npos, kTimes) != 0)
            return fail(at_ - 1, "the NUMBER OF RUNS: line does not end with \"times.\"");
        t.runs = text.substr(0, text.size() - std::string(kTimes).size());
        return exact("", "an empty line after the benchmark setup");
    }

    bool blocks(ReportTable& t) {
        std::size_t nextBlock = 0; // blocks come in the fixed level order
        while (more()) {
            if (!exact("", "an empty line before a detail level")) return false;
            auto line = next("a detail level's heading");
            if (!line) return false;
            std::size_t b = nextBlock;
            while (b < kBlocks.size() && *line != kBlocks[b].header)
                ++b;
            if (b == kBlocks.size())
                return fail(at_ - 1, "expected a detail level's heading (\"NORMAL "
                                     "Configuration File Settings:\" and the like, in that order)");
            nextBlock = b + 1;
            while (more() && !in_.lines[at_].empty()) {
                if (!resultLine(kBlocks[b].level, t)) return false;
            }
        }
        // Only a result line can be cut short by a stop.
        if (!in_.lastEnded && (t.rows.empty() || t.rows.back().complete))
            return fail(in_.lines.size() - 1, "the report ends inside a line");
        return true;
    }

    // "  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 "
    bool resultLine(const char* level, ReportTable& t) {
        const std::size_t index = at_;
        const std::string& line = in_.lines[at_++];
        const bool last = at_ == in_.lines.size();
        ReportRow row;
        row.level = level;
        row.complete = !(last && !in_.lastEnded);

        const auto open = line.find_first_not_of(' ');
        const auto x = open == std::string::npos ? open : line.find('x', open);
        const auto close = x == std::string::npos ? x : line.find(") ", x);
        if (open == std::string::npos || line[open] != '(' || close == std::string::npos)
            return fail(index, "expected a result line such as \"  (640x480)  48.0,  47.4, ...\"");
        row.width = line.substr(open + 1, x - open - 1);
        row.height = line.substr(x + 1, close - x - 1);

        std::string rest = line.substr(close + 2);
        std::string averageField;
        if (auto a = rest.find(kAverage); a != std::string::npos) {
            averageField = rest.substr(a + std::string(kAverage).size());
            rest.resize(a);
        }
        while (!rest.empty()) {
            auto comma = rest.find(", ");
            std::string fps = trimBlanks(rest.substr(0, comma));
            if (comma == std::string::npos || !parseFigure(fps) ||
                rest.substr(0, comma + 2) != valueField(fps))
                return fail(index, "\"" + rest.substr(0, comma) + "\" is not a run's figure");
            row.figures.push_back(fps);
            rest.erase(0, comma + 2);
        }

        if (!averageField.empty()) {
            const std::string avg = trimBlanks(averageField);
            auto stated = parseFigure(avg);
            if (!stated || FormatAverage(shortestText(avg)) != averageField || stated->scale != 2)
                return fail(index, "\"" + averageField + "\" is not an average");
            auto computed = averageHundredths(row.figures);
            if (!computed || *computed != stated->digits)
                return fail(index, "the average " + avg + " is not the average of the figures");
            if (!row.complete) return fail(index, "the report ends inside a line");
            row.average = avg;
        } else if (row.complete && row.figures.size() != 1) {
            // Only a single result stands without an average.
            return fail(index, row.figures.empty() ? "the line holds no figure"
                                                   : "the line has no AVERAGE FPS:");
        }
        if (!row.complete) t.stoppedEarly = true;
        t.rows.push_back(std::move(row));
        return true;
    }
};

bool isUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (c < 0x80)
            n = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            n = 1;
        else if ((c & 0xF0) == 0xE0)
            n = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            n = 3;
        else
            return false;
        if (n > 0 && i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

std::string jsonString(const std::string& s) {
    const bool utf8 = isUtf8(s);
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        static const char* hex = "0123456789abcdef";
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !utf8)) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// A figure or average the report wrote (".5", "12.", "47.4", "050") as a JSON
// number, which allows no leading zero and wants digits on both sides of a point.
std::string jsonNumber(const std::string& figure) {
    std::string n = figure;
    if (!n.empty() && n.back() == '.') n.pop_back();
    const std::size_t whole = std::min(n.find('.'), n.size());
    std::size_t zeros = 0;
    while (zeros + 1 < whole && n[zeros] == '0')
        ++zeros;
    n.erase(0, zeros);
    if (!n.empty() && n.front() == '.') n.insert(0, "0");
    return n;
}

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string jsonSize(const std::string& s) {
    return allDigits(s) && s.size() < 10 ? std::to_string(std::stoul(s)) : jsonString(s);
}

std::string csvCell(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::size_t mostFigures(const ReportTable& t) {
    std::size_t n = 0;
    for (const auto& r : t.rows)
        n = std::max(n, r.figures.size());
    return n;
}

std::string padLeft(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string padRight(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

// The spread of a line's figures; nothing for a line without a figure.
std::optional<Spread> spreadOfRow(const ReportRow& r) {
    std::vector<double> values;
    for (const auto& f : r.figures) {
        char* end = nullptr;
        const double v = std::strtod(f.c_str(), &end);
        if (end != f.c_str() + f.size()) return std::nullopt;
        values.push_back(v);
    }
    return spreadOf(values);
}

// The lowest and highest figure as written.
std::pair<std::string, std::string> extremes(const ReportRow& r, const Spread& s) {
    std::pair<std::string, std::string> out;
    for (const auto& f : r.figures) {
        const double v = std::strtod(f.c_str(), nullptr);
        if (out.first.empty() && v == s.min) out.first = f;
        if (out.second.empty() && v == s.max) out.second = f;
    }
    return out;
}

// ",sd,min,max,spread" cells of a CSV row.
std::string spreadCells(const ReportRow& r) {
    auto s = spreadOfRow(r);
    if (!s) return ",,,,";
    auto [low, high] = extremes(r, *s);
    return "," + sdText(*s) + "," + low + "," + high + "," + relativeText(*s);
}

std::string spreadJson(const ReportRow& r) {
    auto s = spreadOfRow(r);
    if (!s) return {};
    auto [low, high] = extremes(r, *s);
    std::string out = ", \"min\": " + jsonNumber(low) + ", \"max\": " + jsonNumber(high);
    if (!s->sd) return out + ", \"sd\": null, \"spreadNote\": " + jsonString(kOneRunNoSpread);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", *s->sd);
    out += std::string(", \"sd\": ") + buf;
    if (s->relative) {
        std::snprintf(buf, sizeof buf, "%.6f", *s->relative);
        out += std::string(", \"relativeSpread\": ") + buf;
    }
    return out;
}

// "1024x768" into its width and height; the whole text as width when it has no 'x'.
std::pair<std::string, std::string> splitResolution(const std::string& r) {
    const auto x = r.find('x');
    if (x == std::string::npos) return {r, ""};
    return {r.substr(0, x), r.substr(x + 1)};
}

bool digitsAt(const std::string& s, std::size_t at, std::size_t n) {
    return at + n <= s.size() && allDigits(s.substr(at, n));
}

int number(const std::string& s, std::size_t at, std::size_t n) {
    return std::stoi(s.substr(at, n));
}

std::string twoDigits(int v) {
    return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10);
}

} // namespace

std::vector<MissingSetting> missingSettings(const ReportTable& t) {
    std::vector<MissingSetting> out;
    for (const auto& level : t.levels) {
        // A line stands for the asked resolution it is labelled with; a line in
        // another mode (the game's fallback when the display cannot show one)
        // for the first asked one still without a line, as lines follow
        // RESOLUTIONS RUN in order.
        std::vector<bool> covered(t.resolutions.size(), false);
        std::size_t unlabelled = 0;
        for (const auto& r : t.rows) {
            if (r.level != level || !r.complete) continue;
            const std::string res = r.width + "x" + r.height;
            bool found = false;
            for (std::size_t i = 0; i < t.resolutions.size() && !found; ++i)
                if (!covered[i] && t.resolutions[i] == res) covered[i] = found = true;
            if (!found) ++unlabelled;
        }
        for (std::size_t i = 0; i < t.resolutions.size() && unlabelled > 0; ++i)
            if (!covered[i]) covered[i] = true, --unlabelled;
        for (std::size_t i = 0; i < t.resolutions.size(); ++i)
            if (!covered[i]) out.push_back({level, t.resolutions[i]});
    }
    return out;
}

std::string settingName(const MissingSetting& s) {
    return s.level + " " + s.resolution;
}

std::string isoStartTime(const ReportTable& t) {
    // The tool's report name, numbered or not, holds MMDDYY and HHMMSS.
    const auto parts = bench::readReportName(t.file);
    if (!parts) return {};
    const std::string &d = parts->date, &c = parts->time;
    const int month = number(d, 0, 2), day = number(d, 2, 2), yy = number(d, 4, 2);
    const int hour = number(c, 0, 2), minute = number(c, 2, 2), second = number(c, 4, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return {};
    // The name keeps two digits of the year; the START TIME: text has all four.
    int year = 2000 + yy;
    const std::string& text = t.startTime;
    for (std::size_t i = 0; i + 4 <= text.size(); ++i) {
        const bool alone =
            (i == 0 || !std::isdigit(static_cast<unsigned char>(text[i - 1]))) &&
            (i + 4 == text.size() || !std::isdigit(static_cast<unsigned char>(text[i + 4])));
        if (alone && digitsAt(text, i, 4) && number(text, i, 4) % 100 == yy) {
            year = number(text, i, 4);
            break;
        }
    }
    return std::to_string(year) + "-" + twoDigits(month) + "-" + twoDigits(day) + "T" +
           twoDigits(hour) + ":" + twoDigits(minute) + ":" + twoDigits(second);
}

std::string jsonText(const std::string& s) {
    return jsonString(s);
}
std::string jsonFigure(const std::string& figure) {
    return jsonNumber(figure);
}
std::string csvText(const std::string& s) {
    return csvCell(s);
}

std::string ReportError::message() const {
    if (line == 0) return file + ": " + what;
    return file + ", line " + std::to_string(line) + ": " + what;
}

ReportReading parseReport(const std::string& bytes, const std::string& fileName) {
    if (bytes.size() > kMaxReportBytes) {
        ReportReading out;
        out.error = {fileName, 0, "too large to be a Framewise report"};
        return out;
    }
    try {
        const Lines lines = splitReport(bytes);
        return Parser(lines, fileName).run();
    } catch (const std::exception& e) {
        ReportReading out;
        out.error = {fileName, 0, std::string("could not be read (") + e.what() + ")"};
        return out;
    }
}

ReportReading readReport(const std::string& path) {
    ReportReading out;
    std::error_code ec;
    const auto size = std::filesystem::file_size(core::fsPath(path), ec);
    if (!ec && size > kMaxReportBytes) {
        out.error = {path, 0, "too large to be a Framewise report"};
        return out;
    }
    auto bytes = core::readAll(core::fsPath(path));
    if (!bytes || std::filesystem::is_directory(core::fsPath(path), ec)) {
        out.error = {path, 0, "could not be read"};
        return out;
    }
    return parseReport(*bytes, path);
}

std::string reportCsv(const ReportTable& t) {
    const std::size_t n = mostFigures(t);
    std::string out = "file,demo,startTime,level,width,height";
    for (std::size_t i = 1; i <= n; ++i)
        out += ",run" + std::to_string(i);
    out += ",average,sd,min,max,spread,status\r\n";
    const std::string iso = isoStartTime(t);
    const std::string report =
        csvCell(t.file) + "," + csvCell(t.demo) + "," + csvCell(iso.empty() ? t.startTime : iso);
    for (const auto& r : t.rows) {
        out += report + "," + csvCell(r.level) + "," + csvCell(r.width) + "," + csvCell(r.height);
        for (std::size_t i = 0; i < n; ++i)
            out += "," + (i < r.figures.size() ? csvCell(r.figures[i]) : std::string());
        out += "," + r.average + spreadCells(r) + "," + (r.complete ? "complete" : "cut short") +
               "\r\n";
    }
    for (const auto& m : t.missing) {
        const auto [width, height] = splitResolution(m.resolution);
        out += report + "," + csvCell(m.level) + "," + csvCell(width) + "," + csvCell(height);
        out += std::string(n + 5, ',') + ",did not run\r\n";
    }
    return out;
}

std::string reportJson(const ReportTable& t) {
    auto list = [](const std::vector<std::string>& items) {
        std::string s = "[";
        for (std::size_t i = 0; i < items.size(); ++i)
            s += (i ? ", " : "") + jsonString(items[i]);
        return s + "]";
    };
    std::string out = "{\n";
    out += "  \"schema\": " + std::to_string(kReportJsonSchema) + ",\n";
    out += "  \"file\": " + jsonString(t.file) + ",\n";
    out += "  \"startTime\": " + jsonString(t.startTime) + ",\n";
    const std::string iso = isoStartTime(t);
    out += "  \"startTimeIso\": " + (iso.empty() ? std::string("null") : jsonString(iso)) + ",\n";
    out += "  \"comment\": " + jsonString(t.comment) + ",\n";
    out += "  \"demo\": " + jsonString(t.demo) + ",\n";
    out += "  \"levels\": " + list(t.levels) + ",\n";
    out += "  \"resolutions\": " + list(t.resolutions) + ",\n";
    out += "  \"runs\": " + jsonSize(t.runs) + ",\n";
    out += std::string("  \"stoppedEarly\": ") + (t.stoppedEarly ? "true" : "false") + ",\n";
    out += std::string("  \"complete\": ") + (t.incomplete() ? "false" : "true") + ",\n";
    out += "  \"missing\": [";
    for (std::size_t i = 0; i < t.missing.size(); ++i)
        out += (i ? ", " : "") + std::string("{\"level\": ") + jsonString(t.missing[i].level) +
               ", \"resolution\": " + jsonString(t.missing[i].resolution) + "}";
    out += "],\n";
    out += "  \"rows\": [";
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        const auto& r = t.rows[i];
        out += i ? ",\n    " : "\n    ";
        out += "{\"level\": " + jsonString(r.level) + ", \"width\": " + jsonSize(r.width) +
               ", \"height\": " + jsonSize(r.height) + ", \"figures\": [";
        for (std::size_t k = 0; k < r.figures.size(); ++k)
            out += (k ? ", " : "") + jsonNumber(r.figures[k]);
        out +=
            "], \"average\": " + (r.average.empty() ? std::string("null") : jsonNumber(r.average));
        out += spreadJson(r);
        out += r.complete ? "}" : ", \"complete\": false}";
    }
    out += t.rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string reportText(const ReportTable& t) {
    const std::size_t n = std::max<std::size_t>(mostFigures(t), 1);
    std::string out;
    out += "FILE:        " + t.file + "\n";
    out += "START TIME:  " + t.startTime + "\n";
    out += "COMMENT:     " + t.comment + "\n";
    out += "DEMO:        " + t.demo + "\n\n";
    std::string head = padRight("LEVEL", 9) + padLeft("WIDTH", 6) + padLeft("HEIGHT", 7);
    for (std::size_t i = 1; i <= n; ++i)
        head += padLeft("RUN " + std::to_string(i), 8);
    out += head + padLeft("AVERAGE", 9) + padLeft("MIN", 8) + padLeft("MAX", 8) + "  SD (SPREAD)\n";
    for (const auto& r : t.rows) {
        std::string line = padRight(r.level, 9) + padLeft(r.width, 6) + padLeft(r.height, 7);
        for (std::size_t i = 0; i < n; ++i)
            line += padLeft(i < r.figures.size() ? r.figures[i] : std::string(), 8);
        line += padLeft(r.average.empty() ? std::string("-") : r.average, 9);
        if (auto s = spreadOfRow(r)) {
            auto [low, high] = extremes(r, *s);
            line += padLeft(low, 8) + padLeft(high, 8) + "  " +
                    (s->sd ? sdText(*s) + " (" + relativeText(*s) + ")" : kOneRunNoSpread);
        }
        out += line + "\n";
    }
    if (t.stoppedEarly) out += "\nThe benchmark stopped early: the last line is incomplete.\n";
    if (!t.missing.empty()) {
        out += t.stoppedEarly ? "" : "\n";
        out += "Incomplete: these settings did not run:";
        for (std::size_t i = 0; i < t.missing.size(); ++i)
            out += (i ? ", " : " ") + settingName(t.missing[i]);
        out += ".\n";
    }
    return out;
}

} // namespace results
