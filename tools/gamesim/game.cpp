#include "game.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

namespace gamesim {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMainFolder = "MAIN";
constexpr const char* kDemosFolder = "demos";
constexpr const char* kFpsExtension = ".fps";
constexpr const char* kErrorRule = "********************\n";

constexpr VideoMode kModes[] = {{320, 240},   {400, 300},   {512, 384},   {640, 480},
                                {800, 600},   {960, 720},   {1024, 768},  {1152, 864},
                                {1280, 1024}, {1600, 1200}, {2048, 1536}, {856, 480}};
constexpr int kFallbackMode = 3;

// The engine reads numbers the way atoi does: leading digits, 0 when there are none.
long leadingInt(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

bool endsWithIgnoringCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           lowerAscii(text.substr(text.size() - end.size())) == lowerAscii(end);
}

// The stored entry of folder called name: exactly, else ignoring case as Windows would.
std::optional<fs::path> findEntry(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) {
        for (const auto& e : fs::directory_iterator(folder, ec))
            if (e.path().filename().string() == name) return e.path();
    }
    const std::string wanted = lowerAscii(name);
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (lowerAscii(e.path().filename().string()) == wanted) return e.path();
    return std::nullopt;
}

std::optional<std::string> readWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string joinWords(const std::vector<std::string>& words, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < words.size(); ++i) {
        if (i > from) out += ' ';
        out += words[i];
    }
    return out;
}

std::uint64_t splitMix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Words of a play's own console traffic; none of them may look like a line the tool reads.
constexpr const char* kPlayers[] = {"Pvt.Adler", "Cpl.Brandt", "Sgt.Cole", "Lt.Dunn", "Pvt.Ellis"};

} // namespace

int exitStatusOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Quit:
        return kExitQuit;
    case Outcome::Crashed:
        return kExitCrash;
    case Outcome::Idle:
        return kExitIdle;
    case Outcome::Hung:
        return kExitHung;
    case Outcome::FrameLimit:
    case Outcome::Running:
        return kExitFrameLimit;
    }
    return kExitFrameLimit;
}

std::optional<VideoMode> videoMode(int mode) {
    if (mode < 0 || mode >= static_cast<int>(std::size(kModes))) return std::nullopt;
    return kModes[mode];
}

DemoShape demoShape(std::uintmax_t bytes) {
    // One frame per 256 bytes on top of a short intro, one line of chatter per KiB.
    return {100 + static_cast<long>(bytes / 256), static_cast<int>(bytes / 1024)};
}

std::string timedemoLine(long frames, long milliseconds, double fps, bool openArena) {
    char text[160];
    if (openArena) {
        // The engine adds the shortest, mean and longest frame and their spread.
        const double mean = milliseconds / static_cast<double>(std::max(1L, frames));
        std::snprintf(text, sizeof text,
                      "%ld frames %3.1f seconds %3.1f fps %d.0/%.1f/%d.0/%.1f ms\n", frames,
                      milliseconds / 1000.0, fps, static_cast<int>(mean * 0.5), mean,
                      static_cast<int>(mean * 3) + 1, mean * 0.4);
        return text;
    }
    std::snprintf(text, sizeof text, "%ld frames, %3.1f seconds: %3.1f fps\n", frames,
                  milliseconds / 1000.0, fps);
    return text;
}

long Game::Play::dueFrame(int line) const {
    return std::max(1L, (line + 1) * shape.frames / (shape.messageLines + 1));
}

Game::Game(const fs::path& gameFolder, Options options)
    : options_(std::move(options)), game_(gameFolder) {
    main_ = findEntry(game_, kMainFolder).value_or(game_ / kMainFolder);
    if (options_.openArena) {
        main_ = fs::path(options_.homePath) / "baseoa";
        configFile_ = "q3config.cfg";
        demoExtension_ = ".dm_71";
        std::error_code ec;
        fs::create_directories(main_, ec);
    }
    demos_ = findEntry(main_, kDemosFolder).value_or(main_ / kDemosFolder);
    registerVar("r_mode", "3", true, true);
    registerVar("r_picmip", "1", true, true);
    registerVar("r_picmip2", "1", true, true);
    registerVar("r_texturebits", "0", true, true);
    registerVar("r_textureMode", "GL_LINEAR_MIPMAP_NEAREST", true, false);
    registerVar("r_dynamiclight", "1", true, false);
    registerVar("cg_marks", "1", true, false);
    registerVar("cg_brass", "1", true, false);
    registerVar("com_maxfps", "85", true, false);
    registerVar("timedemo", "0", false, false);
    registerVar("nextdemo", "", false, false);
}

