#include "platform/tool_folders.h"

#include <windows.h>

#include <shlobj.h>

namespace platform {

namespace {

std::string roamingFolder() {
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return {};
    std::string folder = path;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + "Framewise\\";
}

} // namespace

std::string userSettingsFolder() {
    return roamingFolder();
}

std::string userDataFolder() {
    return roamingFolder();
}

} // namespace platform
