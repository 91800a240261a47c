#include "locate/locate.h"

#include "core/textfile.h"
#include "platform/files.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace locate {

namespace {

std::string separators() {
    // Windows accepts both; elsewhere a backslash is an ordinary character.
    return platform::folderSeparator() == '\\' ? "\\/" : "/";
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || separators().find(folder.back()) == std::string::npos)
        folder += platform::folderSeparator();
    return folder;
}

// The folder holding a chosen file, without its trailing separator.
std::optional<std::string> folderOf(const std::string& path) {
    auto pos = path.find_last_of(separators());
    if (path.empty() || pos == std::string::npos) return std::nullopt;
    return path.substr(0, pos);
}

// The registered install path is the game folder itself; its terminating zero
// and any trailing separator go.
std::string registryCandidate(platform::Registry& registry) {
    auto value = registry.readLocalMachine(kRegistryKey, kRegistryValue);
    std::string text;
    if (value.kind == platform::RegistryValue::Kind::Text) {
        text = value.text;
        auto zero = text.find('\0');
        if (zero != std::string::npos) text.resize(zero);
    } else if (value.kind == platform::RegistryValue::Kind::Number) {
        text = std::to_string(value.number);
    }
    while (!text.empty() && separators().find(text.back()) != std::string::npos)
        text.pop_back();
    // Under Wine the registered path is a Windows one; a path that names no
    // folder here is as good as no value.
    return text.empty() ? text : registry.localFolder(text);
}

bool remember(const std::string& appFolder, const std::string& candidate,
              std::string* why = nullptr) {
    return core::writeLines(pathFileFor(appFolder), {candidate + platform::folderSeparator()},
                            why);
}

bool confirmed(core::Dialogs& dialogs, const std::string& candidate) {
    return dialogs.message(confirmation(candidate)) == core::Answer::Yes;
}

// The file dialog and the confirmation, until the user says Yes. False on a
// failure: nothing chosen yet, or the remembered path file cannot be written.
bool chooseAndConfirm(const std::string& appFolder, core::Dialogs& dialogs) {
    for (;;) {
        const std::string chosen =
            dialogs.openFile(core::FileDialog::DIALOG_COD_FIND, kFinderFilter);
        auto candidate = chosenInstallFolder(chosen);
        if (!candidate) candidate = folderOf(chosen);
        if (!candidate || !remember(appFolder, *candidate)) return false;
        if (confirmed(dialogs, *candidate)) return remember(appFolder, *candidate);
        core::tell(dialogs, kPleaseLocate);
    }
}

Outcome fail(const std::string& appFolder) {
    forgetLocation(appFolder);
    return {};
}

Outcome finish(const std::string& appFolder, core::Dialogs& dialogs) {
    auto setUp = setUpGameFolder(appFolder, dialogs);
    switch (setUp.status) {
    case SetUp::Status::Ready:
        return {true, std::move(setUp.folders), std::move(setUp.demos)};
    case SetUp::Status::NoPakFiles:
        return {}; // told the user; the file stays
    case SetUp::Status::Unreadable:
        break;
    }
    return fail(appFolder);
}

constexpr const char* kConfirmQuestion = "  the correct path to CallOfDuty?";
constexpr const char* kCouldNotRemember = "Framewise could not write ";
constexpr const char* kCannotReadPathFile = "Framewise could not read ";

enum class PathFile { Usable, Absent, Unreadable };

// An empty file counts as absent, so that the user is asked again. One that is
// there but cannot be read as text (a FIFO, a device, a folder, a huge file) is
// told and left alone: asking would only end in failing to write it.
PathFile checkPathFile(const std::string& appFolder, core::Dialogs& dialogs) {
    auto name = findPathFile(appFolder);
    if (!name) return PathFile::Absent;
    std::string why;
    auto line = core::readFirstLine(core::fsPath(appFolder + *name), &why);
    if (line) return line->empty() ? PathFile::Absent : PathFile::Usable;
    if (why.empty()) return PathFile::Absent;
    core::tell(dialogs, kCannotReadPathFile + appFolder + *name + ": " + why +
                            ".\r\nNothing was changed; repair or remove that file and start "
                            "Framewise again.");
    return PathFile::Unreadable;
}

} // namespace

