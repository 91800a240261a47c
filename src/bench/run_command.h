#pragma once
// RUN_Click: check the choices, write the run's files, back up the game's
// configuration and start the game on the first level file.
#include "bench/choices.h"
#include "bench/config_backup.h"
#include "core/dialogs.h"
#include "core/folders.h"
#include "platform/clock.h"
#include "platform/launcher.h"

#include <functional>
#include <string>
#include <vector>

namespace bench {

struct RunOutcome {
    bool closeTool = false; // the game was started; the tool ends now
};

// The warning flag file in the application folder: present means "do not warn again".
inline constexpr const char* kWarningFlagFile = "user1.ini";

// The fixed text of every message RUN can show; of those that name a file or a
// reason, the words before it. The user guide explains each one.
std::vector<std::string> messageCatalog();

// "CoDMP.exe +exec FRWb_<first chosen level>.cfg": the game's program, the home
// folder the user gave it, and the first level file.
std::string gameCommandLine(const RunChoices& choices,
                            const core::GameFolders& folders = core::GameFolders{});

// Called once the user has said to go ahead, before RUN changes anything: a run
// still waiting for its results is saved (compiled into the archive) so that
// RUN's clean-up takes nothing measured. True when RUN may go on; false when it
// must stop, the reason told.
using SettleEarlierRun = std::function<bool(core::Dialogs&)>;

RunOutcome runCommand(const core::GameFolders& folders, const RunChoices& choices,
                      const CustomSettings& custom, core::Dialogs& dialogs,
                      platform::Launcher& launcher, platform::Clock& clock,
                      const SettleEarlierRun& settleEarlierRun);

} // namespace bench