// ---- variables ----

Game::Cvar* Game::findVar(const std::string& name) {
    auto it = varIndex_.find(lowerAscii(name));
    return it == varIndex_.end() ? nullptr : &vars_[it->second];
}

const Game::Cvar* Game::findVar(const std::string& name) const {
    auto it = varIndex_.find(lowerAscii(name));
    return it == varIndex_.end() ? nullptr : &vars_[it->second];
}

std::optional<std::string> Game::variable(const std::string& name) const {
    if (const Cvar* v = findVar(name)) return v->value;
    return std::nullopt;
}

long Game::varInt(const std::string& name) const {
    const Cvar* v = findVar(name);
    return v ? leadingInt(v->value) : 0;
}

Game::Cvar& Game::registerVar(const std::string& name, const std::string& value, bool archive,
                              bool latch) {
    varIndex_[lowerAscii(name)] = vars_.size();
    vars_.push_back({name, value, value, std::nullopt, archive, latch});
    return vars_.back();
}

void Game::setVar(const std::string& name, const std::string& value) {
    Cvar* v = findVar(name);
    if (!v) {
        registerVar(name, value, false, false);
        return;
    }
    if (v->latch) {
        if (v->latched ? *v->latched == value : v->value == value) return;
        console_.print(name + " will be changed upon restarting.\n");
        v->latched = value;
        return;
    }
    v->value = value;
}

void Game::applyLatched() {
    for (auto& v : vars_)
        if (v.latched) v.value = *std::exchange(v.latched, std::nullopt);
}

// ---- the command buffer ----

void Game::start(const std::string& commandLine) {
    // The engine's first line: name, version, platform and build date.
    console_.print("gamesim 1.2 sim-x86 win-x86 Dec  4 2026\n");
    buffer_.append("exec " + configFile_ + "\n");
    execute();
    // "+" starts a command, outside quotes.
    std::vector<std::string> commands;
    bool quoted = false, started = false;
    for (char c : commandLine) {
        if (c == '"') quoted = !quoted;
        if ((c == '+' && !quoted) || c == '\n' || c == '\r') {
            commands.emplace_back();
            started = true;
        } else if (started) {
            commands.back() += c;
        }
    }
    for (const auto& c : commands)
        if (c.find_first_not_of(' ') != std::string::npos) addText(c + "\n");
}

void Game::addText(const std::string& text) {
    if (!buffer_.append(text)) console_.print("Cbuf_AddText: overflow\n");
}

void Game::execute() {
    while (!buffer_.empty() && outcome_ == Outcome::Running && !frameAborted_) {
        if (wait_ > 0) {
            // The rest waits for the next pass.
            --wait_;
            break;
        }
        if (++commandsThisFrame_ > kMaxCommandsPerFrame) {
            outcome_ = Outcome::Hung;
            break;
        }
        executeCommand(buffer_.takeCommand());
    }
}

void Game::executeCommand(const std::string& command) {
    const auto args = tokenize(command);
    if (args.empty()) return;
    const std::string name = lowerAscii(args[0]);
    if (name == "exec") return cmdExec(args);
    if (name == "vstr") return cmdVstr(args);
    if (name == "wait") {
        wait_ = args.size() == 2 ? leadingInt(args[1]) : 1;
        if (wait_ < 0) wait_ = 1;
        return;
    }
    if (name == "echo") {
        std::string line;
        for (std::size_t i = 1; i < args.size(); ++i)
            line += args[i] + " ";
        return console_.print(line + "\n");
    }
    if (name == "set") return cmdSet(args, false);
    if (name == "seta") return cmdSet(args, true);
    if (name == "bind") return cmdBind(args);
    if (name == "unbindall") return binds_.clear();
    if (name == "vid_restart") {
        applyLatched();
        return startRenderer();
    }
    if (name == "demo") return cmdDemo(args);
    if (name == "clear") return console_.clear();
    if (name == "condump") return cmdCondump(args);
    if (name == "quit") return cmdQuit();
    if (Cvar* v = findVar(args[0])) {
        if (args.size() == 1) {
            console_.print("\"" + v->name + "\" is:\"" + v->value + "^7\" default:\"" +
                           v->defaultValue + "^7\"\n");
            return;
        }
        return setVar(args[0], args[1]);
    }
    console_.print("Unknown command \"" + args[0] + "\"\n");
}