std::vector<std::string> messageCatalog() {
    return {kAlreadyRunning, kNoSingleCopyGuard, notInRegistryText(), kPleaseLocate, kConfirmQuestion,
            kCouldNotRemember, kNoPakFiles, kCannotReadPathFile};
}

std::string noSingleCopyGuardText(const std::string& why) {
    return std::string(kNoSingleCopyGuard) + ": " + why +
           ".\r\nIt starts anyway; do not start it a second time while it is open.";
}

std::string notInRegistryText() {
    return "Framewise was unable to find the location of\r\n\"CoDMP.exe\"in the registry.\r\n  "
           "\r\n" +
           std::string(kPleaseLocate);
}

core::Message confirmation(const std::string& candidate) {
    core::Message m;
    // The question names the game the folder holds.
    const core::GameProfile& game = *recogniseGame(candidate).game;
    m.text = core::forGame(game, "Is: \"" + candidate + platform::folderSeparator() + "\"" +
                                     kConfirmQuestion);
    m.title = core::forGame(game, kConfirmTitle);
    m.buttons = core::Buttons::YesNo;
    m.icon = core::Icon::Critical;
    m.defaultButton = core::Answer::No;
    m.helpFile = "DEMO.HLP";
    m.helpTopic = 1000;
    return m;
}

std::optional<std::string> findPathFile(const std::string& appFolder) {
    return platform::findIgnoringCase(appFolder, kPathFileName);
}

std::string pathFileFor(const std::string& appFolder) {
    return appFolder + findPathFile(appFolder).value_or(kPathFileName);
}

Outcome startUp(const std::string& appFolder, core::Dialogs& dialogs,
                platform::Registry& registry) {
    switch (checkPathFile(appFolder, dialogs)) {
    case PathFile::Usable:
        return finish(appFolder, dialogs);
    case PathFile::Unreadable:
        return {};
    case PathFile::Absent:
        break;
    }

    auto candidate = registryCandidate(registry);
    if (candidate.empty()) {
        core::tell(dialogs, notInRegistryText());
    } else if (confirmed(dialogs, candidate)) {
        std::string why;
        if (remember(appFolder, candidate, &why)) return finish(appFolder, dialogs);
        core::tell(dialogs,
                   kCouldNotRemember + pathFileFor(appFolder) + ": " + why +
                       ".\r\nThe game folder was not remembered; nothing else was changed.");
        return {};
    } else {
        core::tell(dialogs, kPleaseLocate);
    }
    // From the first file dialog on, every failure forgets the location.
    if (!chooseAndConfirm(appFolder, dialogs)) return fail(appFolder);
    return finish(appFolder, dialogs);
}

Outcome relocate(const std::string& appFolder, core::Dialogs& dialogs) {
    core::tell(dialogs, kPleaseLocate);
    if (!chooseAndConfirm(appFolder, dialogs)) return fail(appFolder);
    return finish(appFolder, dialogs);
}

SetUp setUpGameFolder(const std::string& appFolder, core::Dialogs& dialogs) {
    auto name = findPathFile(appFolder);
    if (!name) return {};
    auto line = core::readFirstLine(core::fsPath(appFolder + *name));
    if (!line || line->empty()) return {};
    // The path file names a folder. A file named there (a program, say) is no
    // game folder, and its checks say so, rather than its folder being taken.
    std::error_code ec;
    if (std::filesystem::is_regular_file(core::fsPath(*line), ec)) {
        GameChoice asWritten;
        asWritten.installFolder = withSeparator(*line);
        return setUpGame(appFolder, asWritten, dialogs);
    }
    GameChoice choice = recogniseGame(*line);
    if (*choice.game->homePathOption) choice.homePath = rememberedHomePath(appFolder);
    return setUpGame(appFolder, choice, dialogs);
}

