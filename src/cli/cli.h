#pragma once
// framewise-cli: the window's flows from the command line. Choices come from
// options, questions are answered by options, messages go to the error stream,
// and the exit status tells a script what happened.
#include "core/game_profile.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "platform/single_instance.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Exit statuses; --help lists them and the README explains each.
enum ExitCode : int {
    kOk = 0,
    kFailed = 1,         // a file could not be written, or the configuration not restored
    kBadOptions = 2,     // bad or conflicting options, unknown demo, no game folder known
    kRefused = 3,        // a check refused: RUN's, start-up's, or the unanswered warning
    kGameNotStarted = 4, // the game could not be started
    kGameCrashed = 5,    // the game ended without all its dumps
    kDamaged = 6,        // the compilation found damaged dumps, dump list or run record
    kGaveUpWaiting = 7,  // no new dump for too long; the game was left running
    kNoResults = 8,      // no run waiting to be compiled
    kBadReport = 9,      // report: the file is not a readable report
    kInterrupted = 130,  // run --wait ended by Ctrl-C; the game was left running
};

// Every message the flows can show here, by words it holds, with the exit status
// it gives. When a command showed several, the first entry that matches one of
// them decides; informational messages give kOk.
struct MessageStatus {
    std::string words;
    ExitCode status;
};
const std::vector<MessageStatus>& messageStatuses();

// The exit status of the messages a flow showed: kOk when none of them is a
// refusal or a failure.
ExitCode statusOfMessages(const std::vector<std::string>& shown,
                          const core::GameProfile& game = core::codProfile());

struct Services {
    std::string appFolder; // the tool's small files: the remembered path file, the warning flag
    platform::Registry& registry;
    platform::Clock& clock;
    // Starts the game as the RUN flow asks, keeping hold of it.
    std::function<platform::WatchedStart(const std::string& workingFolder,
                                         const std::string& commandLine)>
        startGame;
    // The tool's single-copy guard for this install; empty: no guard is taken.
    std::function<platform::SingleCopy()> claimSingleCopy;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
    // Pause between looks at a running benchmark.
    std::function<void()> pause;
    // While waiting for the game: Ctrl-C only asks the wait to end; empty: not caught.
    std::function<void(bool on)> catchInterrupts = {};
    std::function<bool()> interrupted = {};
    // The folder that holds "User Results"; empty: appFolder.
    std::string dataFolder = {};

    const std::string& resultsHome() const { return dataFolder.empty() ? appFolder : dataFolder; }
};

// args without the program's name.
int run(const std::vector<std::string>& args, Services& services);

} // namespace cli
