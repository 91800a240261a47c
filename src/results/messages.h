#pragma once
// What "Generate Results" can tell the user. Messages that name a file or a
// reason start with the words kept here; the user guide explains each one.
#include <string>
#include <vector>

namespace results {

inline constexpr const char* kNoResults = "Error - No results found";
inline constexpr const char* kPrematureTermination = "Error - Premature Benchmark Termination Detected";
inline constexpr const char* kStoppedEarly = "  AVG PROCESS FAIL:  BENCHMARK STOPPED EARLY.";
inline constexpr const char* kRestored = "CODconfig.bak has been restored to CODconfig.cfg";
inline constexpr const char* kRemoved =
    "All Framewise related files have been removed from your CallOfDuty Directory.";

inline constexpr const char* kDamagedRecord = "Error - The run record ";
inline constexpr const char* kDumpListTrouble = "Error - The dump list ";
inline constexpr const char* kDamagedDump = "Error - The console dump ";
// What follows a dump's name when it holds no line the screen size can be read from.
inline constexpr const char* kNoModeLine = "has no screen mode line (\"MODE: n, W x H ...\")";
inline constexpr const char* kReportNotArchived = "Error - The report ";
inline constexpr const char* kNotCompiled = "Error - The results could not be compiled";
inline constexpr const char* kNothingRestored =
    "Error - The game's configuration could not be restored";
inline constexpr const char* kNotRestored = "CODconfig.bak could not be restored to CODconfig.cfg";
inline constexpr const char* kNotRemoved =
    "These Framewise related files could not be removed from your CallOfDuty Directory:";
inline constexpr const char* kNothingRemoved = "No Framewise related files were removed";
inline constexpr const char* kRunKept =
    "The benchmark's files were kept in your CallOfDuty Directory, because no report of them "
    "was saved.";

inline constexpr const char* kNeverStarted =
    "Error - The benchmark never started: CallOfDuty was not started for it, so it has no "
    "results.";
inline constexpr const char* kBackupMissing =
    "CODconfig.bak is missing, so there was nothing to restore to CODconfig.cfg. It was left as "
    "it is and may still hold the benchmark's settings.";
// RUN, over a run whose results had not been generated.
inline constexpr const char* kEarlierSaved =
    "The results of the last benchmark had not been generated yet. So that this RUN does not "
    "delete them, they were generated first: ";
inline constexpr const char* kEarlierNotSaved =
    "Error - The last benchmark's results have not been generated, and they could not be saved "
    "now.";
inline constexpr const char* kRunStopped =
    "So that nothing is lost, RUN stopped: the last benchmark's files were kept and the game was "
    "not started. Press Generate Results to see what is wrong.";

inline std::vector<std::string> messageCatalog() {
    return {kNoResults,         kPrematureTermination, kStoppedEarly,    kRestored,
            kRemoved,           kDamagedRecord,        kDumpListTrouble, kDamagedDump,
            kReportNotArchived, kNotCompiled,          kNothingRestored, kNotRestored,
            kNotRemoved,        kNothingRemoved,       kRunKept,         kNeverStarted,
            kBackupMissing,     kEarlierSaved,         kEarlierNotSaved, kRunStopped};
}

} // namespace results
