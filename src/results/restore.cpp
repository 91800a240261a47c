#include "results/restore.h"

#include "bench/levels.h"
#include "bench/run_command.h"
#include "core/folders.h"
#include "platform/files.h"

#include <filesystem>
#include <system_error>

namespace results {

namespace {

// Copied first and then renamed over the configuration, so a failed copy never
// leaves a half-written config_mp.cfg. Its prefix makes the clean-up take it too.
constexpr const char* kRestoreScratch = "FRWb_config_mp.tmp";

} // namespace

RestoreResult restoreConfiguration(const std::string& mainFolder) {
    RestoreResult out;
    if (!platform::exactNamePresent(mainFolder, bench::kGameConfigBackup)) {
        out.why =
            std::string(bench::kGameConfigBackup) + " was not found in the game's main folder";
        return out;
    }
    const std::string why =
        platform::copyWhole(mainFolder + bench::kGameConfigBackup,
                            mainFolder + bench::kGameConfigFile, mainFolder + kRestoreScratch);
    if (!why.empty()) {
        out.why = std::string(bench::kGameConfigBackup) + " could not be copied to " +
                  bench::kGameConfigFile + " (" + why + ")";
        return out;
    }
    out.restored = true;
    return out;
}

std::vector<std::string> removeToolFiles(const std::string& mainFolder, const std::string& keep) {
    return platform::removeFilesStartingWith(mainFolder, bench::kToolFilePrefix, keep);
}

} // namespace results
