// RUN in a temporary install starts the stand-in game as CoDMP.exe; once it has
// ended, Generate Results compiles what it left behind.
#include "bench/run_command.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "results/dumps.h"
#include "results/make_results.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

using testing_support::readFile;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kData = FRAMEWISE_RESULTS_DATA;
const std::string kReportName = "FRWb_120426_193005.txt";
const std::string kClosing =
    "CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nAll Framewise "
    "related files have been removed from your CallOfDuty Directory.";
// One figure per play in the order the plays start; each resolution has a warm-up
// play (99.9) before its three measured runs. These are the worked example's.
const char* kFigures = "99.9 48.0 47.4 47.8 99.9 35.2 35.8 35.5\n"
                       "99.9 40.5 41.5 41.0 99.9 30.1 30.4 30.2\n";

bool waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

struct Cycle {
    testing_support::TempDir tmp;
    testing_support::GameInstall game = testing_support::makeGameInstall(tmp.path() / "game");
    core::GameFolders folders;
    std::string configBefore;

    explicit Cycle(const std::string& gameOptions = {}) {
        const char sep = platform::folderSeparator();
        fs::copy_file(GAMESIM_PROGRAM, game.root / "CoDMP.exe",
                      fs::copy_options::overwrite_existing);
        writeFile(game.demos() / "bench1.fps", kFigures);
        if (!gameOptions.empty()) writeFile(game.root / "gamesim.ini", gameOptions);
        // The flag file that says the overwrite warning need not show.
        writeFile(tmp.path() / "app" / bench::kWarningFlagFile, "E04F32BC300\r\n");
        folders.appFolder = (tmp.path() / "app").string() + sep;
        folders.gameFolder = game.root.string() + sep;
        folders.gameDrive = folders.gameFolder.front();
        folders.mainFolder = game.main().string() + sep;
        folders.demosFolder = game.demos().string() + sep;
        configBefore = readFile(game.main() / "config_mp.cfg");
    }

    bool run(bool threePerDump) {
        bench::RunChoices c;
        c.levels = {true, true, false, false};
        c.resolutions.fill(false);
        c.resolutions[3] = c.resolutions[6] = true; // 640x480, 1024x768
        c.runs = 3;
        c.threePerDump = threePerDump;
        c.demoEntries = {"bench1.dm_2"};
        c.selectedDemo = 0;
        testing_support::ScriptedDialogs d;
        d.expectInput("No Comment");
        testing_support::FixedClock clock;
        auto launcher = platform::systemLauncher();
        return bench::runCommand(
                   folders, c, {}, d, *launcher, clock,
                   [&](core::Dialogs& x) { return results::settleEarlierRun(folders, x); })
            .closeTool;
    }

    // The game saves its configuration as the last thing before it quits.
    bool waitForQuit() const {
        return waitFor([&] {
            return readFile(game.main() / "config_mp.cfg") != configBefore &&
                   !platform::programRunning(folders.gameFolder, "CoDMP.exe");
        });
    }

    // What the game left, for a failure's message.
    std::string listing() const {
        std::string text;
        for (const auto& n : testing_support::namesIn(game.main()))
            text += n + " ";
        return text;
    }

    fs::path archived() const { return tmp.path() / "app" / "User Results" / kReportName; }

    std::vector<std::string> toolFilesLeft() const {
        std::vector<std::string> left;
        for (const auto& n : platform::listFiles(folders.mainFolder))
            if (n.rfind("FRWb_", 0) == 0) left.push_back(n);
        return left;
    }
};

std::string expectedLines(std::size_t n) {
    auto lines = core::splitLines(readFile(kData + kReportName));
    if (n < lines.size()) lines.resize(n);
    return testing_support::crlf(lines);
}

} // namespace

TEST(WholeCycle, BothDumpModesGiveTheStandInFiguresAndRestoreTheConfiguration) {
    for (bool threePerDump : {true, false}) {
        SCOPED_TRACE(threePerDump ? "three per dump" : "one per dump");
        Cycle cycle;
        ASSERT_TRUE(cycle.run(threePerDump));
        ASSERT_TRUE(cycle.waitForQuit()) << cycle.listing();

        testing_support::ScriptedDialogs d;
        d.expectMessage(kClosing);
        auto out = results::makeResults(cycle.folders, d);

        EXPECT_TRUE(out.archived);
        EXPECT_EQ(readFile(cycle.archived()), expectedLines(SIZE_MAX));
        EXPECT_EQ(readFile(cycle.game.main() / "config_mp.cfg"), cycle.configBefore);
        EXPECT_TRUE(cycle.toolFilesLeft().empty());
    }
}

TEST(WholeCycle, CrashMidBenchmarkArchivesThePartialReportAndRestores) {
    // Plays 1-4 are Normal 640x480 (warm-up and three runs); play 6 is the first
    // measured run at 1024x768, whose dump the crash prevents.
    Cycle cycle("--crash-after-plays=6\n");
    ASSERT_TRUE(cycle.run(false));
    ASSERT_TRUE(waitFor([&] { return fs::exists(cycle.game.main() / "FRWb_3_3.lo"); }))
        << cycle.listing();
    // The game writes nothing more before it dies: give it time to do so anyway.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_FALSE(fs::exists(cycle.game.main() / "FRWb_6_1.lo"));

    testing_support::ScriptedDialogs d;
    d.expectMessage(results::kPrematureTermination).expectMessage(kClosing);
    auto out = results::makeResults(cycle.folders, d);

    EXPECT_TRUE(out.archived);
    EXPECT_EQ(readFile(cycle.archived()), expectedLines(16));
    ASSERT_TRUE(out.resultsText);
    EXPECT_NE(out.resultsText->find("  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 "),
              std::string::npos);
    EXPECT_EQ(readFile(cycle.game.main() / "config_mp.cfg"), cycle.configBefore);
    EXPECT_TRUE(fs::exists(cycle.game.main() / "config_mp.bak"));
    EXPECT_TRUE(cycle.toolFilesLeft().empty());
}
