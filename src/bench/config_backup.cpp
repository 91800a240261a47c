#include "bench/config_backup.h"

#include "bench/run_record.h"
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
constexpr const char* kGivenBackLine =
    "Framewise gave the game's config back from its backup for this run.";
constexpr const char* kMissingLine =
    "The config's backup was missing, so Framewise had nothing to give back for this run.";

bool present(const std::string& mainFolder, const char* name) {
    return platform::exactNamePresent(mainFolder, name);
}

} // namespace

bool noDumpWritten(const std::string& mainFolder) {
    // Unreadable, the list cannot show that nothing ran.
    auto list = core::readLines(core::fsPath(mainFolder + kDumpListFile));
    if (!list) return false;
    // A game may add its own extension to the listed name; any game's counts, so
    // that the answer needs no profile and errs towards "something was measured".
    for (const auto& name : *list) {
        if (!core::isPlainName(name)) continue;
        if (present(mainFolder, name.c_str())) return false;
        for (const core::GameProfile* game : core::gameProfiles())
            if (*game->dumpExtension && present(mainFolder, (name + game->dumpExtension).c_str()))
                return false;
    }
    return true;
}

bool runNeverStarted(const std::string& mainFolder) {
    return present(mainFolder, kNotStartedFile) && noDumpWritten(mainFolder);
}

bool backupPending(const std::string& mainFolder) {
    if (present(mainFolder, kBackupPendingFile)) return true;
    if (!present(mainFolder, kRunRecordFile)) return false;
    return !present(mainFolder, kGivenBackFile) && !runNeverStarted(mainFolder);
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
    // The backup is the tool's own file: a link planted there is replaced, never
    // written through.
    out.error = platform::copyWhole(mainFolder + game.configFile, mainFolder + game.configBackup,
                                    mainFolder + kBackupScratch, false);
    out.renewed = out.error.empty();
    return out;
}

bool markGivenBack(const std::string& mainFolder, bool missing) {
    return core::writeLines(core::fsPath(mainFolder + kGivenBackFile),
                            {missing ? kMissingLine : kGivenBackLine});
}

RestoreResult giveConfigBack(const std::string& mainFolder, bool runStays,
                             const core::GameProfile& game) {
    RestoreResult out;
    if (!backupPending(mainFolder)) {
        if (auto line = core::readFirstLine(core::fsPath(mainFolder + kGivenBackFile)))
            out.ownKnown = *line != kMissingLine;
        return out;
    }
    // Ends the pending state; said when it could not be.
    auto settle = [&] {
        if (runStays && present(mainFolder, kRunRecordFile) &&
            !markGivenBack(mainFolder, out.state == RestoreState::Missing)) {
            out.why = std::string(kGivenBackFile) + " could not be written; Generate Results would put " +
                      game.configBackup + " back again, so change your config only after it";
            return;
        }
        std::error_code ec;
        std::filesystem::remove(core::fsPath(mainFolder + kBackupPendingFile), ec);
        // Still marked, a later restore would undo the player's changes: say so.
        if (ec)
            out.why = std::string(kBackupPendingFile) + " could not be removed (" + ec.message() +
                      "); delete it by hand before you change your config";
    };
    if (!platform::exactNamePresent(mainFolder, game.configBackup)) {
        out.state = RestoreState::Missing;
        settle();
        return out;
    }
    const std::string why = platform::copyWhole(
        mainFolder + game.configBackup, mainFolder + game.configFile, mainFolder + kRestoreScratch);
    if (!why.empty()) {
        out.state = RestoreState::Failed;
        out.why = why;
        return out;
    }
    out.state = RestoreState::Restored;
    settle();
    return out;
}

} // namespace bench
