// The command line in-process: where it finds the game, and what it refuses
// before anything is written.
#include "cli/cli.h"

#include "core/textfile.h"
#include "platform/files.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
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
