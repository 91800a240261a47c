#include "platform/launcher.h"
#include "platform/win32/win32_calls.h"

#include <cstdio>
#include <io.h>
#include <vector>

namespace platform {

namespace {

// The first word of a command line: up to the first blank, or a quoted text.
std::string programOf(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine.front() == '"') {
        auto end = commandLine.find('"', 1);
        return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

// Starts a process in a normal window that takes the focus and does not wait.
// The command line goes to the program exactly as given.
// With keep, the process handle is handed back instead of closed.
LaunchResult start(const std::string* application, const std::string& commandLine,
                   const std::string* workingFolder, HANDLE* keep = nullptr) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    BOOL ok = win32::createProcess(application ? application->c_str() : nullptr, line.data(),
                                   nullptr, nullptr, FALSE, 0, nullptr,
                                   workingFolder ? workingFolder->c_str() : nullptr, &si, &pi);
    if (!ok) {
        DWORD code = ::GetLastError();
        return {false, "Could not start \"" + commandLine + "\": " + win32::errorText(code)};
    }
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (keep)
        *keep = pi.hProcess;
    else if (pi.hProcess)
        ::CloseHandle(pi.hProcess);
    return {true, {}, static_cast<std::int64_t>(pi.dwProcessId)};
}

class ProcessProgram : public RunningProgram {
  public:
    explicit ProcessProgram(HANDLE process) : process_(process) {}
    ~ProcessProgram() override {
        if (process_) ::CloseHandle(process_);
    }
    bool running() override {
        return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
    }

  private:
    HANDLE process_;
};

class WindowsLauncher : public Launcher {
  public:
    LaunchResult startGame(const std::string& workingFolder,
                           const std::string& commandLine) override {
        std::string program = programOf(commandLine);
        if (program.empty()) return {false, "No program to start."};
        // Windows would look for the program beside this tool and in our current
        // folder, not in the working folder given to it; name it outright.
        std::string application = workingFolder + program;
        return start(&application, commandLine, &workingFolder, keep_);
    }
    LaunchResult openTextFile(const std::string& path) override {
        return start(nullptr, notepadCommandLine(path), nullptr);
    }
    LaunchResult startProgram(const std::string& path,
                              const std::vector<std::string>& arguments) override {
        // Named outright too, so that a path with blanks never starts "C:\Program.exe".
        std::string commandLine = path;
        for (const auto& a : arguments) commandLine += " " + a;
        return start(&path, commandLine, nullptr);
    }
    HANDLE* keep_ = nullptr; // where startGame leaves the game's handle, when watched
};

} // namespace

std::vector<SpreadsheetProgram> spreadsheetPrograms() {
    return {{"EXCEL.EXE", {}}};
}

std::unique_ptr<Launcher> systemLauncher() {
    return std::make_unique<WindowsLauncher>();
}

WatchedStart startWatchedGame(const std::string& workingFolder, const std::string& commandLine) {
    WindowsLauncher launcher;
    HANDLE process = nullptr;
    launcher.keep_ = &process;
    WatchedStart out;
    out.result = launcher.startGame(workingFolder, commandLine);
    if (out.result.started) out.program = std::make_unique<ProcessProgram>(process);
    return out;
}

bool errorStreamIsTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

} // namespace platform
