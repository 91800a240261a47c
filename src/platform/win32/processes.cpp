#include "platform/processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cctype>

namespace platform {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string fullPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer) return path;
    return std::string(buffer, n);
}

// The program file of a process; empty when the system does not say.
std::string imagePath(DWORD pid) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    char buffer[MAX_PATH * 2];
    DWORD size = sizeof buffer;
    std::string path;
    if (::QueryFullProcessImageNameA(process, 0, buffer, &size)) path.assign(buffer, size);
    ::CloseHandle(process);
    return path;
}

} // namespace

bool programRunning(const std::string& folder, const std::string& programName) {
    const std::string program = fullPath(folder + programName);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool running = false;
    for (BOOL more = ::Process32First(snapshot, &entry); more && !running;
         more = ::Process32Next(snapshot, &entry)) {
        if (!sameIgnoringCase(entry.szExeFile, programName)) continue;
        // A copy whose folder cannot be read counts: better to ask the user to
        // close a game that was not theirs than to restore under a running one.
        const std::string image = imagePath(entry.th32ProcessID);
        running = image.empty() || sameIgnoringCase(fullPath(image), program);
    }
    ::CloseHandle(snapshot);
    return running;
}

std::vector<RunningProcess> runningPrograms(const std::string& folder,
                                            const std::string& programName) {
    // Their arguments are not read here: a running copy counts whatever it was given.
    if (programRunning(folder, programName)) return {RunningProcess{}};
    return {};
}

} // namespace platform

#include <atomic>

namespace platform {

namespace {
std::atomic<bool> interrupted{false};
BOOL WINAPI noteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interrupted = true;
    return TRUE;
}
} // namespace

void catchInterrupts(bool on) {
    if (on) interrupted = false;
    if (on)
        SetConsoleCtrlHandler(noteInterrupt, TRUE);
    else
        SetConsoleCtrlHandler(noteInterrupt, FALSE);
}

bool interruptRequested() {
    return interrupted;
}

} // namespace platform
