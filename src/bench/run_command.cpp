#include "bench/run_command.h"

#include "bench/levels.h"
#include "bench/run_files.h"
#include "bench/run_record.h"
#include "core/textfile.h"
#include "platform/files.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace bench {

namespace {

constexpr const char* kNoLevels = "! NO CONFIG FILES SELECTED !";
constexpr const char* kNoResolutions = "! NO RESOLUTIONS SELECTED !";
constexpr const char* kGameMissing = "ERROR:  CallOfDuty Folder location invlaid!\r\n\r\n"
                                     "CLICK on the ADVANCED TAB and relocate CoDMP.exe.";
constexpr const char* kNoDemo = "ERROR: NO AVAILABLE DEMO TO RUN!";
constexpr const char* kNoDemoChosen = "ERROR: NO DEMO CHOSEN!\r\n\r\n"
                                      "Click a demo in the \"Demo To Run\" list on the MAIN tab, "
                                      "then press RUN again.";

constexpr const char* kWarningTitle = "COD CONFIG FILE WARNING";
constexpr const char* kWarningText =
    "WARNING:  Your CallOfDuty config file WILL BE OVERWRITTEN\r\n\r\n"
    "Framewise has made a backup of this file.  When the benchmarks\r\n"
    "finish, CallOfDuty will EXIT and you will need to RESTART Framewise\r\n"
    "to Generate results.\r\n\r\n"
    "When you press the GENERATE RESULTS button, your config\r\n"
    " file will be RESTORED AUTOMATICALLY.\r\n\r\n"
    "(The CODConfig.cfg backup file has been stored as CODconfig.bak)\r\n\r\n\r\n\r\n\r\n"
    "                 SHOW THIS WARNING AGAIN?";
constexpr const char* kWarningFlagLine = "E04F32BC300";
constexpr const char* kNotStartedLine = "CallOfDuty had not been started for this run yet.";

constexpr const char* kCommentPrompt = "Comment for the Result File?\r\n"
                                       "(ie: system settings and/or notes, etc.)";
constexpr const char* kCommentTitle = "RESULT FILE COMMENT / NOTE";
constexpr const char* kCommentDefault = "No Comment";

constexpr const char* kNothingStarted = "The game was not started.";
constexpr const char* kConfigUntouched = "\".\r\n\r\nYour config file was not touched. ";
// The leading words of the messages that name a file or a reason.
constexpr const char* kCouldNotDelete = "ERROR: Could not delete \"";
constexpr const char* kCouldNotWrite = "ERROR: Could not write \"";
constexpr const char* kConfigMissing = "ERROR: The game's config file \"";
constexpr const char* kCouldNotBackUp = "ERROR: Could not back up \"";
constexpr const char* kNotStarted = "ERROR: CallOfDuty could not be started.";
constexpr const char* kUnsafeDemo = "ERROR: The demo \"";

std::string unsafeDemoMessage(const std::string& entry) {
    return kUnsafeDemo + entry +
           "\" cannot be benchmarked.\r\n\r\n"
           "Its name must not be empty or hold blanks, quotes, semicolons or control "
           "characters.\r\nRename the demo file in the demos folder and restart Framewise.";
}

std::string demoReadAsAFileMessage(const std::string& entry, const std::string& demo) {
    return kUnsafeDemo + entry + "\" cannot be benchmarked.\r\n\r\nAsked for \"" + demo +
           "\", the game would open the demo file of that very name instead.\r\n"
           "Rename the demo file in the demos folder without its inner \"" +
           demo.substr(demo.rfind('.')) + "\" and restart Framewise.";
}

// The chosen DemoList entry; nothing when the list has no selection.
std::optional<std::string> selectedEntry(const RunChoices& choices) {
    if (choices.selectedDemo < 0 ||
        choices.selectedDemo >= static_cast<int>(choices.demoEntries.size()))
        return std::nullopt;
    return choices.demoEntries[static_cast<std::size_t>(choices.selectedDemo)];
}

// Tells the user why RUN stopped; the tool stays open.
RunOutcome refuse(core::Dialogs& dialogs, const std::string& text) {
    core::tell(dialogs, text);
    return {};
}

// A report of that name is archived, or kept in the main folder.
bool reportNameTaken(const core::GameFolders& folders, const std::string& name) {
    const std::string archive =
        folders.resultsHome() + core::kResultsFolderName + platform::folderSeparator();
    return platform::findIgnoringCase(archive, name) ||
           platform::findIgnoringCase(folders.mainFolder, kKeptReportPrefix + name);
}

bool anyOf(const auto& ticks) {
    for (bool t : ticks)
        if (t) return true;
    return false;
}


} // namespace

std::vector<std::string> messageCatalog() {
    return {kNoLevels,       kNoResolutions,   kGameMissing,    kNoDemo,        kNoDemoChosen,
            kUnsafeDemo,     kCouldNotDelete,  kCouldNotWrite,  kConfigMissing, kWarningText,
            kCommentPrompt,  kCouldNotBackUp,  kNotStarted,     kGameStillRunning, kAlreadyYours};
}

std::string gameCommandLine(const RunChoices& choices, const core::GameFolders& folders) {
    const core::GameProfile& game = folders.profile();
    auto levels = chosenLevels(choices);
    std::string line = game.program;
    if (!folders.homePath.empty() && *game.homePathOption)
        line += std::string(" ") + game.homePathOption + folders.homePath;
    if (!levels.empty()) line += " +exec " + levelFileName(levels.front());
    return line;
}

