#include "bench/bench.h"
#include "bench_test_support.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "results/make_results.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using core::Answer;
using testing_support::crlf;
using testing_support::readFile;
using testing_support::writeFile;

const std::string kWarning =
    "WARNING:  Your CallOfDuty config file WILL BE OVERWRITTEN\r\n\r\n"
    "Framewise has made a backup of this file.  When the benchmarks\r\n"
    "finish, CallOfDuty will EXIT and you will need to RESTART Framewise\r\n"
    "to Generate results.\r\n\r\n"
    "When you press the GENERATE RESULTS button, your config\r\n"
    " file will be RESTORED AUTOMATICALLY.\r\n\r\n"
    "(The CODConfig.cfg backup file has been stored as CODconfig.bak)\r\n\r\n\r\n\r\n\r\n"
    "                 SHOW THIS WARNING AGAIN?";

class RunCommand : public ::testing::Test {
  public:
    testing_support::TempDir tmp;
    testing_support::GameInstall game = testing_support::makeGameInstall(tmp.path() / "game");
    core::GameFolders folders;
    testing_support::RecordingLauncher launcher;
    testing_support::FixedClock clock;
    bench::RunChoices choices;
    bench::CustomSettings custom;
    std::string userConfig;

    void SetUp() override {
        const char sep = platform::folderSeparator();
        fs::create_directories(tmp.path() / "app");
        folders.appFolder = (tmp.path() / "app").string() + sep;
        folders.gameFolder = game.root.string() + sep;
        folders.gameDrive = folders.gameFolder.front();
        folders.mainFolder = game.main().string() + sep;
        folders.demosFolder = game.demos().string() + sep;
        choices.levels = {true, false, false, false};
        choices.resolutions = {};
        choices.resolutions[3] = true;
        choices.runs = 1;
        choices.demoEntries = {"bench1.dm_2"};
        choices.selectedDemo = 0;
        userConfig = readFile(game.main() / "config_mp.cfg");
    }

    bench::RunOutcome run(testing_support::ScriptedDialogs& dialogs) {
        return bench::runCommand(
            folders, choices, custom, dialogs, launcher, clock,
            [&](core::Dialogs& d) { return results::settleEarlierRun(folders, d); });
    }

    std::vector<std::string> mainFiles() const { return testing_support::namesIn(game.main()); }
    std::vector<std::string> record() const {
        return *core::readLines(game.main() / "FRWb_setup.ini");
    }
    bool inMain(const std::string& name) const { return fs::exists(game.main() / name); }
};

TEST_F(RunCommand, StartsTheGameOnTheFirstLevelAfterBackingUpTheConfig) {
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(kWarning, Answer::Yes).expectInput("No Comment");
    writeFile(game.main() / "config_mp.bak", "an old backup");

    auto outcome = run(dialogs);

    EXPECT_TRUE(outcome.closeTool);
    ASSERT_EQ(2u, dialogs.shown.size());
    const auto& warning = dialogs.shown[0].message;
    EXPECT_EQ("COD CONFIG FILE WARNING", warning.title);
    EXPECT_EQ(core::Buttons::YesNoCancel, warning.buttons);
    EXPECT_EQ(core::Icon::Critical, warning.icon);
    const auto& prompt = dialogs.shown[1];
    EXPECT_EQ("Comment for the Result File?\r\n(ie: system settings and/or notes, etc.)",
              prompt.prompt);
    EXPECT_EQ("RESULT FILE COMMENT / NOTE", prompt.title);
    EXPECT_EQ("No Comment", prompt.defaultText);

    ASSERT_EQ(1u, launcher.calls.size());
    EXPECT_EQ("game", launcher.calls[0].kind);
    EXPECT_EQ(folders.gameFolder, launcher.calls[0].workingFolder);
    EXPECT_EQ("CoDMP.exe +exec FRWb_lo.cfg", launcher.calls[0].commandLine);

    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.bak"));
    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.cfg"));
    EXPECT_EQ("No Comment", record().back());
    EXPECT_EQ("FRWb_120426_193005.txt", record()[7]);
    EXPECT_EQ("Friday, December 04, 2026  07:30:05 PM", record()[8]);
    EXPECT_EQ((std::vector<std::string>{"FRWb_condump_list.ini", "FRWb_cont_lo.cfg", "FRWb_lo.cfg",
                                        "FRWb_master.cfg", "FRWb_setup.ini", "config_mp.bak",
                                        "config_mp.cfg", "demos", "pak0.pk3"}),
              mainFiles());
    EXPECT_FALSE(fs::exists(tmp.path() / "app" / "user1.ini"));
}

