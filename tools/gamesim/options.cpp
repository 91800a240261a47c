#include "options.h"

#include "game.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace gamesim {

namespace {

bool toNumber(const std::string& text, long& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

bool applyOption(Options& options, const std::string& option, std::string& error) {
    const auto eq = option.find('=');
    const std::string name = option.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
    const bool hasValue = eq != std::string::npos;
    long number = 0;
    auto needNumber = [&](long minimum) {
        if (hasValue && toNumber(value, number) && number >= minimum) return true;
        error = name + " needs a whole number of at least " + std::to_string(minimum);
        return false;
    };
    if (name == "--help" || name == "-h") {
        options.help = true;
    } else if (name == "--windowed" && !hasValue) {
        options.windowed = true;
    } else if (name == "--profile") {
        if (value != "cod" && value != "openarena") {
            error = "--profile needs cod or openarena";
            return false;
        }
        options.openArena = value == "openarena";
    } else if (name == "--exit-when-idle" && !hasValue) {
        options.exitWhenIdle = true;
    } else if (name == "--largest-mode") {
        const auto x = value.find('x');
        long w = 0, h = 0;
        if (x == std::string::npos || !toNumber(value.substr(0, x), w) ||
            !toNumber(value.substr(x + 1), h) || w < 1 || h < 1 || w > 100000 || h > 100000) {
            error = "--largest-mode needs a size such as 1600x1200";
            return false;
        }
        options.largestWidth = static_cast<int>(w);
        options.largestHeight = static_cast<int>(h);
    } else if (name == "--crash-after-plays") {
        if (!needNumber(1)) return false;
        options.crashAfterPlays = static_cast<int>(number);
    } else if (name == "--fail-dump") {
        if (value.empty()) {
            error = "--fail-dump needs a dump name or *";
            return false;
        }
        options.failDumps.push_back(value);
    } else if (name == "--max-frames") {
        if (!needNumber(0)) return false;
        options.maxFrames = number;
    } else if (name == "--idle-frames") {
        if (!needNumber(1)) return false;
        options.idleFrames = number;
    } else if (name == "--hold-quit") {
        if (value.empty()) {
            error = "--hold-quit needs a file name";
            return false;
        }
        options.holdQuit = value;
    } else if (name == "--seed") {
        if (!needNumber(0)) return false;
        options.seed = static_cast<std::uint64_t>(number);
    } else {
        error = "unknown option " + option;
        return false;
    }
    return true;
}

Arguments parseArguments(const std::vector<std::string>& args, Options defaults) {
    Arguments a{std::move(defaults), {}, {}};
    for (const auto& arg : args) {
        if (arg.rfind("--", 0) == 0 || arg == "-h") {
            if (!applyOption(a.options, arg, a.error)) return a;
        } else {
            if (!a.commandLine.empty()) a.commandLine += ' ';
            a.commandLine += arg;
        }
    }
    return a;
}

bool readOptionsFile(const std::string& content, Options& options, std::string& error) {
    std::istringstream in(content);
    for (std::string line; std::getline(in, line);) {
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        const auto last = line.find_last_not_of(" \t\r");
        if (!applyOption(options, line.substr(first, last - first + 1), error)) return false;
    }
    return true;
}

std::string helpText() {
    return R"(gamesim - stand-in for the game, installed as CoDMP.exe

Usage: CoDMP.exe [options] [+command ...]   e.g.  CoDMP.exe +exec FRWb_lo.cfg

Run it with the game folder as working folder. It loads MAIN/config_mp.cfg, then
runs the "+" commands and the scripts they start, in simulated time (no waiting),
plays demos from MAIN/demos and writes console dumps into MAIN. It ends on "quit"
(saving MAIN/config_mp.cfg). When it has nothing left to run (the scripts ended
without "quit", or a demo could not be opened) it stays in its menu like the
game, doing nothing until it is ended; --exit-when-idle makes it exit instead.

Commands: exec vstr wait echo set seta bind unbindall r_mode vid_restart timedemo
          demo clear condump quit, and any variable name.

Options (also read from gamesim.ini in the game folder, one per line, "#" starts
a comment; options given on the command line come after the file's):
  --crash-after-plays=N  exit at once with status 1 when the N-th demo play has
                         ended (its result line printed, its dump not written)
  --profile=openarena    play OpenArena as Debian installs it: MAIN is
                         <home>/baseoa, home being "+set fs_homepath DIR" of the
                         command line or ~/.openarena; q3config.cfg, demos
                         *.dm_71, condump only to .txt names, and the engine's
                         "<frames> frames <s> seconds <fps> fps <ms> ms" results
  --windowed             the mode line says "windowed" instead of "fullscreen"
  --largest-mode=WxH     a display that shows no mode wider or taller than WxH:
                         setting a larger one prints the engine's warning and
                         falls back to mode 3 (640x480), whose figures the dump
                         then holds under that mode line
  --fail-dump=NAME       "condump NAME" cannot open its file and prints
                         "ERROR: couldn't open NAME."; NAME * fails every dump;
                         may be given more than once
  --exit-when-idle       with nothing left to run, exit with status 2 instead of
                         staying in the menu
  --idle-frames=N        frames with nothing to run before it counts as having
                         nothing left to run (default 1000)
  --max-frames=N         give up after N simulated frames with status 3
                         (default 2000000, enough for the largest chain with
                         a 2 MB demo; 0 = no limit)
  --hold-quit=NAME       at "quit", write NAME.waiting into the game folder and
                         keep running (in real time) until a file NAME appears
                         there, at most 120 s; then save MAIN/config_mp.cfg and
                         exit as usual
  --seed=N               seed of the run-to-run spread of the figures (default 1)
  --help                 this text

Demos: "demo <name>" loads MAIN/demos/<name>.dm_2 at once, before the next
command of its line runs: it prints a loading block (with the mode line), so a
condump right after it holds that block. A play of B bytes then takes
100 + B/256 frames and prints B/1024 further lines; with timedemo 1 it ends
with "<frames> frames, <seconds> seconds: <fps> fps", then runs nextdemo.
A demo that cannot be opened prints
  Not found: demos/<name>.dm_2
  ********************
  ERROR: couldn't open demos/<name>.dm_2
  ********************
and drops to the menu: the rest of the line runs in the next frame, nextdemo
never runs.

Figures: fps follow from the screen mode, r_picmip, r_texturebits,
r_dynamiclight, cg_marks, cg_brass, the demo's size and the seed. To fix them,
put <name>.fps beside <name>.dm_2: numbers separated by blanks or line ends,
one per play of that demo in the order the plays start (warm-up plays count),
starting over from the first when the list is used up. The result line shows
the figure with one decimal.

Exit status: 0 quit, 1 crash on demand, 2 nothing left to run (with
--exit-when-idle), 3 frame limit, 4 scripts that never let a frame end (vstr
feeding itself), 64 bad option.
)";
}

int runProgram(const std::vector<std::string>& args, const std::string& gameFolder,
               std::ostream& out, std::ostream& err, const std::function<void()>& stayInMenu) {
    Options options;
    std::string error;
    {
        std::ifstream in(std::filesystem::path(gameFolder) / kOptionsFile, std::ios::binary);
        if (in &&
            !readOptionsFile(std::string(std::istreambuf_iterator<char>(in), {}), options, error)) {
            err << "gamesim: " << kOptionsFile << ": " << error << "\n";
            return kExitUsage;
        }
    }
    Arguments parsed = parseArguments(args, options);
    if (!parsed.error.empty()) {
        err << "gamesim: " << parsed.error << " (try --help)\n";
        return kExitUsage;
    }
    if (parsed.options.help) {
        out << helpText();
        return kExitQuit;
    }
    if (parsed.options.openArena) {
        // The engine takes its home folder from the command line before any script runs.
        std::istringstream words(parsed.commandLine);
        for (std::string w, previous; words >> w; previous = w)
            if (previous == "fs_homepath") parsed.options.homePath = w;
        if (parsed.options.homePath.empty()) {
            const char* home = std::getenv("HOME");
            parsed.options.homePath = std::string(home ? home : ".") + "/.openarena";
        }
    }
    Game game(gameFolder, parsed.options);
    game.start(parsed.commandLine);
    const Outcome outcome = game.run();
    if (outcome == Outcome::Idle && !parsed.options.exitWhenIdle) {
        err << "gamesim: nothing left to run; staying in the menu until ended\n" << std::flush;
        stayInMenu();
    } else if (outcome == Outcome::Idle) {
        err << "gamesim: nothing left to run; exiting\n";
    }
    if (outcome == Outcome::FrameLimit)
        err << "gamesim: still running after " << game.frames() << " frames; exiting\n";
    if (outcome == Outcome::Hung)
        err << "gamesim: the scripts ran " << Game::kMaxCommandsPerFrame
            << " commands without letting a frame end; exiting\n";
    if (outcome == Outcome::Crashed)
        err << "gamesim: crashing on demand after " << game.playsEnded() << " demo plays\n";
    return exitStatusOf(outcome);
}

} // namespace gamesim