void Game::cmdExec(const std::vector<std::string>& args) {
    if (args.size() != 2) return console_.print("exec <filename> : execute a script file\n");
    std::string file = args[1];
    if (fs::path(file).extension().empty()) file += ".cfg";
    std::optional<std::string> text;
    if (auto found = findEntry(main_, file)) text = readWhole(*found);
    if (!text) return console_.print("couldn't exec " + args[1] + "\n");
    console_.print("execing " + args[1] + "\n");
    if (!buffer_.insertFront(*text)) console_.print("Cbuf_InsertText overflowed\n");
}

void Game::cmdVstr(const std::vector<std::string>& args) {
    if (args.size() != 2)
        return console_.print("vstr <variablename> : execute a variable command\n");
    const Cvar* v = findVar(args[1]);
    if (!buffer_.insertFront((v ? v->value : std::string()) + "\n"))
        console_.print("Cbuf_InsertText overflowed\n");
}

void Game::cmdSet(const std::vector<std::string>& args, bool archive) {
    if (archive ? args.size() != 3 : args.size() < 3)
        return console_.print(archive ? "usage: seta <variable> <value>\n"
                                      : "usage: set <variable> <value>\n");
    setVar(args[1], joinWords(args, 2));
    if (archive) findVar(args[1])->archive = true;
}

void Game::cmdBind(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return console_.print("bind <key> [command] : attach a command to a key\n");
    auto it = std::find_if(binds_.begin(), binds_.end(),
                           [&](const Bind& b) { return lowerAscii(b.key) == lowerAscii(args[1]); });
    if (args.size() == 2) {
        if (it == binds_.end()) return console_.print("\"" + args[1] + "\" is not bound\n");
        return console_.print("\"" + args[1] + "\" = \"" + it->command + "\"\n");
    }
    if (it == binds_.end()) it = binds_.insert(binds_.end(), Bind{args[1], {}});
    it->command = joinWords(args, 2);
}

// ---- video and demos ----

void Game::startRenderer() {
    int mode = static_cast<int>(varInt("r_mode"));
    const auto asked = videoMode(mode);
    const bool tooLarge =
        asked && options_.largestWidth > 0 &&
        (asked->width > options_.largestWidth || asked->height > options_.largestHeight);
    if (!asked || tooLarge) {
        console_.print("...WARNING: could not set the given mode (" + std::to_string(mode) + ")\n");
        mode = kFallbackMode;
        findVar("r_mode")->value = std::to_string(mode);
    }
    const VideoMode m = *videoMode(mode);
    const char* screen = options_.windowed ? "windowed" : "fullscreen";
    const std::string w = std::to_string(m.width), h = std::to_string(m.height);
    // The lines around the mode line as the engine prints them at every renderer
    // start; "finished" after a windowed mode line is what a reader must not run into.
    console_.print("----- R_Init -----\n");
    console_.print("...setting mode " + std::to_string(mode) + ": " + w + " " + h + "\n");
    // The renderer block as the engine prints it, with values of the stand-in's own.
    console_.print("GL_VENDOR: stand-in renderer\n");
    console_.print("GL_RENDERER: gamesim software rasteriser\n");
    console_.print("GL_VERSION: 1.1 gamesim\n");
    console_.print("GL_EXTENSIONS: GL_ARB_multitexture GL_EXT_texture_env_add "
                   "GL_EXT_compiled_vertex_array GL_SGIS_texture_edge_clamp \n");
    console_.print("MODE: " + std::to_string(mode) + ", " + w + " x " + h + " " + screen +
                   " hz:N/A\n");
    console_.print("picmip: " + std::to_string(varInt("r_picmip")) + "\n");
    console_.print("texture bits: " + std::to_string(varInt("r_texturebits")) + "\n");
    console_.print("----- finished R_Init -----\n");
}

