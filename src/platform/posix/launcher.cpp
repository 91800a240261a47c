#include "platform/launcher.h"
#include "platform/files.h"
#include "platform/posix/spawn.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

bool isWindowsProgram(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

std::vector<std::string> splitBlanks(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// The arguments that run a program found at path: natively, or through Wine when
// it is a Windows program. Nothing, with the reason in error, when it cannot run.
std::optional<std::vector<std::string>>
argvFor(const std::string& path, const std::vector<std::string>& args, std::string& error) {
    std::vector<std::string> argv;
    if (isWindowsProgram(path)) {
        if (!programOnPath("wine")) {
            error = "\"" + path +
                    "\" is a Windows program and Wine is not installed.\r\n"
                    "Install Wine (apt-get install wine) to run it on this system.";
            return std::nullopt;
        }
        argv = {"wine", path};
    } else {
        argv = {path};
    }
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

LaunchResult startFile(const std::string& path, std::vector<std::string> args,
                       const std::string& workingFolder) {
    std::string error;
    auto argv = argvFor(path, args, error);
    if (!argv) return {false, error};
    return spawnDetached(*argv, workingFolder);
}

// The game's program as stored in its folder (Windows finds it whatever its
// letter case; so do we) and its arguments.
struct GameCall {
    std::string path;
    std::vector<std::string> args;
};
std::optional<GameCall> gameCall(const std::string& workingFolder, const std::string& commandLine,
                                 std::string& error) {
    auto words = splitBlanks(commandLine);
    if (words.empty()) {
        error = "No program to start.";
        return std::nullopt;
    }
    auto stored = findIgnoringCase(workingFolder, words.front());
    if (!stored) {
        error = "\"" + workingFolder + words.front() + "\" was not found.";
        return std::nullopt;
    }
    return GameCall{workingFolder + *stored, {words.begin() + 1, words.end()}};
}

class ChildProgram : public RunningProgram {
  public:
    explicit ChildProgram(int pid) : pid_(pid) {}
    bool running() override {
        if (ended_) return false;
        int status = 0;
        pid_t got = ::waitpid(pid_, &status, WNOHANG);
        if (got == 0) return true;
        ended_ = true; // reaped, or no longer ours to see
        return false;
    }

  private:
    pid_t pid_;
    bool ended_ = false;
};

class PosixLauncher : public Launcher {
  public:
    LaunchResult startGame(const std::string& workingFolder,
                           const std::string& commandLine) override {
        std::string error;
        auto call = gameCall(workingFolder, commandLine, error);
        if (!call) return {false, error};
        return startFile(call->path, call->args, workingFolder);
    }
    LaunchResult openTextFile(const std::string& path) override {
        if (!programOnPath("xdg-open"))
            return {false, "No program to open text files was found (xdg-open)."};
        return spawnDetached({"xdg-open", path}, "");
    }
    LaunchResult startProgram(const std::string& path,
                              const std::vector<std::string>& arguments) override {
        return startFile(path, arguments, "");
    }
};

} // namespace

std::vector<SpreadsheetProgram> spreadsheetPrograms() {
    // EXCEL.EXE runs through Wine like the game; the two LibreOffice starters
    // open its start centre unless asked for Calc.
    return {{"EXCEL.EXE", {}}, {"localc", {}}, {"libreoffice", {"--calc"}}, {"soffice", {"--calc"}}};
}

std::unique_ptr<Launcher> systemLauncher() { return std::make_unique<PosixLauncher>(); }

WatchedStart startWatchedGame(const std::string& workingFolder, const std::string& commandLine) {
    WatchedStart out;
    auto call = gameCall(workingFolder, commandLine, out.result.error);
    if (!call) return out;
    auto argv = argvFor(call->path, call->args, out.result.error);
    if (!argv) return out;
    int pid = 0;
    out.result = spawnChild(*argv, workingFolder, pid);
    if (out.result.started) out.program = std::make_unique<ChildProgram>(pid);
    return out;
}

bool errorStreamIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

} // namespace platform
