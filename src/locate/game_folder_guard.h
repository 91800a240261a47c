#pragma once
// RUN, Generate Results and the export work in the game's folder. Two copies of
// the tool installed in different folders each hold their own single-copy guard,
// so the game folder has a guard of its own: while one copy works there, another
// is refused instead of compiling the same run a second time.
#include "core/dialogs.h"
#include "core/folders.h"
#include "platform/single_instance.h"

#include <memory>
#include <string>

namespace locate {

inline constexpr const char* kGameFolderBusy =
    "Another copy of Framewise is working in this CallOfDuty folder";

struct GameFolderHold {
    bool refused = false; // another copy works there; the user has been told
    std::unique_ptr<platform::SingleInstance> guard;
};

// Takes the game folder's guard for as long as the result lives. A guard that
// cannot be taken is told and the work goes on; a folder that is not there is
// left to the command, which tells it in its own words.
GameFolderHold holdGameFolder(const core::GameFolders& folders, core::Dialogs& dialogs);

// The message when another copy holds the guard.
std::string gameFolderBusyText(const std::string& gameFolder);

} // namespace locate
