#pragma once
// Putting the game's configuration back after a benchmark and removing the
// tool's files from the main folder.
#include <string>
#include <vector>

namespace results {

struct RestoreResult {
    bool restored = false;
    std::string why; // when not restored: what went wrong, in words for the user
};

// Copies config_mp.bak over config_mp.cfg in mainFolder; the backup stays. On any
// failure both files are left as they were.
RestoreResult restoreConfiguration(const std::string& mainFolder);

// Deletes every file of mainFolder whose name begins with "FRWb_" (exact case),
// except keep. Returns the names that could not be deleted.
std::vector<std::string> removeToolFiles(const std::string& mainFolder,
                                         const std::string& keep = {});

} // namespace results
