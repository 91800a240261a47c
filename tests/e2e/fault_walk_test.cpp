// The kill and fault walk: the installed command line, run with a shim that
// numbers every call that changes a file, is killed at each of those calls in
// turn, and made to fail at each one as a full disk and as a failing disk would.
// After each point the player carries on as a player would (Generate Results,
// then a new benchmark) and the same three rules are checked after every step.
//
// FRAMEWISE_WALK_CLI names another framewise-cli to walk (an older build, say).
#include "core/textfile.h"
#include "platform/processes.h"
#include "platform/single_instance.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::waitFor;
using testing_support::writeFile;

// Two levels at one resolution: two dumps, two result lines per report.
const std::string kChoices = "--levels normal,high --res 640x480 --runs 3 --yes";
constexpr std::size_t kResultLines = 2;

std::string cliProgram() {
    const char* other = std::getenv("FRAMEWISE_WALK_CLI");
    return other && *other ? other : CLI_PROGRAM;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

// One struck call: which one, and how.
struct Fault {
    long at = 0;               // 0: none
    std::string mode = "kill"; // kill, enospc, eio
};

// A program folder with framewise-cli and its archive, and a game whose
// CoDMP.exe is the stand-in behind a small script that notes, outside the game's
// folders, the comment of every benchmark it starts and finishes.
class Install {
  public:
    explicit Install(const fs::path& root) : root_(root) {}

    fs::path root() const { return root_; }
    fs::path program() const { return root_ / "Framewise" / "framewise-cli"; }
    fs::path archive() const { return root_ / "Framewise" / "User Results"; }
    fs::path game() const { return root_ / "game"; }
    fs::path main() const { return game() / "MAIN"; }
    fs::path played() const { return root_ / "played.log"; }

    void create() {
        fs::create_directories(archive());
        fs::copy_file(cliProgram(), program());
        testing_support::makeGameInstall(game());
        // A game left in its menu (scripts it cannot play) exits rather than waits
        // for ever, and is noted apart from one that played its benchmark through.
        writeFile(game() / "gamesim.ini", "--exit-when-idle\n");
        // The note is found from the script's own place, so a copy of this
        // install (every point starts from one) notes into its own log.
        writeFile(game() / "CoDMP.exe", "#!/bin/sh\n"
                                        "log=\"$(dirname \"$0\")/../played.log\"\n"
                                        "c=$(tail -n 1 MAIN/FRWb_setup.ini | tr -d '\\r')\n"
                                        "echo \"started $c\" >> \"$log\"\n" +
                                            quoted(GAMESIM_PROGRAM) +
                                            " \"$@\"\n"
                                            "s=$?\n"
                                            "if [ $s -eq 0 ]; then echo \"ended $c\"; "
                                            "else echo \"failed $s $c\"; fi >> \"$log\"\n");
        fs::permissions(game() / "CoDMP.exe", fs::perms::owner_all);
    }

    struct Outcome {
        int status = -1;
        std::string err;
    };

    // framewise-cli with args, standard input closed, the fault struck when given.
    Outcome cli(const std::string& args, const Fault& fault = {}, const fs::path& log = {}) const {
        const fs::path err = root_ / "err.txt";
        std::string env;
        if (fault.at > 0 || !log.empty())
            env = "LD_PRELOAD=" + quoted(FAULT_SHIM) +
                  " FRAMEWISE_FAULT_AT=" + std::to_string(fault.at) +
                  " FRAMEWISE_FAULT_MODE=" + fault.mode +
                  (log.empty() ? "" : " FRAMEWISE_FAULT_LOG=" + quoted(log)) + " ";
        // The shim goes into framewise-cli alone, not into the timeout around it.
        const std::string command = "cd " + quoted(root_) + " && timeout 120 env " + env +
                                    quoted(program()) + " " + args + " --game " + quoted(game()) +
                                    " >/dev/null 2>" + quoted(err) + " </dev/null";
        Outcome o;
        const int raw = std::system(command.c_str());
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.err = readFile(err);
        return o;
    }

    // Every benchmark the game started has ended.
    // A command that started the game may return, or be killed, before the game
    // has noted its start; so the game counts as running while any process
    // works in this install's folders, and for a short while after the last one.
    bool gameQuiet() const {
        int quietChecks = 0;
        return waitFor(
            [&] {
                const std::string log = readOrEmpty(played());
                const bool noted =
                    count(log, "started ") == count(log, "ended ") + count(log, "failed ");
                quietChecks = noted && !processInside() ? quietChecks + 1 : 0;
                return quietChecks >= 5;
            },
            std::chrono::seconds(60));
    }

    bool processInside() const {
        std::error_code ec;
        const std::string root = fs::weakly_canonical(root_, ec).string() + "/";
        for (const auto& e : fs::directory_iterator("/proc", ec)) {
            std::error_code ignored;
            const std::string cwd = fs::read_symlink(e.path() / "cwd", ignored).string() + "/";
            if (!ignored && cwd.rfind(root, 0) == 0) return true;
        }
        return false;
    }

    // Games that could not play what they were started on.
    std::string failedGames() const {
        std::string out;
        std::istringstream in(readOrEmpty(played()));
        for (std::string line; std::getline(in, line);)
            if (line.rfind("failed ", 0) == 0) out += "a game stopped: " + line + "; ";
        return out;
    }

    // Comments of the benchmarks the game played to the end: each one's results
    // were measured and must never be lost.
    std::set<std::string> measured() const {
        std::set<std::string> out;
        std::istringstream in(readOrEmpty(played()));
        for (std::string line; std::getline(in, line);)
            if (line.rfind("ended ", 0) == 0) out.insert(line.substr(6));
        return out;
    }

    static std::string readOrEmpty(const fs::path& p) {
        std::error_code ec;
        return fs::is_regular_file(p, ec) ? readFile(p) : std::string();
    }
    static std::size_t count(const std::string& text, const std::string& word) {
        std::size_t n = 0;
        for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
            ++n;
        return n;
    }

  private:
    fs::path root_;
};

// The reports the player has: every file of the archive, and those kept in the
// game's main folder when the archive could not take them.
std::map<std::string, std::string> reports(const Install& in) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    // A report is a .txt file; what measured it (.system.json) and hidden
    // scratch files are not reports.
    for (const auto& e : fs::directory_iterator(in.archive(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.front() != '.' && e.path().extension() == ".txt")
            out[e.path().string()] = readFile(e.path());
    }
    for (const auto& e : fs::directory_iterator(in.main(), ec))
        if (e.path().filename().string().rfind("Framewise_", 0) == 0)
            out[e.path().string()] = readFile(e.path());
    return out;
}

std::string commentOf(const std::string& report) {
    for (const auto& line : core::splitLines(report))
        if (line.rfind("   COMMENT:  ", 0) == 0) return line.substr(13);
    return {};
}

std::size_t resultLines(const std::string& report) {
    std::size_t n = 0;
    for (const auto& line : core::splitLines(report))
        if (has(line, "AVERAGE FPS:")) ++n;
    return n;
}

// The run waiting in the main folder can still be compiled whole: its record,
// and every dump its list names.
std::optional<std::string> compilableRun(const Install& in) {
    std::string why;
    auto record = core::readLines(in.main() / "FRWb_setup.ini", &why);
    auto list = core::readLines(in.main() / "FRWb_condump_list.ini", &why);
    if (!record || record->empty() || !list) return std::nullopt;
    for (const auto& dump : *list) {
        std::error_code ec;
        if (dump.empty() || fs::file_size(in.main() / dump, ec) == 0 || ec) return std::nullopt;
    }
    return record->back();
}

// The three rules, checked after every step. Each returns what broke, or nothing.
struct Rules {
    const Install& in;
    std::string player; // the player's own config_mp.cfg

    // 1. Every measured result is in an archived report, or still compilable.
    std::string results(bool mustBeArchived) const {
        std::set<std::string> archived;
        for (const auto& [path, text] : reports(in))
            if (resultLines(text) == kResultLines) archived.insert(commentOf(text));
        const auto waiting = mustBeArchived ? std::nullopt : compilableRun(in);
        std::string broken;
        for (const auto& c : in.measured())
            if (!archived.count(c) && waiting != c)
                broken += "the results of \"" + c + "\" are neither archived nor compilable; ";
        return broken;
    }

    // 2. No report was replaced or emptied, and none is partial or doubled.
    std::string archive(const std::map<std::string, std::string>& before) const {
        const auto now = reports(in);
        std::string broken;
        for (const auto& [path, text] : before) {
            auto it = now.find(path);
            if (it == now.end())
                broken += path + " disappeared; ";
            else if (it->second != text)
                broken += path + " was replaced; ";
        }
        std::map<std::string, int> perRun;
        for (const auto& [path, text] : now) {
            if (resultLines(text) != kResultLines)
                broken += path + " holds " + std::to_string(resultLines(text)) + " result lines; ";
            if (++perRun[commentOf(text)] == 2)
                broken += "the run \"" + commentOf(text) + "\" was archived twice; ";
        }
        return broken;
    }

    // 3. The player's configuration is in config_mp.cfg, or in config_mp.bak with
    //    a run record beside it, which is the sign that Generate Results gives it back.
    std::string configuration(bool mustBeBack) const {
        const std::string cfg = Install::readOrEmpty(in.main() / "config_mp.cfg");
        if (cfg == player) return {};
        if (mustBeBack) return "config_mp.cfg is not the player's; ";
        const std::string bak = Install::readOrEmpty(in.main() / "config_mp.bak");
        std::error_code ec;
        if (bak == player && fs::exists(in.main() / "FRWb_setup.ini", ec)) return {};
        return bak == player ? "the player's config is in config_mp.bak with no run record; "
                             : "the player's config is lost; ";
    }
};

struct Scenario {
    const char* name;
    std::string args; // the struck command
};

struct Point {
    std::string scenario, mode, call;
    long at = 0;
    std::string broken;
};

class FaultWalk : public ::testing::Test {
  protected:
    testing_support::TempDir tmp;
    fs::path templateRoot = tmp.path() / "template", work = tmp.path() / "work";
    std::string player;

    void SetUp() override {
        // The starting state of every point: a benchmark played and not yet
        // compiled, and one report archived before it.
        Install first(templateRoot);
        first.create();
        player = readFile(first.main() / "config_mp.cfg");
        ASSERT_EQ(first.cli("run " + kChoices + " --wait --comment archived").status, 0);
        ASSERT_EQ(first.cli("run " + kChoices + " --comment waiting").status, 0);
        ASSERT_TRUE(first.gameQuiet());
    }

    void TearDown() override {
        // One guard file serves every point: all run from the same program folder.
        std::error_code ec;
        const std::string folder = fs::weakly_canonical((work / "Framewise"), ec).string() + "/";
        fs::remove(platform::guardFile(platform::singleCopyFolder(), "framewise", folder), ec);
        const std::string first =
            fs::weakly_canonical((templateRoot / "Framewise"), ec).string() + "/";
        fs::remove(platform::guardFile(platform::singleCopyFolder(), "framewise", first), ec);
    }

    void reset() {
        fs::remove_all(work);
        fs::copy(templateRoot, work, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }

    // The calls the command makes that change a file, by number.
    std::vector<std::string> calls(const std::string& args) {
        reset();
        Install in(work);
        const fs::path log = tmp.path() / "calls.log";
        fs::remove(log);
        in.cli(args, {}, log);
        EXPECT_TRUE(in.gameQuiet());
        std::vector<std::string> out;
        std::istringstream text(Install::readOrEmpty(log));
        for (std::string line; std::getline(text, line);)
            out.push_back(line.substr(line.find(' ') + 1));
        return out;
    }

    // One point: strike, then carry on as a player, checking after every step.
    std::string walkPoint(const Scenario& s, const Fault& fault) {
        reset();
        Install in(work);
        const Rules rules{in, player};
        std::string broken;
        auto step = [&](const std::string& what, const std::function<void()>& act, bool last) {
            const auto before = reports(in);
            act();
            if (!in.gameQuiet()) broken += what + ": the game did not end; ";
            std::string b = rules.results(last) + rules.archive(before) + rules.configuration(last);
            if (!b.empty()) broken += "after " + what + ": " + b;
        };
        step(
            s.args, [&] { in.cli(s.args, fault); }, false);
        step(
            "results", [&] { in.cli("results"); }, false);
        step(
            "run --wait", [&] { in.cli("run " + kChoices + " --wait --comment after"); }, true);
        return broken + in.failedGames();
    }
};

TEST_F(FaultWalk, NoResultNoReportAndNoConfigurationIsLostAtAnyPoint) {
    const Scenario scenarios[] = {
        {"RUN over a run not yet compiled", "run " + kChoices + " --comment struck"},
        {"Generate Results", "results"},
        {"run --wait over a run not yet compiled", "run " + kChoices + " --wait --comment struck"},
    };
    const char* modes[] = {"kill", "enospc", "eio"};
    const auto start = std::chrono::steady_clock::now();
    std::vector<Point> failed;
    std::size_t points = 0;
    std::map<std::string, std::size_t> perScenario;
    for (const auto& s : scenarios) {
        const auto numbered = calls(s.args);
        perScenario[s.name] = numbered.size();
        ASSERT_FALSE(numbered.empty()) << s.name << ": the shim counted no call";
        for (const char* mode : modes) {
            for (std::size_t at = 1; at <= numbered.size(); ++at) {
                ++points;
                Point p{s.name, mode, numbered[at - 1], static_cast<long>(at), {}};
                const auto pointStart = std::chrono::steady_clock::now();
                p.broken = walkPoint(s, {p.at, mode});
                const auto took = std::chrono::steady_clock::now() - pointStart;
                if (took > std::chrono::seconds(5))
                    std::cout << "[ slow     ] " << s.name << ", " << mode << " at call " << at
                              << " (" << p.call << "): "
                              << std::chrono::duration_cast<std::chrono::seconds>(took).count()
                              << " s" << std::endl;
                if (!p.broken.empty()) failed.push_back(p);
            }
        }
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    std::string summary = std::to_string(points) + " points in " + std::to_string(seconds) + " s (";
    for (const auto& [name, n] : perScenario)
        summary += name + ": " + std::to_string(n) + " calls; ";
    summary += "each killed, then failed with ENOSPC, then with EIO)";
    std::cout << "[ walk     ] " << summary << "\n";
    for (const auto& p : failed)
        ADD_FAILURE() << p.scenario << ", " << p.mode << " at call " << p.at << " (" << p.call
                      << "): " << p.broken;
    EXPECT_TRUE(failed.empty()) << failed.size() << " of " << points << " points broke a rule";
}

} // namespace
