#pragma once
// What the tool knows about one game, as plain data: which program it starts and
// watches, where the game keeps its data and writes its files, its configuration,
// its demos and console dumps, the lines it prints that the tool reads, and the
// settings of each detail level. The flows take every game fact from here.
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace core {

// One line of the Normal, High and Maximum files: the prefix as written (the
// quotes of the value are added) and the value of each of those levels.
struct LevelSetting {
    const char* prefix;
    std::array<const char*, 3> values; // Normal, High, Maximum
};

// The Custom Config tab's frames and tick boxes that a Custom file line can follow.
enum class CustomControl {
    Fixed,             // no control: values[0] always
    CharacterTextures, // chr_text: the value of the first selected option
    GeneralTextures,   // gen_text
    TextureFilter,     // values[0] when Bilinear is selected, else values[1]
    TextureBits,       // values[0] when 16 Bit Textures is selected, else values[1]
    WallMarks,         // values[0] unticked, values[1] ticked (with tickedPrefix)
    EjectingBrass,     // values[0] unticked, values[1] ticked
    DynamicLights,     // None, Models Only, Everything
    LightQuality,      // Fastest, Nicest
    ModelDetail,       // Minimum, Low, Normal, Maximum
    DrawBlood,         // values[0] unticked, values[1] ticked
};

// One line of the Custom file. A line that follows option buttons is left out
// when none of them is selected.
struct CustomSetting {
    CustomControl control;
    const char* prefix;
    std::array<const char*, 4> values;
    const char* tickedPrefix = nullptr; // WallMarks: the prefix of the ticked line
};

struct GameProfile {
    const char* key;      // "cod", "openarena": what --profile takes
    const char* gameName; // the name the window's title and messages use

    // The program started with the first level file, found in the program folder,
    // and the program that runs while the game plays (the first may start the
    // second and end). An empty watchedFolder means the program folder.
    const char* program;
    const char* watchedProgram;
    const char* watchedFolder;
    // Command-line words that name where the game writes, when the user gave
    // that folder ("+set fs_homepath "); empty when the game has no such option.
    const char* homePathOption;

    // The game's data: the folder below the install folder that holds it, and
    // the file that shows the install is whole (found in that folder).
    const char* dataFolder;
    const char* installCheck;
    // Where the game reads and writes scripts, dumps and its configuration: the
    // data folder of the install (homeFolder empty), or of the folder homeFolder
    // names below the user's home folder.
    const char* homeFolder;

    const char* configFile;
    const char* configBackup;
    const char* demosFolder;   // below the write folder (and the data folder)
    const char* demoPattern;   // "*.dm_2"
    const char* dumpExtension; // added to a dump's name when the game writes it

    // The console lines the results are read from: the screen mode line starts
    // with modeMarker; a result line has the shape resultLine, where <fps> is the
    // figure, <...> any other number, and everything else is literal.
    const char* modeMarker;
    const char* resultLine;

    std::vector<LevelSetting> levels;       // between "unbindall" and the final exec
    std::vector<CustomSetting> customLevel; // the same for the Custom file

    // The game's names in place of Call of Duty's, for texts written for that game.
    std::vector<std::pair<const char*, const char*>> names;
};

const GameProfile& codProfile();
const GameProfile& openArenaProfile();

// Every profile, Call of Duty first.
std::vector<const GameProfile*> gameProfiles();
// The profile --profile names ("cod", "openarena"); nullptr for any other word.
const GameProfile* profileByKey(const std::string& key);

// A text written for Call of Duty, with this game's names.
std::string forGame(const GameProfile& game, std::string text);

} // namespace core
