// The export of the largest run (4 levels x 12 resolutions x 3 runs) typed by
// the system key sender into the stand-in spreadsheet and into LibreOffice Calc,
// and read back from it. Counters: keys sent, keys per second while typing;
// start_s from the button to the first key (the spreadsheet's start), typing_s
// from the first key to the last, shown_s from the first key until the
// spreadsheet held every cell right, total_s from the button to that. For Calc,
// look_s: from the first key until the reader first looked (shown_s is no less).
// The argument 0 types without the focus check before each text, to show what
// the checks cost. A lost key fails the run.
// Needs a display: xvfb-run -a -s "-screen 0 1280x1024x24" build/benchmarks/bench_sheet_typing
#include "calc_session.h"

#include "archive/sheet_export.h"
#include "results/messages.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace calc_testing;

namespace {

BenchRun largestRun() {
    BenchRun run;
    run.mode = "con1";
    run.demo = "dusk(2)  settings";
    run.levels = {"Normal", "High", "Maximum", "Custom"};
    run.resolutions = everyResolution();
    run.runs = 3;
    return run;
}

// The system sender, counting keys and timing the typing.
class TimedSender : public platform::KeySender {
  public:
    explicit TimedSender(bool checkFocus) : real_(platform::systemKeySender()), checkFocus_(checkFocus) {}
    platform::SendResult send(const std::string& text, bool wait, std::uintptr_t onlyInto) override {
        if (!keys) first = Clock::now();
        auto result = real_->send(text, wait, checkFocus_ ? onlyInto : 0);
        last = Clock::now();
        keys += static_cast<long>(platform::parseKeys(text).size());
        return result;
    }
    std::uintptr_t focusedWindow() override { return real_->focusedWindow(); }
    std::uintptr_t waitForFocusOf(std::int64_t processId, int timeoutMs) override {
        return real_->waitForFocusOf(processId, timeoutMs);
    }
    long keys = 0;
    Clock::time_point first, last;

