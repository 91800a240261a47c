#pragma once
// The two files that tell the next launch of the tool what this run was: the run
// record and the dump list.
#include "bench/choices.h"
#include "platform/clock.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bench {

inline constexpr const char* kRunRecordFile = "FRWb_setup.ini";
inline constexpr const char* kDumpListFile = "FRWb_condump_list.ini";

// A report kept in the main folder when the results folder cannot take it goes
// under this prefix + its name, so that no clean-up removes it.
inline constexpr const char* kKeptReportPrefix = "Framewise_";

// "FRWb_" + mmddyy + "_" + hhmmss + ".txt", e.g. "FRWb_120426_193005.txt".
std::string reportFileName(const platform::LocalTime& t);

// The n-th name of a report: the name itself for 1, else "_" + n before ".txt"
// ("FRWb_120426_193005_2.txt"), so reports started in the same second each have one.
std::string numberedReportName(const std::string& name, int n);

// What a name made by reportFileName and numberedReportName holds: the date
// (mmddyy), the time (hhmmss) and the number (1 for the unnumbered name). Nothing
// for any other name.
struct ReportNameParts {
    std::string date, time;
    int number = 1;
};
std::optional<ReportNameParts> readReportName(const std::string& name);

// The first numbered name that taken does not refuse: no report is ever replaced.
std::string freeReportName(const std::string& name,
                           const std::function<bool(const std::string&)>& taken);

// The long date, two blanks, then "hh:mm:ss" on a 12-hour clock and the AM/PM word,
// e.g. "Friday, December 04, 2026  07:30:05 PM".
std::string startTimeText(const platform::LocalTime& t);

// Both the report name and the start time come from the one reading t, so they can
// never straddle midnight.
// reportName, when given, stands for the one made from t.
std::vector<std::string> runRecordLines(const RunChoices& choices, const std::string& comment,
                                        const platform::LocalTime& t,
                                        const std::string& reportName = {});

// Writes FRWb_setup.ini into mainFolder, whole or not at all and onto the disk;
// false when it could not be written.
bool writeRunRecord(const std::string& mainFolder, const RunChoices& choices,
                    const std::string& comment, const platform::LocalTime& t,
                    const std::string& reportName = {});

} // namespace bench
