#pragma once
// The stand-in game: runs console scripts from the main folder frame by frame in
// simulated time, plays demos, keeps the console and writes its dumps.
#include "command_text.h"
#include "console.h"
#include "options.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gamesim {

// Hung: the scripts ran on without ever letting a frame end.
enum class Outcome { Running, Quit, Crashed, Idle, FrameLimit, Hung };

int exitStatusOf(Outcome outcome);

// Screen modes 0-11, as the resolution table of the tool numbers them.
struct VideoMode {
    int width, height;
};
std::optional<VideoMode> videoMode(int mode);

// What a demo file gives a play: derived from its size in bytes.
struct DemoShape {
    long frames;      // frames a play takes
    int messageLines; // lines the play prints besides the loading block
};
DemoShape demoShape(std::uintmax_t bytes);

// The engine's timedemo line, e.g. "1300 frames, 27.4 seconds: 47.4 fps".
std::string timedemoLine(long frames, long milliseconds, double fps, bool openArena = false);

class Game {
  public:
    // No benchmark script runs more than a few hundred commands in a frame; far
    // beyond that, vstr chains feed the buffer for ever, which freezes the engine.
    static constexpr long kMaxCommandsPerFrame = 10000;

    Game(const std::filesystem::path& gameFolder, Options options = {});

    // Loads config_mp.cfg, then queues the "+" commands of the command line.
    void start(const std::string& commandLine);
    // Queues text as if typed at the console.
    void addText(const std::string& text);

    Outcome frame();
    // Runs until the game ends or the frame count reaches the option's limit
    // (FrameLimit; the game itself is still Running then).
    Outcome run();
    // Runs at most count more frames.
    Outcome runFrames(long count);

    Outcome outcome() const { return outcome_; }
    long frames() const { return frame_; }
    int playsEnded() const { return playsEnded_; }
    const Console& console() const { return console_; }
    std::optional<std::string> variable(const std::string& name) const;
    const std::filesystem::path& mainFolder() const { return main_; }

  private:
    struct Cvar {
        std::string name, value, defaultValue;
        std::optional<std::string> latched;
        bool archive = false, latch = false;
    };
    struct Bind {
        std::string key, command;
    };
    struct Play {
        std::string name;
        DemoShape shape;
        std::uintmax_t bytes = 0;
        std::optional<double> fps; // from the demo's .fps list, else from the model at load
        bool loaded = false;       // past the frame the demo loaded in
        long played = 0;
        int printed = 0;
        long dueFrame(int line) const;
    };

    void execute();
    void executeCommand(const std::string& command);
    void clientFrame();
    void endPlay();
    void runNextDemo();

    Cvar* findVar(const std::string& name);
    const Cvar* findVar(const std::string& name) const;
    Cvar& registerVar(const std::string& name, const std::string& value, bool archive, bool latch);
    void setVar(const std::string& name, const std::string& value);
    long varInt(const std::string& name) const;

    void cmdExec(const std::vector<std::string>& args);
    void cmdVstr(const std::vector<std::string>& args);
    void cmdSet(const std::vector<std::string>& args, bool archive);
    void cmdBind(const std::vector<std::string>& args);
    void cmdDemo(const std::vector<std::string>& args);
    void cmdCondump(const std::vector<std::string>& args);
    void cmdQuit();
    void startRenderer();
    void applyLatched();
    double modelFps(const std::string& demo, std::uintmax_t bytes) const;
    std::optional<double> fixedFps(const std::filesystem::path& demoFile, const std::string& demo);
    bool writeConfig();

    Options options_;
    std::filesystem::path game_, main_, demos_;
    std::string configFile_ = "config_mp.cfg";
    std::string demoExtension_ = ".dm_2";
    Console console_;
    CommandBuffer buffer_;
    long wait_ = 0;
    long commandsThisFrame_ = 0;
    bool frameAborted_ = false;
    std::vector<Cvar> vars_;
    std::map<std::string, std::size_t> varIndex_; // lower-case name -> vars_
    std::vector<Bind> binds_;
    std::optional<Play> play_;
    std::map<std::string, int> playsOf_; // lower-case demo name -> plays started
    int playsEnded_ = 0;
    long frame_ = 0;
    long idle_ = 0;
    Outcome outcome_ = Outcome::Running;
};

} // namespace gamesim
