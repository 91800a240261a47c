// The progress of a running benchmark: the dumps written against the dump list,
// the time spent and the estimate, when the wait ends, and the game it watches.
#include "cli/progress.h"

#include "platform/files.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using testing_support::writeFile;

namespace {

class ScriptedGame : public platform::RunningProgram {
  public:
    std::function<bool()> isRunning;
    bool running() override { return isRunning(); }
};

// The count at the start of every line ("2/3"), in order.
std::vector<std::string> counts(const std::string& text, char lineEnd) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, lineEnd);) {
        if (line.empty()) continue;
        out.push_back(line.substr(0, line.find(' ')));
    }
    return out;
}

struct Bench {
    testing_support::TempDir tmp;
    std::vector<std::string> dumps{"FRWb_3.lo", "FRWb_6.lo", "FRWb_3.hi"};
    std::size_t written = 0;
    Bench() { writeFile(tmp.path() / "FRWb_condump_list.ini", testing_support::crlf(dumps)); }
    // The game writes its next dump.
    void next() {
        if (written < dumps.size())
            writeFile(tmp.path() / dumps[written++], "MODE: 3, 640 x 480 f\n");
    }
};

} // namespace

TEST(ProgressLine, CountsElapsedTimeAndTheRest) {
    struct Case {
        results::DumpProgress p;
        std::chrono::seconds elapsed;
        std::string line;
    };
    const std::vector<Case> cases{
        {{0, 45}, 0s, "0/45 dumps, 0:00 elapsed, estimating the rest"},
        {{27, 45}, 754s, "27/45 dumps, 12:34 elapsed, about 8:22 to go"},
        {{1, 3}, 10s, "1/3 dumps, 0:10 elapsed, about 0:20 to go"},
        {{2, 12}, 1800s, "2/12 dumps, 30:00 elapsed, about 2:30:00 to go"},
        {{45, 45}, 3723s, "45/45 dumps, 1:02:03 elapsed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::progressLine(c.p, c.elapsed), c.line);
}

TEST(WaitForGame, ShowsEveryNewDumpUntilTheGameEnds) {
    for (bool terminal : {false, true}) {
        SCOPED_TRACE(terminal ? "terminal" : "plain lines");
        Bench bench;
        ScriptedGame game;
        game.isRunning = [&] { return bench.written < bench.dumps.size(); };
        std::ostringstream err;
        cli::WaitOptions options;
        options.terminal = terminal;
        auto result =
            cli::waitForGame(game, bench.tmp.folder(), err, options, [&] { bench.next(); });

        EXPECT_TRUE(result.gameEnded);
        EXPECT_EQ(result.last, (results::DumpProgress{3, 3}));
        const std::string text = err.str();
        if (terminal) {
            // One line, rewritten in place, ended once the wait is over.
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
            EXPECT_EQ(text.back(), '\n');
            EXPECT_EQ(counts(text.substr(0, text.size() - 1), '\r'),
                      (std::vector<std::string>{"0/3", "1/3", "2/3", "3/3"}));
        } else {
            EXPECT_EQ(text.find('\r'), std::string::npos);
            EXPECT_EQ(counts(text, '\n'), (std::vector<std::string>{"0/3", "1/3", "2/3", "3/3"}));
        }
    }
}

TEST(WaitForGame, GivesUpWhenNoNewDumpComesAndLeavesTheGameRunning) {
    Bench bench;
    bench.next();
    ScriptedGame game;
    int looks = 0;
    game.isRunning = [&] {
        ++looks;
        return true;
    };
    std::ostringstream err;
    cli::WaitOptions options;
    options.stallFloor = 100ms;
    auto result = cli::waitForGame(game, bench.tmp.folder(), err, options,
                                   [] { std::this_thread::sleep_for(10ms); });
    EXPECT_FALSE(result.gameEnded);
    EXPECT_EQ(result.last, (results::DumpProgress{1, 3}));
    EXPECT_GT(looks, 1);
    EXPECT_EQ(counts(err.str(), '\n'), (std::vector<std::string>{"1/3"}));
}

TEST(WatchedGame, RunsUntilTheGameQuitsAndAFailedStartHoldsNothing) {
    testing_support::TempDir tmp;
    auto game = testing_support::makeGameInstall(tmp.path() / "game");
    std::filesystem::copy_file(GAMESIM_PROGRAM, game.root / "CoDMP.exe",
                               std::filesystem::copy_options::overwrite_existing);
    writeFile(game.main() / "FRWb_quit.cfg", "seta name \"Watched\"\r\nquit\r\n");
    const std::string folder = game.root.string() + platform::folderSeparator();

    auto started = platform::startWatchedGame(folder, "CoDMP.exe +exec FRWb_quit.cfg");
    ASSERT_TRUE(started.result.started) << started.result.error;
    ASSERT_TRUE(started.program);
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (started.program->running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(started.program->running());
    // It ended by quitting, which saves the configuration it was given.
    EXPECT_NE(testing_support::readFile(game.main() / "config_mp.cfg").find("Watched"),
              std::string::npos);

    auto missing = platform::startWatchedGame(folder, "NoSuchGame.exe");
    EXPECT_FALSE(missing.result.started);
    EXPECT_FALSE(missing.result.error.empty());
    EXPECT_FALSE(missing.program);
}