TEST_F(RunCommand, ChecksStopBeforeAnythingChanges) {
    struct Case {
        const char* name;
        void (*spoil)(RunCommand&);
        std::string message;
    };
    const Case cases[] = {
        {"no level", [](RunCommand& t) { t.choices.levels = {}; }, "! NO CONFIG FILES SELECTED !"},
        {"no resolution", [](RunCommand& t) { t.choices.resolutions = {}; },
         "! NO RESOLUTIONS SELECTED !"},
        {"game program in another case",
         [](RunCommand& t) {
             fs::remove(t.game.root / "CoDMP.exe");
             writeFile(t.game.root / "codmp.exe", "program");
         },
         "ERROR:  CallOfDuty Folder location invlaid!\r\n\r\n"
         "CLICK on the ADVANCED TAB and relocate CoDMP.exe."},
    };
    const auto saved = choices;
    for (const auto& c : cases) {
        choices = saved;
        writeFile(game.main() / "FRWb_old.txt", "old");
        c.spoil(*this);
        const auto before = mainFiles();
        {
            testing_support::ScriptedDialogs dialogs;
            dialogs.expectMessage(c.message);
            EXPECT_FALSE(run(dialogs).closeTool) << c.name;
            ASSERT_EQ(1u, dialogs.shown.size()) << c.name;
            EXPECT_EQ("Framewise", dialogs.shown[0].message.title) << c.name;
            EXPECT_EQ(core::Buttons::Ok, dialogs.shown[0].message.buttons) << c.name;
            EXPECT_EQ(core::Icon::None, dialogs.shown[0].message.icon) << c.name;
        }
        EXPECT_EQ(before, mainFiles()) << c.name;
        EXPECT_TRUE(launcher.calls.empty()) << c.name;
        fs::remove(game.main() / "FRWb_old.txt");
        if (fs::exists(game.root / "codmp.exe")) {
            fs::remove(game.root / "codmp.exe");
            writeFile(game.root / "CoDMP.exe", "placeholder");
        }
    }
}

