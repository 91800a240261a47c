#include "platform/files.h"
#include "platform/launcher.h"
#include "platform/posix/spawn.h"

#include <fstream>
#include <sstream>

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
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Runs a program found at path: natively, or through Wine when it is a Windows program.
LaunchResult startFile(const std::string& path, std::vector<std::string> args,
                       const std::string& workingFolder) {
    std::vector<std::string> argv;
    if (isWindowsProgram(path)) {
        if (!programOnPath("wine"))
            return {false, "\"" + path + "\" is a Windows program and Wine is not installed.\r\n"
                           "Install Wine (apt-get install wine) to run it on this system."};
        argv = {"wine", path};
    } else {
        argv = {path};
    }
    argv.insert(argv.end(), args.begin(), args.end());
    return spawnDetached(argv, workingFolder);
}

class PosixLauncher : public Launcher {
public:
    LaunchResult startGame(const std::string& workingFolder, const std::string& commandLine) override {
        auto words = splitBlanks(commandLine);
        if (words.empty()) return {false, "No program to start."};
        // Windows finds the program whatever its letter case; so do we.
        auto stored = findIgnoringCase(workingFolder, words.front());
        if (!stored) return {false, "\"" + workingFolder + words.front() + "\" was not found."};
        return startFile(workingFolder + *stored, {words.begin() + 1, words.end()}, workingFolder);
    }
    LaunchResult openTextFile(const std::string& path) override {
        if (!programOnPath("xdg-open")) return {false, "No program to open text files was found (xdg-open)."};
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

} // namespace platform
