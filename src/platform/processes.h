#pragma once
// Whether a program of a given folder is running now.
#include <string>

namespace platform {

// True when a process runs the program stored as folder + programName: on
// Windows from the process list, elsewhere from /proc, where a Windows program
// under Wine counts as well. Another copy of the program, started from another
// folder, does not count.
bool programRunning(const std::string& folder, const std::string& programName);

} // namespace platform
