#include "platform/processes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

struct FileId {
    unsigned long major = 0, minor = 0, inode = 0;
};

// A process has its program mapped: a native one as its executable, one under
// Wine as the image Wine loaded. Both show in /proc/<pid>/maps by device and inode.
bool mapsFile(const fs::path& procEntry, const FileId& id, const std::string& path) {
    std::ifstream maps(procEntry / "maps");
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode;
        if (!(fields >> range >> perms >> offset >> device >> inode)) continue;
        std::string mapped;
        std::getline(fields >> std::ws, mapped);
        if (mapped == path) return true;
        const auto colon = device.find(':');
        if (colon == std::string::npos || inode == "0") continue;
        try {
            if (std::stoul(inode) == id.inode &&
                std::stoul(device.substr(0, colon), nullptr, 16) == id.major &&
                std::stoul(device.substr(colon + 1), nullptr, 16) == id.minor)
                return true;
        } catch (const std::exception&) {
            continue;
        }
    }
    return false;
}

std::string lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Wine names a process after its Windows program: the first argument is the
// program's Windows path ("Z:\games\cod\CoDMP.exe") or its plain name.
bool wineProgramIn(const fs::path& procEntry, const std::string& folder,
                   const std::string& programName) {
    std::ifstream in(procEntry / "cmdline", std::ios::binary);
    std::string first;
    if (!std::getline(in, first, '\0')) return false;
    const auto cut = first.find_last_of("\\/");
    if (lower(first.substr(cut == std::string::npos ? 0 : cut + 1)) != lower(programName))
        return false;
    std::error_code ec;
    const auto cwd = fs::read_symlink(procEntry / "cwd", ec);
    return !ec && fs::equivalent(cwd, fs::path(folder), ec) && !ec;
}

} // namespace

namespace {

// The processes of /proc that run the program, each given to found until it says stop.
void eachRunning(const std::string& folder, const std::string& programName,
                 const std::function<bool(const fs::path&)>& found) {
    const std::string program = folder + programName;
    struct stat st {};
    if (::stat(program.c_str(), &st) != 0) return;
    const FileId id{major(st.st_dev), minor(st.st_dev), static_cast<unsigned long>(st.st_ino)};
    std::error_code ec;
    const std::string path = fs::weakly_canonical(fs::path(program), ec).string();

    fs::directory_iterator it("/proc", ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() ||
            !std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        if (mapsFile(it->path(), id, path) || wineProgramIn(it->path(), folder, programName))
            if (!found(it->path())) return;
    }
}

std::vector<std::string> nulSeparated(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> items;
    for (std::string item; std::getline(in, item, '\0');)
        items.push_back(item);
    return items;
}

} // namespace

bool programRunning(const std::string& folder, const std::string& programName) {
    bool running = false;
    eachRunning(folder, programName, [&](const fs::path&) {
        running = true;
        return false;
    });
    return running;
}

std::vector<RunningProcess> runningPrograms(const std::string& folder,
                                            const std::string& programName) {
    std::vector<RunningProcess> out;
    eachRunning(folder, programName, [&](const fs::path& entry) {
        RunningProcess p;
        p.arguments = nulSeparated(entry / "cmdline");
        if (!p.arguments.empty()) p.arguments.erase(p.arguments.begin());
        for (const auto& e : nulSeparated(entry / "environ"))
            if (e.rfind("HOME=", 0) == 0) p.home = e.substr(5);
        out.push_back(std::move(p));
        return true;
    });
    return out;
}

} // namespace platform

#include <csignal>

namespace platform {

namespace {
volatile std::sig_atomic_t interrupted = 0;
void noteInterrupt(int) {
    interrupted = 1;
}
} // namespace

void catchInterrupts(bool on) {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = on ? noteInterrupt : SIG_DFL;
    if (on) interrupted = 0;
    ::sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return interrupted != 0;
}

} // namespace platform
