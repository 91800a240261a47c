#pragma once
// Reading a report the tool wrote back into a table: the header's fields and,
// for every detail level and resolution, the run figures and their average as
// the report gives them. The command line prints it, the chart draws it.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace results {

struct ReportRow {
    std::string level;                // "Normal", "High", "Maximum", "Custom"
    std::string width, height;        // as the line's label gives them
    std::vector<std::string> figures; // each run's fps text as written ("47.4")
    // As written, without its blanks ("47.73", "35.50", "41.00"); empty when the
    // line has none (a single result, or a line the benchmark's stop cut short).
    std::string average;
    bool complete = true; // false for the last line of a report that stopped inside it
};

// A level and resolution the header asks for that has no whole line in the report.
struct MissingSetting {
    std::string level;      // "High"
    std::string resolution; // "1024x768", as RESOLUTIONS RUN: gives it
};

struct ReportTable {
    std::string file;                     // FILE:
    std::string startTime;                // START TIME:
    std::string comment;                  // COMMENT:
    std::string demo;                     // DEMO:
    std::vector<std::string> levels;      // CFG FILES RUN:
    std::vector<std::string> resolutions; // RESOLUTIONS RUN: ("640x480")
    std::string runs;                     // NUMBER OF RUNS:, as written
    std::vector<ReportRow> rows;          // in report order
    bool stoppedEarly = false;            // the report ends inside a result line
    // What the header asks for and no whole line gives: a game that crashed or a
    // dump that is missing ends the report early. A level's lines follow
    // RESOLUTIONS RUN in order, so the lines present tell which ones did not run.
    std::vector<MissingSetting> missing;
    bool incomplete() const { return stoppedEarly || !missing.empty(); }
};

// Version of the JSON layout of reportJson; raised when a field changes meaning
// or goes away, not when one is added.
inline constexpr int kReportJsonSchema = 1;

// The settings of the header that the report has no whole line for.
std::vector<MissingSetting> missingSettings(const ReportTable& table);

// "High 1024x768".
std::string settingName(const MissingSetting& setting);

// The start time as ISO 8601 local time ("2026-12-04T19:30:05"), from the
// report's name, which holds the same moment as digits whatever the language
// of the START TIME: text; empty when the name is not the tool's.
std::string isoStartTime(const ReportTable& table);

struct ReportError {
    std::string file;
    std::size_t line = 0; // 1-based; 0 when the fault is the file as a whole
    std::string what;
    // "<file>, line <n>: <what>"
    std::string message() const;
};

struct ReportReading {
    std::optional<ReportTable> table;
    ReportError error; // when there is no table
};

// Reports are small; anything larger is not one.
inline constexpr std::size_t kMaxReportBytes = 1 << 20;

// The report's bytes; fileName names it in an error. Never throws.
ReportReading parseReport(const std::string& bytes, const std::string& fileName);

// Reads and parses the file at path.
ReportReading readReport(const std::string& path);

// One row per level and resolution: the report's file, demo and start time (so
// that the CSV of several reports can be joined), level, width, height, run
// 1..n, average, sd, min, max, spread (n is the most figures any row has; cells a row lacks stay
// empty), and status: "complete", "cut short" (the line the benchmark stopped
// in) or "did not run" (a setting the header asks for without a line, whose
// width and height are the asked resolution's). CR LF lines.
std::string reportCsv(const ReportTable& table);

// The table as a JSON object; figures and averages as numbers, an absent average
// as null. Text that is not UTF-8 is read as Latin-1.
std::string reportJson(const ReportTable& table);

// The table in aligned columns under a few header lines, for reading.
std::string reportText(const ReportTable& table);

// The pieces the tables above are written with, for other tables of reports:
// a JSON string (text that is not UTF-8 read as Latin-1), a figure as written
// by the report as a JSON number, and a CSV cell quoted where it needs it.
std::string jsonText(const std::string& s);
std::string jsonFigure(const std::string& figure);
std::string csvText(const std::string& s);

} // namespace results
