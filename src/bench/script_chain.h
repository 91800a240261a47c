#pragma once
// The scripts that make the game play the demo at every chosen resolution and
// level without user input: one continuation script per level, which sets the
// dump variables, and one master script shared by all levels.
#include "bench/choices.h"

#include <string>
#include <vector>

namespace bench {

inline constexpr const char* kMasterScriptFile = "FRWb_master.cfg";

struct ContinuationScript {
    std::vector<std::string> lines;
    std::vector<std::string> dumpFiles; // the dumps its variables name, in dump-list order
};

// dumpExtension ends the name each condump is given (the game's files), not the
// names of the dump list.
ContinuationScript continuationScript(Level level, const RunChoices& choices,
                                      const std::string& dumpExtension = "");

std::vector<std::string> masterScriptLines(const RunChoices& choices);

// Every console dump the chain makes the game write, in the order of the dump list.
std::vector<std::string> dumpFileNames(const RunChoices& choices);

} // namespace bench
