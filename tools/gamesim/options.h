#pragma once
// How the stand-in is started: its options (from the command line or from
// "gamesim.ini" in the game folder) and the game's own "+" commands.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace gamesim {

inline constexpr const char* kOptionsFile = "gamesim.ini";

struct Options {
    std::optional<int> crashAfterPlays; // exit at once when this many demo plays have ended
    bool windowed = false;              // the mode line says "windowed"
    // The largest mode the display can show (0: any): a larger one falls back to mode 3.
    int largestWidth = 0, largestHeight = 0;
    std::vector<std::string> failDumps; // condump cannot open these names ("*": every name)
    long maxFrames = 2'000'000;         // simulated frames before giving up (0: no limit)
    long idleFrames = 1000;             // frames with nothing to run before it is idle
    bool exitWhenIdle = false;          // idle: exit instead of staying in the menu
    std::uint64_t seed = 1;             // run-to-run spread of the figures
    std::string holdQuit;               // at quit, wait until this file is in the game folder
    // Plays OpenArena instead: q3config.cfg and demos/*.dm_71 in <home>/baseoa
    // (home: fs_homepath from the command line, else ~/.openarena), dumps only
    // to ".txt" names, and the engine's result line.
    bool openArena = false;
    std::string homePath;
    bool help = false;
};

// Exit statuses of the program.
enum ExitStatus : int {
    kExitQuit = 0,       // the scripts ran "quit"
    kExitCrash = 1,      // --crash-after-plays
    kExitIdle = 2,       // nothing left to run, with --exit-when-idle
    kExitFrameLimit = 3, // --max-frames reached, still running
    kExitHung = 4,       // the scripts never let a frame end
    kExitUsage = 64,     // a bad option
};

// Applies one "--name[=value]" option. False, with a message in error, when it is not one.
bool applyOption(Options& options, const std::string& option, std::string& error);

// Splits program arguments into options and the game's command line (every
// argument that is not an option, joined by blanks).
struct Arguments {
    Options options;
    std::string commandLine;
    std::string error;
};
Arguments parseArguments(const std::vector<std::string>& args, Options defaults = {});

// Options from the lines of an options file: one option per line, "#" starts a comment.
bool readOptionsFile(const std::string& content, Options& options, std::string& error);

std::string helpText();

// The whole program: reads the options file of gameFolder, then args, runs the game
// there and returns its exit status. Messages for the user go to err. With nothing
// left to run the game sits in its menu like the real one: stayInMenu is called and
// is expected not to return until the process is ended (a test's may return, and
// the program then ends with kExitIdle).
int runProgram(const std::vector<std::string>& args, const std::string& gameFolder,
               std::ostream& out, std::ostream& err, const std::function<void()>& stayInMenu);

} // namespace gamesim