  private:
    std::unique_ptr<platform::KeySender> real_;
    bool checkFocus_;
};

// The stand-in's saved grid: rows of tab-separated cells up to the last filled one.
std::string gridText(const Cells& cells) {
    int lastRow = -1;
    for (const auto& [at, text] : cells) lastRow = std::max(lastRow, at.first);
    std::string out;
    for (int r = 0; r <= lastRow; ++r) {
        int lastColumn = -1;
        for (const auto& [at, text] : cells)
            if (at.first == r) lastColumn = std::max(lastColumn, at.second);
        for (int c = 0; c <= lastColumn; ++c) {
            if (c > 0) out += '\t';
            if (auto found = cells.find({r, c}); found != cells.end()) out += found->second;
        }
        out += "\r\n";
    }
    return out;
}

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void report(benchmark::State& state, const TimedSender& keys, Clock::time_point clicked,
            Clock::time_point shown) {
    const double typing = seconds(keys.first, keys.last);
    state.counters["keys"] = static_cast<double>(keys.keys);
    state.counters["keys_per_s"] = typing > 0 ? static_cast<double>(keys.keys) / typing : 0;
    state.counters["start_s"] = seconds(clicked, keys.first);
    state.counters["typing_s"] = typing;
    state.counters["shown_s"] = seconds(keys.first, shown);
    state.counters["total_s"] = seconds(clicked, shown);
    state.SetIterationTime(typing);
}

void BM_TypeLargestRunIntoStandIn(benchmark::State& state) {
    for (auto _ : state) {
        testing_support::TempDir dir;
        const fs::path excel = dir.path() / "Office" / "EXCEL.EXE";
        fs::create_directories(excel.parent_path());
        fs::copy_file(SHEETSIM_PROGRAM, excel);
        GameWithRun game(largestRun(), excel);
        const std::string expected = gridText(sheetFromKeys(exportItems(game.folders())));
        const fs::path grid = dir.path() / "sheet.txt";

        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(results::kRestored);
        auto launcher = platform::systemLauncher();
        TimedSender keys(state.range(0) != 0);
        ::setenv("SHEETSIM_SAVE", grid.c_str(), 1);
        const auto clicked = Clock::now();
        archive::GenerateEXCEL_Click(game.folders(), dialogs, *launcher, keys);
        ::unsetenv("SHEETSIM_SAVE");
        std::string held;
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while ((held = fs::exists(grid) ? testing_support::readFile(grid) : "") != expected &&
               Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto shown = Clock::now();
        if (const int pid = std::atoi(testing_support::readFile(grid.string() + ".ready").c_str());
            pid > 0)
            ::kill(pid, SIGTERM);
        if (held != expected) state.SkipWithError("the stand-in did not receive every key");
        report(state, keys, clicked, shown);
    }
}
BENCHMARK(BM_TypeLargestRunIntoStandIn)->ArgName("focus_checks")->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_TypeLargestRunIntoCalc(benchmark::State& state) {
    for (auto _ : state) {
        CalcSession calc;
        GameWithRun game(largestRun(), calc.program());
        const Cells expected = sheetFromKeys(exportItems(game.folders()));

        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(results::kRestored);
        auto launcher = platform::systemLauncher();
        TimedSender keys(state.range(0) != 0);
        const auto clicked = Clock::now();
        {
            FocusNewWindows windowManager;
            archive::GenerateEXCEL_Click(game.folders(), dialogs, *launcher, keys);
        }
        Clock::time_point firstLook;
        const auto shownAt = calc.cellsWhen(expected, std::chrono::seconds(120), &firstLook);
        state.counters["look_s"] = seconds(keys.first, firstLook);
        const std::string lost = differences(expected, shownAt.first);
        if (!lost.empty()) {
            // A lost key, a completion or a cell typed elsewhere: each cell says which.
            std::fprintf(stderr, "%s", lost.c_str());
            state.SkipWithError(("Calc's cells differ from the keys typed, first at " +
                                 lost.substr(0, lost.find('\n')) + " (every cell above)")
                                    .c_str());
        }
        report(state, keys, clicked, shownAt.second);
    }
}
BENCHMARK(BM_TypeLargestRunIntoCalc)->ArgName("focus_checks")->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The processor time (user and system) the processes named name of the session
// of the process pid have used, in seconds.
double sessionCpuSeconds(long pid, const std::string& name) {
    long session = -1;
    {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (std::getline(stat, line) && line.rfind(')') != std::string::npos) {
            std::istringstream rest(line.substr(line.rfind(')') + 2));
            std::string state, parent, group;
            rest >> state >> parent >> group >> session;
        }
    }
    double total = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        if (line.substr(open + 1, close - open - 1) != name) continue;
        std::istringstream rest(line.substr(close + 2));
        std::vector<std::string> fields;
        for (std::string field; rest >> field;) fields.push_back(field);
        // From the state on: session is the 4th, utime and stime the 12th and 13th.
        if (fields.size() < 13 || std::stol(fields[3]) != session) continue;
        total += static_cast<double>(std::stoll(fields[11]) + std::stoll(fields[12])) /
                 static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    return total;
}

// Calc open and idle before the button is pressed: the Calc the export starts
// hands the new sheet to it. Without Calc's own start in the way, shown_s is
// what Calc takes to handle the keys.
void BM_TypeLargestRunIntoCalcAlreadyOpen(benchmark::State& state) {
    for (auto _ : state) {
        CalcSession calc;
        GameWithRun game(largestRun(), calc.program());
        const Cells expected = sheetFromKeys(exportItems(game.folders()));

        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(results::kRestored);
        auto launcher = platform::systemLauncher();
        TimedSender keys(state.range(0) != 0);
        FocusNewWindows windowManager;
        const auto open = launcher->startProgram(calc.program().string(), {"--calc"});
        const auto before = calc.titles(1, std::chrono::seconds(90));
        if (!open.started || before.size() != 1 || !keys.waitForFocusOf(open.processId, 60000)) {
            state.SkipWithError("the Calc opened first never showed its sheet");
            break;
        }
        // Idle, as a spreadsheet the user has open is.
        calc.cells(std::chrono::seconds(3), before.front());
        const double cpuBefore = sessionCpuSeconds(static_cast<long>(open.processId), "soffice.bin");
        const auto clicked = Clock::now();
        archive::GenerateEXCEL_Click(game.folders(), dialogs, *launcher, keys);
        const auto after = calc.titles(2, std::chrono::seconds(30));
        if (after.size() != 2) {
            state.SkipWithError("no new sheet in the Calc already open");
            break;
        }
        Clock::time_point firstLook;
        const auto shownAt = calc.cellsWhen(expected, std::chrono::seconds(120), &firstLook,
                                            after[0] == before[0] ? after[1] : after[0]);
        state.counters["look_s"] = seconds(keys.first, firstLook);
        // Calc's processor time until it showed every cell, the reader's calls included.
        state.counters["calc_cpu_s"] =
            sessionCpuSeconds(static_cast<long>(open.processId), "soffice.bin") - cpuBefore;
        const std::string lost = differences(expected, shownAt.first);
        if (!lost.empty()) {
            std::fprintf(stderr, "%s", lost.c_str());
            state.SkipWithError(("Calc's cells differ from the keys typed, first at " +
                                 lost.substr(0, lost.find('\n')) + " (every cell above)")
                                    .c_str());
        }
        report(state, keys, clicked, shownAt.second);
    }
}
BENCHMARK(BM_TypeLargestRunIntoCalcAlreadyOpen)->ArgName("focus_checks")->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
