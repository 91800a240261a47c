#include "cli/cli.h"

#include "bench/levels.h"
#include "bench/presets.h"
#include "bench/run_command.h"
#include "cli/progress.h"
#include "cli/stream_dialogs.h"
#include "locate/game_folder_guard.h"
#include "core/game_dialogs.h"
#include "locate/locate.h"
#include "platform/files.h"
#include "results/archive_list.h"
#include "results/make_results.h"
#include "results/messages.h"
#include "results/report_chart.h"
#include "results/report_reader.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <ostream>
#include <system_error>

namespace cli {

namespace {

constexpr const char* kWarningTitle = "COD CONFIG FILE WARNING";

std::string lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Which game: where it is, which profile (empty: as the game shows), where it writes.
struct GameOptions {
    std::string path;
    std::string profile;
    std::string homePath;
};

struct RunOptions {
    GameOptions game;
    std::string demo;
    std::vector<std::string> levels{"normal", "high", "max"};
    std::vector<std::string> resolutions{"640x480", "800x600", "1024x768", "1280x1024",
                                         "1600x1200"};
    int runs = 3;
    bool onePerDump = false;
    bool loop = false;
    std::string preset;
    std::vector<std::string> custom;
    std::optional<std::string> comment;
    bool yes = false;
    bool wait = false;
    double stallMinutes = 10;
    bool stallGiven = false;
};

// A Custom Config setting: its option buttons by the value naming each, or a check box.
struct CustomSetting {
    const char* name;
    std::vector<std::pair<const char*, std::vector<bool bench::CustomSettings::*>>> values;
};

// The frames of the Custom Config tab; each value selects one option button.
std::vector<CustomSetting> customSettingsTable() {
    using S = bench::CustomSettings;
    return {
        {"texture-quality", {{"16", {&S::opt_texture_16}}, {"32", {&S::opt_texture_32}}}},
        {"texture-filter", {{"trilinear", {&S::opt_trilinear}}, {"bilinear", {&S::opt_bilinear}}}},
        {"dynamic-lights",
         {{"none", {&S::opt_dl_no}},
          {"models-only", {&S::opt_dl_mo}},
          {"everything", {&S::opt_dl_ev}}}},
        {"world-dynamic-light-quality",
         {{"fastest", {&S::opt_wdl_f}}, {"nicest", {&S::opt_wdl_n}}}},
        {"model-detail",
         {{"minimum", {&S::op_md_min}},
          {"low", {&S::op_md_lo}},
          {"normal", {&S::op_md_nr}},
          {"maximum", {&S::op_md_max}}}},
        {"wall-marks", {{"on", {&S::check_wall}}, {"off", {}}}},
        {"ejecting-brass", {{"on", {&S::check_brass}}, {"off", {}}}},
        {"draw-blood", {{"on", {&S::opt_blood}}, {"off", {}}}},
    };
}

constexpr std::array<const char*, 4> kTextureValues{"extra", "high", "normal", "lowest"};

// Applies "NAME=VALUE"; false, with the reason in error, when it names no setting or value.
bool applyCustom(bench::CustomSettings& s, const std::string& item, std::string& error) {
    const auto eq = item.find('=');
    const std::string name = lower(item.substr(0, eq));
    const std::string value = eq == std::string::npos ? "" : lower(item.substr(eq + 1));
    std::string names = "character-textures, general-textures";
    for (const char* textures : {"character-textures", "general-textures"}) {
        if (name != textures) continue;
        auto& group = name == "character-textures" ? s.chr_text : s.gen_text;
        for (std::size_t i = 0; i < kTextureValues.size(); ++i) {
            if (value != kTextureValues[i]) continue;
            group.fill(false);
            group[i] = true;
            return true;
        }
        error = "--custom " + item + ": " + name + " takes extra, high, normal or lowest";
        return false;
    }
    for (const auto& setting : customSettingsTable()) {
        names += std::string(", ") + setting.name;
        if (name != setting.name) continue;
        std::string choices;
        for (const auto& [word, members] : setting.values) {
            choices += (choices.empty() ? "" : ", ") + std::string(word);
            if (value != word) continue;
            // Selecting one button of a frame clears the others; "off" clears the box.
            for (const auto& [otherWord, otherMembers] : setting.values)
                for (auto m : otherMembers)
                    s.*m = false;
            for (auto m : members)
                s.*m = true;
            return true;
        }
        error = "--custom " + item + ": " + name + " takes " + choices;
        return false;
    }
    error = "--custom " + item + ": the settings are " + names;
    return false;
}

bool levelsFrom(const std::vector<std::string>& words, bench::RunChoices& c, std::string& error) {
    static const std::map<std::string, bench::Level> byWord{{"normal", bench::Normal},
                                                            {"high", bench::High},
                                                            {"max", bench::Maximum},
                                                            {"custom", bench::Custom}};
    c.levels.fill(false);
    for (const auto& w : words) {
        auto it = byWord.find(lower(w));
        if (it == byWord.end()) {
            error = "--levels: \"" + w + "\" is not a detail level (normal, high, max, custom)";
            return false;
        }
        c.levels[static_cast<std::size_t>(it->second)] = true;
    }
    return true;
}

bool resolutionsFrom(const std::vector<std::string>& words, bench::RunChoices& c,
                     std::string& error) {
    c.resolutions.fill(false);
    for (const auto& w : words) {
        std::string text = lower(w);
        text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
        bool found = false;
        for (int mode = 0; mode < bench::kResolutionCount; ++mode) {
            if (text != bench::resolutionText(mode)) continue;
            c.resolutions[static_cast<std::size_t>(mode)] = true;
            found = true;
        }
        if (!found) {
            std::string all;
            for (int mode = 0; mode < bench::kResolutionCount; ++mode)
                all += (mode ? ", " : "") + std::string(bench::resolutionText(mode));
            error = "--res: \"" + w + "\" is not one of the resolutions " + all;
            return false;
        }
    }
    return true;
}

// The index of the demo the user named, with or without its extension.
std::optional<int> demoIndex(const std::vector<std::string>& demos, const std::string& wanted,
                             const std::string& extension) {
    auto matches = [&](bool ignoreCase) -> std::optional<int> {
        for (std::size_t i = 0; i < demos.size(); ++i) {
            for (const std::string& name : {wanted, wanted + extension}) {
                if (ignoreCase ? lower(demos[i]) == lower(name) : demos[i] == name)
                    return static_cast<int>(i);
            }
        }
        return std::nullopt;
    };
    if (auto exact = matches(false)) return exact;
    return matches(true);
}

constexpr const char* kResultsCommand = "framewise-cli results";

class Command {
  public:
    explicit Command(Services& s) : s_(s), dialogs_(s.err) {}

