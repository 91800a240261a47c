#pragma once
// Removing the tool's files from the main folder once a benchmark is compiled.
// Putting the configuration back is the rule's (bench/config_backup.h).
#include <string>
#include <vector>

namespace results {

// Deletes every file of mainFolder whose name begins with "FRWb_" (exact case),
// the run record first and on the disk before the rest: an interruption never
// leaves a record without all its dumps. When the record cannot be deleted,
// nothing else is. Returns the names that could not be deleted.
std::vector<std::string> removeToolFiles(const std::string& mainFolder);

// The name a report is kept under in the main folder when the results folder
// cannot take it: without the tool's prefix, so no clean-up removes it.
std::string keptReportName(const std::string& reportName);

} // namespace results