// A RUN that does not go ahead leaves the main folder as it was: an earlier
// run's files hold its only results.
TEST_F(RunCommand, RefusedDemoChangesNothing) {
    struct Case {
        std::vector<std::string> entries;
        std::string message;
        int selected = 0;
    };
    const std::string noneChosen = "ERROR: NO DEMO CHOSEN!\r\n\r\nClick a demo in the \"Demo To "
                                   "Run\" list on the MAIN tab, then press RUN again.";
    const std::string refused =
        "\" cannot be benchmarked.\r\n\r\nIts name must not be empty or hold "
        "blanks, quotes, semicolons or control characters.\r\nRename the "
        "demo file in the demos folder and restart Framewise.";
    const Case cases[] = {
        {{}, "ERROR: NO AVAILABLE DEMO TO RUN!", -1},
        {{"bench1.dm_2", "my demo.dm_2"}, noneChosen, -1},
        {{"bench1.dm_2", ".dm_2"}, noneChosen, 2},
        {{"my demo.dm_2"}, "ERROR: The demo \"my demo.dm_2" + refused},
        {{"x\";quit;\".dm_2"}, "ERROR: The demo \"x\";quit;\".dm_2" + refused},
        {{"a;quit.dm_2"}, "ERROR: The demo \"a;quit.dm_2" + refused},
        {{"tab\there.dm_2"}, "ERROR: The demo \"tab\there.dm_2" + refused},
        {{"line\nbreak.dm_2"}, "ERROR: The demo \"line\nbreak.dm_2" + refused},
        {{".dm_2"}, "ERROR: The demo \".dm_2" + refused},
    };
    for (const auto& c : cases) {
        writeFile(game.main() / "FRWb_old.txt", "old");
        writeFile(game.main() / "FRWb_3.lo", "old dump");
        writeFile(game.main() / "frwb_x", "not ours");
        choices.demoEntries = c.entries;
        choices.selectedDemo = c.selected;
        {
            testing_support::ScriptedDialogs dialogs;
            dialogs.expectMessage(c.message);
            EXPECT_FALSE(run(dialogs).closeTool);
        }
        EXPECT_EQ((std::vector<std::string>{"FRWb_3.lo", "FRWb_old.txt", "config_mp.cfg", "demos",
                                            "frwb_x", "pak0.pk3"}),
                  mainFiles())
            << c.message;
        EXPECT_TRUE(launcher.calls.empty());
    }
}

TEST_F(RunCommand, CancelAtTheWarningChangesNothing) {
    writeFile(game.main() / "FRWb_3.lo", "an earlier run's dump");
    const auto before = mainFiles();
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(kWarning, Answer::Cancel);
    EXPECT_FALSE(run(dialogs).closeTool);
    EXPECT_EQ(before, mainFiles());
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_FALSE(fs::exists(tmp.path() / "app" / "user1.ini"));
}

TEST_F(RunCommand, AnsweringNoStoresTheFlagAndTheNextRunDoesNotWarn) {
    {
        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(kWarning, Answer::No).expectInput("first");
        EXPECT_TRUE(run(dialogs).closeTool);
    }
    EXPECT_EQ(crlf({"E04F32BC300"}), readFile(tmp.path() / "app" / "user1.ini"));
    {
        // The first game wrote no dump: nothing was measured, nothing is archived.
        testing_support::ScriptedDialogs dialogs;
        dialogs.expectInput(""); // a cancelled comment prompt
        EXPECT_TRUE(run(dialogs).closeTool);
    }
    EXPECT_EQ("", record().back());
    EXPECT_EQ(2u, launcher.calls.size());
}

TEST_F(RunCommand, AFlagFileInAnotherCaseDoesNotSilenceTheWarning) {
    writeFile(tmp.path() / "app" / "USER1.INI", crlf({"E04F32BC300"}));
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(kWarning, Answer::Yes).expectInput("No Comment");
    EXPECT_TRUE(run(dialogs).closeTool);
}

