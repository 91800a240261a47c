#pragma once
// The report of one benchmark: its header and setup block from the run record,
// then one block of result lines per detail level.
#include "core/dialogs.h"
#include "results/dumps.h"

#include <optional>
#include <string>
#include <vector>

namespace results {

struct RunRecord {
    DumpMode mode = DumpMode::OnePerDump;
    std::string demo;
    std::vector<std::string> levels;
    std::vector<std::string> resolutions;
    std::string runsLine; // copied into the report as written
    int runs = 0;         // its value
    std::string reportName;
    std::string startTime;
    std::string comment;
};

struct RecordReading {
    std::optional<RunRecord> record;
    std::string fault; // what is wrong with the record when there is none
};

// Reads the record's fields at their fixed positions. A count that is not a
// number, a record that ends early, a report name that is not a plain
// "FRWb_....txt" name, or (one per dump) no runs, make it damaged. The setup
// alone is the record up to its number of runs: what the export reads.
enum class RecordPart { Whole, Setup };
RecordReading parseRunRecord(const std::vector<std::string>& lines,
                             RecordPart part = RecordPart::Whole);

// Report lines 1 to 13, each ended by CR LF.
std::string reportHeader(const RunRecord& record);

struct CompiledReport {
    std::string name; // empty when no report can be made; the fault has been shown
    std::string text; // the report's bytes; a stop may leave the last line unended
};

// Reads the run record, dump list and dumps of mainFolder and builds the report in
// memory. Every fault has been shown by the time it returns; nothing is written.
CompiledReport compileReport(const std::string& mainFolder, core::Dialogs& dialogs,
                             const core::GameProfile& game = core::codProfile());

} // namespace results
