#pragma once
// "Generate Results": compiles the benchmark left in the game's main folder into a
// report, archives and shows it, restores the game's configuration and removes
// the tool's files once a report of them is saved.
#include "results/messages.h"
#include "bench/config_backup.h"
#include "core/dialogs.h"
#include "core/folders.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace results {


// What the window shows afterwards; an empty optional leaves that control as it is.
struct ResultsOutcome {
    bool archived = false;                              // a report is in the results folder
    std::optional<std::string> resultsloc;              // the archived report's path
    std::optional<std::vector<std::string>> comboItems; // Combo_Results, rebuilt
    std::optional<std::string> resultsText;             // ResultsText: CR LF before every line
};

// MakeResults_Click. Never throws; every fault is told through dialogs. show, when
// given, receives the outcome as soon as the report is archived, so the window
// shows it before the restoration and its closing message.
ResultsOutcome makeResults(const core::GameFolders& folders, core::Dialogs& dialogs,
                           const std::function<void(const ResultsOutcome&)>& show = {});

// RUN's care for a run left uncompiled, once the user has said to go ahead: its
// report is compiled and archived (or kept in the main folder), the player's
// configuration given back and its files removed, told in one message. A run
// that wrote no console dump measured nothing and is simply dropped. False, with the reason told
// and nothing changed, when its results cannot be saved: RUN must then stop.
bool settleEarlierRun(const core::GameFolders& folders, core::Dialogs& dialogs);

// The closing message: what became of the configuration and where the player's
// own is, and what became of the tool's files. runRemoved is false when the
// benchmark's files were kept because no report of them was saved.
std::string closingMessage(const bench::RestoreResult& restore,
                           const std::vector<std::string>& notRemoved, bool runRemoved,
                           const std::string& mainFolder,
                           const core::GameProfile& game = core::codProfile());

} // namespace results