    int run(const RunOptions& o);
    int results(const GameOptions& game);
    int report(const std::string& file, bool csv, bool json);
    int compare(const std::vector<std::string>& files, bool csv, bool json);
    int list(bool json);

  private:
    Services& s_;
    StreamDialogs dialogs_;
    std::unique_ptr<platform::SingleInstance> guard_; // held until the command ends

    void say(const std::string& text) {
        s_.err << text << "\n";
        s_.err.flush();
    }
    int bad(const std::string& text) {
        say(text);
        return kBadOptions;
    }

    std::optional<locate::SetUp> findGame(const GameOptions& game, int& code);
    bool claimSingleCopy(int& code);
    int compile(const core::GameFolders& folders);

    // The flows' texts with the chosen game's names.
    const core::GameProfile* profile_ = &core::codProfile();
    std::unique_ptr<core::GameNamedDialogs> named_;
    core::Dialogs& dialogs() { return named_ ? static_cast<core::Dialogs&>(*named_) : dialogs_; }
    std::string named(const char* text) const { return core::forGame(*profile_, text); }
};

std::optional<locate::SetUp> Command::findGame(const GameOptions& game, int& code) {
    const core::GameProfile* forced = nullptr;
    if (!game.profile.empty()) forced = core::profileByKey(lower(game.profile));
    std::string folder;
    bool windowsGame = false; // the game the window remembers
    if (!game.path.empty()) {
        std::error_code ec;
        auto absolute = std::filesystem::absolute(core::fsPath(game.path), ec);
        folder = ec ? game.path : absolute.string();
    } else if (forced && *forced->homeFolder) {
        // A game installed for every user is found where its program is.
        auto onPath = platform::programFolderOnPath(forced->program);
        folder = onPath.value_or("/usr/games/") + forced->program;
    } else if (auto known = locate::knownGameFolder(s_.appFolder, s_.registry)) {
        folder = known->gameFolder;
        windowsGame = !known->fromRegistry;
        if (known->fromRegistry) say("Using the game folder from the registry: " + folder);
    } else {
        code = bad("No game folder is known: give --game DIR (the folder of CoDMP.exe, or an "
                   "OpenArena program or install), or choose the game once in the window.");
        return std::nullopt;
    }
    std::error_code ec;
    if (!std::filesystem::exists(core::fsPath(folder), ec)) {
        code = bad("The game folder \"" + folder + "\" does not exist.");
        return std::nullopt;
    }
    auto choice = locate::recogniseGame(folder, forced);
    if (!game.homePath.empty()) {
        if (!*choice.game->homePathOption) {
            code = bad(std::string("--fs-homepath: ") + choice.game->gameName +
                       " writes in its own folder and takes no home folder.");
            return std::nullopt;
        }
        // The same rule as the window's: the game's command line is split at blanks.
        auto absolute = std::filesystem::absolute(core::fsPath(game.homePath), ec).string();
        if (ec || !locate::homePathProblem(absolute).empty()) {
            code = bad("--fs-homepath: \"" + game.homePath +
                       "\" cannot be handed to the game: give a folder whose path holds no "
                       "blanks, quotes, semicolons or control characters.");
            return std::nullopt;
        }
        choice.homePath = absolute;
    } else if (windowsGame && *choice.game->homePathOption) {
        // The window's game writes where the window has it write.
        choice.homePath = locate::rememberedHomePath(s_.appFolder);
    }
    profile_ = choice.game;
    if (!profile_->names.empty())
        named_ = std::make_unique<core::GameNamedDialogs>(dialogs_, *profile_);
    auto setUp = locate::setUpGame(s_.appFolder, choice, dialogs());
    setUp.folders.dataFolder = s_.dataFolder;
    if (setUp.status != locate::SetUp::Status::Ready) {
        code = setUp.status == locate::SetUp::Status::NoPakFiles ? kRefused : kBadOptions;
        if (code == kBadOptions) say("The game folder \"" + folder + "\" cannot be used.");
        return std::nullopt;
    }
    return setUp;
}

// As at the window's start: a second copy is refused, a guard that cannot be
// taken is told and the work goes on.
bool Command::claimSingleCopy(int& code) {
    if (!s_.claimSingleCopy) return true;
    auto copy = s_.claimSingleCopy();
    switch (copy.state) {
    case platform::SingleCopy::State::Held:
        guard_ = std::move(copy.guard);
        return true;
    case platform::SingleCopy::State::Elsewhere:
        core::tell(dialogs_, locate::kAlreadyRunning);
        code = kRefused;
        return false;
    case platform::SingleCopy::State::Failed:
        core::tell(dialogs_, locate::noSingleCopyGuardText(copy.why));
        return true;
    }
    return true;
}

// Launches the game through the services and keeps it, so that RUN's flow
// starts it exactly as the window does.
class KeepingLauncher : public platform::Launcher {
  public:
    explicit KeepingLauncher(Services& s) : s_(s) {}
    platform::LaunchResult startGame(const std::string& workingFolder,
                                     const std::string& commandLine) override {
        attempted = true;
        auto started = s_.startGame(workingFolder, commandLine);
        game = std::move(started.program);
        failed = !started.result.started;
        return started.result;
    }
    platform::LaunchResult openTextFile(const std::string&) override {
        return {false, "Not available from the command line."};
    }
    platform::LaunchResult startProgram(const std::string&,
                                        const std::vector<std::string>&) override {
        return {false, "Not available from the command line."};
    }
    bool attempted = false, failed = false;
    std::unique_ptr<platform::RunningProgram> game;

