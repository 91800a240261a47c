#pragma once
// Finding the game: the remembered path file beside the program, the start-up
// lookup (registry, then the user), the relocation, and the game folder set-up
// that checks the game's data and lists its demos.
#include "core/dialogs.h"
#include "core/folders.h"
#include "core/game_profile.h"
#include "platform/registry.h"

#include <optional>
#include <string>
#include <vector>

namespace locate {

inline constexpr const char* kPathFileName = "CoD_path.ini";
inline constexpr const char* kRegistryKey = "SOFTWARE\\Activision\\Call of Duty";
inline constexpr const char* kRegistryValue = "InstallPath";
inline constexpr const char* kFinderFilter = "CoDMP.exe (CoDMP.exe)";
inline constexpr const char* kAlreadyRunning = "Already Running";
inline constexpr const char* kNoSingleCopyGuard =
    "Framewise could not make sure that only one copy of it runs";
inline constexpr const char* kPleaseLocate = "Please Locate CoDMP.exe:";
inline constexpr const char* kConfirmTitle = "CONFIRM COD ARENA PATH";
inline constexpr const char* kNoPakFiles = "ERROR!  No CallOfDuty PAK Files Detected!";
inline constexpr const char* kPakName = "pak0.pk3";
inline constexpr const char* kDemoPattern = "*.dm_2";

// Told when the guard against a second copy could not be taken; the program goes on.
std::string noSingleCopyGuardText(const std::string& why);

// The message shown when the registry gives no install path.
std::string notInRegistryText();

// The fixed text of every message of start-up and the game lookup; of those that
// name a folder or file, the words around it. The user guide explains each one.
std::vector<std::string> messageCatalog();
// The Yes/No confirmation of a candidate folder (given without its trailing separator).
core::Message confirmation(const std::string& candidate);

// The remembered path file as stored in appFolder, whatever its letter case.
std::optional<std::string> findPathFile(const std::string& appFolder);
// Where the remembered path is written: the existing file, else CoD_path.ini.
std::string pathFileFor(const std::string& appFolder);

// What a locator flow leaves behind. When proceed is false the program ends.
struct Outcome {
    bool proceed = false;
    core::GameFolders folders;
    std::vector<std::string> demos; // whole names, in listing order
};

// Form_Load's part: use the remembered path file, or find and confirm the game
// folder (registry, then the file dialog), then set the game folder up.
Outcome startUp(const std::string& appFolder, core::Dialogs& dialogs, platform::Registry& registry);

// UpdateCODLoc_Click: the user picks CoDMP.exe again, confirms, and the game
// folder is set up anew.
Outcome relocate(const std::string& appFolder, core::Dialogs& dialogs);

// Reads the remembered path file and derives the folders, checks pak0.pk3 and
// lists the demos. A missing pak0.pk3 is reported here; the file is kept.
struct SetUp {
    enum class Status { Ready, Unreadable, NoPakFiles } status = Status::Unreadable;
    core::GameFolders folders;
    std::vector<std::string> demos;
};
SetUp setUpGameFolder(const std::string& appFolder, core::Dialogs& dialogs);
// The same for a game folder given outright; the remembered path file is not read
// nor written.
SetUp setUpGameFolderAt(const std::string& appFolder, const std::string& gameFolder,
                        core::Dialogs& dialogs);

// A game install as the user named it: the install folder, the game it holds,
// where its program is, and the home folder it is to write in.
struct GameChoice {
    std::string installFolder;
    const core::GameProfile* game = &core::codProfile();
    std::string programFolder; // empty: the install folder
    std::string homePath;      // empty: the game's own default
};

// The install folder that a folder chosen in the locator names: one holding the
// data folder of a game told by its data (OpenArena's baseoa), or that data folder
// itself; without the trailing separator. Nothing for any other folder: Call of
// Duty is chosen by its program.
std::optional<std::string> chosenInstallFolder(const std::string& folder);

// The game at path: a game's program, or an install folder (that of CoDMP.exe,
// or the one holding baseoa). forced, when given, decides the game. A path that
// shows no game is taken as a Call of Duty folder, whose checks then tell.
GameChoice recogniseGame(const std::string& path, const core::GameProfile* forced = nullptr);

// The game folder set-up for a chosen game; the remembered path file is not
// read nor written.
SetUp setUpGame(const std::string& appFolder, const GameChoice& choice, core::Dialogs& dialogs);

// Where the game is, for a front end that does not ask: the remembered path
// file's folder, else the registry's install path. Nothing when neither says.
struct KnownFolder {
    std::string gameFolder; // ends with the separator
    bool fromRegistry = false;
};
std::optional<KnownFolder> knownGameFolder(const std::string& appFolder,
                                           platform::Registry& registry);

// The home folder a game that takes one (OpenArena's fs_homepath) reads and
// writes in, as the window remembers it: a file of its own beside the remembered
// path file, whose meaning stays as it was. Empty: the game's own default, also
// for a stored folder that could not be handed to the game.
inline constexpr const char* kHomePathFileName = "fs_homepath.ini";
std::string rememberedHomePath(const std::string& appFolder);
// Remembers folder; an empty folder forgets it (the game's default again).
bool rememberHomePath(const std::string& appFolder, const std::string& folder,
                      std::string* why = nullptr);
// Why folder cannot be handed to the game as its home folder; empty when it can.
std::string homePathProblem(const std::string& folder);

// The location failure: the remembered path file goes, and the program ends.
void forgetLocation(const std::string& appFolder);

} // namespace locate
