#pragma once
// A player's steps on a real temporary install with the stand-in game: RUN with
// each answer and refusal, the game playing, crashing or still running, edits of
// the configuration, Generate Results, the export, and faults on demand. A model
// of what the player owns is checked after every step.
#include "archive/excel_locator.h"
#include "archive/sheet_export.h"
#include "bench/config_backup.h"
#include "bench/run_command.h"
#include "bench/run_record.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "results/make_results.h"
#include "results/messages.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace sequence {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

enum class Step {
    RunYes,      // RUN, Yes at the warning; the game plays and quits
    RunNo,       // RUN, No at the warning; the game plays and quits
    RunCancel,   // RUN, Cancel at the warning
    RunCrash,    // RUN; the game dies after its first measured play
    RunHeld,     // RUN; the game is still running through the next step, then quits
    RunNoDemo,   // RUN with an empty demo list
    RunBadDemo,  // RUN with a demo name the scripts cannot carry
    RunNoConfig, // RUN while config_mp.cfg is away
    RunNoWrite,  // RUN where a script file cannot be written
    Edit,        // the player changes config_mp.cfg
    Generate,    // Generate Results
    Export,      // the spreadsheet export
    GenerateBackupUnreadable,
    GenerateDiskFull,
    GenerateArchiveUnwritable,
    ExportBackupUnreadable,
    OlderMark,   // an older version's pending mark beside a run waiting for its results
    DeleteMarks, // the player deletes the tool's marks of the pending backup and of the start
};
inline constexpr int kStepCount = 18;

inline const char* nameOf(Step s) {
    static const char* names[kStepCount] = {"RunYes",
                                            "RunNo",
                                            "RunCancel",
                                            "RunCrash",
                                            "RunHeld",
                                            "RunNoDemo",
                                            "RunBadDemo",
                                            "RunNoConfig",
                                            "RunNoWrite",
                                            "Edit",
                                            "Generate",
                                            "Export",
                                            "GenerateBackupUnreadable",
                                            "GenerateDiskFull",
                                            "GenerateArchiveUnwritable",
                                            "ExportBackupUnreadable",
                                            "OlderMark",
                                            "DeleteMarks"};
    return names[static_cast<int>(s)];
}

inline std::string describe(const std::vector<Step>& steps) {
    std::string text;
    for (auto s : steps)
        text += std::string(text.empty() ? "" : " > ") + nameOf(s);
    return text;
}

inline bool waitFor(const std::function<bool()>& done, int seconds = 60) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Answers every dialog as the step wants and keeps every message text.
class PlayerDialogs : public core::Dialogs {
  public:
    core::Answer warningAnswer = core::Answer::Yes;
    std::vector<std::string> messages;
    core::Answer message(const core::Message& m) override {
        if (m.buttons == core::Buttons::YesNoCancel) return warningAnswer;
        messages.push_back(m.text);
        return m.buttons == core::Buttons::Ok ? core::Answer::Ok : core::Answer::No;
    }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        return "No Comment";
    }
    std::string openFile(core::FileDialog, const std::string&) override { return {}; }
    bool said(const std::string& start) const {
        for (const auto& m : messages)
            if (m.rfind(start, 0) == 0) return true;
        return false;
    }
    std::string all() const {
        std::string text;
        for (const auto& m : messages)
            text += "[" + m + "] ";
        return text;
    }
};

// Every RUN gets a new second, so every report has a name of its own.
class TickingClock : public platform::Clock {
  public:
    testing_support::FixedClock base;
    int ticks = 0;
    platform::LocalTime now() override {
        auto t = base.time;
        t.second = ticks % 60;
        t.minute = (ticks / 60) % 60;
        ++ticks;
        return t;
    }
};

class Player {
  public:
    testing_support::TempDir tmp;
    testing_support::GameInstall game = testing_support::makeGameInstall(tmp.path() / "game");
    core::GameFolders folders;
    TickingClock clock;
    PlayerDialogs dialogs; // of the last step
    bool gameHeld = false;
    bool gameStarted = false; // by the last step, and not held

