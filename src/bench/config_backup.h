#pragma once
// The one rule for the player's configuration, asked by RUN, Generate Results and
// the spreadsheet export:
//
// RUN copies config_mp.cfg to config_mp.bak and marks the backup pending. While it
// is pending, a benchmark's settings may be in config_mp.cfg and config_mp.bak is
// the player's own: no RUN renews it and no clean-up removes the mark. Only a
// restore while the game is not running ends it; once config_mp.cfg is the
// player's again, nothing copies config_mp.bak over it until the next RUN.
#include "core/folders.h"
#include "core/game_profile.h"

#include <string>

namespace bench {

// Call of Duty's names; the flows take the names of the game's profile.
inline constexpr const char* kGameConfigFile = "config_mp.cfg";
inline constexpr const char* kGameConfigBackup = "config_mp.bak";
inline constexpr const char* kGameProgram = "CoDMP.exe";
// The mark: present from the backup until a restore has succeeded. It starts with
// the tool's prefix so the player can see whose it is; the clean-ups spare it.
inline constexpr const char* kBackupPendingFile = "FRWb_backup_pending.ini";

inline constexpr const char* kGameStillRunning = "Error - CallOfDuty is still running";
inline constexpr const char* kAlreadyYours =
    "CODconfig.cfg was left as it is: it already holds your own config";

// A benchmark's settings may be in config_mp.cfg; config_mp.bak holds the player's.
bool backupPending(const std::string& mainFolder);

// The game of this install runs now; what it saves when it quits would undo a restore.
bool gameRunning(const core::GameFolders& folders);

// One sentence for the end of a message: where the player's configuration is now.
std::string whereYourConfigIs(const std::string& mainFolder,
                              const core::GameProfile& game = core::codProfile());

// The refusal while the game runs; again names the button to press afterwards.
std::string gameRunningMessage(const std::string& mainFolder, const std::string& again,
                               const core::GameProfile& game = core::codProfile());

struct BackupResult {
    bool renewed = false; // config_mp.bak was made from config_mp.cfg now
    std::string error;    // the system's reason when it failed; nothing then changed
};

// RUN, just before the game starts: a pending backup is kept as it is; otherwise
// config_mp.cfg is copied to config_mp.bak and the backup marked pending.
BackupResult secureBackup(const std::string& mainFolder,
                          const core::GameProfile& game = core::codProfile());

// RUN, when the game could not be started after secureBackup renewed the backup:
// config_mp.cfg was never touched, so nothing is pending.
void withdrawBackup(const std::string& mainFolder);

enum class RestoreState { Restored, NotNeeded, Failed };

struct RestoreResult {
    RestoreState state = RestoreState::NotNeeded;
    std::string why; // Failed: the system's reason; Restored: a warning, if any
    bool restored() const { return state == RestoreState::Restored; }
};

// Generate Results and the export: when the backup is pending, copies
// config_mp.bak over config_mp.cfg (or the file it links to) and ends the
// pending state. Otherwise config_mp.cfg is the player's and is left alone. A
// failure leaves both files and the mark as they were. The caller has checked
// that the game is not running.
RestoreResult giveConfigBack(const std::string& mainFolder,
                             const core::GameProfile& game = core::codProfile());

} // namespace bench
