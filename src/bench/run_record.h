#pragma once
// The two files that tell the next launch of the tool what this run was: the run
// record and the dump list.
#include "bench/choices.h"
#include "platform/clock.h"

#include <string>
#include <vector>

namespace bench {

inline constexpr const char* kRunRecordFile = "FRWb_setup.ini";
inline constexpr const char* kDumpListFile = "FRWb_condump_list.ini";

// "FRWb_" + mmddyy + "_" + hhmmss + ".txt", e.g. "FRWb_120426_193005.txt".
std::string reportFileName(const platform::LocalTime& t);

// The long date, two blanks, then "hh:mm:ss" on a 12-hour clock and the AM/PM word,
// e.g. "Friday, December 04, 2026  07:30:05 PM".
std::string startTimeText(const platform::LocalTime& t);

// Both the report name and the start time come from the one reading t, so they can
// never straddle midnight.
std::vector<std::string> runRecordLines(const RunChoices& choices, const std::string& comment,
                                        const platform::LocalTime& t);

// Writes FRWb_setup.ini into mainFolder; false when it could not be written.
bool writeRunRecord(const std::string& mainFolder, const RunChoices& choices,
                    const std::string& comment, const platform::LocalTime& t);

} // namespace bench
