#include "bench/config_backup.h"

#include "core/textfile.h"
#include "platform/files.h"
#include "platform/processes.h"

#include <filesystem>
#include <system_error>

namespace bench {

namespace {

// Scratch names of the two copies; a copy that fails leaves neither behind.
constexpr const char* kBackupScratch = "FRWb_config_mp.bak.tmp";
constexpr const char* kRestoreScratch = "FRWb_config_mp.tmp";
constexpr const char* kPendingLine =
    "config_mp.bak holds your own config until Framewise restores it.";

} // namespace

bool backupPending(const std::string& mainFolder) {
    return platform::exactNamePresent(mainFolder, kBackupPendingFile);
}

bool gameRunning(const core::GameFolders& folders) {
    const core::GameProfile& game = folders.profile();
    const std::string folder = *game.watchedFolder ? game.watchedFolder : folders.startFolder();
    if (!*game.homeFolder) return platform::programRunning(folder, game.watchedProgram);
    // A game that writes in a home folder counts only when it writes in this one:
    // the engine's other players, or other homes, undo nothing here.
    for (const auto& p : platform::runningPrograms(folder, game.watchedProgram)) {
        std::string home;
        if (p.arguments.empty()) return true; // nothing to tell it by
        for (std::size_t i = 0; i + 1 < p.arguments.size(); ++i)
            if (p.arguments[i] == "fs_homepath") home = p.arguments[i + 1];
        if (home.empty()) home = p.home + platform::folderSeparator() + game.homeFolder;
        std::error_code ec;
        const auto data = std::filesystem::path(home) / game.dataFolder;
        if (std::filesystem::equivalent(data, core::fsPath(folders.mainFolder), ec)) return true;
    }
    return false;
}

std::string whereYourConfigIs(const std::string& mainFolder, const core::GameProfile& game) {
    if (!backupPending(mainFolder))
        return std::string("Your own config is ") + mainFolder + game.configFile + ".";
    if (!platform::exactNamePresent(mainFolder, game.configBackup))
        return std::string("Your own config was in ") + mainFolder + game.configBackup +
               ", which is missing: Framewise holds no copy of it.";
    return std::string("Your own config is safe in ") + mainFolder + game.configBackup +
           "; Generate Results puts it back.";
}

std::string gameRunningMessage(const std::string& mainFolder, const std::string& again,
                               const core::GameProfile& game) {
    return std::string(kGameStillRunning) +
           ".\r\n\r\nIt saves its settings into config_mp.cfg when it quits, which would undo "
           "anything done now, so nothing was changed. " +
           whereYourConfigIs(mainFolder, game) + "\r\n\r\nQuit CallOfDuty, then press " + again +
           " again.";
}

BackupResult secureBackup(const std::string& mainFolder, const core::GameProfile& game) {
    BackupResult out;
    if (backupPending(mainFolder) && platform::exactNamePresent(mainFolder, game.configBackup))
        return out;
    out.error = platform::copyWhole(mainFolder + game.configFile, mainFolder + game.configBackup,
                                    mainFolder + kBackupScratch);
    if (!out.error.empty()) return out;
    if (!core::writeLines(core::fsPath(mainFolder + kBackupPendingFile), {kPendingLine})) {
        out.error = std::string(kBackupPendingFile) + " could not be written";
        return out;
    }
    out.renewed = true;
    return out;
}

void withdrawBackup(const std::string& mainFolder) {
    std::error_code ignored;
    std::filesystem::remove(core::fsPath(mainFolder + kBackupPendingFile), ignored);
}

RestoreResult giveConfigBack(const std::string& mainFolder, const core::GameProfile& game) {
    RestoreResult out;
    if (!backupPending(mainFolder)) return out;
    out.state = RestoreState::Failed;
    if (!platform::exactNamePresent(mainFolder, game.configBackup)) {
        out.why = std::string(game.configBackup) + " was not found in the game's main folder";
        return out;
    }
    const std::string why = platform::copyWhole(
        mainFolder + game.configBackup, mainFolder + game.configFile, mainFolder + kRestoreScratch);
    if (!why.empty()) {
        out.why = why;
        return out;
    }
    std::error_code ec;
    std::filesystem::remove(core::fsPath(mainFolder + kBackupPendingFile), ec);
    out.state = RestoreState::Restored;
    // Still marked, a later restore would undo the player's changes: say so.
    if (ec)
        out.why = std::string(kBackupPendingFile) + " could not be removed (" + ec.message() +
                  "); delete it by hand before you change your config";
    return out;
}

} // namespace bench
