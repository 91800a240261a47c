// The installed command line, run as a program: a program folder holding
// framewise-cli, a game install whose CoDMP.exe is the stand-in game, and the
// exit status, output and messages a script would see.
#include "cli/cli.h"
#include "core/textfile.h"
#include "locate/game_folder_guard.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/single_instance.h"
#include "results/archive_list.h"
#include "results/messages.h"
#include "results/report_chart.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::readFile;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kData = FRAMEWISE_RESULTS_DATA;
const std::string kWorked = "FRWb_120426_193005.txt";
const std::string kClosing =
    "CODconfig.bak has been restored to CODconfig.cfg\n\nAll Framewise related files have "
    "been removed from your CallOfDuty Directory.";
// One figure per play: a warm-up (99.9) and three runs per resolution, the
// worked example's.
const char* kFigures = "99.9 48.0 47.4 47.8 99.9 35.2 35.8 35.5\n"
                       "99.9 40.5 41.5 41.0 99.9 30.1 30.4 30.2\n";
// The worked example's choices.
const std::string kChoices = "--levels normal,high --res 640x480,1024x768";

bool waitFor(const std::function<bool()>& done,
             std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

struct Install {
    testing_support::TempDir tmp;
    fs::path program = tmp.path() / "Framewise" / "framewise-cli";
    testing_support::GameInstall game = testing_support::makeGameInstall(tmp.path() / "game");
    std::string configBefore = readFile(game.main() / "config_mp.cfg");

    explicit Install(const std::string& gameOptions = {}) {
        fs::create_directories(program.parent_path() / "User Results");
        fs::copy_file(CLI_PROGRAM, program);
        fs::copy_file(GAMESIM_PROGRAM, game.root / "CoDMP.exe",
                      fs::copy_options::overwrite_existing);
        writeFile(game.demos() / "bench1.fps", kFigures);
        if (!gameOptions.empty()) writeFile(game.root / "gamesim.ini", gameOptions);
    }
    // The program's guard file stays in the user's guard folder after it exits, as
    // it must; a test's install takes its own along, or every run would add some.
    ~Install() {
        std::error_code ec;
        const std::string folder = fs::canonical(program.parent_path(), ec).string() + "/";
        fs::remove(platform::guardFile(platform::singleCopyFolder(), "framewise", folder), ec);
    }

    // Runs framewise-cli with args (already quoted for the shell), standard input closed.
    Outcome cli(const std::string& args) const {
        const fs::path out = tmp.path() / "out.txt", err = tmp.path() / "err.txt";
        const std::string command = "cd '" + tmp.path().string() + "' && '" + program.string() +
                                    "' " + args + " >'" + out.string() + "' 2>'" + err.string() +
                                    "' </dev/null";
        Outcome o;
        const int raw = std::system(command.c_str());
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.out = readFile(out);
        o.err = readFile(err);
        return o;
    }
    std::string gameArg() const { return "--game '" + game.root.string() + "'"; }

    fs::path archive() const { return program.parent_path() / "User Results"; }
    // The archived reports, without the system records beside them.
    std::vector<std::string> archived() const {
        std::vector<std::string> reports;
        for (auto& name : testing_support::namesIn(archive()))
            if (!results::isSystemRecordName(name)) reports.push_back(std::move(name));
        return reports;
    }
    // The game saves its configuration as the last thing before it quits; the tool
    // refuses to restore while its process is still there.
    bool quit() const {
        return waitFor([&] {
            return readFile(game.main() / "config_mp.cfg") != configBefore &&
                   !platform::programRunning(game.root.string() + platform::folderSeparator(),
                                             "CoDMP.exe");
        });
    }
    std::vector<std::string> toolFilesLeft() const {
        std::vector<std::string> left;
        for (const auto& n : testing_support::namesIn(game.main()))
            if (n.rfind("FRWb_", 0) == 0) left.push_back(n);
        return left;
    }
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> lf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// The printed report is the archived one, and from its start time on it is the
// worked example (the run's own name and time stand in lines 3 and 4).
void expectWorkedReport(const Install& in, const std::string& printed, std::size_t lines = 21) {
    const auto names = in.archived();
    ASSERT_EQ(names.size(), 1u);
    const auto report = lf(printed);
    auto worked = core::splitLines(readFile(kData + kWorked));
    worked.resize(lines);
    ASSERT_EQ(report.size(), worked.size()) << printed;
    EXPECT_EQ(report[2], "      FILE:  " + names[0]);
    for (std::size_t i = 4; i < worked.size(); ++i)
        EXPECT_EQ(report[i], worked[i]) << "line " << i + 1;
    EXPECT_EQ(core::splitLines(readFile(in.archive() / names[0])), report);
}

} // namespace

TEST(CliCycle, RunAndWaitInBothDumpModesPrintsTheReport) {
    for (bool onePerDump : {false, true}) {
        SCOPED_TRACE(onePerDump ? "one per dump" : "three per dump");
        Install in;
        auto o = in.cli("run " + in.gameArg() + " " + kChoices + " --yes --wait" +
                        (onePerDump ? " --one-per-dump" : ""));
        EXPECT_EQ(o.status, cli::kOk) << o.err;
        expectWorkedReport(in, o.out);
        // The last progress line counts every dump of the list.
        const auto messages = lf(o.err);
        auto last = std::find_if(messages.rbegin(), messages.rend(),
                                 [](const std::string& l) { return has(l, " dumps, "); });
        ASSERT_NE(last, messages.rend()) << o.err;
        EXPECT_EQ(last->substr(0, last->find(' ')), onePerDump ? "12/12" : "4/4");
        EXPECT_TRUE(has(o.err, kClosing)) << o.err;
        EXPECT_EQ(readFile(in.game.main() / "config_mp.cfg"), in.configBefore);
        EXPECT_TRUE(in.toolFilesLeft().empty());
    }
}

TEST(CliCycle, CrashIsToldByItsStatusAndThePartialReportIsKept) {
    // Play 6 is the first measured run at 1024x768, whose dump the crash prevents.
    Install in("--crash-after-plays=6\n");
    auto o = in.cli("run " + in.gameArg() + " " + kChoices + " --one-per-dump --yes --wait");
    EXPECT_EQ(o.status, cli::kGameCrashed) << o.err;
    EXPECT_TRUE(has(o.err, results::kPrematureTermination)) << o.err;
    expectWorkedReport(in, o.out, 16);
    EXPECT_EQ(readFile(in.game.main() / "config_mp.cfg"), in.configBefore);

    // The report lacks three of the four settings its header asks for.
    ASSERT_EQ(in.archived().size(), 1u);
    const std::string archived = readFile(in.archive() / in.archived()[0]);
    auto json = in.cli("report " + in.archived()[0] + " --json");
    EXPECT_EQ(json.status, cli::kOk) << json.err;
    EXPECT_TRUE(has(json.out,
                    "\"complete\": false,\n  \"missing\": [{\"level\": \"Normal\", "
                    "\"resolution\": \"1024x768\"}, {\"level\": \"High\", \"resolution\": "
                    "\"640x480\"}, {\"level\": \"High\", \"resolution\": \"1024x768\"}]"))
        << json.out;
    auto text = in.cli("report " + in.archived()[0]);
    EXPECT_TRUE(has(text.out, "Incomplete: these settings did not run: Normal 1024x768, High "
                              "640x480, High 1024x768."))
        << text.out;
    // Read, never rewritten.
    EXPECT_EQ(readFile(in.archive() / in.archived()[0]), archived);
}

TEST(CliCycle, RefusedChecksAndAGameThatCannotStartChangeNothing) {
    struct Case {
        const char* name;
        std::function<void(Install&)> prepare;
        std::string args;
        int status;
        std::string says;
    };
    const std::vector<Case> cases{
        {"the warning without --yes", {}, "", cli::kRefused, "give --yes"},
        // The window's words name its buttons; here the command to run.
        {"the warning names the command that compiles",
         {},
         "",
         cli::kRefused,
         "you will need to run\nframewise-cli results to generate results.\n\nWhen "
         "framewise-cli results compiles them, your config\n file will be RESTORED "
         "AUTOMATICALLY."},
        {"CoDMP.exe in another letter case",
         [](Install& in) { fs::rename(in.game.root / "CoDMP.exe", in.game.root / "codmp.exe"); },
         " --yes", cli::kRefused,
         "ERROR:  CallOfDuty Folder location invlaid!\n\nGive --game with the folder of "
         "CoDMP.exe."},
        {"no pak0.pk3", [](Install& in) { fs::remove(in.game.main() / "pak0.pk3"); }, " --yes",
         cli::kRefused, "ERROR!  No CallOfDuty PAK Files Detected!"},
        {"a CoDMP.exe that cannot run",
         [](Install& in) {
             fs::permissions(in.game.root / "CoDMP.exe",
                             fs::perms::owner_read | fs::perms::owner_write);
         },
         " --yes --wait", cli::kGameNotStarted, "ERROR: CallOfDuty could not be started."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Install in;
        if (c.prepare) c.prepare(in);
        auto o = in.cli("run " + in.gameArg() + c.args);
        EXPECT_EQ(o.status, c.status) << o.err;
        EXPECT_TRUE(has(o.err, c.says)) << o.err;
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(readFile(in.game.main() / "config_mp.cfg"), in.configBefore);
        // A refused run leaves no record to compile; one whose game failed keeps it
        // with the backup, so that it can be started again.
        EXPECT_EQ(fs::exists(in.game.main() / "FRWb_setup.ini"), c.status == cli::kGameNotStarted);
        EXPECT_TRUE(in.archived().empty());
    }
}

TEST(CliCycle, ResultsCompilesARunStartedWithoutWaiting) {
    Install in;
    auto started = in.cli("run " + in.gameArg() + " " + kChoices + " --yes");
    ASSERT_EQ(started.status, cli::kOk) << started.err;
    EXPECT_TRUE(has(started.err, "framewise-cli results")) << started.err;
    EXPECT_EQ(started.out, "");
    ASSERT_TRUE(in.quit());

    auto o = in.cli("results " + in.gameArg());
    EXPECT_EQ(o.status, cli::kOk) << o.err;
    expectWorkedReport(in, o.out);
    EXPECT_TRUE(in.toolFilesLeft().empty());

    auto again = in.cli("results " + in.gameArg());
    EXPECT_EQ(again.status, cli::kNoResults);
    EXPECT_EQ(again.err, std::string(results::kNoResults) + "\n");
}

TEST(CliCycle, DamagedDumpIsToldByItsStatus) {
    Install in;
    ASSERT_EQ(in.cli("run " + in.gameArg() + " " + kChoices + " --yes").status, cli::kOk);
    ASSERT_TRUE(in.quit());
    writeFile(in.game.main() / "FRWb_6.lo", "");
    auto o = in.cli("results " + in.gameArg());
    EXPECT_EQ(o.status, cli::kDamaged) << o.err;
    EXPECT_TRUE(has(o.err, "Error - The console dump FRWb_6.lo is empty.")) << o.err;
    EXPECT_EQ(readFile(in.game.main() / "config_mp.cfg"), in.configBefore);
}

TEST(CliCycle, WaitGivesUpOnAGameThatWritesNoDumpAndLeavesItRunning) {
    Install in;
    // A game that starts, stays a few seconds without playing, then ends.
    writeFile(in.game.root / "CoDMP.exe", "#!/bin/sh\nsleep 3\ntouch ended\n");
    fs::permissions(in.game.root / "CoDMP.exe", fs::perms::owner_all);
    const auto start = std::chrono::steady_clock::now();
    auto o = in.cli("run " + in.gameArg() + " --yes --wait --stall-minutes 0.01");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(o.status, cli::kGaveUpWaiting) << o.err;
    EXPECT_TRUE(has(o.err, "0 of 15 console dumps written")) << o.err;
    EXPECT_TRUE(has(o.err, "Stopped waiting; the game was left running.")) << o.err;
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_FALSE(fs::exists(in.game.root / "ended"));
    // Nothing was compiled: the run waits for results.
    EXPECT_TRUE(fs::exists(in.game.main() / "FRWb_setup.ini"));
    EXPECT_TRUE(in.archived().empty());
    EXPECT_TRUE(waitFor([&] { return fs::exists(in.game.root / "ended"); }));
}

TEST(CliCycle, ModeTheDisplayCannotShowRunsInTheFallbackModeAndTheChartSaysSo) {
    // 2048x1536 is refused by the display: the game plays it at 640x480, so the
    // report holds two 640x480 lines.
    Install in("--largest-mode=1600x1200\n");
    writeFile(in.game.demos() / "bench1.fps", "99.9 48.0 47.4 47.8 99.9 50.0 50.5 51.0\n");
    auto o =
        in.cli("run " + in.gameArg() + " --levels normal --res 640x480,2048x1536 --yes --wait");
    ASSERT_EQ(o.status, cli::kOk) << o.err;
    ASSERT_EQ(in.archived().size(), 1u);
    auto reading = results::readReport((in.archive() / in.archived()[0]).string());
    ASSERT_TRUE(reading.table) << reading.error.message();
    const auto& t = *reading.table;
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1].width + "x" + t.rows[1].height, "640x480");

    // One bar, the line that ran as asked; the other is said, not drawn over it.
    auto m = results::chartOf(t);
    EXPECT_EQ(m.resolutions, std::vector<std::string>{"640x480"});
    ASSERT_EQ(m.series.size(), 1u);
    ASSERT_TRUE(m.series[0].bars[0]);
    EXPECT_EQ(m.series[0].bars[0]->valueText, "47.73");
    EXPECT_EQ(m.notes, std::vector<std::string>{"Normal 2048x1536 (ran at 640x480): not drawn, "
                                                "the 640x480 bar is the earlier line"});
    // Compared with itself: the same line pairs on both sides, and the second is listed.
    auto c = results::compareReports(t, t);
    ASSERT_EQ(c.pairs.size(), 1u);
    EXPECT_EQ(c.pairs[0].other.valueText, "47.73");
    EXPECT_EQ(c.pairs[0].base.valueText, "47.73");
    const std::vector<std::string> second{"Normal 2048x1536 (ran at 640x480)"};
    EXPECT_EQ(c.onlyInOther, second);
    EXPECT_EQ(c.onlyInBase, second);
}

