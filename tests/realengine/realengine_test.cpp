// A whole benchmark on a real Quake III engine (Debian's openarena) under a
// virtual display with software rendering, run as a player would: one
// framewise-cli line that writes the scripts, starts the game, waits for it to
// quit and compiles the report. The engine's console log is the witness: every
// figure of the report must be one the engine printed.
#include "bench/levels.h"
#include "bench/run_files.h"
#include "platform/single_instance.h"
#include "results/system_record.h"
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
          const fs::path& output, int keepFd = -1, const fs::path& errors = {}) {
        pid_ = fork();
        if (pid_ > 0) setpgid(pid_, pid_);
        if (pid_ != 0) return;
        setpgid(0, 0);
        int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        if (!errors.empty()) {
            int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0) dup2(err, 2);
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

// The figures of the engine's result lines ("592 frames 3.6 seconds 163.0 fps
// 1.0/6.1/133.0/7.2 ms"), in order, and the sizes of its mode lines.
struct EngineLog {
    std::vector<std::string> figures;
    std::vector<std::string> modes; // "320x240"
    std::string renderer, glVersion; // the last GL_RENDERER and GL_VERSION lines
    std::size_t extensions = 0;      // the length of the last GL_EXTENSIONS list
};

EngineLog readLog(const std::string& log) {
    static const std::regex result(R"(^\d+ frames \d+\.\d seconds (\d+\.\d) fps [\d./]+ ms)");
    static const std::regex mode(R"(^MODE: \d+, (\d+) x (\d+) )");
    EngineLog out;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (std::regex_search(line, m, result))
            out.figures.push_back(m[1]);
        else if (std::regex_search(line, m, mode))
            out.modes.push_back(std::string(m[1]) + "x" + std::string(m[2]));
        else if (line.rfind("GL_RENDERER: ", 0) == 0)
            out.renderer = line.substr(13);
        else if (line.rfind("GL_VERSION: ", 0) == 0)
            out.glVersion = line.substr(12);
        else if (line.rfind("GL_EXTENSIONS: ", 0) == 0)
            out.extensions = line.find_last_not_of(' ') + 1 - 15;
    }
    return out;
}

// The report's result lines: the size and the figures of each, in order.
struct ReportLine {
    std::string size;
    std::vector<std::string> figures;
};

std::vector<ReportLine> reportLines(const std::string& report) {
    static const std::regex line(R"(^ *\((\d+x\d+)\) ((?: *[\d.]+,)+))");
    static const std::regex figure(R"(([\d.]+),)");
    std::vector<ReportLine> out;
    std::istringstream in(report);
    for (std::string text; std::getline(in, text);) {
        std::smatch m;
        if (!std::regex_search(text, m, line)) continue;
        ReportLine r{m[1], {}};
        const std::string values = m[2];
        for (std::sregex_iterator it(values.begin(), values.end(), figure), end; it != end; ++it)
            r.figures.push_back((*it)[1]);
        out.push_back(r);
    }
    return out;
}

// A player's own configuration, as the game saved it, with what a machine
// without sound card, network or hardware GL needs.
const char* kPlayerConfig = "// generated by quake, do not modify\n"
                            "unbindall\n"
                            "bind TAB \"+scores\"\n"
                            "bind w \"+forward\"\n"
                            "seta r_fullscreen \"0\"\n"
                            "seta cl_renderer \"opengl1\"\n"
                            "seta s_initsound \"0\"\n"
                            "seta net_enabled \"0\"\n"
                            "seta logfile \"2\"\n"
                            "seta r_picmip \"1\"\n"
                            "seta com_maxfps \"85\"\n"
                            "seta name \"Player\"\n";

struct Cli {
    int status = -1;
    std::string out, err;
};

// framewise-cli with these arguments, its home folder home, on the virtual display.
Cli runCli(const fs::path& home, const std::vector<std::string>& args) {
    // Installed as a player has it, so that its results folder is its own.
    const fs::path program = home / "Framewise" / "framewise-cli";
    fs::create_directories(program.parent_path());
    fs::copy_file(FRAMEWISE_CLI_PROGRAM, program, fs::copy_options::overwrite_existing);
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::vector<std::string> env{"DISPLAY=" + display().name(), "LIBGL_ALWAYS_SOFTWARE=1",
                                       "HOME=" + home.string(), "SDL_AUDIODRIVER=dummy"};
    Cli out;
    const fs::path outFile = home / "cli-out.txt", errFile = home / "cli-err.txt";
    {
        // The report goes to standard output, the messages to standard error.
        Child cli(argv, env, outFile, -1, errFile);
        if (!cli.started()) return out;
        auto status = cli.waitFor(2 * kEngineLimit);
        out.status = status.value_or(-1);
    }
    out.out = readFile(outFile);
    out.err = readFile(errFile);
    // Its guard file stays in the user's guard folder; a test's install takes its own along.
    std::error_code ec;
    fs::remove(platform::guardFile(platform::singleCopyFolder(), "framewise",
                                   fs::canonical(program.parent_path(), ec).string() + "/"),
               ec);
    return out;
}