void Game::cmdDemo(const std::vector<std::string>& args) {
    if (args.size() != 2) return console_.print("playdemo <demoname>\n");
    // A new play ends the one that runs.
    play_.reset();
    // As the engine reads a name: one whose last extension starts with "dm_" names
    // a demo file, opened as it is when it is the game's own extension and cut off
    // otherwise; any other name, dots and all, gets the extension added.
    std::string file = args[1];
    const auto dot = file.rfind('.');
    if (dot != std::string::npos && lowerAscii(file.substr(dot + 1, 3)) == "dm_") {
        if (!endsWithIgnoringCase(file, demoExtension_))
            file = file.substr(0, dot) + demoExtension_;
    } else {
        file += demoExtension_;
    }
    std::optional<fs::path> found = findEntry(demos_, file);
    std::error_code ec;
    const std::uintmax_t bytes = found ? fs::file_size(*found, ec) : 0;
    if (!found || ec || !fs::is_regular_file(*found, ec)) {
        const std::string path = std::string(kDemosFolder) + "/" + file;
        console_.print("Not found: " + path + "\n" + kErrorRule + "ERROR: couldn't open " + path +
                       "\n" + kErrorRule);
        // The engine drops to its menu: the rest of the buffer waits for the next
        // frame, and with no play nothing ever runs nextdemo.
        frameAborted_ = true;
        return;
    }
    const std::string demo = file.substr(0, file.size() - demoExtension_.size());
    Play play;
    play.name = demo;
    play.shape = demoShape(bytes);
    play.bytes = bytes;
    play.fps = fixedFps(*found, demo);
    // The map loads and the renderer starts at once, before the next command of
    // the line runs; so a dump taken right after "demo" holds the loading block.
    console_.print("Demo file: " + std::string(kDemosFolder) + "/" + file + "\n");
    applyLatched();
    startRenderer();
    if (!play.fps) play.fps = modelFps(demo, bytes);
    play_ = play;
}

std::optional<double> Game::fixedFps(const fs::path& demoFile, const std::string& demo) {
    const int index = playsOf_[lowerAscii(demo)]++;
    auto listFile = findEntry(demoFile.parent_path(), demo + kFpsExtension);
    if (!listFile) return std::nullopt;
    auto text = readWhole(*listFile);
    if (!text) return std::nullopt;
    std::istringstream in(*text);
    std::vector<double> figures;
    for (std::string word; in >> word;) {
        char* end = nullptr;
        double value = std::strtod(word.c_str(), &end);
        if (*end == '\0' && value > 0) figures.push_back(value);
    }
    if (figures.empty()) return std::nullopt;
    return figures[index % figures.size()];
}

double Game::modelFps(const std::string& demo, std::uintmax_t bytes) const {
    const VideoMode m =
        videoMode(static_cast<int>(varInt("r_mode"))).value_or(kModes[kFallbackMode]);
    double fps = 160.0 * std::pow(640.0 * 480.0 / (double(m.width) * m.height), 0.55);
    fps *= 1.0 + 0.07 * std::clamp(varInt("r_picmip"), 0L, 3L);
    if (varInt("r_texturebits") == 16) fps *= 1.06;
    const long light = varInt("r_dynamiclight");
    fps *= light == 0 ? 1.10 : light == 2 ? 1.05 : 1.0;
    if (varInt("cg_marks") == 0) fps *= 1.02;
    if (varInt("cg_brass") == 0) fps *= 1.02;
    fps *= 0.85 + static_cast<double>(bytes % 1000) / 1000.0 * 0.3;
    std::uint64_t h = options_.seed;
    for (char c : lowerAscii(demo))
        h = splitMix(h ^ static_cast<unsigned char>(c));
    h = splitMix(h ^ static_cast<std::uint64_t>(playsEnded_));
    fps *= 1.0 + (static_cast<double>(h % 2001) - 1000.0) / 1000.0 * 0.015;
    return fps;
}

void Game::clientFrame() {
    if (!play_) return;
    Play& p = *play_;
    if (!p.loaded) {
        // The frame the demo loaded in plays none of it.
        p.loaded = true;
        return;
    }
    ++p.played;
    while (p.printed < p.shape.messageLines && p.played >= p.dueFrame(p.printed)) {
        const int i = p.printed++;
        console_.print(std::string(kPlayers[i % 5]) + " was shot by " + kPlayers[(i + 2) % 5] +
                       "\n");
    }
    if (p.played >= p.shape.frames) endPlay();
}

void Game::endPlay() {
    const Play p = *play_;
    play_.reset();
    if (varInt("timedemo")) {
        const double fps = *p.fps;
        const long ms = std::max(1L, std::lround(p.shape.frames * 1000.0 / fps));
        console_.print(timedemoLine(p.shape.frames, ms, fps, options_.openArena));
    }
    ++playsEnded_;
    if (options_.crashAfterPlays && playsEnded_ >= *options_.crashAfterPlays) {
        outcome_ = Outcome::Crashed;
        return;
    }
    runNextDemo();
}

void Game::runNextDemo() {
    Cvar* next = findVar("nextdemo");
    if (!next || next->value.empty()) return;
    // Emptied before it runs, so the text may set the next one.
    const std::string text = std::exchange(next->value, std::string());
    addText(text + "\n");
    execute();
}

// ---- console dumps and the end ----