RunOutcome runCommand(const core::GameFolders& folders, const RunChoices& choices,
                      const CustomSettings& custom, core::Dialogs& dialogs,
                      platform::Launcher& launcher, platform::Clock& clock,
                      const SettleEarlierRun& settleEarlierRun) {
    const std::string& main = folders.mainFolder;
    const core::GameProfile& game = folders.profile();
    if (!anyOf(choices.levels)) return refuse(dialogs, kNoLevels);
    if (!anyOf(choices.resolutions)) return refuse(dialogs, kNoResolutions);
    if (!platform::exactNamePresent(folders.startFolder(), game.program))
        return refuse(dialogs, kGameMissing);

    if (gameRunning(folders)) return refuse(dialogs, gameRunningMessage(main, "RUN", game));

    // Every check comes before the first change: a RUN that does not go ahead
    // leaves the main folder, and an earlier run waiting for its results, as they were.
    if (choices.demoEntries.empty()) return refuse(dialogs, kNoDemo);
    // Ctrl+click can take the selection away from the only chosen entry.
    const auto entry = selectedEntry(choices);
    if (!entry) return refuse(dialogs, kNoDemoChosen);
    if (!demoNameIsSafe(demoName(choices))) return refuse(dialogs, unsafeDemoMessage(*entry));
    if (demoNameReadAsAFile(demoName(choices)))
        return refuse(dialogs, demoReadAsAFileMessage(*entry, demoName(choices)));

    // Without a configuration there is nothing to restore after the benchmark.
    if (!platform::exactNamePresent(main, game.configFile)) {
        return refuse(dialogs,
                      kConfigMissing + main + game.configFile +
                          "\" was not found.\r\n\r\n"
                          "Start CallOfDuty once so that it creates its config file, "
                          "then press RUN again.\r\n" +
                          kNothingStarted +
                          (backupPending(main) ? " " + whereYourConfigIs(main, game) : ""));
    }

    if (!platform::exactNamePresent(folders.appFolder, kWarningFlagFile)) {
        core::Message warning;
        warning.text = kWarningText;
        warning.title = kWarningTitle;
        warning.buttons = core::Buttons::YesNoCancel;
        warning.icon = core::Icon::Critical;
        warning.defaultButton = core::Answer::Yes;
        auto answer = dialogs.message(warning);
        if (answer == core::Answer::Cancel) return {};
        // Failing to store the flag only means the warning shows again next time.
        if (answer == core::Answer::No)
            core::writeLines(core::fsPath(folders.appFolder + kWarningFlagFile),
                             {kWarningFlagLine});
    }

    const std::string comment = dialogs.inputBox(kCommentPrompt, kCommentTitle, kCommentDefault);

    // A run left uncompiled holds measurements that the clean-up below would take.
    if (settleEarlierRun && !settleEarlierRun(dialogs)) return {};

    // Still pending here, the backup is the player's own and is kept; the clean-up
    // spares an earlier version's mark of it.
    const bool keepBackup =
        backupPending(main) && platform::exactNamePresent(main, game.configBackup);
    if (auto stuck = platform::removeFilesStartingWith(main, kToolFilePrefix,
                                                       keepBackup ? kBackupPendingFile : "");
        !stuck.empty()) {
        return refuse(dialogs, kCouldNotDelete + main + stuck.front() + kConfigUntouched +
                                   whereYourConfigIs(main, game) + " " + kNothingStarted);
    }

    if (auto files = writeScriptFiles(main, choices, custom, game); !files.ok()) {
        return refuse(dialogs, kCouldNotWrite + files.failedFile + kConfigUntouched +
                                   whereYourConfigIs(main, game) + " " + kNothingStarted);
    }

    // The backup is whole on the disk before the record that makes it pending.
    BackupResult backup;
    if (!keepBackup) backup = secureBackup(main, game);
    if (!backup.error.empty()) {
        return refuse(dialogs, kCouldNotBackUp + main + game.configFile + "\" to \"" +
                                   game.configBackup + "\" (" + backup.error +
                                   ").\r\n\r\nYour config file was not touched. " +
                                   whereYourConfigIs(main, game) + " " + kNothingStarted);
    }
    // Until the game has started, config_mp.cfg is the player's own: a record
    // left by a RUN stopped before the start is told from a game that stopped early.
    const std::string notStarted = main + kNotStartedFile;
    if (backup.renewed && !core::writeLines(core::fsPath(notStarted), {kNotStartedLine})) {
        return refuse(dialogs, kCouldNotWrite + notStarted + kConfigUntouched +
                                   whereYourConfigIs(main, game) + " " + kNothingStarted);
    }

    const auto now = clock.now();
    const std::string reportName =
        freeReportName(reportFileName(now),
                       [&](const std::string& name) { return reportNameTaken(folders, name); });
    if (!writeRunRecord(main, choices, comment, now, reportName)) {
        std::error_code ignored;
        std::filesystem::remove(core::fsPath(notStarted), ignored);
        return refuse(dialogs, kCouldNotWrite + main + kRunRecordFile + kConfigUntouched +
                                   whereYourConfigIs(main, game) + " " + kNothingStarted);
    }

    auto started = launcher.startGame(folders.startFolder(), gameCommandLine(choices, folders));
    if (!started.started) {
        // The record stays with its mark: the game never ran, so config_mp.cfg is
        // still the player's own and Generate Results will say so.
        return refuse(dialogs, std::string(kNotStarted) + "\r\n\r\n" + started.error +
                                   "\r\n\r\nYour config file and its backup \"" +
                                   game.configBackup + "\" were kept. " +
                                   whereYourConfigIs(main, game) +
                                   " Press RUN again once the game can be started.");
    }
    std::error_code ignored;
    std::filesystem::remove(core::fsPath(notStarted), ignored);
    return RunOutcome{true};
}

} // namespace bench
