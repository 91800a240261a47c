#include "locate/game_folder_guard.h"

#include <filesystem>
#include <system_error>

namespace locate {

std::string gameFolderBusyText(const std::string& gameFolder) {
    return std::string(kGameFolderBusy) + ":\r\n" + gameFolder +
           "\r\n\r\nNothing was changed. Wait until it has finished, then try again.";
}

GameFolderHold holdGameFolder(const core::GameFolders& folders, core::Dialogs& dialogs) {
    GameFolderHold hold;
    std::error_code ec;
    if (!std::filesystem::is_directory(core::fsPath(folders.gameFolder), ec)) return hold;
    auto taken = platform::acquireGameFolderGuard(folders.gameFolder);
    switch (taken.state) {
    case platform::SingleCopy::State::Held:
        hold.guard = std::move(taken.guard);
        break;
    case platform::SingleCopy::State::Elsewhere:
        core::tell(dialogs, gameFolderBusyText(folders.gameFolder));
        hold.refused = true;
        break;
    case platform::SingleCopy::State::Failed:
        core::tell(dialogs, "Framewise could not make sure that no other copy of it works in "
                            "this CallOfDuty folder: " +
                                taken.why + ".\r\nIt goes on; do not use another copy meanwhile.");
        break;
    }
    return hold;
}

} // namespace locate