  private:
    Services& s_;
};

int Command::run(const RunOptions& o) {
    if (o.wait && o.loop)
        return bad("--wait cannot be used with --loop: a benchmark in a loop never ends, so "
                   "there would be nothing to wait for.");
    bench::RunChoices choices;
    bench::CustomSettings custom;
    std::string error;
    if (!levelsFrom(o.levels, choices, error) || !resolutionsFrom(o.resolutions, choices, error))
        return bad(error);
    if (o.stallGiven && !o.wait)
        return bad("--stall-minutes only limits --wait: add --wait, or leave it out.");
    choices.runs = o.runs;
    choices.threePerDump = !o.onePerDump;
    choices.loop = o.loop;
    if (!o.preset.empty()) {
        static const std::map<std::string, bench::Preset> presets{
            {"low", bench::Preset::Low},
            {"hi", bench::Preset::Hi},
            {"max", bench::Preset::Max},
            {"optimized", bench::Preset::Optimized}};
        custom = bench::preset(presets.at(lower(o.preset)));
    }
    for (const auto& item : o.custom)
        if (!applyCustom(custom, item, error)) return bad(error);
    if ((!o.preset.empty() || !o.custom.empty()) && !choices.levels[bench::Custom])
        return bad(std::string(o.preset.empty() ? "--custom" : "--preset") +
                   " sets the Custom level, which --levels does not run: add custom to --levels, "
                   "or leave it out.");

    int code = kOk;
    auto game = findGame(o.game, code);
    if (!game) return code;
    choices.demoEntries = game->demos;
    if (!game->demos.empty()) {
        choices.selectedDemo = 0; // the window selects the first demo
        if (!o.demo.empty()) {
            std::string extension = profile_->demoPattern;
            extension.erase(0, 1); // "*.dm_2"
            auto index = demoIndex(game->demos, o.demo, extension);
            if (!index) {
                std::string names;
                for (const auto& d : game->demos)
                    names += (names.empty() ? "" : ", ") + d;
                return bad("The demo \"" + o.demo + "\" is not in the demos folder " +
                           game->folders.demosFolder + ". The demos there: " + names + ".");
            }
            choices.selectedDemo = *index;
        }
    }
    if (!claimSingleCopy(code)) return code;
    // Held through the wait and the compilation.
    const auto hold = locate::holdGameFolder(game->folders, dialogs_);
    if (hold.refused) return kRefused;

    if (o.yes) dialogs_.answers[named(kWarningTitle)] = {core::Answer::Yes, "--yes"};
    dialogs_.inputAnswer = o.comment;
    KeepingLauncher launcher(s_);
    auto outcome = bench::runCommand(
        game->folders, choices, custom, dialogs(), launcher, s_.clock,
        [&](core::Dialogs& d) { return results::settleEarlierRun(game->folders, d); });
    if (!outcome.closeTool) {
        if (!dialogs_.unanswered.empty()) {
            say("Not answered: give --yes to answer Yes and go on. Nothing was backed up and the "
                "game was not started.");
            return kRefused;
        }
        const ExitCode status = statusOfMessages(dialogs_.shown, *profile_);
        if (status != kOk) return status;
        return launcher.failed ? kGameNotStarted : kRefused; // RUN never stops without a reason
    }
    if (!o.wait) {
        say(std::string("The game was started. Once it has quit, compile the results with: ") +
            kResultsCommand);
        return kOk;
    }
    if (!launcher.game) {
        say(std::string("The game was started, but it cannot be watched from here. Once it has "
                        "quit, compile the results with: ") +
            kResultsCommand);
        return kOk;
    }
    WaitOptions wait;
    wait.terminal = s_.errIsTerminal;
    wait.stallFloor = std::chrono::milliseconds(static_cast<long long>(o.stallMinutes * 60000));
    wait.interrupted = s_.interrupted;
    if (s_.catchInterrupts) s_.catchInterrupts(true);
    auto waited = waitForGame(*launcher.game, game->folders.mainFolder, s_.err, wait, s_.pause,
                              game->folders.profile());
    if (s_.catchInterrupts) s_.catchInterrupts(false);
    const std::string written = std::to_string(waited.last.written) + " of " +
                                std::to_string(waited.last.total) + " console dumps written";
    if (waited.interrupted) {
        say("Stopped waiting (" + written +
            "). The game is still running and the benchmark "
            "goes on. Once the game has quit, " +
            kResultsCommand + " compiles the run.");
        return kInterrupted;
    }
    if (!waited.gameEnded) {
        say("No new console dump for " + durationText(waited.quiet) + " (" + written +
            "): the benchmark seems stuck.\nStopped waiting; the game was left running. "
            "Once it has quit, compile what it wrote with: " +
            kResultsCommand);
        return kGaveUpWaiting;
    }
    return compile(game->folders);
}

int Command::results(const GameOptions& gameOption) {
    int code = kOk;
    auto game = findGame(gameOption, code);
    if (!game) return code;
    if (!claimSingleCopy(code)) return code;
    const auto hold = locate::holdGameFolder(game->folders, dialogs_);
    if (hold.refused) return kRefused;
    return compile(game->folders);
}

// Generate Results, then the report's text on the output.
int Command::compile(const core::GameFolders& folders) {
    results::ResultsOutcome shownOutcome;
    results::makeResults(folders, dialogs(),
                         [&](const results::ResultsOutcome& o) { shownOutcome = o; });
    if (shownOutcome.resultsText) {
        std::string text = plainLines(*shownOutcome.resultsText);
        if (!text.empty() && text.front() == '\n') text.erase(0, 1); // the preview's first line end
        s_.out << text;
        if (!text.empty() && text.back() != '\n') s_.out << '\n';
        s_.out.flush();
    }
    return statusOfMessages(dialogs_.shown, *profile_);
}

// A bare name is looked for in the archive when it is not here.
std::string reportPath(const std::string& file, const std::string& dataFolder) {
    std::error_code ec;
    if (!std::filesystem::exists(core::fsPath(file), ec) && core::isPlainName(file)) {
        const std::string archived = results::resultsFolder(dataFolder) + file;
        if (std::filesystem::exists(core::fsPath(archived), ec)) return archived;
    }
    return file;
}

int Command::report(const std::string& file, bool csv, bool json) {
    const std::string path = reportPath(file, s_.resultsHome());
    auto reading = results::readReport(path);
    if (!reading.table) {
        say("Not a readable Framewise report: " + reading.error.message());
        return kBadReport;
    }
    const auto& t = *reading.table;
    s_.out << plainLines(csv    ? results::reportCsv(t)
                         : json ? results::reportJson(t, results::readSystemRecord(path))
                                : results::reportText(t));
    // What measured it, after the table a reader reads.
    if (!csv && !json)
        s_.out << "\nMEASURED ON: "
               << results::systemSummary(results::readSystemRecord(path)) << "\n";
    s_.out.flush();
    return kOk;
}

int Command::compare(const std::vector<std::string>& files, bool csv, bool json) {
    std::vector<results::ReportTable> tables;
    std::vector<std::string> paths;
    bool unreadable = false;
    for (const auto& file : files) {
        paths.push_back(reportPath(file, s_.resultsHome()));
        auto reading = results::readReport(paths.back());
        if (!reading.table) {
            say("Not a readable Framewise report: " + reading.error.message());
            unreadable = true;
            continue;
        }
        tables.push_back(std::move(*reading.table));
    }
    // Every report that cannot be read is named before the comparison is refused.
    if (unreadable) return kBadReport;
    const auto c = results::compareAll(tables, paths, results::systemsOf(paths));
    s_.out << plainLines(csv    ? results::comparisonCsv(c)
                         : json ? results::comparisonJson(c)
                                : results::comparisonText(c));
    s_.out.flush();
    return kOk;
}

// Each archived report on one line: its file, demo, start time and comment; a
// file that is not a readable report still shows, with why.
int Command::list(bool json) {
    const std::string folder = results::resultsFolder(s_.resultsHome());
    std::vector<std::string> items;
    for (const auto& path : results::archivedReports(s_.resultsHome())) {
        const std::string name = path.substr(folder.size());
        auto reading = results::readReport(path);
        if (json) {
            std::string item = "{\"file\": " + results::jsonText(name);
            if (reading.table) {
                const auto& t = *reading.table;
                const std::string iso = results::isoStartTime(t);
                item += ", \"demo\": " + results::jsonText(t.demo) +
                        ", \"startTime\": " + results::jsonText(t.startTime) +
                        ", \"startTimeIso\": " + (iso.empty() ? "null" : results::jsonText(iso)) +
                        ", \"comment\": " + results::jsonText(t.comment) +
                        ", \"complete\": " + (t.incomplete() ? "false" : "true") + "}";
            } else {
                item += ", \"error\": " + results::jsonText(reading.error.what) + "}";
            }
            items.push_back(item);
        } else if (reading.table) {
            const auto& t = *reading.table;
            items.push_back(name + "  " + t.demo + "  " + t.startTime + "  " + t.comment +
                            (t.incomplete() ? "  (incomplete)" : ""));
        } else {
            items.push_back(name + "  (not readable: " + reading.error.what + ")");
        }
    }
    if (json) {
        s_.out << "{\n  \"schema\": " << results::kReportJsonSchema << ",\n  \"reports\": [";
        for (std::size_t i = 0; i < items.size(); ++i)
            s_.out << (i ? ",\n    " : "\n    ") << items[i];
        s_.out << (items.empty() ? "]\n}\n" : "\n  ]\n}\n");
    } else {
        for (const auto& item : items)
            s_.out << plainLines(item) << "\n";
    }
    s_.out.flush();
    return kOk;
}

struct StatusText {
    ExitCode code;
    const char* text;
};
constexpr std::array<StatusText, 11> kStatusTexts{{
    {kOk, "success"},
    {kFailed, "a file could not be written, or the game's configuration could not be restored"},
    {kBadOptions, "bad or conflicting options, an unknown demo, or no game folder known"},
    {kRefused, "a check refused: RUN's checks, the game still running, no pak0.pk3, another "
               "copy running, or the configuration warning not answered (give --yes)"},
    {kGameNotStarted, "the game could not be started"},
    {kGameCrashed, "the game ended without all its console dumps (it crashed or stopped early)"},
    {kDamaged, "the compilation found a damaged console dump, dump list or run record"},
    {kGaveUpWaiting, "run --wait gave up: no new console dump for too long; the game was left "
                     "running"},
    {kNoResults, "no run waiting to be compiled"},
    {kBadReport, "report, compare: a file is not a readable Framewise report"},
    {kInterrupted, "run --wait was stopped with Ctrl-C; the game was left running"},
}};

// The lines of the exit-status table for these statuses, wrapped under their text.
std::string statusTable(const std::vector<ExitCode>& codes) {
    std::string out = "Exit status:\n";
    for (const auto& s : kStatusTexts) {
        if (std::find(codes.begin(), codes.end(), s.code) == codes.end()) continue;
        std::string number = std::to_string(static_cast<int>(s.code));
        std::string line = std::string(5 - number.size(), ' ') + number + "  ";
        std::string text = s.text;
        const std::size_t indent = line.size();
        while (line.size() + text.size() > 79) {
            auto cut = text.rfind(' ', 79 - line.size());
            out += line + text.substr(0, cut) + "\n";
            text.erase(0, cut + 1);
            line = std::string(indent, ' ');
        }
        out += line + text + "\n";
    }
    return out;
}

std::string topLevelFooter() {
    std::vector<ExitCode> all;
    for (const auto& s : kStatusTexts)
        all.push_back(s.code);
    return statusTable(all) +
           "\nMessages the window shows in a box go to standard error with the same text;\n"
           "reports and tables go to standard output. Nothing is read from standard input.";
}

} // namespace

const std::vector<MessageStatus>& messageStatuses() {
    // Refusals first: they changed nothing. Then what puts the player's
    // configuration or a report at risk, then what the results lack.
    static const std::vector<MessageStatus> table{
        {bench::kGameStillRunning, kRefused},
        {locate::kAlreadyRunning, kRefused},
        {locate::kGameFolderBusy, kRefused},
        {locate::kNoPakFiles, kRefused},
        {"Framewise could not read ", kRefused}, // the remembered path file
        {"! NO CONFIG FILES SELECTED !", kRefused},
        {"! NO RESOLUTIONS SELECTED !", kRefused},
        {"Folder location invlaid!", kRefused},
        {"ERROR: NO AVAILABLE DEMO TO RUN!", kRefused},
        {"ERROR: NO DEMO CHOSEN!", kRefused},
        {"ERROR: The demo \"", kRefused},
        {"ERROR: The game's config file \"", kRefused},
        {"could not be started.", kGameNotStarted},
        {"ERROR: Could not delete \"", kFailed},
        {"ERROR: Could not write \"", kFailed},
        {"ERROR: Could not back up \"", kFailed},
        {"Framewise could not write ", kFailed}, // the remembered path file
        {results::kNotRestored, kFailed},
        {results::kNothingRestored, kFailed},
        {results::kReportNotArchived, kFailed},
        {results::kNotRemoved, kFailed},
        {results::kEarlierNotSaved, kFailed},
        {results::kRunStopped, kFailed},
        {results::kBackupMissing, kFailed}, // the player's config may still be the benchmark's
        {results::kNoResults, kNoResults},
        {results::kNeverStarted, kNoResults},
        {results::kNotCompiled, kDamaged},
        {results::kDamagedRecord, kDamaged},
        {results::kDumpListTrouble, kDamaged},
        {results::kDamagedDump, kDamaged},
        {results::kPrematureTermination, kGameCrashed},
        {results::kStoppedEarly, kGameCrashed},
        // Said on the way; the command did its work.
        {results::kRestored, kOk},
        {results::kRemoved, kOk},
        {results::kNothingRemoved, kOk},
        {results::kRunKept, kOk},
        {results::kEarlierSaved, kOk}, // and the new benchmark goes ahead
        {bench::kAlreadyYours, kOk},
        {locate::kNoSingleCopyGuard, kOk},
        {"Framewise could not make sure that no other copy", kOk}, // and goes on
        {"WILL BE OVERWRITTEN", kOk}, // answered by --yes; unanswered, the command refuses
        {"Comment for the Result File?", kOk},
        // The window's locator asks these; the command line takes --game instead.
        {locate::kPleaseLocate, kOk},
        {"the correct path to CallOfDuty?", kOk},
    };
    return table;
}

ExitCode statusOfMessages(const std::vector<std::string>& shown, const core::GameProfile& game) {
    for (const auto& entry : messageStatuses()) {
        if (entry.status == kOk) continue;
        // The messages came in the game's own names.
        const std::string words = core::forGame(game, entry.words);
        for (const auto& text : shown)
            if (text.find(words) != std::string::npos) return entry.status;
    }
    return kOk;
}

int run(const std::vector<std::string>& args, Services& s) {
    CLI::App app{"Framewise from the command line: benchmarks of the game run by its own "
                 "scripts, with the same files, flows and messages as the window.",
                 "framewise-cli"};
    app.footer(topLevelFooter());
    app.set_version_flag("--version", std::string("framewise-cli ") + FRAMEWISE_VERSION);
    app.require_subcommand(1);

    RunOptions ro;
    auto* runCmd = app.add_subcommand(
        "run", "Write the benchmark's scripts and start the game, as RUN does; with --wait, "
               "wait for it and compile the results as Generate Results does.");
    auto gameOptions = [](CLI::App* cmd, GameOptions& g) {
        cmd->add_option("--game", g.path,
                        "the game: the folder of CoDMP.exe, or OpenArena's program or the "
                        "folder holding its baseoa; default: the one the window remembers, "
                        "else the registry's");
        cmd->add_option("--profile", g.profile,
                        "the game's profile, when the game folder does not show it: cod or "
                        "openarena (alone, openarena finds the program on the PATH)")
            ->check(CLI::IsMember({"cod", "openarena"}, CLI::ignore_case));
        cmd->add_option("--fs-homepath", g.homePath,
                        "OpenArena: the home folder the game is to write in, handed to it as "
                        "fs_homepath (default: the one the window remembers for its game, else "
                        "the game's own, ~/.openarena)");
    };
    gameOptions(runCmd, ro.game);
    runCmd->add_option("--demo", ro.demo,
                       "the demo, with or without .dm_2 (.dm_71); default: the first in the "
                       "demos folder");
    runCmd->add_option("--levels", ro.levels, "detail levels: normal, high, max, custom")
        ->delimiter(',')
        ->capture_default_str();
    runCmd
        ->add_option("--res", ro.resolutions,
                     "resolutions as their texts: 320x240, 400x300, 512x384, 640x480, 800x600, "
                     "960x720, 1024x768, 1152x864, 1280x1024, 1600x1200, 2048x1536, 856x480")
        ->delimiter(',')
        ->capture_default_str();
    runCmd->add_option("--runs", ro.runs, "runs per setting")
        ->check(CLI::IsMember({1, 2, 3}))
        ->capture_default_str();
    runCmd->add_flag("--one-per-dump", ro.onePerDump,
                     "only 1 result per console dump (default: up to 3), for very large demos");
    runCmd->add_flag("--loop", ro.loop, "run the benchmarks in a loop, until the game is stopped");
    runCmd
        ->add_option("--preset", ro.preset,
                     "fill the Custom level's settings with a preset first: low, hi, max, "
                     "optimized")
        ->check(CLI::IsMember({"low", "hi", "max", "optimized"}, CLI::ignore_case));
    runCmd
        ->add_option("--custom", ro.custom,
                     "set one Custom level setting, NAME=VALUE, repeatable: "
                     "character-textures and general-textures=extra|high|normal|lowest, "
                     "texture-filter=trilinear|bilinear, texture-quality=16|32, "
                     "dynamic-lights=none|models-only|everything, "
                     "model-detail=minimum|low|normal|maximum, "
                     "world-dynamic-light-quality=fastest|nicest, wall-marks, ejecting-brass "
                     "and draw-blood=on|off; unset ones keep the window's initial state")
        ->allow_extra_args(false);
    runCmd->add_option("--comment", ro.comment,
                       "the comment for the result file (default: No Comment)");
    runCmd->add_flag("--yes", ro.yes,
                     "answer Yes to the warning that the game's configuration will be "
                     "overwritten (it is backed up and restored); without it the command "
                     "refuses when the warning would show");
    runCmd->add_flag("--wait", ro.wait,
                     "wait for the game to end, showing the progress, then compile the results "
                     "and print the report (not with --loop)");
    auto* stallOption =
        runCmd
            ->add_option("--stall-minutes", ro.stallMinutes,
                         "with --wait: give up, leaving the game running, when no new console dump "
                         "has come for this long (at least; the limit grows with the pace of the "
                         "dumps)")
            ->check(CLI::PositiveNumber)
            ->capture_default_str();

    GameOptions resultsGame;
    auto* resultsCmd = app.add_subcommand(
        "results", "Compile a run the window or run left behind, as Generate Results does, "
                   "and print the report.");
    gameOptions(resultsCmd, resultsGame);

    std::string reportFile;
    bool csv = false, json = false;
    auto* reportCmd = app.add_subcommand(
        "report", "Print an archived report as a table: one row per detail level and "
                  "resolution with each run's figure and the average.");
    reportCmd->add_option("FILE", reportFile, "the report: a path, or a name from list")
        ->required();
    auto* csvFlag = reportCmd->add_flag("--csv", csv, "as CSV");
    reportCmd->add_flag("--json", json, "as JSON")->excludes(csvFlag);

    std::vector<std::string> compareFiles;
    bool compareCsv = false, compareJson = false;
    auto* compareCmd = app.add_subcommand(
        "compare", "Compare archived reports setting by setting: each one's mean, spread and "
                   "change against the first, with a verdict (faster, slower, within noise).");
    compareCmd->add_option("FILES", compareFiles, "two or more reports: paths, or names from list")
        ->required()
        ->expected(2, -1);
    auto* compareCsvFlag = compareCmd->add_flag("--csv", compareCsv, "as CSV");
    compareCmd->add_flag("--json", compareJson, "as JSON")->excludes(compareCsvFlag);

    bool listJson = false;
    auto* listCmd = app.add_subcommand(
        "list", "List the archived reports, in the window's order: one line each with its "
                "file, demo, start time and comment.");
    listCmd->add_flag("--json", listJson, "as JSON");

    runCmd->footer(statusTable({kOk, kFailed, kBadOptions, kRefused, kGameNotStarted, kGameCrashed,
                                kDamaged, kGaveUpWaiting, kNoResults, kInterrupted}));
    resultsCmd->footer(
        statusTable({kOk, kFailed, kBadOptions, kRefused, kGameCrashed, kDamaged, kNoResults}));
    reportCmd->footer(statusTable({kOk, kBadOptions, kBadReport}));
    listCmd->footer(statusTable({kOk, kBadOptions}));
    compareCmd->footer(statusTable({kOk, kBadOptions, kBadReport}));

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, s.out, s.err);
        return status == 0 ? kOk : kBadOptions;
    }

    ro.stallGiven = stallOption->count() > 0;
    Command command(s);
    if (runCmd->parsed()) return command.run(ro);
    if (resultsCmd->parsed()) return command.results(resultsGame);
    if (reportCmd->parsed()) return command.report(reportFile, csv, json);
    if (compareCmd->parsed()) return command.compare(compareFiles, compareCsv, compareJson);
    if (listCmd->parsed()) return command.list(listJson);
    return kBadOptions;
}

} // namespace cli
