#pragma once
// The one rule for the player's configuration, asked by RUN, Generate Results and
// the spreadsheet export:
//
// RUN copies config_mp.cfg to config_mp.bak, then writes the run record. A run
// record beside config_mp.bak says that a benchmark's settings may be in
// config_mp.cfg and that config_mp.bak is the player's own: the backup is
// pending. No RUN renews a pending backup. Only a restore while the game is not
// running ends it; once config_mp.cfg is the player's again, nothing copies
// config_mp.bak over it until the next RUN. The tool knows config_mp.cfg is the
// player's only when it gave it back itself while the run's files stay (the
// export marks that), or when the game was never started for the run.
#include "core/folders.h"
#include "core/game_profile.h"

#include <string>

namespace bench {

// Call of Duty's names; the flows take the names of the game's profile.
inline constexpr const char* kGameConfigFile = "config_mp.cfg";
inline constexpr const char* kGameConfigBackup = "config_mp.bak";
inline constexpr const char* kGameProgram = "CoDMP.exe";
// The mark earlier versions wrote from the backup until a restore: still honoured
// as a pending backup, even without a run record, and never written any more.
inline constexpr const char* kBackupPendingFile = "FRWb_backup_pending.ini";
// This run's configuration was given back while its files stay (the export).
inline constexpr const char* kGivenBackFile = "FRWb_config_given_back.ini";
// Written just before the run record and removed once the game has started: with
// no console dump beside it, the game never ran for this run.
inline constexpr const char* kNotStartedFile = "FRWb_not_started.ini";

inline constexpr const char* kGameStillRunning = "Error - CallOfDuty is still running";
inline constexpr const char* kAlreadyYours =
    "CODconfig.cfg was left as it is: it already holds your own config";
inline constexpr const char* kLeftAsItIs = "CODconfig.cfg was left as it is";

// A benchmark's settings may be in config_mp.cfg; config_mp.bak holds the player's.
bool backupPending(const std::string& mainFolder);

// No console dump of the dump list exists, under its listed name or with a
// game's dump extension: nothing of the run was measured. False when the list
// cannot be read.
bool noDumpWritten(const std::string& mainFolder);

// The run record belongs to a run whose game was never started: it has the mark
// of a start not yet made and no console dump of its list exists.
bool runNeverStarted(const std::string& mainFolder);

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

enum class RestoreState {
    Restored,
    NotNeeded, // config_mp.cfg is known to be the player's
    Missing,   // pending, but config_mp.bak is gone: nothing to restore; pending ended
    Failed,
};

struct RestoreResult {
    RestoreState state = RestoreState::NotNeeded;
    // NotNeeded: false when the backup had gone missing, so config_mp.cfg may
    // still hold a benchmark's settings and is not called the player's own.
    bool ownKnown = true;
    std::string why; // Failed: the system's reason; Restored: a warning, if any
    bool restored() const { return state == RestoreState::Restored; }
};

// Generate Results and the export: when the backup is pending, copies
// config_mp.bak over config_mp.cfg (or the file it links to) and ends the
// pending state. Otherwise config_mp.cfg is the player's and is left alone. A
// failure leaves both files and the run as they were. When the run's files stay
// (runStays, the export), the run is marked as given back; otherwise the caller
// removes the run record next. The caller has checked that the game is not running.
RestoreResult giveConfigBack(const std::string& mainFolder, bool runStays = false,
                             const core::GameProfile& game = core::codProfile());

// Marks the run's configuration as given back, for a run record that could not
// be removed after its restore. False when the mark could not be written.
bool markGivenBack(const std::string& mainFolder, bool missing);

} // namespace bench
