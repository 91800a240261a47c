// Console-dump reading: the screen-size label, the fps texts, the value fields,
// the average and its text, and the result line of a whole dump, each checked
// against a plain reading of the same rule.
#include "fuzz_support.h"
#include "results/average.h"
#include "results/dumps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

std::string trim(const std::string& s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The label rule read literally, with std::string::find: the width between the
// comma after "MODE:" and the next "x", the height the digits after that "x"
// and its blanks.
std::optional<results::Resolution> plainLabel(const std::string& t) {
    const auto m = t.find("MODE:");
    if (m == std::string::npos) return std::nullopt;
    const auto c = t.find(',', m);
    if (c == std::string::npos) return std::nullopt;
    const auto x = t.find('x', c + 1);
    if (x == std::string::npos) return std::nullopt;
    std::size_t i = x + 1;
    while (i < t.size() && t[i] == ' ')
        ++i;
    std::string height;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9')
        height += t[i++];
    if (height.empty()) return std::nullopt;
    return results::Resolution{trim(t.substr(c + 1, x - c - 1)), height};
}

// The console's CR rule read literally, line by line: each CR starts the line's
// text again over what it had.
std::string plainConsole(const std::string& bytes) {
    std::string out;
    std::size_t from = 0;
    while (true) {
        const auto lf = bytes.find('\n', from);
        const std::string line = bytes.substr(from, lf == std::string::npos ? lf : lf - from);
        std::string shown;
        std::size_t start = 0;
        while (true) {
            const auto cr = line.find('\r', start);
            const std::string piece = line.substr(start, cr == std::string::npos ? cr : cr - start);
            shown = piece + (piece.size() < shown.size() ? shown.substr(piece.size()) : "");
            if (cr == std::string::npos) break;
            start = cr + 1;
        }
        out += shown;
        if (lf == std::string::npos) break;
        out += '\n';
        from = lf + 1;
    }
    return out;
}

bool allOf(const std::string& s, const char* chars, bool needDigit) {
    if (s.empty() || s.find_first_not_of(chars) != std::string::npos) return false;
    return !needDigit || s.find_first_of("0123456789") != std::string::npos;
}

// The result line read literally: digits, " frames, ", a number, " seconds: ",
// the figure between blanks, " fps", trailing blanks.
std::optional<std::string> plainResult(std::string line) {
    line = line.substr(0, line.find_last_not_of(' ') + 1);
    const auto f = line.find(" frames, ");
    if (f == std::string::npos || !allOf(line.substr(0, f), "0123456789", true))
        return std::nullopt;
    const auto s = line.find(" seconds: ", f + 9);
    if (s == std::string::npos || !allOf(line.substr(f + 9, s - f - 9), "0123456789.", true))
        return std::nullopt;
    const std::string tail = line.substr(s + 10);
    if (tail.size() < 4 || tail.compare(tail.size() - 4, 4, " fps") != 0) return std::nullopt;
    const std::string figure = trim(tail.substr(0, tail.size() - 4));
    if (figure.empty() || figure.find(' ') != std::string::npos) return std::nullopt;
    return figure;
}

std::vector<std::string> plainFigures(const std::string& t, bool all) {
    std::vector<std::string> out;
    std::size_t from = 0;
    while (from <= t.size()) {
        const auto lf = t.find('\n', from);
        if (auto fps = plainResult(t.substr(from, lf == std::string::npos ? lf : lf - from))) {
            out.push_back(*fps);
            if (!all) break;
        }
        if (lf == std::string::npos) break;
        from = lf + 1;
    }
    return out;
}

// The mean in long double, the plain reference the exact decimal sum must agree with.
void checkAverage(const std::vector<std::string>& figures) {
    const auto got = results::averageHundredths(figures);
    bool small = true;
    long double sum = 0;
    for (const auto& f : figures) {
        if (f.size() > 9) small = false;
        sum += std::strtold(f.c_str(), nullptr);
    }
    if (!got) {
        // Ordinary figures always average.
        fuzz::check(!small, "figures of up to 9 characters average", fuzz::shown(figures.front()));
        return;
    }
    const long double want = sum / static_cast<long double>(figures.size()) * 100.0L;
    const long double diff = static_cast<long double>(*got) - want;
    const long double slack = 1e-12L * std::fmax(1.0L, want);
    fuzz::check(std::fabs(diff) <= 0.5L + slack, "the average is the mean rounded to hundredths",
                std::to_string(*got) + " hundredths for a mean of " +
                    std::to_string(static_cast<double>(want)) + " hundredths");
    // Away from a tie the rounding has only one answer.
    if (std::fabs(std::fabs(diff) - 0.5L) > slack)
        fuzz::check(std::fabs(diff) < 0.5L, "the average rounds to the nearest hundredth");

    // The written average reads back as the same number with two decimals.
    const std::string text = results::FormatAverage(results::hundredthsText(*got));
    const std::string number = trim(text);
    const auto point = number.find('.');
    fuzz::check(point != std::string::npos && point + 3 == number.size(),
                "the average is written with two decimals", fuzz::shown(text));
    std::string digits = number.substr(0, point) + number.substr(point + 1);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    fuzz::check(digits == std::to_string(*got), "the written average is the computed one",
                fuzz::shown(text) + " for " + std::to_string(*got));
}

fuzz::Scratch& scratch() {
    static fuzz::Scratch s("dump");
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // A dump is read as the console showed it.
    const std::string text = results::consoleText(bytes);
    fuzz::check(text == plainConsole(bytes), "a CR overwrites its line from the start");

    const auto label = results::ParseResolutionLabel(text);
    const auto wantLabel = plainLabel(text);
    fuzz::check(label.has_value() == wantLabel.has_value(),
                "the label is found where the rule finds it");
    if (label) {
        fuzz::check(label->width == wantLabel->width && label->height == wantLabel->height,
                    "width and height are the rule's",
                    fuzz::shown(label->width) + " x " + fuzz::shown(label->height));
        const std::string written = results::resolutionLabel(*label);
        const std::size_t n = label->width.size() + label->height.size();
        fuzz::check(written.size() == (n >= 5 && n <= 8 ? 12 : n + 4),
                    "the label is padded to 12 characters", fuzz::shown(written));
    }

    std::optional<std::vector<std::string>> all;
    for (bool every : {false, true}) {
        const auto got = results::ExtractFpsValues(text, every);
        fuzz::check(got == plainFigures(text, every), "the fps texts are the whole result lines'");
        if (every) all = got;
    }

    std::vector<std::string> numbers;
    if (all) {
        for (const auto& f : *all) {
            const std::string field = results::valueField(f);
            fuzz::check(field.size() == std::max<std::size_t>(f.size(), 5) + 2 &&
                            field.compare(field.size() - 2, 2, ", ") == 0,
                        "a value field is five characters wide and ends with \", \"",
                        fuzz::shown(field));
            if (results::parseFigure(f)) numbers.push_back(f);
        }
    }
    if (!numbers.empty()) checkAverage(numbers);

    // The whole dump as a three-per-dump result line, against the pieces above; the
    // run count asked is the count found up to three, so more than three is a fault.
    const int runs = all->empty() ? 1 : static_cast<int>(std::min<std::size_t>(all->size(), 3));
    const std::string folder = scratch().fresh();
    const std::string name = "FRWb_3.lo";
    if (!fuzz::writeFile(folder + name, bytes)) return 0;
    const results::DumpFolder dumps(folder);
    fuzz::AnsweringDialogs dialogs({});
    std::string report;
    const auto row = results::WriteResultLines({name}, results::DumpMode::ThreePerDump, runs, dumps,
                                               report, dialogs);
    const bool figuresOk = !all->empty() && all->size() <= 3 && numbers.size() == all->size() &&
                           (all->size() == 1 || results::averageHundredths(*all));
    const bool whole = !text.empty() && label && figuresOk;
    fuzz::check((row == results::RowResult::Completed) == whole,
                "a dump completes its line exactly when label and results are sound");
    fuzz::check((dialogs.shown == 0) == whole, "a stopped line has told why");
    if (whole) {
        std::string line = results::resolutionLabel(*label);
        for (const auto& f : *all)
            line += results::valueField(f);
        if (all->size() > 1)
            line +=
                "  AVERAGE FPS: " +
                results::FormatAverage(results::hundredthsText(*results::averageHundredths(*all)));
        line += "\r\n";
        fuzz::check(report == line, "the result line is label, values and average",
                    fuzz::shown(report) + " vs " + fuzz::shown(line));
    }
    return 0;
}
