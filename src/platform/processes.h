#pragma once
// Whether a program of a given folder is running now.
#include <string>
#include <vector>

namespace platform {

// True when a process runs the program stored as folder + programName: on
// Windows from the process list, elsewhere from /proc, where a Windows program
// under Wine counts as well. Another copy of the program, started from another
// folder, does not count.
bool programRunning(const std::string& folder, const std::string& programName);

// A running copy of a program: its arguments and its HOME, where they can be read.
struct RunningProcess {
    std::vector<std::string> arguments; // without the program itself
    std::string home;
};

// Every process that runs folder + programName, as programRunning counts them.
// Where a process's arguments cannot be read (Windows) they come empty.
std::vector<RunningProcess> runningPrograms(const std::string& folder,
                                            const std::string& programName);

} // namespace platform

namespace platform {

// While on, Ctrl-C (and Ctrl-Break on Windows) only sets a flag that
// interruptRequested() reads, so that a wait can say what it leaves behind.
// Off restores the usual end of the program.
void catchInterrupts(bool on);
bool interruptRequested();

} // namespace platform
