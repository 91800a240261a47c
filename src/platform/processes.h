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

namespace platform {

// While on, Ctrl-C (and Ctrl-Break on Windows) only sets a flag that
// interruptRequested() reads, so that a wait can say what it leaves behind.
// Off restores the usual end of the program.
void catchInterrupts(bool on);
bool interruptRequested();

} // namespace platform
