// Reading a report back, and everything made of what it reads: the CSV, the JSON,
// the text table, the chart and the comparison. The input is one report, or two
// parted by fuzz::kPartBreak; two that read are compared both ways.
#include "fuzz_support.h"
#include "results/report_chart.h"
#include "results/report_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// JSON as the standard has it, read strictly: a consumer of the command line's
// output must be able to parse every document the tool prints.
class JsonCheck {
  public:
    explicit JsonCheck(const std::string& s) : s_(s) {}
    bool document() {
        blanks();
        if (!value(0)) return false;
        blanks();
        return i_ == s_.size();
    }

  private:
    const std::string& s_;
    std::size_t i_ = 0;

    bool at(char c) const { return i_ < s_.size() && s_[i_] == c; }
    bool eat(char c) {
        if (!at(c)) return false;
        ++i_;
        return true;
    }
    bool digit() const { return i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9'; }
    void blanks() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    bool word(const char* w) {
        const std::string text(w);
        if (s_.compare(i_, text.size(), text) != 0) return false;
        i_ += text.size();
        return true;
    }
    bool digits() {
        if (!digit()) return false;
        while (digit())
            ++i_;
        return true;
    }
    bool number() {
        eat('-');
        if (eat('0')) {
            if (digit()) return false; // no leading zeros
        } else if (!digits()) {
            return false;
        }
        if (eat('.') && !digits()) return false;
        if (eat('e') || eat('E')) {
            if (!eat('+')) eat('-');
            if (!digits()) return false;
        }
        return true;
    }
    bool string() {
        if (!eat('"')) return false;
        while (i_ < s_.size()) {
            const auto c = static_cast<unsigned char>(s_[i_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c == '\\') {
                if (i_ >= s_.size()) return false;
                const char e = s_[i_++];
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k, ++i_)
                        if (i_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[i_])))
                            return false;
                } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
                    return false;
                }
            }
        }
        return false;
    }
    bool value(int depth) {
        if (depth > 16) return false;
        blanks();
        if (at('"')) return string();
        if (eat('{')) return members(depth, '}', true);
        if (eat('[')) return members(depth, ']', false);
        if (word("true") || word("false") || word("null")) return true;
        return number();
    }
    bool members(int depth, char close, bool named) {
        blanks();
        if (eat(close)) return true;
        for (;;) {
            blanks();
            if (named) {
                if (!string()) return false;
                blanks();
                if (!eat(':')) return false;
            }
            if (!value(depth + 1)) return false;
            blanks();
            if (eat(close)) return true;
            if (!eat(',')) return false;
        }
    }
};

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

void checkTable(const results::ReportTable& t) {
    const std::string json = results::reportJson(t);
    fuzz::check(JsonCheck(json).document(), "the JSON of a report that reads is valid JSON",
                fuzz::shown(json));
    // A cell may hold a line feed (quoted), never a carriage return: CR LF ends rows only.
    fuzz::check(count(results::reportCsv(t), "\r\n") == t.rows.size() + t.missing.size() + 1,
                "the CSV has a heading, a row per line of the report and per setting not run");
    (void)results::reportText(t);

    const auto m = results::chartOf(t);
    std::size_t drawn = 0;
    for (const auto& s : m.series) {
        fuzz::check(s.bars.size() == m.resolutions.size(),
                    "every series has a place per resolution");
        for (const auto& bar : s.bars) {
            if (!bar) continue;
            ++drawn;
            fuzz::check(std::isfinite(bar->value) && !bar->runs.empty() && bar->low <= bar->high,
                        "a bar has a finite value and its runs", bar->valueText);
            const bool fromReport = std::any_of(t.rows.begin(), t.rows.end(), [&](const auto& r) {
                return r.level == s.name && (r.average == bar->valueText ||
                                             (r.average.empty() && r.figures.size() == 1 &&
                                              r.figures[0] == bar->valueText));
            });
            fuzz::check(fromReport, "a bar's value is a figure the report gives", bar->valueText);
        }
    }
    // Every line of the report is drawn or said under the chart.
    fuzz::check(drawn <= t.rows.size() && drawn + m.notes.size() >= t.rows.size(),
                "every line of the report gives a bar or a note");

    // Compared with itself: every pair unchanged, and what is left over alike on both sides.
    const auto self = results::compareReports(t, t);
    fuzz::check(self.sameDemo && self.otherDifferences.size() <= t.rows.size(),
                "a report compared with itself has the same demo");
    for (const auto& p : self.pairs)
        fuzz::check(p.percent == 0 && results::formatPercent(p.percent) == "0.0 %",
                    "a report compared with itself shows no change", p.level + " " + p.resolution);
    fuzz::check(self.onlyInBase == self.onlyInOther,
                "a report compared with itself lists the same lines on both sides");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto parts = fuzz::splitParts(data, size);
    if (parts.size() > 2) parts.resize(2);
    std::vector<results::ReportTable> tables;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string name = "FRWb_" + std::to_string(i) + ".txt";
        const auto reading = results::parseReport(parts[i], name);
        if (!reading.table) {
            const std::string said = reading.error.message();
            fuzz::check(said.rfind(name, 0) == 0 && !reading.error.what.empty(),
                        "a report that does not read is named, with why", said);
            // Lines end at CR LF or a lone CR; the line after the last one is where
            // a report that ends too soon is at fault.
            fuzz::check(reading.error.line <= count(parts[i], "\r") + 2,
                        "the line at fault is in the file or just after it", said);
            continue;
        }
        checkTable(*reading.table);
        tables.push_back(*reading.table);
    }
    if (tables.size() == 2) {
        for (const auto& c : {results::compareReports(tables[0], tables[1]),
                              results::compareReports(tables[1], tables[0])})
            for (const auto& p : c.pairs)
                fuzz::check(std::isfinite(p.percent), "a change is a finite percentage",
                            p.level + " " + p.resolution);
    }
    return 0;
}
