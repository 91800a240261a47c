#pragma once
// Starting outside programs without waiting for them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct LaunchResult {
    bool started = false;
    std::string error; // what went wrong, in words for the user
    // The started process, whose windows may take keys meant for it (0 when unknown).
    std::int64_t processId = 0;
};

class Launcher {
  public:
    virtual ~Launcher() = default;
    // commandLine names the program relative to workingFolder, e.g. "CoDMP.exe +exec FRWb_lo.cfg".
    virtual LaunchResult startGame(const std::string& workingFolder,
                                   const std::string& commandLine) = 0;
    // Opens a text file for reading (Notepad on Windows, the desktop's editor elsewhere).
    virtual LaunchResult openTextFile(const std::string& path) = 0;
    // Starts a program by its full path with these arguments.
    virtual LaunchResult startProgram(const std::string& path,
                                      const std::vector<std::string>& arguments) = 0;
    LaunchResult startProgram(const std::string& path) { return startProgram(path, {}); }
};

// A spreadsheet program the export can start: its file name exactly as stored,
// and the arguments that open a new sheet in it.
struct SpreadsheetProgram {
    std::string name;
    std::vector<std::string> arguments;
};

// The spreadsheet programs of this system, "EXCEL.EXE" first. Where LibreOffice
// is the usual spreadsheet, its Calc programs follow.
std::vector<SpreadsheetProgram> spreadsheetPrograms();

// A started program whose end can be seen; dropping it leaves the program running.
class RunningProgram {
  public:
    virtual ~RunningProgram() = default;
    virtual bool running() = 0;
};

struct WatchedStart {
    LaunchResult result;
    std::unique_ptr<RunningProgram> program; // set when the game started
};

// Starts the game as Launcher::startGame does, keeping hold of it so that a caller
// can wait for its end.
WatchedStart startWatchedGame(const std::string& workingFolder, const std::string& commandLine);

// True when the error stream is a terminal, where a progress line can update in place.
bool errorStreamIsTerminal();

// "notepad.exe " + path, unquoted: the command line Windows is given for a text file.
std::string notepadCommandLine(const std::string& path);

std::unique_ptr<Launcher> systemLauncher();

} // namespace platform
