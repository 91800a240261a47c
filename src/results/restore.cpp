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
    namespace fs = std::filesystem;
    RestoreResult out;
    if (!platform::exactNamePresent(mainFolder, bench::kGameConfigBackup)) {
        out.why =
            std::string(bench::kGameConfigBackup) + " was not found in the game's main folder";
        return out;
    }
    const fs::path scratch = core::fsPath(mainFolder + kRestoreScratch);
    std::error_code ec;
    fs::copy_file(core::fsPath(mainFolder + bench::kGameConfigBackup), scratch,
                  fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(scratch, core::fsPath(mainFolder + bench::kGameConfigFile), ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(scratch, ignored);
        out.why = std::string(bench::kGameConfigBackup) + " could not be copied to " +
                  bench::kGameConfigFile + " (" + ec.message() + ")";
        return out;
    }
    out.restored = true;
    return out;
}

std::vector<std::string> removeToolFiles(const std::string& mainFolder, const std::string& keep) {
    std::vector<std::string> failed;
    for (const auto& name : platform::listFiles(mainFolder)) {
        if (name.rfind(bench::kToolFilePrefix, 0) != 0 || name == keep) continue;
        std::error_code ec;
        std::filesystem::remove(core::fsPath(mainFolder + name), ec);
        if (ec) failed.push_back(name);
    }
    return failed;
}

} // namespace results
