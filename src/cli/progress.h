#pragma once
// Watching a running benchmark: the dumps written so far against those the dump
// list names, the time spent and an estimate of the rest.
#include "platform/launcher.h"
#include "results/progress.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

namespace cli {

// "27/45 dumps, 12:34 elapsed, about 8:10 to go"
std::string progressLine(const results::DumpProgress& p, std::chrono::seconds elapsed);

// "8:10", "1:02:03"
std::string durationText(std::chrono::seconds s);

struct WaitOptions {
    // The least time without a new dump before the wait gives up; once dumps come,
    // the limit grows to several times the longest gap seen between them.
    std::chrono::milliseconds stallFloor{std::chrono::minutes(10)};
    bool terminal = false; // one line updated in place, else a line per change
    // Asked after every look: true ends the wait at once (the user pressed Ctrl-C).
    std::function<bool()> interrupted;
};

struct WaitResult {
    bool gameEnded = false; // else the wait gave up while the game still ran
    bool interrupted = false; // the user ended the wait; the game still ran
    results::DumpProgress last;
    std::chrono::seconds quiet{0}; // how long no dump had come when it gave up
};

// Looks at the main folder after every pause until the game ends or stalls.
WaitResult waitForGame(platform::RunningProgram& game, const std::string& mainFolder,
                       std::ostream& err, const WaitOptions& options,
                       const std::function<void()>& pause,
                       const core::GameProfile& profile = core::codProfile());

} // namespace cli
