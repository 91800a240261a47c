#pragma once
// The folders every command works in. Folder values end with the platform's
// separator ("\" on Windows, "/" elsewhere) so that a name can simply be appended.
#include <filesystem>
#include <string>

namespace core {

struct GameFolders {
    std::string appFolder;   // the tool's small files: the program's folder in a portable copy
    std::string gameFolder;  // the folder of CoDMP.exe
    char gameDrive = 0;      // first character of gameFolder
    std::string mainFolder;  // gameFolder + MAIN
    std::string demosFolder; // mainFolder + demos
    std::string dataFolder;  // holds "User Results"; empty: appFolder (a portable copy)

    const std::string& resultsHome() const { return dataFolder.empty() ? appFolder : dataFolder; }
};

// Turns a folder value or folder + name into a path for the standard library.
inline std::filesystem::path fsPath(const std::string& text) {
    return std::filesystem::path(text);
}

// True when name is a plain file name: not empty, no separator, no drive, not "." or "..".
bool isPlainName(const std::string& name);

} // namespace core
