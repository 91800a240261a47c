#include "locate/locate.h"

#include "core/textfile.h"
#include "platform/files.h"

#include <filesystem>
#include <system_error>

namespace locate {

namespace {

constexpr const char* kMainFolderName = "MAIN";
constexpr const char* kDemosFolderName = "demos";

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
        auto candidate =
            folderOf(dialogs.openFile(core::FileDialog::DIALOG_COD_FIND, kFinderFilter));
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
    m.text = "Is: \"" + candidate + platform::folderSeparator() + "\"" + kConfirmQuestion;
    m.title = kConfirmTitle;
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
    return setUpGameFolderAt(appFolder, *line, dialogs);
}

SetUp setUpGameFolderAt(const std::string& appFolder, const std::string& gameFolder,
                        core::Dialogs& dialogs) {
    SetUp result;
    if (gameFolder.empty()) return result;
    const char sep = platform::folderSeparator();
    auto& f = result.folders;
    f.appFolder = appFolder;
    // A hand-edited file may lack the final separator; the folders below need it.
    f.gameFolder = withSeparator(gameFolder);
    f.gameDrive = f.gameFolder.front();
    // Real installs spell these folders in their own case.
    f.mainFolder =
        f.gameFolder +
        platform::findIgnoringCase(f.gameFolder, kMainFolderName).value_or(kMainFolderName) + sep;
    f.demosFolder =
        f.mainFolder +
        platform::findIgnoringCase(f.mainFolder, kDemosFolderName).value_or(kDemosFolderName) + sep;

    if (!platform::exactNamePresent(f.mainFolder, kPakName)) {
        core::tell(dialogs, kNoPakFiles);
        result.status = SetUp::Status::NoPakFiles;
        return result;
    }
    result.demos = platform::listFiles(f.demosFolder, kDemoPattern);
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

void forgetLocation(const std::string& appFolder) {
    if (auto name = findPathFile(appFolder)) {
        std::error_code ec;
        std::filesystem::remove(core::fsPath(appFolder + *name), ec);
    }
}

} // namespace locate
