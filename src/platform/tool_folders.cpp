#include "platform/tool_folders.h"

#include "platform/files.h"

#include <filesystem>
#include <system_error>

namespace platform {

ToolFolders toolFolders() {
    return toolFoldersOf(programFolder());
}

ToolFolders toolFoldersOf(const std::string& programFolder) {
    ToolFolders f{programFolder, programFolder, programFolder, false};
    if (!exactNamePresent(programFolder, kSystemWideMarker)) return f;
    f.systemWide = true;
    f.settings = userSettingsFolder();
    f.data = userDataFolder();
    // Made here, once for both front ends; a folder that cannot be made shows up
    // as the file that cannot be written, with its own message.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(f.settings), ec);
    std::filesystem::create_directories(std::filesystem::path(f.data + "User Results"), ec);
    return f;
}

} // namespace platform
