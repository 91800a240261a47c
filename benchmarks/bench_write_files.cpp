// Writing every file of the largest choice: four levels, twelve resolutions,
// three runs, one result per dump. RUN does this while the user waits.
#include "bench/bench.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <string>

namespace {

void BM_WriteLargestRunFiles(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() /
        ("framewise-bench-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    const std::string folder = dir.string() + static_cast<char>(fs::path::preferred_separator);

    bench::RunChoices choices;
    choices.levels = {true, true, true, true};
    choices.resolutions.fill(true);
    choices.runs = 3;
    choices.threePerDump = false;
    choices.demoEntries = {"bench1.dm_2"};
    choices.selectedDemo = 0;
    const bench::CustomSettings custom = bench::preset(bench::Preset::Max);
    platform::LocalTime time{2026, 12, 4, 19, 30, 5, "Friday, December 04, 2026", "PM"};

    for (auto _ : state) {
        auto files = bench::writeScriptFiles(folder, choices, custom);
        bool record = bench::writeRunRecord(folder, choices, "No Comment", time);
        if (!files.ok() || !record) state.SkipWithError("a file could not be written");
        benchmark::DoNotOptimize(files);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}
BENCHMARK(BM_WriteLargestRunFiles)->Unit(benchmark::kMillisecond);

} // namespace