TEST(CliCycle, ReportAndListReadTheArchive) {
    Install in;
    fs::copy_file(kData + kWorked, in.archive() / kWorked);
    writeFile(in.archive() / "notes.txt", "my notes\r\n");

    auto list = in.cli("list");
    EXPECT_EQ(list.status, cli::kOk);
    std::vector<std::string> inWindowOrder;
    for (const auto& item : results::archiveItems(in.program.parent_path().string() + "/"))
        if (item != results::kPlaceholder)
            inWindowOrder.push_back(fs::path(item).filename().string());
    ASSERT_EQ(inWindowOrder.size(), 2u);
    // One line each: the file, then what the report says of itself.
    const std::map<std::string, std::string> line{
        {kWorked, kWorked + "  bench1  Friday, December 04, 2026  07:30:05 PM  No Comment"},
        {"notes.txt", "notes.txt  (not readable: expected the title line of a Framewise report)"}};
    EXPECT_EQ(lf(list.out),
              (std::vector<std::string>{line.at(inWindowOrder[0]), line.at(inWindowOrder[1])}));
    auto listJson = in.cli("list --json");
    EXPECT_EQ(listJson.status, cli::kOk);
    EXPECT_TRUE(has(listJson.out, "{\"file\": \"" + kWorked +
                                      "\", \"demo\": \"bench1\", \"startTime\": \"Friday, "
                                      "December 04, 2026  07:30:05 PM\", \"startTimeIso\": "
                                      "\"2026-12-04T19:30:05\", \"comment\": \"No Comment\", "
                                      "\"complete\": true}"))
        << listJson.out;
    EXPECT_TRUE(has(listJson.out, "\"schema\": 1,")) << listJson.out;

    auto csv = in.cli("report " + kWorked + " --csv");
    EXPECT_EQ(csv.status, cli::kOk) << csv.err;
    const std::string report = kWorked + ",bench1,2026-12-04T19:30:05,";
    EXPECT_EQ(csv.out,
              "file,demo,startTime,level,width,height,run1,run2,run3,average,sd,min,max,spread,"
              "status\n" +
                  report + "Normal,640,480,48.0,47.4,47.8,47.73,0.31,47.4,48.0,0.6 %,complete\n" +
                  report + "Normal,1024,768,35.2,35.8,35.5,35.50,0.30,35.2,35.8,0.8 %,complete\n" +
                  report + "High,640,480,40.5,41.5,41.0,41.00,0.50,40.5,41.5,1.2 %,complete\n" +
                  report + "High,1024,768,30.1,30.4,30.2,30.23,0.15,30.1,30.4,0.5 %,complete\n");
    auto table = in.cli("report '" + (in.archive() / kWorked).string() + "'");
    EXPECT_EQ(table.status, cli::kOk);
    EXPECT_TRUE(has(
        table.out,
        "Normal      640    480    48.0    47.4    47.8    47.73    47.4    48.0  0.31 (0.6 %)\n"))
        << table.out;
    auto json = in.cli("report " + kWorked + " --json");
    EXPECT_TRUE(has(json.out, "\"average\": 30.23, \"min\": 30.1, \"max\": 30.4, \"sd\": 0.1528"))
        << json.out;

    auto foreign = in.cli("report notes.txt");
    EXPECT_EQ(foreign.status, cli::kBadReport);
    EXPECT_TRUE(has(foreign.err, (in.archive() / "notes.txt").string() + ", line 1: "))
        << foreign.err;
    EXPECT_EQ(foreign.out, "");
}

