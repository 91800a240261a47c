// Compiling the largest run the tool can start (4 levels x 12 resolutions x 3 runs,
// one result per dump, each dump a full 32 K console) against simply reading the
// same files. The compile should stay under 20 ms and within 4x of the reading.
#include "core/textfile.h"
#include "results/report.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class CountingDialogs : public core::Dialogs {
  public:
    int shown = 0;
    core::Answer message(const core::Message&) override { return ++shown, core::Answer::Ok; }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string openFile(core::FileDialog, const std::string&) override { return {}; }
};

struct LargestRun {
    fs::path folder;
    std::string mainFolder;
    std::vector<std::string> files;

    LargestRun() {
        folder = fs::temp_directory_path() / ("framewise_bench_results_" + std::to_string(rand()));
        fs::create_directories(folder);
        mainFolder = folder.string() + "/";
        const char* sizes[12][2] = {{"320", "240"},   {"400", "300"},   {"512", "384"},
                                    {"640", "480"},   {"800", "600"},   {"960", "720"},
                                    {"1024", "768"},  {"1152", "864"},  {"1280", "1024"},
                                    {"1600", "1200"}, {"2048", "1536"}, {"856", "480"}};
        const char* suffixes[4] = {".lo", ".hi", ".max", ".cus"};
        std::vector<std::string> list;
        for (const char* suffix : suffixes)
            for (int mode = 0; mode < 12; ++mode)
                for (int run = 1; run <= 3; ++run) {
                    std::string name =
                        "FRWb_" + std::to_string(mode) + "_" + std::to_string(run) + suffix;
                    list.push_back(name);
                    // A full console: scrolled text first, the mode switch and the
                    // result at its end, so every search walks the whole dump.
                    std::string tail = "MODE: " + std::to_string(mode) + ", " + sizes[mode][0] +
                                       " x " + sizes[mode][1] + " fullscreen hz:N/A\n" +
                                       "1300 frames, 27.4 seconds: 4" + std::to_string(run) +
                                       ".5 fps\n]condump " + name + "\n";
                    std::string text;
                    while (text.size() + tail.size() < 32768)
                        text += "Loading 'maps/mp/mp_bench.bsp' textures and shaders...\n";
                    text.resize(32768 - tail.size(), '.');
                    text += tail;
                    std::ofstream(folder / name, std::ios::binary) << text;
                }
        std::vector<std::string> record{"con1", "bench1",  "4",      "Normal",
                                        "High", "Maximum", "Custom", "12"};
        for (auto& s : sizes)
            record.push_back(std::string(s[0]) + "x" + s[1]);
        record.insert(record.end(), {"3", "FRWb_120426_193005.txt",
                                     "Friday, December 04, 2026  07:30:05 PM", "No Comment"});
        core::writeLines(folder / "FRWb_setup.ini", record);
        core::writeLines(folder / "FRWb_condump_list.ini", list);
        files = {"FRWb_setup.ini", "FRWb_condump_list.ini"};
        files.insert(files.end(), list.begin(), list.end());
    }
    ~LargestRun() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

LargestRun& run() {
    static LargestRun r;
    return r;
}

int averages(const std::string& report) {
    int n = 0;
    for (auto at = report.find("AVERAGE FPS:"); at != std::string::npos;
         at = report.find("AVERAGE FPS:", at + 1))
        ++n;
    return n;
}

void BM_CompileLargestRun(benchmark::State& state) {
    auto& r = run();
    for (auto _ : state) {
        CountingDialogs d;
        auto report = results::compileReport(r.mainFolder, d);
        if (d.shown != 0 || averages(report.text) != 48) state.SkipWithError("compile failed");
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_CompileLargestRun)->Unit(benchmark::kMillisecond);

void BM_ReadSameFiles(benchmark::State& state) {
    auto& r = run();
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const auto& name : r.files)
            bytes += core::readAll(r.mainFolder + name)->size();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ReadSameFiles)->Unit(benchmark::kMillisecond);

} // namespace
