#include "results/dumps.h"

#include "bench/run_record.h"
#include "core/folders.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "results/average.h"
#include "results/messages.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace results {

namespace {

constexpr const char* kThreePerDumpTag = "con3";
constexpr std::array<const char*, kRows> kRowKeys{"lo", "hi", "ax", "us"};
constexpr std::array<const char*, kRows> kLevelWords{"Normal", "High", "Maximum", "Custom"};
constexpr const char* kModeMarker = "MODE:";
constexpr const char* kAverageLabel = "  AVERAGE FPS: ";
constexpr std::size_t kThreePerDumpPlaces = 12;
constexpr const char* kLineEnd = "\r\n";

// A console is mostly words, so a marker is found fastest by hopping (memchr) to
// its punctuation, which is rare in console text, and comparing around it.
std::size_t findMarker(const std::string& text, std::string_view marker, std::size_t from) {
    std::size_t anchor = marker.find_first_of(":,.");
    if (anchor == std::string_view::npos) anchor = 0;
    const char* data = text.data();
    const std::size_t size = text.size();
    for (std::size_t at = from + anchor; at < size;) {
        const void* hit = std::memchr(data + at, marker[anchor], size - at);
        if (!hit) break;
        const std::size_t pos = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        const std::size_t start = pos - anchor;
        if (start + marker.size() <= size &&
            std::memcmp(data + start, marker.data(), marker.size()) == 0)
            return start;
        at = pos + 1;
    }
    return std::string::npos;
}

std::string trimBlanks(const std::string& s) {
    auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

std::string keptNote() {
    return "\r\n\r\nThe report keeps the lines written before it.";
}

void tellDamagedDump(core::Dialogs& dialogs, const std::string& name, const std::string& what) {
    core::tell(dialogs, kDamagedDump + name + " " + what + "." + keptNote());
}

// Reads one dump for the result lines; on any failure the user has been told.
std::optional<std::string> loadDump(const DumpFolder& folder, const std::string& name,
                                    core::Dialogs& dialogs) {
    auto dump = ReadConsoleDump(folder, name);
    switch (dump.status) {
    case DumpStatus::Present:
        if (dump.text.empty()) {
            tellDamagedDump(dialogs, name, "is empty");
            return std::nullopt;
        }
        return std::move(dump.text);
    case DumpStatus::Missing:
        core::tell(dialogs, kPrematureTermination);
        return std::nullopt;
    case DumpStatus::NotAName:
        core::tell(dialogs, kDumpListTrouble + std::string(bench::kDumpListFile) + " names \"" +
                                name + "\", which is not a plain file name, so it was not opened." +
                                keptNote());
        return std::nullopt;
    case DumpStatus::Unreadable:
        tellDamagedDump(dialogs, name, "could not be read: " + dump.why);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> labelOf(const std::string& name, const std::string& text,
                                   core::Dialogs& dialogs) {
    auto res = ParseResolutionLabel(text);
    if (!res) {
        tellDamagedDump(dialogs, name, kNoModeLine);
        return std::nullopt;
    }
    return resolutionLabel(*res);
}

// The fps texts of a dump, as many as expected and every one a number; on a
// fault the user has been told.
std::optional<std::vector<std::string>> figuresOf(const std::string& name, const std::string& text,
                                                  DumpMode mode, int runs, const DumpFolder& folder,
                                                  core::Dialogs& dialogs) {
    auto figures = ExtractFpsValues(text, true, folder.resultLine());
    if (auto fault =
            resultsFault(figures, expectedResults(mode, runs), mode, folder.resultLine())) {
        tellDamagedDump(dialogs, name, *fault);
        return std::nullopt;
    }
    return figures;
}

bool writeAverage(const std::vector<std::string>& figures, const std::string& name,
                  std::string& report, core::Dialogs& dialogs) {
    auto avg = averageHundredths(figures);
    if (!avg) {
        tellDamagedDump(dialogs, name, "has results too long to average");
        return false;
    }
    report += kAverageLabel;
    report += FormatAverage(hundredthsText(*avg));
    report += kLineEnd;
    return true;
}

RowResult onePerDump(const std::vector<std::string>& row, std::size_t runs,
                     const DumpFolder& folder, std::string& report, core::Dialogs& dialogs) {
    const std::size_t places = std::min(row.size(), kPlaces);
    for (std::size_t r = 0; r < places; r += runs) {
        auto first = loadDump(folder, row[r], dialogs);
        if (!first) return RowResult::Stopped;
        auto label = labelOf(row[r], *first, dialogs);
        if (!label) return RowResult::Stopped;
        report += *label;

        std::vector<std::string> figures;
        for (std::size_t j = r; j < r + runs; ++j) {
            if (j >= places) {
                core::tell(dialogs, kStoppedEarly);
                return RowResult::Stopped;
            }
            std::optional<std::string> other;
            if (j != r) {
                other = loadDump(folder, row[j], dialogs);
                if (!other) return RowResult::Stopped;
            }
            auto found = figuresOf(row[j], j == r ? *first : *other, DumpMode::OnePerDump,
                                   static_cast<int>(runs), folder, dialogs);
            if (!found) return RowResult::Stopped;
            report += valueField(found->front());
            figures.push_back(found->front());
        }
        if (!writeAverage(figures, row[r], report, dialogs)) return RowResult::Stopped;
    }
    return RowResult::Completed;
}

RowResult threePerDump(const std::vector<std::string>& row, int runs, const DumpFolder& folder,
                       std::string& report, core::Dialogs& dialogs) {
    const std::size_t places = std::min(row.size(), kThreePerDumpPlaces);
    for (std::size_t m = 0; m < places; ++m) {
        auto text = loadDump(folder, row[m], dialogs);
        if (!text) return RowResult::Stopped;
        auto label = labelOf(row[m], *text, dialogs);
        if (!label) return RowResult::Stopped;
        report += *label;
        auto figures = figuresOf(row[m], *text, DumpMode::ThreePerDump, runs, folder, dialogs);
        if (!figures) return RowResult::Stopped;
        for (const auto& f : *figures)
            report += valueField(f);
        // A single result has nothing to average.
        if (figures->size() == 1) {
            report += kLineEnd;
            continue;
        }
        if (!writeAverage(*figures, row[m], report, dialogs)) return RowResult::Stopped;
    }
    return RowResult::Completed;
}

} // namespace

DumpMode dumpModeOf(const std::string& recordLine) {
    return recordLine == kThreePerDumpTag ? DumpMode::ThreePerDump : DumpMode::OnePerDump;
}

DumpTable dumpTableFromLines(const std::vector<std::string>& lines) {
    DumpTable table;
    for (const auto& line : lines) {
        if (line.size() < 2) continue;
        const std::string key = line.substr(line.size() - 2);
        for (std::size_t row = 0; row < kRows; ++row) {
            if (key != kRowKeys[row]) continue;
            if (table.rows[row].size() < kPlaces)
                table.rows[row].push_back(line);
            else
                ++table.dropped[row];
        }
    }
    return table;
}

std::optional<std::string> leftOutMessage(const DumpTable& table) {
    std::string dropped;
    for (std::size_t row = 0; row < kRows; ++row) {
        if (table.dropped[row] == 0) continue;
        dropped += std::string(dropped.empty() ? "" : ", ") + kLevelWords[row] + " (" +
                   std::to_string(table.dropped[row]) + " left out)";
    }
    if (dropped.empty()) return std::nullopt;
    return kDumpListTrouble + std::string(bench::kDumpListFile) + " names more than " +
           std::to_string(kPlaces) + " dumps for a detail level: " + dropped +
           ".\r\n\r\nOnly the first " + std::to_string(kPlaces) + " of each are used.";
}

std::optional<DumpTable> BuildDumpTable(const std::string& mainFolder, std::string* why) {
    auto lines = core::readLines(core::fsPath(mainFolder + bench::kDumpListFile), why);
    if (!lines) return std::nullopt;
    return dumpTableFromLines(*lines);
}

DumpFolder::DumpFolder(std::string mainFolder, const core::GameProfile& game)
    : folder_(std::move(mainFolder)), extension_(game.dumpExtension), resultLine_(game.resultLine) {
    for (auto& name : platform::listFiles(folder_))
        names_.insert(std::move(name));
}

bool DumpFolder::present(const std::string& name) const {
    return names_.count(fileName(name)) != 0;
}

ConsoleDump ReadConsoleDump(const std::string& mainFolder, const std::string& name,
                            const core::GameProfile& game) {
    return ReadConsoleDump(DumpFolder(mainFolder, game), name);
}

ConsoleDump ReadConsoleDump(const DumpFolder& folder, const std::string& name) {
    ConsoleDump dump;
    if (!core::isPlainName(name)) {
        dump.status = DumpStatus::NotAName;
        return dump;
    }
    if (!folder.present(name)) {
        // The listing holds ordinary files only; a FIFO, device or folder under the
        // name is told for what it is rather than passed off as a missing dump.
        std::string why;
        if (platform::exactNamePresent(folder.path(), folder.fileName(name)) &&
            !core::readAll(core::fsPath(folder.path() + folder.fileName(name)), &why)) {
            dump.status = DumpStatus::Unreadable;
            dump.why = std::move(why);
        } else {
            dump.status = DumpStatus::Missing;
        }
        return dump;
    }
    auto bytes = core::readAll(core::fsPath(folder.path() + folder.fileName(name)), &dump.why);
    if (!bytes) {
        dump.status = DumpStatus::Unreadable;
        return dump;
    }
    dump.status = DumpStatus::Present;
    dump.text = consoleText(*bytes);
    return dump;
}

std::optional<Resolution> ParseResolutionLabel(const std::string& text) {
    const auto mode = findMarker(text, kModeMarker, 0);
    if (mode == std::string::npos) return std::nullopt;
    const auto comma = text.find(',', mode);
    if (comma == std::string::npos) return std::nullopt;
    const auto x = text.find('x', comma + 1);
    if (x == std::string::npos) return std::nullopt;
    // The height is the number after the "x": whatever word follows it
    // ("fullscreen", "windowed") and whatever lines come later play no part.
    const auto from = text.find_first_not_of(' ', x + 1);
    if (from == std::string::npos) return std::nullopt;
    const auto end = text.find_first_not_of("0123456789", from);
    const auto digits = (end == std::string::npos ? text.size() : end) - from;
    if (digits == 0) return std::nullopt;
    Resolution r;
    r.width = trimBlanks(text.substr(comma + 1, x - comma - 1));
    r.height = text.substr(from, digits);
    return r;
}

std::string resolutionLabel(const Resolution& r) {
    std::string pad;
    switch (r.width.size() + r.height.size()) {
    case 5:
        pad = "   ";
        break;
    case 6:
        pad = "  ";
        break;
    case 7:
        pad = " ";
        break;
    default:
        break;
    }
    return pad + "(" + r.width + "x" + r.height + ") ";
}

std::string consoleText(std::string_view bytes) {
    if (bytes.find('\r') == std::string_view::npos) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    std::size_t lineStart = 0, column = 0;
    for (char c : bytes) {
        if (c == '\n') {
            out += c;
            lineStart = out.size();
            column = 0;
        } else if (c == '\r') {
            column = 0;
        } else {
            if (lineStart + column < out.size())
                out[lineStart + column] = c;
            else
                out += c;
            ++column;
        }
    }
    return out;
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Consumes a run of digits (and points, when allowed) at the front of s; false when
// it holds no digit.
bool takeNumber(std::string_view& s, bool points) {
    std::size_t n = 0;
    bool digit = false;
    while (n < s.size() && (isDigit(s[n]) || (points && s[n] == '.'))) {
        digit = digit || isDigit(s[n]);
        ++n;
    }
    s.remove_prefix(n);
    return digit;
}

bool takeWord(std::string_view& s, std::string_view word) {
    if (s.substr(0, word.size()) != word) return false;
    s.remove_prefix(word.size());
    return true;
}

} // namespace

std::optional<std::string> resultLineFps(std::string_view line, std::string_view shape) {
    const auto end = line.find_last_not_of(' ');
    if (end == std::string_view::npos) return std::nullopt;
    line = line.substr(0, end + 1);
    std::optional<std::string> figure;
    while (!shape.empty()) {
        if (shape.front() != '<') {
            const auto literal = shape.substr(0, shape.find('<'));
            if (!takeWord(line, literal)) return std::nullopt;
            shape.remove_prefix(literal.size());
            continue;
        }
        const auto close = shape.find('>');
        if (close == std::string_view::npos) return std::nullopt;
        const auto name = shape.substr(1, close - 1);
        shape.remove_prefix(close + 1);
        if (name != "fps") {
            if (!takeNumber(line, name != "frames")) return std::nullopt;
            continue;
        }
        // The figure stands between blanks before the text that follows it (the
        // line's end, when that text closes the line); a text that is no number
        // is still told as this line's figure.
        const auto after = shape.substr(0, shape.find('<'));
        std::size_t stop = line.size();
        if (after.size() == shape.size()) {
            if (line.size() < after.size() || line.substr(line.size() - after.size()) != after)
                return std::nullopt;
            stop = line.size() - after.size();
        } else if (!after.empty()) {
            stop = line.find(after);
            if (stop == std::string_view::npos) return std::nullopt;
        }
        auto text = line.substr(0, stop);
        line.remove_prefix(stop);
        const auto first = text.find_first_not_of(' ');
        if (first == std::string_view::npos) return std::nullopt;
        text = text.substr(first, text.find_last_not_of(' ') - first + 1);
        if (text.find(' ') != std::string_view::npos) return std::nullopt;
        figure = std::string(text);
    }
    if (!line.empty()) return std::nullopt;
    return figure;
}

std::vector<std::string> ExtractFpsValues(const std::string& text, bool all,
                                          std::string_view shape) {
    const bool fromDigit = shape.substr(0, 8) == "<frames>";
    std::vector<std::string> figures;
    const std::string_view view(text);
    // Only a line that starts with digits can be a result, so the scan looks at
    // each line's first character before it reads the line.
    for (std::size_t at = 0; at < view.size();) {
        auto next = view.find('\n', at);
        if (next == std::string_view::npos) next = view.size();
        if (!fromDigit || isDigit(view[at])) {
            if (auto fps = resultLineFps(view.substr(at, next - at), shape)) {
                figures.push_back(std::move(*fps));
                if (!all) break;
            }
        }
        at = next + 1;
    }
    return figures;
}

std::optional<std::size_t> expectedResults(DumpMode mode, int runs) {
    if (mode == DumpMode::OnePerDump) return 1;
    if (runs < 1) return std::nullopt;
    return static_cast<std::size_t>(runs);
}

std::optional<std::string> resultsFault(const std::vector<std::string>& figures,
                                        std::optional<std::size_t> expected, DumpMode mode,
                                        std::string_view shape) {
    if (figures.empty())
        return std::string("holds no result line (\"") + std::string(shape) + "\")";
    for (const auto& f : figures)
        if (!parseFigure(f)) return "has the result \"" + f + "\", which is not a number";
    const std::string count = std::to_string(figures.size());
    if (expected && figures.size() != *expected) {
        std::string fault = "holds " + count + " results instead of " + std::to_string(*expected);
        if (mode == DumpMode::ThreePerDump) fault += ", one per run";
        return fault + (figures.size() < *expected ? ": it is incomplete"
                                                   : ": some of them are not this benchmark's");
    }
    if (figures.size() > kMaxFigures)
        return "holds " + count + " results, more than the " + std::to_string(kMaxFigures) +
               " that can be averaged";
    return std::nullopt;
}

std::string valueField(const std::string& fps) {
    const std::size_t width = 5;
    std::string pad = fps.size() < width ? std::string(width - fps.size(), ' ') : std::string();
    return pad + fps + ", ";
}

std::string FormatAverage(const std::string& t) {
    const auto point = t.find('.');
    if (point == std::string::npos) return " " + t + ".00";
    std::string pad;
    if (point == 2)
        pad = " ";
    else if (point == 1)
        pad = "  ";
    if (point + 2 == t.size()) return pad + " " + t + "0";
    return pad + " " + t + " ";
}

RowResult WriteResultLines(const std::vector<std::string>& row, DumpMode mode, int runs,
                           const DumpFolder& folder, std::string& report, core::Dialogs& dialogs) {
    if (mode == DumpMode::ThreePerDump) return threePerDump(row, runs, folder, report, dialogs);
    // A group of no runs would never move on.
    const std::size_t groupSize = runs < 1 ? 1 : static_cast<std::size_t>(runs);
    return onePerDump(row, groupSize, folder, report, dialogs);
}

} // namespace results
