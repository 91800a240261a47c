// The command line in-process: where it finds the game, and what it refuses
// before anything is written.
#include "cli/cli.h"

#include "bench/config_backup.h"
#include "bench/run_command.h"
#include "core/textfile.h"
#include "locate/game_folder_guard.h"
#include "locate/locate.h"
#include "platform/files.h"
#include "results/messages.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {

struct Cli {
    testing_support::TempDir tmp;
    std::string appFolder = tmp.folder() + "app" + platform::folderSeparator();
    testing_support::GameInstall game = testing_support::makeGameInstall(tmp.path() / "game");
    testing_support::FakeRegistry registry;
    testing_support::FixedClock clock;
    std::vector<std::string> started; // working folder | command line
    std::ostringstream out, err;
    cli::Services services{appFolder,
                           registry,
                           clock,
                           [this](const std::string& folder, const std::string& line) {
                               started.push_back(folder + "|" + line);
                               return platform::WatchedStart{{true, {}}, nullptr};
                           },
                           {},
                           out,
                           err,
                           false,
                           [] {}};

    Cli() {
        fs::create_directories(appFolder);
        writeFile(appFolder + "user1.ini", "E04F32BC300\r\n");
    }
    int run(std::vector<std::string> args) { return cli::run(args, services); }
    std::string gameFolder() const { return game.root.string() + platform::folderSeparator(); }
};

} // namespace

TEST(CliGameFolder, RememberedPathFileThenRegistryThenNone) {
    {
        Cli c;
        testing_support::makeGameInstall(c.tmp.path() / "other");
        writeFile(c.appFolder + "CoD_path.ini", testing_support::crlf({c.gameFolder()}));
        c.registry.setText("SOFTWARE\\Activision\\Call of Duty", "InstallPath",
                           (c.tmp.path() / "other").string());
        EXPECT_EQ(c.run({"run"}), cli::kOk) << c.err.str();
        EXPECT_EQ(c.started,
                  (std::vector<std::string>{c.gameFolder() + "|CoDMP.exe +exec FRWb_lo.cfg"}));
    }
    {
        Cli c;
        c.registry.setText("SOFTWARE\\Activision\\Call of Duty", "InstallPath",
                           c.game.root.string());
        EXPECT_EQ(c.run({"run", "--levels", "max"}), cli::kOk) << c.err.str();
        EXPECT_EQ(c.started,
                  (std::vector<std::string>{c.gameFolder() + "|CoDMP.exe +exec FRWb_max.cfg"}));
        EXPECT_NE(c.err.str().find("from the registry: " + c.gameFolder()), std::string::npos);
        // Nothing asked the user, so nothing is remembered.
        EXPECT_FALSE(fs::exists(c.appFolder + "CoD_path.ini"));
    }
    {
        Cli c;
        EXPECT_EQ(c.run({"run"}), cli::kBadOptions);
        EXPECT_NE(c.err.str().find("give --game DIR"), std::string::npos);
        EXPECT_TRUE(c.started.empty());
    }
}

TEST(CliOptions, BadOrConflictingOptionsTouchNothing) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases{
        {{"run", "--wait", "--loop"}, "--wait cannot be used with --loop"},
        {{"run", "--levels", "normal,ultra"}, "\"ultra\" is not a detail level"},
        {{"run", "--res", "640x480,641x480"}, "\"641x480\" is not one of the resolutions"},
        {{"run", "--runs", "4"}, "--runs"},
        {{"run", "--preset", "extreme"}, "--preset"},
        {{"run", "--custom", "model-detail=huge"},
         "model-detail takes minimum, low, normal, maximum"},
        {{"run", "--custom", "fog=on"}, "the settings are"},
        // Options that would do nothing.
        {{"run", "--preset", "low"}, "--preset sets the Custom level, which --levels does not run"},
        {{"run", "--levels", "normal,max", "--custom", "wall-marks=off"},
         "--custom sets the Custom level"},
        {{"run", "--stall-minutes", "5"}, "--stall-minutes only limits --wait"},
        {{"run", "--demo", "nosuch"}, "The demo \"nosuch\" is not in the demos folder"},
        {{"run", "--game", "/no/such/folder"}, "does not exist"},
        {{"report", "x.txt", "--csv", "--json"}, "excludes"},
        {{"frobnicate"}, "A subcommand is required"},
        {{}, "A subcommand is required"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front() + " " + c.args.back());
        Cli cli;
        auto args = c.args;
        if (!args.empty() && args[0] == "run" &&
            std::find(args.begin(), args.end(), "--game") == args.end())
            args.insert(args.end(), {"--game", cli.gameFolder()});
        EXPECT_EQ(cli.run(args), cli::kBadOptions);
        EXPECT_NE(cli.err.str().find(c.says), std::string::npos) << cli.err.str();
        EXPECT_TRUE(cli.started.empty());
        EXPECT_EQ(testing_support::namesIn(cli.game.main()),
                  (std::vector<std::string>{"config_mp.cfg", "demos", "pak0.pk3"}));
    }
}