TEST_F(RunCommand, ASecondRunBeforeResultsArchivesTheFirstAndKeepsTheUsersConfig) {
    {
        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(kWarning, Answer::Yes).expectInput("first");
        ASSERT_TRUE(run(dialogs).closeTool);
    }
    // The benchmark ran and the game saved its configuration on quit.
    writeFile(game.main() / "config_mp.cfg", crlf({"unbindall", "seta r_picmip \"3\""}));
    writeFile(game.main() / "FRWb_3.lo",
              "...setting mode 3:\nMODE: 3, 640 x 480 fullscreen hz:N/A\n"
              "]timedemo 1\n]demo bench1\n"
              "1300 frames, 27.4 seconds: 48.0 fps\n]condump\n");
    // Named as the tool names it, with the system's separator.
    const std::string archived = folders.appFolder + "User Results" +
                                 platform::folderSeparator() + "FRWb_120426_193005.txt";
    {
        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(kWarning, Answer::Yes)
            .expectInput("second")
            .expectMessage(std::string(results::kEarlierSaved) + archived + ".");
        ASSERT_TRUE(run(dialogs).closeTool);
    }
    const std::string report = readFile(archived);
    EXPECT_NE(report.find("   COMMENT:  first\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("  (640x480)  48.0, "), std::string::npos) << report;
    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.bak"));
    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.cfg"));
    EXPECT_FALSE(inMain("FRWb_3.lo"));
    EXPECT_EQ("second", record().back());
    EXPECT_EQ("FRWb_120426_193005_2.txt", record()[7]);
}

TEST_F(RunCommand, ACompiledRunLeavesNoRecordSoTheBackupIsRenewed) {
    writeFile(game.main() / "config_mp.bak", "backup of an earlier, compiled run");
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(kWarning, Answer::Yes).expectInput("No Comment");
    ASSERT_TRUE(run(dialogs).closeTool);
    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.bak"));
}

TEST_F(RunCommand, NoGameConfigMeansNoRecordNoBackupNoStart) {
    fs::remove(game.main() / "config_mp.cfg");
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(
        "ERROR: The game's config file \"" + folders.mainFolder +
        "config_mp.cfg\" was not found.\r\n\r\nStart CallOfDuty once so that it "
        "creates its config file, then press RUN again.\r\nThe game was not started.");
    EXPECT_FALSE(run(dialogs).closeTool);
    EXPECT_EQ((std::vector<std::string>{"demos", "pak0.pk3"}), mainFiles());
    EXPECT_TRUE(launcher.calls.empty());
}

TEST_F(RunCommand, AFailedStartIsReportedAndTheToolStaysOpen) {
    launcher.result = {false, "Wine is not installed."};
    {
        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(kWarning, Answer::Yes)
            .expectInput("No Comment")
            .expectMessage(
                "ERROR: CallOfDuty could not be started.\r\n\r\nWine is not installed.\r\n\r\n"
                "Your config file and its backup \"config_mp.bak\" were kept. Your own config "
                "is " + folders.mainFolder + "config_mp.cfg. Press RUN again once the game can "
                "be started.");
        EXPECT_FALSE(run(dialogs).closeTool);
    }
    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.cfg"));
    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.bak"));
    // The game never ran: nothing waits to be restored, and the run is told apart
    // from one that stopped early.
    EXPECT_FALSE(bench::backupPending(folders.mainFolder));
    EXPECT_TRUE(bench::runNeverStarted(folders.mainFolder));
}

TEST_F(RunCommand, AFileThatCannotBeWrittenStopsTheRun) {
    struct Case {
        const char* blocker; // a folder standing where a file must be written
        const char* file;    // the file named
    };
    // The record is written beside its name first.
    const Case cases[] = {{"FRWb_master.cfg", "FRWb_master.cfg"},
                          {"FRWb_setup.ini.tmp", "FRWb_setup.ini"}};
    for (const auto& c : cases) {
        fs::create_directory(game.main() / c.blocker);
        {
            testing_support::ScriptedDialogs dialogs;
            dialogs.expectMessage(kWarning, Answer::Yes).expectInput("No Comment");
            dialogs.expectMessage(
                "ERROR: Could not write \"" + folders.mainFolder + c.file +
                "\".\r\n\r\nYour config file was not touched. Your own config is " +
                folders.mainFolder + "config_mp.cfg. The game was not started.");
            EXPECT_FALSE(run(dialogs).closeTool) << c.blocker;
        }
        EXPECT_FALSE(inMain("FRWb_setup.ini")) << c.blocker;
        EXPECT_FALSE(inMain(bench::kNotStartedFile)) << c.blocker;
        EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.cfg"));
        EXPECT_TRUE(launcher.calls.empty()) << c.blocker;
        fs::remove(game.main() / c.blocker);
    }
}

TEST_F(RunCommand, DottedDemoIsAskedForByItsWholeNameUnlessItEndsInADemoExtension) {
    for (const char* entry : {"bench1.old.dm_2", "v1.2_final.dm_2"}) {
        choices.demoEntries = {"bench1.dm_2", entry};
        choices.selectedDemo = 1;
        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(kWarning, Answer::Yes).expectInput("No Comment");
        EXPECT_TRUE(run(dialogs).closeTool);
        const std::string demo = std::string(entry).substr(0, std::string(entry).size() - 5);
        EXPECT_EQ(record()[1], demo);
        EXPECT_NE(readFile(game.main() / "FRWb_master.cfg").find("; demo " + demo + "; "),
                  std::string::npos);
    }
    // Asked for "x.dm_2", the game would open x.dm_2 itself.
    launcher.calls.clear();
    choices.demoEntries = {"x.dm_2.dm_2"};
    choices.selectedDemo = 0;
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage("ERROR: The demo \"x.dm_2.dm_2\" cannot be benchmarked.\r\n\r\n"
                          "Asked for \"x.dm_2\", the game would open the demo file of that very "
                          "name instead.\r\nRename the demo file in the demos folder without its "
                          "inner \".dm_2\" and restart Framewise.");
    EXPECT_FALSE(run(dialogs).closeTool);
    EXPECT_TRUE(launcher.calls.empty());
}

TEST_F(RunCommand, AFailedBackupWithdrawsTheRunRecord) {
    fs::create_directory(game.main() / "config_mp.bak");
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(kWarning, Answer::Yes)
        .expectInput("No Comment")
        .expectMessage("ERROR: Could not back up \"" + folders.mainFolder +
                       "config_mp.cfg\" to \"config_mp.bak\" (" + folders.mainFolder +
                       "config_mp.bak is a folder, not a file).\r\n\r\nYour config file was not "
                       "touched. Your own config is " + folders.mainFolder +
                       "config_mp.cfg. The game was not started.");
    EXPECT_FALSE(run(dialogs).closeTool);
    EXPECT_FALSE(inMain("FRWb_setup.ini"));
    EXPECT_EQ(userConfig, readFile(game.main() / "config_mp.cfg"));
    EXPECT_TRUE(launcher.calls.empty());
}

// The tool's own files are made anew and never written through a link planted
// under their names; config_mp.cfg, the player's, is followed on purpose.
TEST_F(RunCommand, LinksUnderTheToolsNamesAreReplacedAndTheirTargetsKept) {
    const fs::path elsewhere = tmp.path() / "elsewhere";
    fs::create_directories(elsewhere);
    for (const char* name : {"config_mp.bak", "FRWb_setup.ini", "FRWb_master.cfg", "FRWb_lo.cfg",
                             "FRWb_condump_list.ini", "FRWb_not_started.ini"}) {
        writeFile(elsewhere / name, "not the tool's\r\n");
        std::error_code ec;
        fs::create_symlink(elsewhere / name, game.main() / name, ec);
        if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    }
    // The player keeps the config elsewhere and links it into the game.
    const fs::path ownConfig = elsewhere / "my_config.cfg";
    fs::rename(game.main() / "config_mp.cfg", ownConfig);
    fs::create_symlink(ownConfig, game.main() / "config_mp.cfg");

    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(kWarning, Answer::Yes).expectInput("No Comment");
    EXPECT_TRUE(run(dialogs).closeTool);

    for (const char* name : {"config_mp.bak", "FRWb_setup.ini", "FRWb_master.cfg", "FRWb_lo.cfg",
                             "FRWb_condump_list.ini", "FRWb_not_started.ini"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(readFile(elsewhere / name), "not the tool's\r\n");
        if (fs::exists(game.main() / name)) EXPECT_FALSE(fs::is_symlink(game.main() / name));
    }
    EXPECT_EQ(readFile(game.main() / "config_mp.bak"), userConfig);
    EXPECT_TRUE(fs::is_symlink(game.main() / "config_mp.cfg"));
    EXPECT_EQ(readFile(ownConfig), userConfig);
}

} // namespace