// One level, these modes and runs, the cached demo chosen.
bench::RunChoices choices(bool threePerDump, const std::vector<int>& modes, int runs) {
    bench::RunChoices c;
    c.levels = {true, false, false, false};
    c.resolutions.fill(false);
    for (int m : modes)
        c.resolutions[static_cast<std::size_t>(m)] = true;
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

TEST_F(RealEngine, WholeBenchmarkReportsTheEnginesFiguresAndGivesTheConfigBack) {
    const std::vector<std::string> sizes{"320x240", "400x300"}; // quick in software
    const int runs = 2;
    const std::size_t levels = 2;
    for (bool onePerDump : {false, true}) {
        SCOPED_TRACE(onePerDump ? "one per dump" : "three per dump");
        // One mode writes where the game writes by default, the other where told.
        const fs::path home = freshHome(onePerDump ? "con1" : "con3");
        const fs::path game =
            onePerDump ? home / "given" / "baseoa" : home / ".openarena" / "baseoa";
        fs::create_directories(game / "demos");
        fs::copy_file(kCachedDemo, game / "demos" / kDemoEntry);
        writeFile(game / "q3config.cfg", kPlayerConfig);

        std::vector<std::string> args{"run",
                                      "--game",
                                      kEngine.string(),
                                      "--demo",
                                      "frwdemo",
                                      "--levels",
                                      "normal,max",
                                      "--res",
                                      "320x240,400x300",
                                      "--runs",
                                      std::to_string(runs),
                                      "--yes",
                                      "--wait",
                                      "--comment",
                                      "real engine"};
        if (onePerDump) {
            args.push_back("--one-per-dump");
            args.push_back("--fs-homepath");
            args.push_back((home / "given").string());
        }
        const auto started = std::chrono::steady_clock::now();
        const Cli cli = runCli(home, args);
        std::cout << "[ engine  ] " << (onePerDump ? "con1" : "con3") << " cycle took "
                  << std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::steady_clock::now() - started)
                         .count()
                  << " s\n";
        const fs::path logFile = game / "qconsole.log";
        ASSERT_EQ(cli.status, 0) << cli.out << cli.err << "\nsee " << logFile;

        // Every play printed a result: per level and size a warm-up and the runs.
        const EngineLog log = readLog(readFile(logFile));
        ASSERT_EQ(log.figures.size(), levels * sizes.size() * (1 + runs)) << "see " << logFile;
        std::vector<ReportLine> expected;
        for (std::size_t i = 0; i < levels * sizes.size(); ++i) {
            ReportLine r{sizes[i % sizes.size()], {}};
            for (int run = 1; run <= runs; ++run)
                r.figures.push_back(log.figures[i * (1 + runs) + static_cast<std::size_t>(run)]);
            expected.push_back(r);
        }
        const auto lines = reportLines(cli.out);
        ASSERT_EQ(lines.size(), expected.size()) << cli.out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].size, expected[i].size) << cli.out;
            EXPECT_EQ(lines[i].figures, expected[i].figures) << cli.out << "\nsee " << logFile;
        }
        EXPECT_NE(cli.out.find("NORMAL Configuration File Settings:"), std::string::npos)
            << cli.out;
        EXPECT_NE(cli.out.find("MAX Configuration File Settings:"), std::string::npos) << cli.out;

        // Beside the archived report, what measured it: the renderer the engine named.
        std::optional<results::SystemRecord> system;
        for (const auto& entry : fs::directory_iterator(home / "Framewise" / "User Results"))
            if (results::isSystemRecordName(entry.path().filename().string()))
                system = results::parseSystemRecord(readFile(entry.path()));
        ASSERT_TRUE(system) << "no system record beside the report";
        ASSERT_FALSE(log.renderer.empty()) << "see " << logFile;
        EXPECT_EQ(*system->find("renderer"), log.renderer);
        EXPECT_EQ(*system->find("GL version"), log.glVersion);
        // The dumps hold the list broken at the console's width; the log holds it whole.
        EXPECT_EQ(*system->find("GL extensions length"), std::to_string(log.extensions));
        EXPECT_EQ(*system->find("comment"), "real engine");

        // The player's configuration as it was; none of the tool's files left.
        EXPECT_EQ(readFile(game / "q3config.cfg"), kPlayerConfig);
        for (const auto& entry : fs::directory_iterator(game))
            EXPECT_NE(entry.path().filename().string().rfind("FRWb_", 0), 0u)
                << entry.path() << " was left behind";
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
    EXPECT_EQ(readLog(log).figures.size(), 2u) << logFile; // the warm-up and the run
    EXPECT_NE(log.find("ERROR: couldn't open demos/x.dm_71\n"), std::string::npos) << logFile;
}