TEST(CliOptions, DemoIsNamedWithOrWithoutItsExtension) {
    for (const char* name : {"dusk", "dusk.dm_2", "DUSK"}) {
        SCOPED_TRACE(name);
        Cli c;
        writeFile(c.game.demos() / "dusk.dm_2", "d");
        ASSERT_EQ(c.run({"run", "--game", c.gameFolder(), "--demo", name}), cli::kOk)
            << c.err.str();
        // Every other choice as the window starts.
        auto record = core::splitLines(testing_support::readFile(c.game.main() / "FRWb_setup.ini"));
        ASSERT_EQ(record.size(), 16u);
        EXPECT_EQ(std::vector<std::string>(record.begin(), record.begin() + 13),
                  (std::vector<std::string>{"con3", "dusk", "3", "Normal", "High", "Maximum", "5",
                                            "640x480", "800x600", "1024x768", "1280x1024",
                                            "1600x1200", "3"}));
        EXPECT_EQ(record.back(), "No Comment");
    }
}

// Every message the flows behind the command line can show, and the status it
// gives a script. The command's own lines (bad options, give --yes, the wait
// given up or interrupted, an unreadable report) are driven in the cycle test.
TEST(CliStatus, EveryMessageOfTheFlowsMapsToItsStatus) {
    struct Case {
        std::string message;
        cli::ExitCode status;
    };
    const std::string main = "/g/MAIN/";
    const std::vector<Case> cases{
        // Start-up and the game folder.
        {locate::kAlreadyRunning, cli::kRefused},
        {locate::kNoPakFiles, cli::kRefused},
        {locate::gameFolderBusyText("/g/"), cli::kRefused},
        {locate::noSingleCopyGuardText("no room"), cli::kOk},
        {locate::notInRegistryText(), cli::kOk},
        {locate::kPleaseLocate, cli::kOk},
        // RUN.
        {bench::gameRunningMessage(main, "RUN"), cli::kRefused},
        {bench::kAlreadyYours, cli::kOk},
        // Generate Results.
        {bench::gameRunningMessage(main, "Generate Results"), cli::kRefused},
        {results::kNoResults, cli::kNoResults},
        {std::string(results::kNoResults) + "\r\n\r\n" + results::kRestored, cli::kNoResults},
        {std::string(results::kNoResults) + "\r\n\r\n" + results::kNotRestored + ": busy.",
         cli::kFailed},
        {results::kPrematureTermination, cli::kGameCrashed},
        {results::kStoppedEarly, cli::kGameCrashed},
        {std::string(results::kDamagedDump) + "FRWb_3.lo is empty.", cli::kDamaged},
        {std::string(results::kDamagedRecord) + "FRWb_setup.ini is damaged", cli::kDamaged},
        {std::string(results::kDumpListTrouble) + "FRWb_condump_list.ini is missing",
         cli::kDamaged},
        {std::string(results::kNotCompiled) + " (bad_alloc).", cli::kDamaged},
        {std::string(results::kReportNotArchived) + "FRWb_1.txt could not be saved", cli::kFailed},
        {std::string(results::kNothingRestored) + " (io).", cli::kFailed},
        {std::string(results::kRestored) + "\r\n\r\n" + results::kRemoved, cli::kOk},
        {std::string(results::kRestored) + "\r\n\r\n" + results::kNotRemoved + " FRWb_3.lo.",
         cli::kFailed},
        {std::string(results::kNotRestored) + ": busy.\r\n\r\n" + results::kNothingRemoved,
         cli::kFailed},
        {std::string(results::kRestored) + "\r\n\r\n" + results::kRunKept, cli::kOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(cli::statusOfMessages({c.message}), c.status);
    }
    // A command that showed several: the crash and the restore that failed after it.
    EXPECT_EQ(cli::statusOfMessages(
                  {results::kPrematureTermination, std::string(results::kNotRestored) + ": busy."}),
              cli::kFailed);
    EXPECT_EQ(cli::statusOfMessages({}), cli::kOk);

    // RUN's own texts, through the catalog: its checks refuse, its writes fail.
    const std::map<std::string, cli::ExitCode> runStatus{
        {"! NO CONFIG FILES SELECTED !", cli::kRefused},
        {"! NO RESOLUTIONS SELECTED !", cli::kRefused},
        {"ERROR:  CallOfDuty Folder location invlaid!", cli::kRefused},
        {"ERROR: NO AVAILABLE DEMO TO RUN!", cli::kRefused},
        {"ERROR: NO DEMO CHOSEN!", cli::kRefused},
        {"ERROR: The demo \"", cli::kRefused},
        {"ERROR: Could not delete \"", cli::kFailed},
        {"ERROR: Could not write \"", cli::kFailed},
        {"ERROR: The game's config file \"", cli::kRefused},
        {"WARNING:  Your CallOfDuty config file WILL BE OVERWRITTEN", cli::kOk},
        {"Comment for the Result File?", cli::kOk},
        {"ERROR: Could not back up \"", cli::kFailed},
        {"ERROR: CallOfDuty could not be started.", cli::kGameNotStarted},
        {bench::kGameStillRunning, cli::kRefused},
        {bench::kAlreadyYours, cli::kOk},
    };
    // No message of any flow the command line runs is left without a status.
    std::vector<std::string> all;
    for (auto* catalog :
         {&locate::messageCatalog, &bench::messageCatalog, &results::messageCatalog})
        for (const auto& text : (*catalog)())
            all.push_back(text);
    for (const auto& text : all) {
        SCOPED_TRACE(text);
        const bool known = std::any_of(
            cli::messageStatuses().begin(), cli::messageStatuses().end(),
            [&](const cli::MessageStatus& m) { return text.find(m.words) != std::string::npos; });
        EXPECT_TRUE(known) << "no status for this message";
    }
    for (const auto& text : bench::messageCatalog()) {
        SCOPED_TRACE(text);
        auto expected = std::find_if(runStatus.begin(), runStatus.end(),
                                     [&](const auto& e) { return text.rfind(e.first, 0) == 0; });
        ASSERT_NE(expected, runStatus.end()) << "a RUN message this test does not know";
        EXPECT_EQ(cli::statusOfMessages({text}), expected->second);
    }
}

TEST(CliStatus, HelpGivesTheTableOnceAndEachCommandItsOwnStatuses) {
    Cli top;
    EXPECT_EQ(top.run({"--help"}), cli::kOk);
    const std::string help = top.out.str();
    EXPECT_NE(help.find("Exit status:"), std::string::npos) << help;
    EXPECT_EQ(help.find("Exit status:"), help.rfind("Exit status:"));
    EXPECT_NE(help.find("  130  run --wait was stopped with Ctrl-C"), std::string::npos) << help;
    struct Case {
        const char* command;
        std::vector<int> statuses;
    };
    for (const auto& c : std::vector<Case>{{"run", {0, 1, 2, 3, 4, 5, 6, 7, 8, 130}},
                                           {"results", {0, 1, 2, 3, 5, 6, 8}},
                                           {"report", {0, 2, 9}},
                                           {"list", {0, 2}}}) {
        SCOPED_TRACE(c.command);
        Cli cli;
        EXPECT_EQ(cli.run({c.command, "--help"}), cli::kOk);
        const std::string text = cli.out.str();
        const auto table = text.find("Exit status:\n");
        ASSERT_NE(table, std::string::npos) << text;
        std::vector<int> listed;
        std::istringstream lines(text.substr(table));
        std::string line;
        while (std::getline(lines, line))
            if (line.size() > 6 && line[5] == ' ' && line[6] == ' ' && line[4] != ' ')
                listed.push_back(std::stoi(line.substr(0, 5)));
        EXPECT_EQ(listed, c.statuses);
    }
    Cli version;
    EXPECT_EQ(version.run({"--version"}), cli::kOk);
    EXPECT_EQ(version.out.str().rfind("framewise-cli ", 0), 0u) << version.out.str();
}
