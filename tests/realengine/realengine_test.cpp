// The scripts RUN writes, played by a real Quake III engine (Debian's openarena)
// under a virtual display with software rendering. The engine quits by itself,
// and its console log shows every dump, result and screen mode of the chain.
//
// Two things of this engine differ from the game the tool serves, and the test
// takes them as they are: its condump refuses names that do not end in ".txt"
// (with a message, which still marks where the dump was asked for), and its
// result line reads "201 frames 12.4 seconds 16.3 fps ...". The console log
// holds everything the dumps would.
#include "bench/levels.h"
#include "bench/run_files.h"
#include "results/dumps.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

const fs::path kEngine = "/usr/games/openarena";
const fs::path kWork = REALENGINE_WORK_DIR;
// The demo is recorded once and kept here between test runs.
const fs::path kCachedDemo = kWork / "cache" / "frwdemo.dm_71";
const char* kDemoEntry = "frwdemo.dm_71";

// Every engine start must end within this; a loaded machine renders slowly.
constexpr auto kEngineLimit = std::chrono::seconds(240);

// A child process in its own process group, so a stuck one goes with all it started.
class Child {
  public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
          const fs::path& output, int keepFd = -1) {
        pid_ = fork();
        if (pid_ > 0) setpgid(pid_, pid_);
        if (pid_ != 0) return;
        setpgid(0, 0);
        int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, 0);
        for (int fd = 3; fd < 256; ++fd)
            if (fd != keepFd) close(fd);
        for (const auto& e : env)
            putenv(strdup(e.c_str()));
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { stop(); }

    bool started() const { return pid_ > 0; }

    // The exit status, or nothing when the limit passed first (the child is then ended).
    std::optional<int> waitFor(std::chrono::steady_clock::duration limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                killpg(pid_, SIGKILL); // whatever it left behind
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        stop();
        return std::nullopt;
    }

    void stop() {
        if (pid_ <= 0) return;
        killpg(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
};

// One virtual display for the whole program; Xvfb picks a free number itself.
class Display {
  public:
    Display() {
        fs::create_directories(kWork);
        int fds[2];
        if (pipe(fds) != 0) return;
        xvfb_ = std::make_unique<Child>(
            std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]),
                                     "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
            std::vector<std::string>{}, kWork / "xvfb.log", fds[1]);
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty()) name_ = ":" + number;
    }
    const std::string& name() const { return name_; }

  private:
    std::unique_ptr<Child> xvfb_;
    std::string name_;
};

Display& display() {
    static Display d;
    return d;
}

// Starts the engine with its home (and so its game folder "baseoa") in home, and
// waits for it to end by itself.
std::optional<int> runEngine(const fs::path& home, const std::string& firstScript) {
    const std::vector<std::string> argv{
        kEngine.string(), "+set",        "fs_homepath", home.string(),
        "+set",           "s_initsound", "0",           "+set",
        "r_fullscreen",   "0",           "+set",        "cl_renderer",
        "opengl1",        "+set",        "net_enabled", "0",
        "+set",           "logfile",     "2",           "+exec",
        firstScript};
    const std::vector<std::string> env{"DISPLAY=" + display().name(), "LIBGL_ALWAYS_SOFTWARE=1",
                                       "HOME=" + home.string(), "SDL_AUDIODRIVER=dummy"};
    Child engine(argv, env, home / "engine-output.txt");
    if (!engine.started()) return std::nullopt;
    return engine.waitFor(kEngineLimit);
}

fs::path freshHome(const std::string& name) {
    const fs::path home = kWork / name;
    fs::remove_all(home);
    fs::create_directories(home / "baseoa" / "demos");
    return home;
}

