#include "results/report.h"

#include "results/messages.h"
#include "bench/levels.h"
#include "bench/run_record.h"
#include "core/folders.h"
#include "core/textfile.h"

#include <array>

namespace results {

namespace {

constexpr const char* kTitleLine = "--------------------- Framewise RESULTS ---------------------";
constexpr std::array<const char*, kRows> kLevelHeaders{
    "NORMAL Configuration File Settings:", "HIGH Configuration File Settings:",
    "MAX Configuration File Settings:", "CUSTOM Configuration File Settings:"};
constexpr std::size_t kResolutionsPerLine = 5;
constexpr const char* kLineEnd = "\r\n";

// The value of a count line: digits after leading blanks, blanks after them allowed.
std::optional<int> countOf(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    int value = 0, digits = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        if (++digits > 6) return std::nullopt; // no record counts that high
        value = value * 10 + (line[i] - '0');
    }
    if (digits == 0) return std::nullopt;
    for (; i < line.size(); ++i)
        if (line[i] != ' ') return std::nullopt;
    return value;
}

bool isReportName(const std::string& name) {
    const std::string ending = ".txt";
    return core::isPlainName(name) && name.rfind(bench::kToolFilePrefix, 0) == 0 &&
           name.size() > ending.size() + 5 &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

std::string lineRef(std::size_t index, const char* field) {
    return "line " + std::to_string(index + 1) + " (" + field + ")";
}

} // namespace

RecordReading parseRunRecord(const std::vector<std::string>& lines, RecordPart part) {
    RecordReading out;
    RunRecord rec;
    std::size_t at = 0;
    // Each read checks that the line is there, so no count can run past the file.
    auto next = [&](const char* field, std::string& into) {
        if (at >= lines.size()) {
            out.fault = "it ends before " + lineRef(at, field);
            return false;
        }
        into = lines[at++];
        return true;
    };
    auto count = [&](const char* field, int& into) {
        std::string text;
        if (!next(field, text)) return false;
        auto value = countOf(text);
        if (!value) {
            out.fault = lineRef(at - 1, field) + " is \"" + text + "\", not a number";
            return false;
        }
        into = *value;
        return true;
    };

    std::string modeLine;
    int levelCount = 0, resolutionCount = 0;
    if (!next("the dump mode", modeLine) || !next("the demo", rec.demo) ||
        !count("the number of detail levels", levelCount))
        return out;
    rec.mode = dumpModeOf(modeLine);
    for (int i = 0; i < levelCount; ++i)
        if (!next("a detail level", rec.levels.emplace_back())) return out;
    if (!count("the number of resolutions", resolutionCount)) return out;
    for (int i = 0; i < resolutionCount; ++i)
        if (!next("a resolution", rec.resolutions.emplace_back())) return out;
    if (!next("the number of runs", rec.runsLine)) return out;
    const std::size_t runsIndex = at - 1;
    rec.runs = countOf(rec.runsLine).value_or(0);
    if (rec.mode == DumpMode::OnePerDump && rec.runs < 1) {
        out.fault = lineRef(runsIndex, "the number of runs") + " is \"" + rec.runsLine +
                    "\", not a number of runs";
        return out;
    }
    if (part == RecordPart::Setup) {
        out.record = std::move(rec);
        return out;
    }
    if (!next("the report name", rec.reportName) || !next("the start time", rec.startTime) ||
        !next("the comment", rec.comment))
        return out;

    // The report is written into the main folder and removed with the tool's files,
    // so its name must be one of them, and never that of another of them.
    if (!isReportName(rec.reportName)) {
        out.fault = lineRef(runsIndex + 1, "the report name") + " is \"" + rec.reportName +
                    "\", not a file name of the form " + bench::kToolFilePrefix + "....txt";
        return out;
    }
    out.record = std::move(rec);
    return out;
}

std::string reportHeader(const RunRecord& rec) {
    std::string r;
    auto line = [&r](const std::string& text) { r += text + kLineEnd; };
    line(kTitleLine);
    line("");
    line("      FILE:  " + rec.reportName);
    line("START TIME:  " + rec.startTime);
    line("   COMMENT:  " + rec.comment);
    line(" ");
    line("BENCHMARK SETUP:  ");
    line("----------------");
    line("           DEMO:  " + rec.demo);
    r += "  CFG FILES RUN:  ";
    for (const auto& level : rec.levels)
        r += level + " ";
    line(" ");
    r += "RESOLUTIONS RUN:  ";
    for (std::size_t i = 0; i < rec.resolutions.size(); ++i) {
        r += rec.resolutions[i] + " ";
        if (i + 1 == kResolutionsPerLine) r += kLineEnd;
    }
    r += kLineEnd;
    line(" NUMBER OF RUNS:  " + rec.runsLine + " times.");
    line("");
    return r;
}

CompiledReport compileReport(const std::string& mainFolder, core::Dialogs& dialogs,
                             const core::GameProfile& game) {
    CompiledReport out;
    const std::string recordName = bench::kRunRecordFile;
    std::string why;
    auto lines = core::readLines(core::fsPath(mainFolder + recordName), &why);
    RecordReading reading;
    if (lines)
        reading = parseRunRecord(*lines);
    else
        reading.fault = why;
    if (!reading.record) {
        core::tell(dialogs, kDamagedRecord + recordName + " is damaged: " +
                                reading.fault + ".\r\n\r\nNo report was written.");
        return out;
    }
    const RunRecord& rec = *reading.record;
    out.name = rec.reportName;
    out.text = reportHeader(rec);

    // A list whose lines end with LF alone reads as one line naming no dump: a
    // report from it would hold no results and look complete.
    if (auto list = core::readAll(core::fsPath(mainFolder + bench::kDumpListFile))) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            if ((*list)[i] == '\n' && (i == 0 || (*list)[i - 1] != '\r')) {
                core::tell(dialogs, kDumpListTrouble + std::string(bench::kDumpListFile) +
                                        " has lines ended by a line feed alone (not CR LF), "
                                        "so no console dump could be read from it.\r\n\r\n"
                                        "No report was written.");
                out.name.clear();
                out.text.clear();
                return out;
            }
        }
    }
    auto table = BuildDumpTable(mainFolder, &why);
    if (!table) {
        core::tell(dialogs, kDumpListTrouble + std::string(bench::kDumpListFile) +
                                " could not be read (" + why +
                                "), so the report holds no results.\r\n\r\nThe report keeps "
                                "its header and setup.");
        return out;
    }
    const DumpFolder dumps(mainFolder, game);
    for (std::size_t row = 0; row < kRows; ++row) {
        if (table->rows[row].empty()) continue;
        out.text += kLineEnd;
        out.text += kLevelHeaders[row];
        out.text += kLineEnd;
        if (WriteResultLines(table->rows[row], rec.mode, rec.runs, dumps, out.text, dialogs) ==
            RowResult::Stopped)
            break;
    }

    if (auto leftOut = leftOutMessage(*table)) core::tell(dialogs, *leftOut);
    return out;
}

} // namespace results
