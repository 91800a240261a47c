// The scripts RUN writes, played through by the stand-in game.
#include "bench/levels.h"
#include "bench/run_files.h"
#include "game.h"
#include "results/dumps.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <sstream>

using namespace gamesim;
using testing_support::readFile;

namespace {

std::string describe(const bench::RunChoices& c) {
    std::ostringstream s;
    s << "levels";
    for (bool l : c.levels)
        s << l;
    s << " modes";
    for (int m = 0; m < bench::kResolutionCount; ++m)
        if (c.resolutions[m]) s << ' ' << m;
    s << " runs " << c.runs << (c.threePerDump ? " con3" : " con1") << (c.loop ? " loop" : "");
    return s.str();
}

bench::RunChoices choices(std::array<bool, 4> levels, std::vector<int> modes, int runs, bool three,
                          bool loop = false) {
    bench::RunChoices c;
    c.levels = levels;
    c.resolutions.fill(false);
    for (int m : modes)
        c.resolutions[m] = true;
    c.runs = runs;
    c.threePerDump = three;
    c.loop = loop;
    c.demoEntries = {"bench1.dm_2"};
    c.selectedDemo = 0;
    return c;
}

// A spread of choices: the corners, then pseudo-random ones from a fixed seed.
std::vector<bench::RunChoices> choiceTable() {
    std::vector<bench::RunChoices> table = {
        choices({true, true, true, true}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 3, false),
        choices({true, true, true, true}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 3, true),
        choices({false, false, false, true}, {11}, 1, true),
        choices({false, false, false, true}, {0}, 1, false),
        choices({true, false, true, false}, {3, 6}, 2, true),
        choices({true, true, false, false}, {3, 6}, 2, false),
    };
    std::uint32_t state = 12345;
    auto next = [&](std::uint32_t n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    };
    for (int i = 0; i < 40; ++i) {
        std::array<bool, 4> levels{};
        while (std::none_of(levels.begin(), levels.end(), [](bool b) { return b; }))
            for (bool& l : levels)
                l = next(2);
        std::vector<int> modes;
        while (modes.empty())
            for (int m = 0; m < bench::kResolutionCount; ++m)
                if (next(3) == 0) modes.push_back(m);
        table.push_back(choices(levels, modes, static_cast<int>(next(3)) + 1, next(2)));
    }
    return table;
}

std::string firstLevelCommand(const bench::RunChoices& c) {
    return "CoDMP.exe +exec " + bench::levelFileName(bench::chosenLevels(c).front());
}

// Dumps are the FRWb_ files that are neither scripts nor records.
std::set<std::string> dumpsIn(const std::filesystem::path& main) {
    std::set<std::string> dumps;
    for (const auto& name : testing_support::namesIn(main)) {
        const auto ext = std::filesystem::path(name).extension().string();
        if (name.rfind("FRWb_", 0) == 0 && ext != ".cfg" && ext != ".ini") dumps.insert(name);
    }
    return dumps;
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

// "FRWb_10_2.hi" -> 10
int modeOfDump(const std::string& name) {
    return std::stoi(name.substr(5));
}

std::string modeLine(int mode, const char* screen = "fullscreen") {
    const VideoMode v = *videoMode(mode);
    return "MODE: " + std::to_string(mode) + ", " + std::to_string(v.width) + " x " +
           std::to_string(v.height) + " " + screen + " hz:N/A\n";
}

} // namespace

TEST(GameSimChain, EveryChoiceRunsToQuitAndWritesExactlyTheListedDumps) {
    for (const auto& c : choiceTable()) {
        SCOPED_TRACE(describe(c));
        testing_support::TempDir dir;
        auto install = testing_support::makeGameInstall(dir.path());
        const auto listed =
            bench::writeRunScripts(install.main().string() + "/", c, bench::CustomSettings{});
        ASSERT_FALSE(listed.empty());

        Game game(install.root);
        game.start(firstLevelCommand(c));
        ASSERT_EQ(game.run(), Outcome::Quit) << game.console().dumpText();

        EXPECT_EQ(dumpsIn(install.main()), std::set<std::string>(listed.begin(), listed.end()));
        EXPECT_EQ(listed.size(), std::set<std::string>(listed.begin(), listed.end()).size());
        for (const auto& name : listed) {
            const std::string dump = readFile(install.main() / name);
            const std::string mode = modeLine(modeOfDump(name));
            // A dump after a "Clear" may hold no mode line; the first of a
            // resolution, which gives the report its label, always does.
            const bool firstOfMode = c.threePerDump || name.find("_1.") != std::string::npos;
            EXPECT_EQ(dump.find("MODE:"), dump.find(mode)) << name << "\n" << dump;
            if (firstOfMode) {
                EXPECT_NE(dump.find(mode), std::string::npos) << name << "\n" << dump;
            }
            EXPECT_EQ(countOf(dump, "seconds: "), c.threePerDump ? c.runs : 1) << name << "\n"
                                                                               << dump;
            EXPECT_EQ(dump.find('\r'), std::string::npos);
        }
        EXPECT_EQ(readFile(install.main() / "config_mp.cfg").rfind("// generated by the game", 0),
                  0u);
    }
}

TEST(GameSimChain, LoopKeepsRunningAndRewritesItsDumps) {
    for (bool three : {false, true}) {
        testing_support::TempDir dir;
        auto install = testing_support::makeGameInstall(dir.path());
        const auto c = choices({true, true, false, false}, {4, 6}, 3, three, true);
        const auto listed = bench::writeRunScripts(install.main().string() + "/", c, {});
        Options options;
        options.maxFrames = 20000;
        Game game(install.root, options);
        game.start(firstLevelCommand(c));
        EXPECT_EQ(game.run(), Outcome::FrameLimit);
        // The loop never leaves the first level.
        for (const auto& name : listed)
            EXPECT_EQ(std::filesystem::exists(install.main() / name), name.ends_with(".lo"))
                << name;
        for (const auto& name : listed)
            std::filesystem::remove(install.main() / name);
        EXPECT_EQ(game.runFrames(20000), Outcome::Running);
        for (const auto& name : listed) {
            if (name.ends_with(".lo")) {
                EXPECT_TRUE(std::filesystem::exists(install.main() / name)) << name;
            }
        }
    }
}

TEST(GameSimChain, LargeDemoOverflowsTheConsoleInThreePerDumpMode) {
    // Three plays of a 300 KiB demo print more lines than the console holds.
    for (std::size_t bytes : {std::size_t(4096), std::size_t(300 * 1024)}) {
        testing_support::TempDir dir;
        auto install = testing_support::makeGameInstall(dir.path());
        testing_support::writeFile(install.demos() / "bench1.dm_2", std::string(bytes, 'd'));
        const auto c = choices({true, false, false, false}, {3}, 3, true);
        bench::writeRunScripts(install.main().string() + "/", c, {});
        Game game(install.root);
        game.start(firstLevelCommand(c));
        ASSERT_EQ(game.run(), Outcome::Quit);
        const std::string dump = readFile(install.main() / "FRWb_3.lo");
        EXPECT_EQ(countOf(dump, "seconds: "), bytes == 4096 ? 3 : 2);
        EXPECT_LE(countOf(dump, "\n"), Console::kTotalLines);
    }
}

TEST(GameSimChain, CrashMidBenchmarkLeavesTheLaterDumpsUnwritten) {
    testing_support::TempDir dir;
    auto install = testing_support::makeGameInstall(dir.path());
    const auto c = choices({true, false, false, false}, {3, 6}, 2, false);
    const auto listed = bench::writeRunScripts(install.main().string() + "/", c, {});
    Options options;
    options.crashAfterPlays = 5; // warm-up and two runs at mode 3, warm-up and run 1 at mode 6
    Game game(install.root, options);
    game.start(firstLevelCommand(c));
    EXPECT_EQ(game.run(), Outcome::Crashed);
    EXPECT_EQ(dumpsIn(install.main()), (std::set<std::string>{"FRWb_3_1.lo", "FRWb_3_2.lo"}));
}

TEST(GameSimChain, DumpsReadBackIntoTheWorkedExampleResultLines) {
    // Plays in order: warm-up, runs a, b, c at 640x480, then the same at 1024x768.
    for (bool three : {true, false}) {
        testing_support::TempDir dir;
        auto install = testing_support::makeGameInstall(dir.path());
        testing_support::writeFile(install.demos() / "bench1.fps",
                                   "99 48.0 47.4 47.8 99 35.2 35.8 35.5\n");
        const auto c = choices({true, false, false, false}, {3, 6}, 3, three);
        const auto listed = bench::writeRunScripts(install.main().string() + "/", c, {});
        Game game(install.root);
        game.start(firstLevelCommand(c));
        ASSERT_EQ(game.run(), Outcome::Quit);

        testing_support::ScriptedDialogs dialogs;
        std::string report;
        const auto mode = three ? results::DumpMode::ThreePerDump : results::DumpMode::OnePerDump;
        EXPECT_EQ(results::WriteResultLines(listed, mode, 3,
                                            results::DumpFolder(install.main().string() + "/"),
                                            report, dialogs),
                  results::RowResult::Completed);
        EXPECT_EQ(report, "  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 \r\n"
                          " (1024x768)  35.2,  35.8,  35.5,   AVERAGE FPS:   35.50\r\n");
    }
}

TEST(GameSimChain, OnePerDumpDumpsHoldTheNextPlaysLoadingBlockAsOnTheEngine) {
    // "demo" loads at once, so the dump taken on the same line holds the next
    // play's mode line after the result; the dump after "Clear" holds none.
    testing_support::TempDir dir;
    auto install = testing_support::makeGameInstall(dir.path());
    Options windowed;
    windowed.windowed = true;
    const auto c = choices({true, false, false, false}, {3}, 3, false);
    const auto listed = bench::writeRunScripts(install.main().string() + "/", c, {});
    Game game(install.root, windowed);
    game.start(firstLevelCommand(c));
    ASSERT_EQ(game.run(), Outcome::Quit);
    const std::string mode = modeLine(3, "windowed");
    for (const char* name : {"FRWb_3_1.lo", "FRWb_3_2.lo", "FRWb_3_3.lo"}) {
        SCOPED_TRACE(name);
        const std::string dump = readFile(install.main() / name);
        const auto result = dump.find("seconds: ");
        ASSERT_NE(result, std::string::npos) << dump;
        EXPECT_EQ(countOf(dump, "seconds: "), 1);
        const bool first = name[7] == '1', last = name[7] == '3';
        EXPECT_EQ(dump.find(mode) < result, first) << dump;
        EXPECT_EQ(dump.find(mode, result) != std::string::npos, !last) << dump;
        EXPECT_TRUE(dump.ends_with(std::string("Dumped console text to ") + name + ".\n\n"))
            << dump;
    }
}
