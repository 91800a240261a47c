// A real start of a native stand-in game through the system launcher.
#include "bench/bench.h"
#include "platform/files.h"
#include "results/make_results.h"
#include "support/fakes.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {

namespace fs = std::filesystem;

core::GameFolders foldersOf(const testing_support::TempDir& tmp,
                            const testing_support::GameInstall& game) {
    const char sep = platform::folderSeparator();
    core::GameFolders folders;
    folders.appFolder = (tmp.path() / "app").string() + sep;
    folders.gameFolder = game.root.string() + sep;
    folders.mainFolder = game.main().string() + sep;
    folders.demosFolder = game.demos().string() + sep;
    fs::create_directories(tmp.path() / "app");
    testing_support::writeFile(tmp.path() / "app" / "user1.ini",
                               testing_support::crlf({"E04F32BC300"}));
    return folders;
}

TEST(GameLaunch, TheGameRunsInItsFolderOnTheFirstLevelFile) {
    testing_support::TempDir tmp;
    auto game = testing_support::makeGameInstall(tmp.path() / "game");
    fs::copy_file(FRAMEWISE_RECORD_ARGS, game.root / "CoDMP.exe",
                  fs::copy_options::overwrite_existing);
    const auto folders = foldersOf(tmp, game);
    bench::RunChoices choices;
    choices.levels = {true, true, false, false};
    choices.demoEntries = {"bench1.dm_2"};
    choices.selectedDemo = 0;

    testing_support::ScriptedDialogs dialogs;
    dialogs.expectInput("No Comment");
    testing_support::FixedClock clock;
    auto launcher = platform::systemLauncher();
    ASSERT_TRUE(
        bench::runCommand(folders, choices, {}, dialogs, *launcher, clock, [&](core::Dialogs& x) {
            return results::settleEarlierRun(folders, x);
        }).closeTool);

    // The start does not wait for the program, so give it a moment to write its record.
    const auto record = game.root / "record.txt";
    const std::string lastLine = "arg=FRWb_lo.cfg\n";
    std::string text;
    for (int i = 0; i < 250; ++i) {
        text = testing_support::readFile(record);
        if (text.size() >= lastLine.size() && text.ends_with(lastLine)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    auto lines = testing_support::readFile(record);
    ASSERT_FALSE(lines.empty()) << "the game never wrote its record";
    auto cwd = lines.substr(4, lines.find('\n') - 4);
    EXPECT_TRUE(fs::equivalent(game.root, cwd)) << cwd;
    EXPECT_EQ("arg=+exec\narg=FRWb_lo.cfg\n", lines.substr(lines.find('\n') + 1));
}

// A Windows program with no Wine to run it: the user is told, the tool stays open
// and the configuration and its backup stay as they were.
TEST(GameLaunch, AWindowsGameWithoutWineIsReportedAndNothingIsLost) {
    testing_support::TempDir tmp;
    auto game = testing_support::makeGameInstall(tmp.path() / "game");
    testing_support::writeFile(game.root / "CoDMP.exe", "MZ a Windows program");
    const auto folders = foldersOf(tmp, game);
    const std::string userConfig = testing_support::readFile(game.main() / "config_mp.cfg");
    bench::RunChoices choices;
    choices.demoEntries = {"bench1.dm_2"};
    choices.selectedDemo = 0;

    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    ::setenv("PATH", (tmp.path() / "empty").c_str(), 1);
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectInput("No Comment")
        .expectMessage(
            "ERROR: CallOfDuty could not be started.\r\n\r\n\"" + folders.gameFolder +
            "CoDMP.exe\" is a Windows program and Wine is not installed.\r\n"
            "Install Wine (apt-get install wine) to run it on this system.\r\n\r\n"
            "Your config file and its backup \"config_mp.bak\" were kept. Your own config is " +
            folders.mainFolder + "config_mp.cfg. Press RUN again once the game can be started.");
    testing_support::FixedClock clock;
    auto launcher = platform::systemLauncher();
    const bool closed =
        bench::runCommand(folders, choices, {}, dialogs, *launcher, clock, [&](core::Dialogs& x) {
            return results::settleEarlierRun(folders, x);
        }).closeTool;
    ::setenv("PATH", savedPath.c_str(), 1);

    EXPECT_FALSE(closed);
    EXPECT_EQ(userConfig, testing_support::readFile(game.main() / "config_mp.cfg"));
    EXPECT_EQ(userConfig, testing_support::readFile(game.main() / "config_mp.bak"));
}

} // namespace
