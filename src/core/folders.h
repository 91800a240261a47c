#pragma once
// The folders every command works in. Folder values end with the platform's
// separator ("\" on Windows, "/" elsewhere) so that a name can simply be appended.
#include "core/game_profile.h"

#include <filesystem>
#include <string>
#include <vector>

namespace core {

// The folder beside the program where every report is archived.
inline constexpr const char* kResultsFolderName = "User Results";

struct GameFolders {
    std::string appFolder;   // the tool's small files: the program's folder in a portable copy
    std::string gameFolder;  // the install folder (that of CoDMP.exe)
    char gameDrive = 0;      // first character of gameFolder
    std::string mainFolder;  // where the game reads and writes: gameFolder + MAIN
    std::string demosFolder; // mainFolder + demos
    std::string dataFolder;  // holds "User Results"; empty: appFolder (a portable copy)

    const std::string& resultsHome() const { return dataFolder.empty() ? appFolder : dataFolder; }
    const GameProfile* game = &codProfile();
    // The folder of the program that starts the game; empty: gameFolder.
    std::string programFolder;
    // The game's home folder as the user gave it, handed to the game on its
    // command line; empty when the game's own default is used.
    std::string homePath;
    // Other folders whose demos the game plays as well (the install's own).
    std::vector<std::string> moreDemoFolders;

    const GameProfile& profile() const { return *game; }
    const std::string& startFolder() const {
        return programFolder.empty() ? gameFolder : programFolder;
    }
};

// Turns a folder value or folder + name into a path for the standard library.
inline std::filesystem::path fsPath(const std::string& text) {
    return std::filesystem::path(text);
}

// True when name is a plain file name: not empty, no separator, no drive, not "." or "..".
bool isPlainName(const std::string& name);

} // namespace core
