// The export of the largest run (4 levels x 12 resolutions x 3 runs) typed by
// the system key sender into the stand-in spreadsheet and into LibreOffice Calc.
// Counters: keys sent, keys per second while typing, the typing time, and the
// time until the spreadsheet showed the whole run. A lost key fails the run.
// Needs a display: xvfb-run -a -s "-screen 0 1280x1024x24" build/benchmarks/bench_sheet_typing
#include "calc_session.h"

#include "archive/sheet_export.h"
#include "results/messages.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

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
    TimedSender() : real_(platform::systemKeySender()) {}
    platform::SendResult send(const std::string& text, bool wait, std::uintptr_t onlyInto) override {
        if (!keys) first = Clock::now();
        auto result = real_->send(text, wait, onlyInto);
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

void report(benchmark::State& state, const TimedSender& keys, double shownSeconds) {
    const double typing = std::chrono::duration<double>(keys.last - keys.first).count();
    state.counters["keys"] = static_cast<double>(keys.keys);
    state.counters["keys_per_s"] = typing > 0 ? static_cast<double>(keys.keys) / typing : 0;
    state.counters["typing_s"] = typing;
    state.counters["shown_s"] = shownSeconds;
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
        TimedSender keys;
        ::setenv("SHEETSIM_SAVE", grid.c_str(), 1);
        archive::GenerateEXCEL_Click(game.folders(), dialogs, *launcher, keys);
        ::unsetenv("SHEETSIM_SAVE");
        std::string held;
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while ((held = fs::exists(grid) ? testing_support::readFile(grid) : "") != expected &&
               Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const double shown = std::chrono::duration<double>(Clock::now() - keys.first).count();
        if (const int pid = std::atoi(testing_support::readFile(grid.string() + ".ready").c_str());
            pid > 0)
            ::kill(pid, SIGTERM);
        if (held != expected) state.SkipWithError("the stand-in did not receive every key");
        report(state, keys, shown);
    }
}
BENCHMARK(BM_TypeLargestRunIntoStandIn)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_TypeLargestRunIntoCalc(benchmark::State& state) {
    for (auto _ : state) {
        CalcSession calc;
        GameWithRun game(largestRun(), calc.program());
        const Cells expected = sheetFromKeys(exportItems(game.folders()));

        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(results::kRestored);
        auto launcher = platform::systemLauncher();
        TimedSender keys;
        {
            FocusNewWindows windowManager;
            archive::GenerateEXCEL_Click(game.folders(), dialogs, *launcher, keys);
        }
        const auto shownAt = calc.cellsWhen(expected, std::chrono::seconds(120));
        const double shown = std::chrono::duration<double>(shownAt.second - keys.first).count();
        const std::string lost = differences(expected, shownAt.first);
        if (!lost.empty()) {
            // A lost key, a completion or a cell typed elsewhere: each cell says which.
            std::fprintf(stderr, "%s", lost.c_str());
            state.SkipWithError(("Calc's cells differ from the keys typed, first at " +
                                 lost.substr(0, lost.find('\n')) + " (every cell above)")
                                    .c_str());
        }
        report(state, keys, shown);
    }
}
BENCHMARK(BM_TypeLargestRunIntoCalc)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