TEST(CliCycle, CompareJudgesReportsAgainstTheFirstAndNamesOneItCannotRead) {
    Install in;
    fs::copy_file(kData + kWorked, in.archive() / kWorked);
    // The same run again, Normal 640x480 ten per cent faster with its runs spread 1 %.
    std::string faster = readFile(kData + kWorked);
    faster.replace(faster.find("  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 "), 56,
                   "  (640x480)  52.0,  53.4,  52.8,   AVERAGE FPS:   52.73 ");
    faster.replace(faster.find("COMMENT:  No Comment"), 20, "COMMENT:  new driver");
    writeFile(in.archive() / "FRWb_120526_101500.txt", faster);

    auto text = in.cli("compare " + kWorked + " FRWb_120526_101500.txt");
    EXPECT_EQ(text.status, cli::kOk) << text.err;
    EXPECT_TRUE(has(text.out, "  2  December 04, 2026  07:30:05 PM, new driver  (bench1, "
                              "FRWb_120526_101500.txt)\n"))
        << text.out;
    EXPECT_TRUE(has(text.out,
                    "Normal      640    480   1    47.73    47.4    48.0  0.31 (0.6 %)\n"
                    "                         2    52.73    52.0    53.4  0.70 (1.3 %)    "
                    "    +10.5 %  faster\n"))
        << text.out;
    EXPECT_TRUE(has(text.out, "  0.0 %  within noise\n")) << text.out;
    EXPECT_TRUE(has(text.out, results::kVerdictRule)) << text.out;

    auto csv = in.cli("compare " + kWorked + " FRWb_120526_101500.txt --csv");
    EXPECT_EQ(csv.status, cli::kOk);
    EXPECT_TRUE(
        has(csv.out, ",new driver,Normal,640,480,52.0,53.4,52.8,52.73,0.70,+10.5 %,faster\n"))
        << csv.out;
    auto json = in.cli("compare " + kWorked + " FRWb_120526_101500.txt --json");
    EXPECT_TRUE(has(json.out, "\"change\": 10.4756, \"verdict\": \"faster\"")) << json.out;

    writeFile(in.archive() / "notes.txt", "my notes\r\n");
    auto foreign = in.cli("compare " + kWorked + " notes.txt missing.txt");
    EXPECT_EQ(foreign.status, cli::kBadReport);
    EXPECT_TRUE(has(foreign.err, (in.archive() / "notes.txt").string() + ", line 1: "))
        << foreign.err;
    EXPECT_TRUE(has(foreign.err, "missing.txt: could not be read")) << foreign.err;
    EXPECT_EQ(foreign.out, "");

    EXPECT_EQ(in.cli("compare " + kWorked).status, cli::kBadOptions);
}

