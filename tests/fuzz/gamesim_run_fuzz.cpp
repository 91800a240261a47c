// A whole run of the stand-in game in a scratch install. Input parts (parted by
// fuzz::kPartBreak): config_mp.cfg, the command line, then script files of the
// main folder, each as its name, a line end and its text.
#include "fuzz_support.h"
#include "game.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

fuzz::Scratch& scratch() {
    static fuzz::Scratch s("gamesim");
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitParts(data, size);
    const fs::path game = scratch().fresh();
    const fs::path main = game / "MAIN";
    fs::create_directories(main / "demos");
    fuzz::writeFile(main / "demos" / "bench1.dm_2", std::string(4096, 'd'));
    fuzz::writeFile(main / "config_mp.cfg", parts[0]);
    for (std::size_t i = 2; i < parts.size(); ++i) {
        const auto end = parts[i].find('\n');
        const std::string name = parts[i].substr(0, end);
        const fs::path relative(name);
        // Scripts live in the main folder itself.
        if (name.empty() || name.size() > 100 || relative.has_parent_path() ||
            relative.filename() != relative || name == "." || name == ".." || name == "demos")
            continue;
        fuzz::writeFile(main / relative, end == std::string::npos ? "" : parts[i].substr(end + 1));
    }

    gamesim::Options options;
    options.maxFrames = 20000;
    options.idleFrames = 50;
    gamesim::Game g(game, options);
    g.start(parts.size() > 1 ? parts[1] : "+exec FRWb_lo.cfg");
    const auto outcome = g.run();
    fuzz::check(outcome != gamesim::Outcome::Running, "a run always ends");
    fuzz::check(g.frames() <= options.maxFrames, "a run stops at the frame limit");
    if (outcome == gamesim::Outcome::Quit) {
        std::error_code ec;
        fuzz::check(fs::is_regular_file(main / "config_mp.cfg", ec),
                    "the game saves its configuration when it quits");
    }
    // Nothing is written outside the game's main folder.
    for (const auto& e : fs::directory_iterator(game))
        fuzz::check(e.path().filename() == "MAIN", "the game writes only in its main folder",
                    e.path().string());
    return 0;
}
