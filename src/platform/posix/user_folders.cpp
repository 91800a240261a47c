#include "platform/tool_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string home() {
    if (const char* value = std::getenv("HOME"); value && value[0] == '/') return value;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return "/";
}

// A relative value is not a base folder: it is ignored, as the desktop's own
// programs ignore it.
std::string xdgFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    std::string base = value && value[0] == '/' ? std::string(value)
                                                : withoutTrailingSlashes(home()) + "/" + underHome;
    base = withoutTrailingSlashes(base);
    return (base == "/" ? std::string() : base) + "/framewise/";
}

} // namespace

std::string userSettingsFolder() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string userDataFolder() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

} // namespace platform