TEST(CliCycle, DottedDemoNamesBenchmarkThatDemo) {
    // bench1 itself plays at other figures: a report of them would be bench1's.
    for (const std::string demo : {"bench1.old", "v1.2_final"}) {
        SCOPED_TRACE(demo);
        Install in;
        writeFile(in.game.demos() / (demo + ".dm_2"), std::string(4096, 'd'));
        writeFile(in.game.demos() / (demo + ".fps"), "99.9 61.0 62.0\n");
        auto o = in.cli("run " + in.gameArg() + " --levels normal --res 640x480 --runs 2 --demo '" +
                        demo + ".dm_2' --yes --wait");
        EXPECT_EQ(o.status, cli::kOk) << o.err;
        EXPECT_TRUE(has(o.out, "           DEMO:  " + demo + "\n")) << o.out;
        EXPECT_TRUE(has(o.out, "  (640x480)  61.0,  62.0,   AVERAGE FPS:   61.50\n")) << o.out;
    }
}

TEST(CliCycle, APipeFromRunEndsWhenTheToolEndsNotWhenTheGameQuits) {
    // The game holds at its "quit" until released, long after the tool has ended.
    Install in("--hold-quit=release\n");
    const fs::path out = in.tmp.path() / "last.txt";
    const std::string command = "cd '" + in.tmp.path().string() + "' && timeout 20 sh -c \"'" +
                                in.program.string() + "' run " + in.gameArg() + " " + kChoices +
                                " --yes 2>&1 | tail -1 >'" + out.string() + "'\" </dev/null";
    const auto start = std::chrono::steady_clock::now();
    const int raw = std::system(command.c_str());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << raw;
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_TRUE(has(readFile(out), "framewise-cli results")) << readFile(out);
    // The game was still there when the pipe ended; released, it quits as usual.
    ASSERT_TRUE(waitFor([&] { return fs::exists(in.game.root / "release.waiting"); }));
    EXPECT_TRUE(
        platform::programRunning(in.game.root.string() + platform::folderSeparator(), "CoDMP.exe"));
    writeFile(in.game.root / "release", "");
    ASSERT_TRUE(in.quit());
}