SetUp setUpGameFolderAt(const std::string& appFolder, const std::string& gameFolder,
                        core::Dialogs& dialogs) {
    if (gameFolder.empty()) return {};
    return setUpGame(appFolder, recogniseGame(gameFolder), dialogs);
}

std::optional<std::string> chosenInstallFolder(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_directory(core::fsPath(path), ec)) return std::nullopt;
    std::string folder = path;
    while (folder.size() > 1 && separators().find(folder.back()) != std::string::npos)
        folder.pop_back();
    const auto parent = folderOf(folder);
    const std::string name = parent ? folder.substr(parent->size() + 1) : folder;
    for (const core::GameProfile* p : core::gameProfiles()) {
        if (!*p->homeFolder) continue;
        if (platform::findIgnoringCase(withSeparator(folder), p->dataFolder)) return folder;
        // The data folder itself: the player picked what they saw in the install.
        if (parent && !parent->empty() &&
            platform::findIgnoringCase(withSeparator(*parent), p->dataFolder) == name)
            return parent;
    }
    return std::nullopt;
}

GameChoice recogniseGame(const std::string& path, const core::GameProfile* forced) {
    GameChoice choice;
    std::error_code ec;
    // Anything but a file is taken as a folder: a folder gone missing is told by its checks.
    const bool isFolder = !std::filesystem::is_regular_file(core::fsPath(path), ec);
    std::string folder =
        isFolder ? withSeparator(path) : folderOf(path).value_or(".") + platform::folderSeparator();
    const std::string file = isFolder ? std::string() : path.substr(folder.size());
    const core::GameProfile* game = forced;
    if (!game) {
        for (const core::GameProfile* p : core::gameProfiles()) {
            // A game's program names its game; so does an install folder holding
            // the program or the game's data (Call of Duty's MAIN is too common a
            // name to tell by).
            const bool program =
                isFolder ? platform::exactNamePresent(folder, p->program) : file == p->program;
            const bool data = isFolder && *p->homeFolder &&
                              platform::findIgnoringCase(folder, p->dataFolder).has_value();
            if (program || data) {
                game = p;
                break;
            }
        }
    }
    if (!game) game = &core::codProfile();
    choice.game = game;
    choice.installFolder = folder;
    if (!*game->homeFolder) return choice;

    // A game that writes in the user's home may keep its program apart from its
    // data: Debian's starter names the data folder in its FS_BASEPATH line.
    const std::string data = game->dataFolder;
    if (!platform::findIgnoringCase(folder, data)) {
        // A shell script: its lines end with a line feed alone.
        std::vector<std::string> lines;
        if (auto starter = core::readAll(core::fsPath(folder + game->program))) {
            std::size_t at = 0;
            while (at < starter->size()) {
                auto end = starter->find('\n', at);
                if (end == std::string::npos) end = starter->size();
                lines.push_back(starter->substr(at, end - at));
                at = end + 1;
            }
        }
        for (const auto& line : lines) {
            const std::string key = "FS_BASEPATH=";
            if (line.rfind(key, 0) != 0) continue;
            std::string value = line.substr(key.size());
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            choice.programFolder = folder;
            choice.installFolder = withSeparator(value);
            break;
        }
    }
    if (choice.programFolder.empty() &&
        !platform::exactNamePresent(choice.installFolder, game->program)) {
        if (auto onPath = platform::programFolderOnPath(game->program))
            choice.programFolder = *onPath;
        else if (platform::exactNamePresent("/usr/games/", game->program))
            choice.programFolder = "/usr/games/";
    }
    return choice;
}