// Records a short demo with bots, driven by wait commands, unless one is cached.
std::string ensureDemo() {
    if (fs::exists(kCachedDemo)) return {};
    const fs::path home = freshHome("record");
    writeFile(home / "baseoa" / "record.cfg", "seta bot_enable 1\n"
                                              "seta g_doWarmup 0\n"
                                              "seta timelimit 0\n"
                                              "seta fraglimit 0\n"
                                              "map oa_dm1\n"
                                              "wait 60\n"
                                              "addbot angelyss 1\n"
                                              "addbot sarge 1\n"
                                              "addbot arachna 1\n"
                                              "wait 40\n"
                                              "team spectator\n"
                                              "wait 10\n"
                                              "record frwdemo\n"
                                              "wait 80\n"
                                              "stoprecord\n"
                                              "wait 5\n"
                                              "quit\n");
    const auto status = runEngine(home, "record.cfg");
    const fs::path recorded = home / "baseoa" / "demos" / kDemoEntry;
    if (status != 0 || !fs::exists(recorded) || fs::file_size(recorded) < 1024)
        return "recording the demo failed (status " +
               (status ? std::to_string(*status) : std::string("timed out")) + "); see " +
               (home / "baseoa" / "qconsole.log").string();
    fs::create_directories(kCachedDemo.parent_path());
    const fs::path partial = kCachedDemo.string() + ".part";
    fs::copy_file(recorded, partial, fs::copy_options::overwrite_existing);
    fs::rename(partial, kCachedDemo);
    return {};
}

// What the console log shows of a chain, in order.
struct Restart {
    std::string modeLine;
    int mode = -1;
    int results = 0; // result lines printed while this resolution ran
};
struct Chain {
    std::vector<Restart> restarts;
    std::vector<std::string> dumps; // the name each condump was asked for, as the chain implies
    std::vector<int> resultsAtDump; // result lines of its resolution before each condump
    std::vector<std::string> problems;
};

// Reads the log against the chain's rules: a vid_restart ("RE_Shutdown( 1 )"
// followed by a renderer start) begins a resolution; the continuation script's
// exec names the level; a condump of run j comes after the warm-up and j results.
Chain readLog(const std::string& log, bool threePerDump) {
    static const std::regex result(R"(^\d+ frames \d+\.\d seconds \d+\.\d fps)");
    static const std::regex mode(R"(^MODE: (\d+), )");
    static const std::regex continuation(R"(^execing FRWb_cont_(\w+)\.cfg)");
    Chain chain;
    std::string suffix;
    bool restarting = false;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (line.rfind("RE_Shutdown( 1 )", 0) == 0) {
            restarting = true;
        } else if (std::regex_search(line, m, mode)) {
            if (restarting) chain.restarts.push_back({line, std::stoi(m[1]), 0});
            restarting = false;
        } else if (std::regex_search(line, m, continuation)) {
            suffix.clear();
            for (auto level : {bench::Level::Normal, bench::Level::High, bench::Level::Maximum,
                               bench::Level::Custom})
                if (m[1] == bench::levelNames(level).code)
                    suffix = bench::levelNames(level).dumpSuffix;
        } else if (std::regex_search(line, result)) {
            if (chain.restarts.empty())
                chain.problems.push_back("a result before any vid_restart: " + line);
            else
                ++chain.restarts.back().results;
        } else if (line.rfind("Con_Dump_f:", 0) == 0 || line.rfind("Dumped console text", 0) == 0) {
            if (chain.restarts.empty()) {
                chain.problems.push_back("a condump before any vid_restart");
                continue;
            }
            const Restart& r = chain.restarts.back();
            std::string name = "FRWb_" + std::to_string(r.mode);
            if (!threePerDump) name += "_" + std::to_string(r.results - 1);
            chain.dumps.push_back(name + suffix);
            chain.resultsAtDump.push_back(r.results);
        } else if (line.find("ERROR:") != std::string::npos ||
                   line.rfind("Unknown command", 0) == 0) {
            chain.problems.push_back(line);
        }
    }
    return chain;
}

bench::RunChoices choices(bool threePerDump, const std::vector<int>& modes, int runs) {
    bench::RunChoices c;
    c.levels = {true, false, false, false};
    c.resolutions.fill(false);
    for (int m : modes)
        c.resolutions[m] = true;
    c.runs = runs;
    c.threePerDump = threePerDump;
    c.demoEntries = {kDemoEntry};
    c.selectedDemo = 0;
    return c;
}

class RealEngine : public testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kEngine))
            FAIL() << kEngine << " is missing: scripts/deps.sh installs it "
                   << "(or leave this test out with: ctest -LE realengine)";
        ASSERT_FALSE(display().name().empty()) << "Xvfb did not start; see " << kWork / "xvfb.log";
        const std::string trouble = ensureDemo();
        ASSERT_TRUE(trouble.empty()) << trouble;
    }
};

} // namespace