    // What the player owns, as the player knows it.
    std::string userConfig;
    bool benchmarkInForce = false; // a benchmark's settings may be in config_mp.cfg
    std::set<std::string> reports;
    int edits = 0;
    // Benchmarks whose game wrote a console dump: each one's results must stay
    // compilable in the main folder or be in a report.
    std::size_t measured = 0;
    bool measuring = false; // the game of the last start has not been counted yet

    Player() {
        const char sep = platform::folderSeparator();
        fs::copy_file(GAMESIM_PROGRAM, game.root / "CoDMP.exe",
                      fs::copy_options::overwrite_existing);
        folders.appFolder = (tmp.path() / "app").string() + sep;
        folders.gameFolder = game.root.string() + sep;
        folders.gameDrive = folders.gameFolder.front();
        folders.mainFolder = game.main().string() + sep;
        folders.demosFolder = game.demos().string() + sep;
        fs::create_directories(tmp.path() / "app" / "User Results");
        writeFile(tmp.path() / "sheet" / archive::kExcelProgramName, "stand-in");
        writeFile(tmp.path() / "app" / archive::kExcelPathFile,
                  (tmp.path() / "sheet" / archive::kExcelProgramName).string() + "\r\n");
        userConfig = config();
    }
    ~Player() { releaseGame(); }

    fs::path main() const { return game.main(); }
    fs::path resultsFolder() const { return tmp.path() / "app" / "User Results"; }
    std::string config() const { return fileOrNothing(main() / "config_mp.cfg"); }
    std::string backup() const { return fileOrNothing(main() / "config_mp.bak"); }
    bool gameRunning() const { return platform::programRunning(folders.gameFolder, "CoDMP.exe"); }

    static std::string fileOrNothing(const fs::path& p) {
        std::error_code ec;
        return fs::is_regular_file(p, ec) ? readFile(p) : std::string("<none>");
    }

