#pragma once
// What measured a report: the renderer and game version the game printed in its
// console dumps, the computer, and the run's choices. Written at Generate Results
// as a small JSON file beside the archived report; a report without one (older,
// or copied in by hand) works as before and is said to have no system recorded.
#include "core/folders.h"
#include "results/report_reader.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace results {

inline constexpr const char* kSystemNotRecorded = "system not recorded";
// The record's name: the report's name without ".txt", and this.
inline constexpr const char* kSystemSuffix = ".system.json";

// The renderer block the engine prints at every video start, and its version line.
struct RendererLines {
    std::string vendor, renderer, version;       // GL_VENDOR, GL_RENDERER, GL_VERSION
    std::optional<std::size_t> extensionsLength; // of the GL_EXTENSIONS text
    std::string extensionsHash;                  // FNV-1a 64 of that text, 16 hex digits
    std::string gameVersion; // "ioq3 1.36 ... linux-x86_64 Jan  8 2023", when a dump holds it
};

// From the dumps' texts in order; the last block seen wins, as it measured the
// last runs. Fields no dump holds stay empty.
RendererLines rendererFromDumps(const std::vector<std::string>& dumpTexts);

// A record: named fields with text values, in a fixed order.
struct SystemRecord {
    std::vector<std::pair<std::string, std::string>> fields;
    const std::string* find(const std::string& name) const;
    void set(const std::string& name, const std::string& value);
};

// The keys that describe the system (compared between reports), in order.
const std::vector<std::string>& systemKeys();

// A flat JSON object of text values, LF lines.
std::string systemRecordJson(const SystemRecord& record);
// The same object on one line, to stand inside another JSON text.
std::string systemRecordInline(const SystemRecord& record);

// The report's JSON with what measured it: "systemRecorded" true and "system"
// the record's object, or false and null for a report without one.
std::string reportJson(const ReportTable& table, const std::optional<SystemRecord>& system);
// Reads what systemRecordJson writes (any flat object of string values); nothing otherwise.
std::optional<SystemRecord> parseSystemRecord(const std::string& bytes);

// "<folder>FRWb_120426_193005.system.json" for "<folder>FRWb_120426_193005.txt".
std::string systemRecordPath(const std::string& reportPath);
bool isSystemRecordName(const std::string& name);

// The record beside the report at reportPath, when there is a readable one.
std::optional<SystemRecord> readSystemRecord(const std::string& reportPath);

// Writes the record as a new file: never over an existing file or through a
// link, and whole or not at all. False, with the reason, when it was not written.
bool writeSystemRecord(const std::string& path, const SystemRecord& record, std::string& why);

// Gathers the record of the run in mainFolder (run record, dump list and the
// dumps as the game names them, the Custom level's file) and of this computer.
// reportName names the report.
SystemRecord gatherSystemRecord(const std::string& mainFolder, const core::GameProfile& game,
                                const std::string& reportName);

} // namespace results
