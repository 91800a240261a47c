#include "platform/system_facts.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform {

namespace {

std::string trimmed(std::string s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The value after "key" and a colon (or an equals sign) on the first line that starts with key.
std::string valueIn(const char* file, const std::string& key, char separator) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const auto at = line.find(separator, key.size());
        if (at == std::string::npos || trimmed(line.substr(key.size(), at - key.size())) != "")
            continue;
        return trimmed(line.substr(at + 1));
    }
    return {};
}

std::string unquoted(std::string s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

void displaySize(SystemFacts& f) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(name, &screenNumber);
    if (!xcb_connection_has_error(c)) {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; it.rem && i < screenNumber; ++i)
            xcb_screen_next(&it);
        if (it.rem) {
            f.displayWidth = it.data->width_in_pixels;
            f.displayHeight = it.data->height_in_pixels;
        }
    }
    xcb_disconnect(c);
}

} // namespace

SystemFacts systemFacts() {
    SystemFacts f;
    utsname u{};
    if (uname(&u) == 0) {
        f.osName = u.sysname;
        f.osVersion = u.release;
    }
    const std::string pretty = unquoted(valueIn("/etc/os-release", "PRETTY_NAME", '='));
    if (!pretty.empty()) f.osName = pretty;
    f.cpu = valueIn("/proc/cpuinfo", "model name", ':');
    if (f.cpu.empty()) f.cpu = valueIn("/proc/cpuinfo", "Model", ':');
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    f.logicalCores = online > 0 ? static_cast<unsigned>(online) : 0;
    // "MemTotal:       16318412 kB"
    const std::string total = valueIn("/proc/meminfo", "MemTotal", ':');
    if (!total.empty()) f.memoryBytes = std::strtoull(total.c_str(), nullptr, 10) * 1024;
    displaySize(f);
    return f;
}

} // namespace platform