TEST_F(RealEngine, ChainRunsToQuitWithEveryDumpResultAndModeLineInBothDumpModes) {
    const std::vector<int> modes{0, 1}; // 320x240, 400x300: quick to render in software
    const int runs = 2;
    for (bool threePerDump : {false, true}) {
        SCOPED_TRACE(threePerDump ? "three per dump" : "one per dump");
        const fs::path home = freshHome(threePerDump ? "con3" : "con1");
        const fs::path game = home / "baseoa";
        fs::copy_file(kCachedDemo, game / "demos" / kDemoEntry);
        const auto c = choices(threePerDump, modes, runs);
        const auto listed = bench::writeRunScripts(game.string() + "/", c, {});
        ASSERT_FALSE(listed.empty());

        const auto started = std::chrono::steady_clock::now();
        const auto status = runEngine(home, bench::levelFileName(bench::Level::Normal));
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::steady_clock::now() - started)
                                 .count();
        const fs::path logFile = game / "qconsole.log";
        ASSERT_TRUE(status.has_value()) << "the engine was still running after "
                                        << kEngineLimit.count() << " s; see " << logFile;
        EXPECT_EQ(*status, 0) << "see " << logFile;
        std::cout << "[ engine  ] " << (threePerDump ? "con3" : "con1") << " ran " << seconds
                  << " s\n";

        const Chain chain = readLog(readFile(logFile), threePerDump);
        EXPECT_TRUE(chain.problems.empty()) << chain.problems.front() << "\nsee " << logFile;

        // One renderer start per resolution, each with its mode line.
        ASSERT_EQ(chain.restarts.size(), modes.size()) << "see " << logFile;
        for (std::size_t i = 0; i < modes.size(); ++i) {
            const Restart& r = chain.restarts[i];
            EXPECT_EQ(r.mode, modes[i]) << r.modeLine;
            const auto size = results::ParseResolutionLabel(r.modeLine);
            ASSERT_TRUE(size) << r.modeLine;
            EXPECT_EQ(size->width + "x" + size->height, bench::resolutionText(modes[i]))
                << r.modeLine;
            // The warm-up and every measured run print a result line.
            EXPECT_EQ(r.results, 1 + runs) << r.modeLine;
        }

        // A condump for every name of the dump list, in its order.
        EXPECT_EQ(chain.dumps, listed) << "see " << logFile;
        // A resolution's only dump comes after all its plays.
        if (threePerDump) {
            EXPECT_EQ(chain.resultsAtDump, std::vector<int>(listed.size(), 1 + runs));
        }
    }
}

// The engine asks for "demos/<name>.dm_71" whatever dots the name holds, but a
// name that itself ends in a demo extension is taken for the file name: RUN
// passes the first kind whole and refuses the second.
TEST_F(RealEngine, DottedDemoNamePlaysThatDemoAndAnInnerDemoExtensionOpensAnotherFile) {
    const fs::path home = freshHome("dotted");
    const fs::path game = home / "baseoa";
    const std::string entry = "v1.2_final.dm_71";
    fs::copy_file(kCachedDemo, game / "demos" / entry);
    fs::copy_file(kCachedDemo, game / "demos" / "x.dm_71.dm_71");
    auto c = choices(true, {0}, 1);
    c.demoEntries = {entry};
    ASSERT_FALSE(bench::writeRunScripts(game.string() + "/", c, {}).empty());
    // After the chain, the game is asked for the inner name before it quits.
    writeFile(game / "FRWb_master.cfg",
              readFile(game / "FRWb_master.cfg") + "set continue \"demo x.dm_71; quit\"\r\n");
    const auto status = runEngine(home, bench::levelFileName(bench::Level::Normal));
    const fs::path logFile = game / "qconsole.log";
    ASSERT_TRUE(status.has_value()) << "see " << logFile;
    const std::string log = readFile(logFile);
    EXPECT_NE(log.find("Demo file: demos/v1.2_final.dm_71\n"), std::string::npos) << logFile;
    const Chain chain = readLog(log, true);
    ASSERT_EQ(chain.restarts.size(), 1u) << logFile;
    EXPECT_EQ(chain.restarts[0].results, 2) << logFile; // the warm-up and the run
    EXPECT_NE(log.find("ERROR: couldn't open demos/x.dm_71\n"), std::string::npos) << logFile;
}
