#pragma once
// Writing a run's scripts into the game's main folder: the level files, the
// continuation scripts with the dump list, then the master script.
#include "bench/choices.h"
#include "core/game_profile.h"

#include <string>
#include <vector>

namespace bench {

struct ScriptFiles {
    std::vector<std::string> dumpFiles; // the dump list, in order
    std::string failedFile;             // full path of the file that could not be written
    bool ok() const { return failedFile.empty(); }
};

// Stops at the first file that cannot be written.
ScriptFiles writeScriptFiles(const std::string& mainFolder, const RunChoices& choices,
                             const CustomSettings& custom,
                             const core::GameProfile& game = core::codProfile());

// The same, for callers that only want the dump list's names.
std::vector<std::string> writeRunScripts(const std::string& mainFolder, const RunChoices& choices,
                                         const CustomSettings& custom,
                                         const core::GameProfile& game = core::codProfile());

} // namespace bench
