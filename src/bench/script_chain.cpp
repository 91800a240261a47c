#include "bench/script_chain.h"

#include "bench/levels.h"

namespace bench {

namespace {

constexpr const char* kRunTokens[] = {"a", "b", "c"};

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The command that follows the chosen level: its level file, or quit after the last one.
std::string nextLevelCommand(Level level, const RunChoices& choices) {
    for (int next = level + 1; next < kLevelCount; ++next)
        if (choices.levels[static_cast<std::size_t>(next)])
            return "exec " + levelFileName(static_cast<Level>(next));
    return "quit";
}

void addResolution(std::vector<std::string>& lines, int m, const std::string& next,
                   const std::string& demo, int runs, bool threePerDump) {
    const std::string bench = "bench" + std::to_string(m);
    const std::string done = "done" + std::to_string(m);
    const std::string ms = std::to_string(m);
    lines.push_back("Set " + bench + " " +
                    quoted("r_mode " + ms +
                           ";wait;vid_restart; clear; wait; wait; wait; wait; vstr " + bench +
                           "a1"));
    lines.push_back(
        "Set " + bench + "a1 " +
        quoted("wait; wait; demo " + demo + "; clear; set nextdemo vstr " + bench + "a2"));
    lines.push_back("Set " + bench + "a2 " +
                    quoted("wait; wait; clear; wait; vstr " + bench + "a"));
    for (int r = 1; r <= runs; ++r) {
        const std::string self = bench + kRunTokens[r - 1];
        const std::string after = r < runs ? bench + kRunTokens[r] : done;
        std::string body;
        if (threePerDump)
            body = "wait; wait; demo " + demo + "; set nextdemo vstr " + after;
        else if (r == 1)
            body = "demo " + demo + "; set nextdemo vstr " + after;
        else
            // The previous run's console is dumped while this run starts.
            body = "demo " + demo + "; vstr dump" + ms + "_" + std::to_string(r - 1) +
                   "; Clear; set nextdemo vstr " + after;
        lines.push_back("Set " + self + " " + quoted(body));
    }
    if (threePerDump)
        lines.push_back("Set " + done + " " + quoted("vstr dump" + ms + "; " + next));
    else
        lines.push_back("Set " + done + " " +
                        quoted("vstr dump" + ms + "_" + std::to_string(runs) + "; Clear; " + next));
    lines.push_back("");
}

} // namespace

ContinuationScript continuationScript(Level level, const RunChoices& choices,
                                      const std::string& dumpExtension) {
    ContinuationScript script;
    const std::string suffix = levelNames(level).dumpSuffix;
    const int runs = runCount(choices);
    script.lines.push_back("timedemo 1");
    for (int m : chosenModes(choices)) {
        const std::string ms = std::to_string(m);
        if (choices.threePerDump) {
            std::string file = kToolFilePrefix + ms + suffix;
            script.lines.push_back("set dump" + ms + " " +
                                   quoted("condump " + file + dumpExtension));
            script.dumpFiles.push_back(file);
            continue;
        }
        for (int j = 1; j <= runs; ++j) {
            const std::string js = std::to_string(j);
            std::string file = kToolFilePrefix + ms + "_" + js + suffix;
            script.lines.push_back("set dump" + ms + "_" + js + " " +
                                   quoted("condump " + file + dumpExtension));
            script.dumpFiles.push_back(file);
        }
    }
    script.lines.push_back("set continue " + quoted(nextLevelCommand(level, choices)));
    script.lines.push_back(std::string("exec ") + kMasterScriptFile);
    return script;
}

std::vector<std::string> masterScriptLines(const RunChoices& choices) {
    const auto modes = chosenModes(choices);
    const std::string demo = demoName(choices);
    std::vector<std::string> lines{"timedemo 1", ""};
    if (modes.empty()) return lines;
    const std::string first = "vstr bench" + std::to_string(modes.front());
    for (std::size_t i = 0; i < modes.size(); ++i) {
        std::string next;
        if (i + 1 < modes.size())
            next = "vstr bench" + std::to_string(modes[i + 1]);
        else
            next = choices.loop ? first : "vstr continue";
        addResolution(lines, modes[i], next, demo, runCount(choices), choices.threePerDump);
    }
    lines.push_back(first);
    return lines;
}

std::vector<std::string> dumpFileNames(const RunChoices& choices) {
    std::vector<std::string> names;
    for (Level level : chosenLevels(choices)) {
        auto files = continuationScript(level, choices).dumpFiles;
        names.insert(names.end(), files.begin(), files.end());
    }
    return names;
}

} // namespace bench