TEST(CliCycle, TwoInstallsOneGameFolderOnlyOneWorksThereAtATime) {
    // Install a waits for its game, which holds at its "quit" until released.
    Install a("--hold-quit=release\n"), b;
    Outcome first;
    std::thread running(
        [&] { first = a.cli("run " + a.gameArg() + " " + kChoices + " --yes --wait"); });
    const bool waiting = waitFor([&] { return fs::exists(a.game.root / "release.waiting"); });
    for (const std::string command : {"results", "run --yes"}) {
        SCOPED_TRACE(command);
        auto o = b.cli(command + " " + a.gameArg());
        EXPECT_EQ(o.status, cli::kRefused) << o.err;
        EXPECT_TRUE(has(o.err, std::string(locate::kGameFolderBusy) + ":\n" + a.game.root.string()))
            << o.err;
    }
    writeFile(a.game.root / "release", "");
    running.join();
    ASSERT_TRUE(waiting);
    EXPECT_EQ(first.status, cli::kOk) << first.err;
    expectWorkedReport(a, first.out);
    EXPECT_TRUE(b.archived().empty());
    EXPECT_EQ(b.cli("results " + a.gameArg()).status, cli::kNoResults);
}

namespace {

// framewise-cli started in the background, its messages in a file.
struct Started {
    pid_t pid = -1;
    fs::path err;
    int wait() const {
        int raw = 0;
        if (::waitpid(pid, &raw, 0) != pid) return -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

Started startCli(const Install& in, const std::vector<std::string>& args) {
    Started s;
    s.err = in.tmp.path() / "bg-err.txt";
    s.pid = ::fork();
    if (s.pid == 0) {
        const int fd = ::open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        std::vector<char*> argv{const_cast<char*>(in.program.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(in.program.c_str(), argv.data());
        ::_exit(127);
    }
    return s;
}

} // namespace

TEST(CliCycle, WhileTheGameRunsResultsRefusesAndCtrlCLeavesItRunning) {
    Install in("--hold-quit=release.flag\n");
    const fs::path held = in.game.root / "release.flag.waiting";
    auto running = [&] {
        return platform::programRunning(in.game.root.string() + "/", "CoDMP.exe");
    };

    auto started = startCli(in, {"run", "--game", in.game.root.string(), "--levels", "normal",
                                 "--res", "640x480", "--yes", "--wait"});
    ASSERT_GT(started.pid, 0);
    ASSERT_TRUE(waitFor([&] { return fs::exists(held); }));
    ::kill(started.pid, SIGINT);
    EXPECT_EQ(started.wait(), cli::kInterrupted);
    const std::string said = readFile(started.err);
    EXPECT_TRUE(has(said, "The game is still running and the benchmark goes on. Once the game has "
                          "quit, framewise-cli results compiles the run."))
        << said;
    EXPECT_TRUE(running());

    // Compiling now would be undone by the game's own save when it quits.
    auto refused = in.cli("results " + in.gameArg());
    EXPECT_EQ(refused.status, cli::kRefused) << refused.err;
    EXPECT_TRUE(has(refused.err, "Error - CallOfDuty is still running")) << refused.err;
    EXPECT_TRUE(has(refused.err, "Quit CallOfDuty, then run framewise-cli results again."))
        << refused.err;
    EXPECT_FALSE(has(refused.err, "Generate Results")) << refused.err;
    EXPECT_TRUE(in.archived().empty());

    writeFile(in.game.root / "release.flag", "go");
    ASSERT_TRUE(waitFor([&] { return !running(); }));
    auto compiled = in.cli("results " + in.gameArg());
    EXPECT_EQ(compiled.status, cli::kOk) << compiled.err;
    EXPECT_EQ(in.archived().size(), 1u);
}

TEST(CliCycle, AReportThatCannotBeArchivedFails) {
    Install in;
    fs::remove(in.archive());
    writeFile(in.archive(), "a file where the results folder belongs");
    auto o = in.cli("run " + in.gameArg() + " " + kChoices + " --yes --wait");
    EXPECT_EQ(o.status, cli::kFailed) << o.err;
    EXPECT_TRUE(has(o.err, results::kReportNotArchived)) << o.err;
}

// OpenArena as Debian installs it, played by the stand-in: the program and its
// data in one folder, the player's files in a home folder of their own.
TEST(CliCycle, OpenArenaProfileRunsTheSameCycleInTheGamesOwnFilesAndNames) {
    for (bool onePerDump : {false, true}) {
        SCOPED_TRACE(onePerDump ? "one per dump" : "three per dump");
        Install in;
        const fs::path oa = in.tmp.path() / "openarena";
        const fs::path home = in.tmp.path() / "home";
        const fs::path write = home / "baseoa";
        writeFile(oa / "baseoa" / "pak0.pk3", "pak");
        fs::copy_file(GAMESIM_PROGRAM, oa / "openarena");
        writeFile(oa / "gamesim.ini", "--profile=openarena\n");
        const std::string config = "unbindall\nbind w \"+forward\"\nseta name \"Player\"\n";
        writeFile(write / "q3config.cfg", config);
        writeFile(write / "demos" / "bench1.dm_71", std::string(4096, 'd'));
        writeFile(write / "demos" / "bench1.fps", kFigures);

        auto o = in.cli("run --game '" + oa.string() + "' --fs-homepath '" + home.string() + "' " +
                        kChoices + " --yes --wait" + (onePerDump ? " --one-per-dump" : ""));
        EXPECT_EQ(o.status, cli::kOk) << o.err;
        expectWorkedReport(in, o.out);
        EXPECT_TRUE(has(o.err, "q3config.bak has been restored to q3config.cfg\n\nAll Framewise "
                               "related files have been removed from your OpenArena Directory."))
            << o.err;
        EXPECT_FALSE(has(o.err, "CallOfDuty")) << o.err;
        EXPECT_EQ(readFile(write / "q3config.cfg"), config);
        EXPECT_EQ(readFile(write / "q3config.bak"), config);
        for (const auto& n : testing_support::namesIn(write))
            EXPECT_NE(n.rfind("FRWb_", 0), 0u) << n << " was left behind";
        // The Call of Duty install beside it was not touched.
        EXPECT_EQ(readFile(in.game.main() / "config_mp.cfg"), in.configBefore);
        // The record read the renderer from the dumps under the names this game gives them.
        const auto reports = in.archived();
        ASSERT_EQ(reports.size(), 1u);
        auto system = results::readSystemRecord((in.archive() / reports[0]).string());
        ASSERT_TRUE(system);
        EXPECT_EQ(*system->find("renderer"), "gamesim software rasteriser");

        // A home folder the game's command line cannot carry is refused before
        // anything is written: blanks, quotes, semicolons, control characters.
        if (onePerDump) continue;
        for (const std::string bad : {"my home", "it's", "a;b", "line\x01" "feed"}) {
            SCOPED_TRACE(bad);
            const fs::path odd = in.tmp.path() / bad;
            auto refused = in.cli("run --game '" + oa.string() + "' --fs-homepath \"" +
                                  odd.string() + "\" " + kChoices + " --yes");
            EXPECT_EQ(refused.status, cli::kBadOptions) << refused.err;
            EXPECT_TRUE(has(refused.err, "cannot be handed to the game")) << refused.err;
            EXPECT_FALSE(fs::exists(odd));
        }
    }
}

TEST(CliCycle, GenerateResultsRecordsTheSystemBesideTheReportAndTheListLeavesItOut) {
    Install in;
    auto run = in.cli("run " + in.gameArg() + " " + kChoices + " --runs 3 --yes --wait");
    ASSERT_EQ(run.status, cli::kOk) << run.err;
    const auto names = testing_support::namesIn(in.archive());
    ASSERT_EQ(names.size(), 2u) << "the report and its system record";
    std::string report, record;
    for (const auto& name : names)
        (results::isSystemRecordName(name) ? record : report) = name;
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(record, report.substr(0, report.size() - 4) + ".system.json");

    auto system = results::readSystemRecord((in.archive() / report).string());
    ASSERT_TRUE(system);
    auto field = [&](const char* key) {
        const std::string* v = system->find(key);
        return v ? *v : std::string("(absent)");
    };
    // From the stand-in's dumps, from this computer, and from the run's choices.
    EXPECT_EQ(field("report"), report);
    EXPECT_EQ(field("GL vendor"), "stand-in renderer");
    EXPECT_EQ(field("renderer"), "gamesim software rasteriser");
    EXPECT_EQ(field("GL version"), "1.1 gamesim");
    EXPECT_NE(field("GL extensions hash"), "");
    EXPECT_NE(field("OS"), "");
    EXPECT_GE(std::atoi(field("logical cores").c_str()), 1);
    EXPECT_GT(std::atoll(field("memory").c_str()), 0);
    EXPECT_EQ(field("levels"), "Normal, High");
    EXPECT_EQ(field("resolutions"), "640x480, 1024x768");
    EXPECT_EQ(field("runs"), "3");
    EXPECT_EQ(field("dump mode"), "three per dump");
    EXPECT_EQ(field("comment"), "No Comment");
    EXPECT_NE(field("Framewise version"), "");

    const auto listed = lf(in.cli("list").out);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].rfind(report + " ", 0), 0u) << listed[0];
    auto shown = in.cli("report " + report);
    EXPECT_TRUE(has(shown.out, "MEASURED ON: renderer: gamesim software rasteriser, GL version: "
                               "1.1 gamesim, CPU: "))
        << shown.out;
    auto json = in.cli("report " + report + " --json");
    EXPECT_TRUE(has(json.out, "\"systemRecorded\": true,\n  \"system\": {\"report\": \"" + report +
                                  "\", ")) << json.out;
    EXPECT_TRUE(has(json.out, "\"renderer\": \"gamesim software rasteriser\"")) << json.out;
    // An older report, without a record, is read as before and said so.
    fs::copy_file(kData + kWorked, in.archive() / kWorked);
    auto older = in.cli("report " + kWorked);
    EXPECT_TRUE(has(older.out, "MEASURED ON: system not recorded\n")) << older.out;
    auto olderJson = in.cli("report " + kWorked + " --json");
    EXPECT_TRUE(has(olderJson.out, "\"systemRecorded\": false,\n  \"system\": null\n}\n"))
        << olderJson.out;
    auto compared = in.cli("compare " + kWorked + " " + report);
    EXPECT_EQ(compared.status, cli::kOk);
    EXPECT_TRUE(has(compared.out, "System not recorded: December 04, 2026  07:30:05 PM, No Comment"))
        << compared.out;
}
