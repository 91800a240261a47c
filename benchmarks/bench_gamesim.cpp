// Run time of the largest benchmark chain in the stand-in game: 4 levels, 12
// resolutions, 3 runs, one result per dump (192 demo plays, 144 dumps).
#include "bench/run_files.h"
#include "game.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct LargestInstall {
    fs::path root = fs::temp_directory_path() / "framewise_bench_gamesim";
    LargestInstall() {
        fs::remove_all(root);
        fs::create_directories(root / "MAIN" / "demos");
        std::ofstream(root / "MAIN" / "config_mp.cfg", std::ios::binary) << "unbindall\r\n";
        std::ofstream(root / "MAIN" / "demos" / "bench1.dm_2", std::ios::binary)
            << std::string(64 * 1024, 'd');
        bench::RunChoices c;
        c.levels = {true, true, true, true};
        c.resolutions.fill(true);
        c.runs = 3;
        c.threePerDump = false;
        c.demoEntries = {"bench1.dm_2"};
        c.selectedDemo = 0;
        dumps = bench::writeRunScripts((root / "MAIN").string() + "/", c, {}).size();
    }
    ~LargestInstall() { fs::remove_all(root); }
    std::size_t dumps = 0;
};

void BM_LargestChain(benchmark::State& state) {
    LargestInstall install;
    for (auto _ : state) {
        gamesim::Game game(install.root);
        game.start("CoDMP.exe +exec FRWb_lo.cfg");
        if (game.run() != gamesim::Outcome::Quit || game.playsEnded() != 192) {
            state.SkipWithError("the chain did not run to its end");
            break;
        }
    }
    state.counters["dumps"] = static_cast<double>(install.dumps);
}
BENCHMARK(BM_LargestChain)->Unit(benchmark::kMillisecond);

} // namespace