    // Reports are kept in the results folder, or in the main folder under a name of
    // their own when that failed. A main-folder "FRWb_" file is the tool's working copy.
    std::set<std::string> reportFiles() const {
        std::set<std::string> found;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(resultsFolder(), ec))
            if (e.path().extension() == ".txt") found.insert(e.path().string());
        for (const auto& e : fs::directory_iterator(main(), ec)) {
            const std::string n = e.path().filename().string();
            if (n.size() > 4 && n.substr(n.size() - 4) == ".txt" && n.rfind("FRWb_", 0) != 0 &&
                n.find("FRWb_") != std::string::npos)
                found.insert(e.path().string());
        }
        return found;
    }

    // The run waiting for its results: its record and dumps.
    std::map<std::string, std::string> runFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& n : platform::listFiles(folders.mainFolder)) {
            const bool dump = n.rfind("FRWb_", 0) == 0 && n.find(".cfg") == std::string::npos &&
                              n.find(".ini") == std::string::npos &&
                              n.find(".txt") == std::string::npos &&
                              n.find(".tmp") == std::string::npos;
            if (n == "FRWb_setup.ini" || n == "FRWb_condump_list.ini" || dump)
                files[n] = readFile(main() / n);
        }
        return files;
    }

    void releaseGame() {
        if (!gameHeld) return;
        writeFile(game.root / "release.flag", "go");
        EXPECT_TRUE(waitFor([&] { return !gameRunning(); })) << "the held game did not end";
        fs::remove(game.root / "release.flag");
        fs::remove(game.root / "release.flag.waiting");
        gameHeld = false;
    }

    bench::RunOutcome run(core::Answer answer, std::vector<std::string> demos = {"bench1.dm_2"}) {
        bench::RunChoices c;
        c.levels = {true, false, false, false};
        c.resolutions.fill(false);
        c.resolutions[3] = true;
        c.runs = 2;
        c.threePerDump = false;
        c.demoEntries = std::move(demos);
        c.selectedDemo = 0;
        dialogs.warningAnswer = answer;
        auto launcher = platform::systemLauncher();
        auto out =
            bench::runCommand(folders, c, {}, dialogs, *launcher, clock, [&](core::Dialogs& x) {
                return results::settleEarlierRun(folders, x);
            });
        fs::remove(tmp.path() / "app" / bench::kWarningFlagFile);
        return out;
    }

    void generate() { results::makeResults(folders, dialogs); }

    void exportRun() {
        testing_support::RecordingLauncher launcher;
        testing_support::RecordingKeySender keys;
        archive::GenerateEXCEL_Click(folders, dialogs, launcher, keys);
    }

    // Puts something where config_mp.bak is, so it cannot be read, for the time of f.
    void withUnreadableBackup(const std::function<void()>& f) {
        const fs::path bak = main() / "config_mp.bak", aside = tmp.path() / "bak.aside";
        const bool had = fs::exists(bak);
        if (had) fs::rename(bak, aside);
        fs::create_directory(bak);
        f();
        fs::remove(bak);
        if (had) fs::rename(aside, bak);
    }

    void play(Step step) {
        dialogs = PlayerDialogs{};
        gameStarted = false;
        const std::string gameOptions = step == Step::RunCrash  ? "--crash-after-plays=2\n"
                                        : step == Step::RunHeld ? "--hold-quit=release.flag\n"
                                                                : "";
        writeFile(game.root / "gamesim.ini", gameOptions);
        bool started = false;
        switch (step) {
        case Step::RunYes:
        case Step::RunCrash:
        case Step::RunHeld:
            started = run(core::Answer::Yes).closeTool;
            break;
        case Step::RunNo:
            started = run(core::Answer::No).closeTool;
            break;
        case Step::RunCancel:
            started = run(core::Answer::Cancel).closeTool;
            break;
        case Step::RunNoDemo:
            started = run(core::Answer::Yes, {}).closeTool;
            break;
        case Step::RunBadDemo:
            started = run(core::Answer::Yes, {"my demo.dm_2"}).closeTool;
            break;
        case Step::RunNoConfig: {
            const fs::path cfg = main() / "config_mp.cfg", aside = tmp.path() / "cfg.aside";
            const bool had = fs::exists(cfg);
            if (had) fs::rename(cfg, aside);
            started = run(core::Answer::Yes).closeTool;
            if (had) fs::rename(aside, cfg);
            break;
        }
        case Step::RunNoWrite:
            // A folder where RUN writes its master script; RUN's clean-up takes files only.
            fs::remove(main() / "FRWb_master.cfg");
            fs::create_directory(main() / "FRWb_master.cfg");
            started = run(core::Answer::Yes).closeTool;
            fs::remove(main() / "FRWb_master.cfg");
            break;
        case Step::Edit: {
            const std::string edited =
                config() + "seta edit_" + std::to_string(++edits) + " \"1\"\r\n";
            writeFile(main() / "config_mp.cfg", edited);
            if (!benchmarkInForce) userConfig = edited;
            break;
        }
        case Step::Generate:
            generate();
            break;
        case Step::Export:
            exportRun();
            break;
        case Step::GenerateBackupUnreadable:
            withUnreadableBackup([&] { generate(); });
            break;
        case Step::ExportBackupUnreadable:
            withUnreadableBackup([&] { exportRun(); });
            break;
        case Step::GenerateDiskFull: {
            // Every file the tool writes fails past a few bytes, as on a full disk.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit tiny = old;
            tiny.rlim_cur = 16;
            setrlimit(RLIMIT_FSIZE, &tiny);
            generate();
            setrlimit(RLIMIT_FSIZE, &old);
            break;
        }
        case Step::OlderMark:
            // What an older version left: its mark of the pending backup. The given-back
            // mark is a newer version's; an older one never wrote it, so none is beside it.
            if (fs::exists(main() / bench::kRunRecordFile) &&
                !fs::exists(main() / bench::kGivenBackFile))
                writeFile(main() / bench::kBackupPendingFile, "pending\r\n");
            break;
        case Step::DeleteMarks:
            // The given-back mark is left: without it the tool reads the run as an
            // older version's would (a record beside config_mp.bak is pending), as it must.
            fs::remove(main() / bench::kBackupPendingFile);
            fs::remove(main() / bench::kNotStartedFile);
            break;
        case Step::GenerateArchiveUnwritable: {
            const fs::path folder = resultsFolder(), aside = tmp.path() / "results.aside";
            fs::rename(folder, aside);
            writeFile(folder, "a file where the folder should be");
            generate();
            fs::remove(folder);
            fs::rename(aside, folder);
            break;
        }
        }
        if (started) {
            // The game owns config_mp.cfg from now on, whatever it writes.
            benchmarkInForce = true;
            measuring = true;
            if (step == Step::RunHeld) {
                gameHeld = true;
                // Held at its quit: every dump written, its settings not yet saved.
                EXPECT_TRUE(waitFor([&] { return fs::exists(game.root / "release.flag.waiting"); }))
                    << "the held game did not reach its quit";
                return; // it ends after the next step
            }
            gameStarted = true;
        }
    }

    // Once the game of the last start has ended, its run counts as measured when
    // it wrote a console dump.
    void countMeasured() {
        if (!measuring || gameHeld || gameRunning()) return;
        measuring = false;
        for (const auto& [name, bytes] : runFiles())
            if (name != "FRWb_setup.ini" && name != "FRWb_condump_list.ini") {
                ++measured;
                return;
            }
    }

    // One step, then the invariant: the player's own configuration is in
    // config_mp.cfg or safe in config_mp.bak; a restore the tool reports gave it
    // back; no report disappears; every measured run is in a report or still
    // waiting, whole, for its results.
    void stepAndCheck(Step step, const std::string& where) {
        const bool heldBefore = gameHeld;
        const auto reportsBefore = reportFiles();
        const auto runBefore = runFiles();
        play(step);
        if (heldBefore) releaseGame();
        if (gameStarted) {
            EXPECT_TRUE(waitFor([&] { return !gameRunning(); })) << "the game did not end";
        }
        countMeasured();
        const std::string trace = where + " after " + nameOf(step) + "; messages: " + dialogs.all();

        if (dialogs.said(results::kRestored)) {
            EXPECT_EQ(config(), userConfig)
                << trace << "\nthe tool said it restored the configuration";
            benchmarkInForce = false;
        }
        EXPECT_TRUE(config() == userConfig || backup() == userConfig)
            << trace << "\nthe player's configuration is lost\nconfig_mp.cfg: " << config()
            << "\nconfig_mp.bak: " << backup() << "\nthe player's: " << userConfig;

        const auto reportsNow = reportFiles();
        for (const auto& r : reports)
            EXPECT_TRUE(reportsNow.count(r)) << trace << "\nthe report " << r << " disappeared";
        for (const auto& r : reportsNow)
            reports.insert(r);
        const bool waiting = fs::exists(main() / bench::kRunRecordFile);
        EXPECT_GE(reports.size() + (waiting ? 1 : 0), measured)
            << trace << "\n"
            << measured << " benchmarks measured, " << reports.size()
            << " reports, and a run waiting: " << waiting << ": a measured run was lost";

        const bool compiling =
            step == Step::Generate || step == Step::Export ||
            step == Step::GenerateBackupUnreadable || step == Step::GenerateDiskFull ||
            step == Step::GenerateArchiveUnwritable || step == Step::ExportBackupUnreadable;
        if (compiling && runBefore.count("FRWb_setup.ini") &&
            reportsNow.size() == reportsBefore.size()) {
            const auto runNow = runFiles();
            for (const auto& [name, bytes] : runBefore)
                EXPECT_TRUE(runNow.count(name) && runNow.at(name) == bytes)
                    << trace << "\n"
                    << name << " of a run whose report was not written is gone";
        }
    }

    void walk(const std::vector<Step>& steps) {
        const std::string seq = describe(steps);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            stepAndCheck(steps[i], seq + " (step " + std::to_string(i + 1) + ")");
            if (::testing::Test::HasFailure()) return;
        }
    }
};

} // namespace sequence