SetUp setUpGame(const std::string& appFolder, const GameChoice& choice, core::Dialogs& dialogs) {
    SetUp result;
    if (choice.installFolder.empty()) return result;
    const core::GameProfile& game = *choice.game;
    const char sep = platform::folderSeparator();
    auto& f = result.folders;
    f.appFolder = appFolder;
    f.game = choice.game;
    f.programFolder = choice.programFolder;
    f.homePath = choice.homePath;
    // A hand-edited file may lack the final separator; the folders below need it.
    f.gameFolder = withSeparator(choice.installFolder);
    f.gameDrive = f.gameFolder.front();
    // Real installs spell these folders in their own case.
    const std::string dataFolder =
        f.gameFolder +
        platform::findIgnoringCase(f.gameFolder, game.dataFolder).value_or(game.dataFolder) + sep;
    f.mainFolder = dataFolder;
    if (*game.homeFolder) {
        const std::string home = choice.homePath.empty()
                                     ? platform::userHomeFolder() + game.homeFolder
                                     : choice.homePath;
        f.mainFolder = withSeparator(home) + game.dataFolder + sep;
    }
    f.demosFolder =
        f.mainFolder +
        platform::findIgnoringCase(f.mainFolder, game.demosFolder).value_or(game.demosFolder) + sep;

    if (!platform::exactNamePresent(dataFolder, game.installCheck)) {
        core::tell(dialogs, kNoPakFiles);
        result.status = SetUp::Status::NoPakFiles;
        return result;
    }
    result.demos = platform::listFiles(f.demosFolder, game.demoPattern);
    if (f.mainFolder != dataFolder) {
        // The game plays the demos of its install as well; a name in both is one demo.
        if (auto demos = platform::findIgnoringCase(dataFolder, game.demosFolder)) {
            const std::string installDemos = dataFolder + *demos + sep;
            f.moreDemoFolders.push_back(installDemos);
            for (auto& name : platform::listFiles(installDemos, game.demoPattern))
                if (std::find(result.demos.begin(), result.demos.end(), name) == result.demos.end())
                    result.demos.push_back(std::move(name));
        }
        // The game makes its write folder on its first start; the tool writes there first.
        std::error_code ec;
        std::filesystem::create_directories(core::fsPath(f.mainFolder), ec);
    }
    result.status = SetUp::Status::Ready;
    return result;
}

std::optional<KnownFolder> knownGameFolder(const std::string& appFolder,
                                           platform::Registry& registry) {
    if (auto name = findPathFile(appFolder)) {
        auto line = core::readFirstLine(core::fsPath(appFolder + *name));
        if (line && !line->empty()) return KnownFolder{withSeparator(*line), false};
    }
    auto candidate = registryCandidate(registry);
    if (candidate.empty()) return std::nullopt;
    return KnownFolder{withSeparator(candidate), true};
}

std::string rememberedHomePath(const std::string& appFolder) {
    auto name = platform::findIgnoringCase(appFolder, kHomePathFileName);
    if (!name) return {};
    auto line = core::readFirstLine(core::fsPath(appFolder + *name));
    // A file written by hand may end its line with a line feed alone.
    while (line && !line->empty() && line->back() == '\n')
        line->pop_back();
    if (!line || line->empty() || !homePathProblem(*line).empty()) return {};
    return *line;
}

bool rememberHomePath(const std::string& appFolder, const std::string& folder, std::string* why) {
    const std::string file =
        appFolder +
        platform::findIgnoringCase(appFolder, kHomePathFileName).value_or(kHomePathFileName);
    if (folder.empty()) {
        std::error_code ec;
        std::filesystem::remove(core::fsPath(file), ec);
        if (ec && why) *why = ec.message();
        return !ec;
    }
    return core::writeLines(file, {folder}, why);
}

std::string homePathProblem(const std::string& folder) {
    if (!core::fsPath(folder).is_absolute()) return "it is no whole path";
    // The game's command line is split at blanks and commands at semicolons.
    const bool unfit = std::any_of(folder.begin(), folder.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f ||
               std::string_view(" \"';").find(c) != std::string_view::npos;
    });
    if (unfit) return "the game takes no path holding blanks, quotes or semicolons";
    return {};
}

void forgetLocation(const std::string& appFolder) {
    if (auto name = findPathFile(appFolder)) {
        std::error_code ec;
        std::filesystem::remove(core::fsPath(appFolder + *name), ec);
    }
}

} // namespace locate