void Game::cmdCondump(const std::vector<std::string>& args) {
    if (args.size() != 2) return console_.print("usage: condump <filename>\n");
    const std::string& name = args[1];
    if (options_.openArena && !endsWithIgnoringCase(name, ".txt"))
        return console_.print("Con_Dump_f: Only the \".txt\" extension is supported by this "
                              "command!\n");
    const fs::path relative(name);
    bool refused = name.empty() || relative.is_absolute() || relative.has_root_name() ||
                   relative.has_root_directory();
    for (const auto& part : relative)
        if (part == "..") refused = true;
    for (const auto& failing : options_.failDumps)
        if (failing == "*" || failing == name) refused = true;
    std::ofstream out;
    if (!refused) {
        fs::path target = main_ / relative;
        if (!relative.has_parent_path())
            if (auto existing = findEntry(main_, name)) target = *existing;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        out.open(target, std::ios::binary | std::ios::trunc);
    }
    if (!out.is_open()) return console_.print("ERROR: couldn't open " + name + ".\n");
    // Printed once the file is open, so the dump ends with it.
    console_.print("Dumped console text to " + name + ".\n");
    const std::string text = console_.dumpText();
    if (!(out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush()))
        console_.print("ERROR: couldn't write " + name + ".\n");
}

bool Game::writeConfig() {
    std::ostringstream text;
    text << "// generated by the game, do not modify\n";
    text << "unbindall\n";
    for (const auto& b : binds_)
        text << "bind " << b.key << " \"" << b.command << "\"\n";
    for (const auto& v : vars_)
        if (v.archive) text << "seta " << v.name << " \"" << v.latched.value_or(v.value) << "\"\n";
    fs::path target = findEntry(main_, configFile_).value_or(main_ / configFile_);
    // Like the engine's own file writes, a linked configuration is written where it points.
    std::error_code linkError;
    if (fs::is_symlink(target, linkError)) {
        const fs::path real = fs::canonical(target, linkError);
        if (!linkError) target = real;
    }
    // Written beside it and renamed into place, so whoever watches for the game's
    // quit never reads a half-written configuration.
    fs::path scratch = target;
    scratch += ".tmp";
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        const std::string bytes = text.str();
        if (!(out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) &&
              out.flush()))
            return false;
    }
    std::error_code ec;
    fs::rename(scratch, target, ec);
    if (!ec) return true;
    fs::remove(scratch, ec);
    return false;
}

void Game::cmdQuit() {
    // A game still running while the player switches to another program: held in
    // real time until told to go on.
    if (!options_.holdQuit.empty()) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        std::error_code ec;
        std::ofstream(game_ / (options_.holdQuit + ".waiting")) << "waiting\n";
        while (!fs::exists(game_ / options_.holdQuit, ec) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!writeConfig()) console_.print("couldn't write " + configFile_ + "\n");
    outcome_ = Outcome::Quit;
}

// ---- frames ----

Outcome Game::frame() {
    if (outcome_ != Outcome::Running) return outcome_;
    ++frame_;
    frameAborted_ = false;
    commandsThisFrame_ = 0;
    // The engine runs the buffer twice per frame, then the client.
    execute();
    execute();
    if (!frameAborted_ && outcome_ == Outcome::Running) clientFrame();
    if (outcome_ != Outcome::Running) return outcome_;
    if (buffer_.empty() && !play_) {
        if (++idle_ >= options_.idleFrames) outcome_ = Outcome::Idle;
    } else {
        idle_ = 0;
    }
    return outcome_;
}

Outcome Game::runFrames(long count) {
    const long limit = frame_ + count;
    while (outcome_ == Outcome::Running && frame_ < limit) {
        // Nothing to run while a demo plays: jump to the frame before its next line.
        if (buffer_.empty() && play_ && play_->loaded) {
            const Play& p = *play_;
            long next = p.printed < p.shape.messageLines ? p.dueFrame(p.printed) : p.shape.frames;
            long skip = std::min(next - p.played - 1, limit - frame_ - 1);
            if (skip > 0) {
                play_->played += skip;
                frame_ += skip;
            }
        }
        frame();
    }
    return outcome_;
}

Outcome Game::run() {
    if (options_.maxFrames <= 0) {
        while (runFrames(1'000'000) == Outcome::Running) {
        }
        return outcome_;
    }
    // Still running at the limit: the caller may go on with runFrames.
    if (runFrames(options_.maxFrames - frame_) == Outcome::Running) return Outcome::FrameLimit;
    return outcome_;
}

} // namespace gamesim
